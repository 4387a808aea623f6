#include "directshow/sys_dev_enum.h"

#include <gst/gst.h>

#include <QMutex>
#include <QStringList>
#include <algorithm>
#include <stdexcept>

#include "platform/media_engine.h"

namespace directshow {

const GUID CLSID_ActiveMovieCategories{QUuid::fromString(u"{DA4E3DA0-D07D-11D0-BD50-00A0C911CE86}")};
const GUID CLSID_LegacyAmFilterCategory{QUuid::fromString(u"{083863F1-70DE-11D0-BD40-00A0C911CE86}")};
const GUID CLSID_AudioInputDeviceCategory{QUuid::fromString(u"{33D9A762-90C8-11D0-BD43-00A0C911CE86}")};
const GUID CLSID_VideoInputDeviceCategory{QUuid::fromString(u"{860BB310-5D01-11D0-BD3B-00A0C911CE86}")};
const GUID CLSID_AudioRendererCategory{QUuid::fromString(u"{E0F158E1-CB04-11D0-BD4E-00A0C911CE86}")};
const GUID CLSID_VideoRendererCategory{QUuid::fromString(u"{4F3E1C6A-8B2D-4E57-9C10-7A5D3E2B1F01}")};
const GUID CLSID_AudioDecoderCategory{QUuid::fromString(u"{4F3E1C6A-8B2D-4E57-9C10-7A5D3E2B1F02}")};
const GUID CLSID_VideoDecoderCategory{QUuid::fromString(u"{4F3E1C6A-8B2D-4E57-9C10-7A5D3E2B1F03}")};

namespace {

QMutex g_enumeratorLock;
ClassEnumerator g_enumerator;

// Factories whose class names every given word, sorted by name.
QStringList FactoriesOfClass(const QStringList& words) {
    QStringList names;
    GList* factories = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_ANY, GST_RANK_NONE);
    for (GList* it = factories; it; it = it->next) {
        auto* factory = GST_ELEMENT_FACTORY(it->data);
        const QString klass = QString::fromUtf8(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS));
        const QStringList parts = klass.split(u'/');
        if (std::all_of(words.begin(), words.end(), [&](const QString& w) { return parts.contains(w); }))
            names << QString::fromUtf8(GST_OBJECT_NAME(factory));
    }
    gst_plugin_feature_list_free(factories);
    names.sort();
    return names;
}

// The highest-ranked decoder of MPEG-1 audio, or "" when none is installed.
QString BestMpegAudioDecoder() {
    GList* decoders = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL);
    GstCaps* caps = gst_caps_from_string("audio/mpeg,mpegversion=(int)1,layer=(int)2");
    GList* fit = gst_element_factory_list_filter(decoders, caps, GST_PAD_SINK, FALSE);
    fit = g_list_sort(fit, gst_plugin_feature_rank_compare_func);
    const QString best = fit ? QString::fromUtf8(GST_OBJECT_NAME(fit->data)) : QString();
    gst_plugin_feature_list_free(fit);
    gst_plugin_feature_list_free(decoders);
    gst_caps_unref(caps);
    return best;
}

void AddFactories(std::vector<MonikerPtr>* out, const QStringList& names, const QString& skip = QString()) {
    for (const QString& name : names) {
        if (name != skip) out->push_back(MakeFactoryMoniker(name));
    }
}

void AddDevices(std::vector<MonikerPtr>* out, const char* deviceClass) {
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, deviceClass, nullptr);
    if (gst_device_monitor_start(monitor)) {
        GList* devices = gst_device_monitor_get_devices(monitor);
        for (GList* it = devices; it; it = it->next) {
            gchar* name = gst_device_get_display_name(GST_DEVICE(it->data));
            out->push_back(MakeDeviceMoniker(QString::fromLatin1(deviceClass), QString::fromUtf8(name)));
            g_free(name);
        }
        g_list_free_full(devices, gst_object_unref);
        gst_device_monitor_stop(monitor);
    }
    gst_object_unref(monitor);
}

std::vector<MonikerPtr> CategoryList() {
    const std::pair<const GUID*, const char*> categories[] = {
        {&CLSID_LegacyAmFilterCategory, "DirectShow Filters"},
        {&CLSID_AudioInputDeviceCategory, "Audio Capture Sources"},
        {&CLSID_VideoInputDeviceCategory, "Video Capture Sources"},
        {&CLSID_AudioRendererCategory, "Audio Renderers"},
        {&CLSID_VideoRendererCategory, "Video Renderers"},
        {&CLSID_AudioDecoderCategory, "Audio Decoders"},
        {&CLSID_VideoDecoderCategory, "Video Decoders"},
    };
    std::vector<MonikerPtr> out;
    for (const auto& [id, name] : categories) out.push_back(MakeCategoryMoniker(*id, QString::fromLatin1(name)));
    return out;
}

std::vector<MonikerPtr> GStreamerClassEnumerator(const GUID& category) {
    platform::InitMedia();
    std::vector<MonikerPtr> out;
    if (category == CLSID_ActiveMovieCategories) return CategoryList();
    if (category == CLSID_LegacyAmFilterCategory) {
        const QString mpeg = BestMpegAudioDecoder();
        if (!mpeg.isEmpty()) out.push_back(MakeFactoryMoniker(mpeg, QString::fromLatin1(kMpegAudioDecoderName)));
        AddFactories(&out, FactoriesOfClass({"Decoder", "Audio"}), mpeg);
        AddFactories(&out, FactoriesOfClass({"Decoder", "Video"}));
    } else if (category == CLSID_AudioDecoderCategory) {
        AddFactories(&out, FactoriesOfClass({"Decoder", "Audio"}));
    } else if (category == CLSID_VideoDecoderCategory) {
        AddFactories(&out, FactoriesOfClass({"Decoder", "Video"}));
    } else if (category == CLSID_AudioInputDeviceCategory) {
        AddDevices(&out, "Audio/Source");
    } else if (category == CLSID_VideoInputDeviceCategory) {
        AddDevices(&out, "Video/Source");
    } else if (category == CLSID_AudioRendererCategory) {
        AddDevices(&out, "Audio/Sink");
        AddFactories(&out, FactoriesOfClass({"Sink", "Audio"}));
    } else if (category == CLSID_VideoRendererCategory) {
        AddFactories(&out, FactoriesOfClass({"Sink", "Video"}));
    }
    return out;
}

// The short string of the record: 255 characters, never half a character.
QString CutTo255(const QString& text) {
    if (text.size() <= 255) return text;
    QString cut = text.left(255);
    if (cut.back().isHighSurrogate()) cut.chop(1);
    return cut;
}

}  // namespace

ClassEnumerator SetClassEnumerator(ClassEnumerator enumerator) {
    QMutexLocker lock(&g_enumeratorLock);
    std::swap(g_enumerator, enumerator);
    return enumerator;
}

std::vector<MonikerPtr> CreateClassEnumerator(const GUID& category) {
    ClassEnumerator enumerator;
    {
        QMutexLocker lock(&g_enumeratorLock);
        enumerator = g_enumerator;
    }
    return enumerator ? enumerator(category) : GStreamerClassEnumerator(category);
}

TSysDevEnum::TSysDevEnum(const GUID& category) {
    Enumerate(&categories_, CLSID_ActiveMovieCategories);
    SelectCategory(category);
}

void TSysDevEnum::SelectCategory(const GUID& category) {
    category_ = category;
    Enumerate(&filters_, category);
}

// A moniker whose storage cannot be read names no filter anyone could use: it is left out.
void TSysDevEnum::Enumerate(std::vector<Entry>* list, const GUID& category) {
    list->clear();
    for (const MonikerPtr& moniker : CreateClassEnumerator(category)) {
        if (!moniker) continue;
        const std::optional<PropertyBag> bag = moniker->BindToStorage();
        if (!bag) continue;
        Entry entry{{}, moniker};
        QString text;
        if (bag->Read(QStringLiteral("FriendlyName"), &text)) entry.record.FriendlyName = CutTo255(text);
        if (bag->Read(QStringLiteral("CLSID"), &text)) entry.record.CLSID = QUuid::fromString(text);
        list->push_back(std::move(entry));
    }
}

void TSysDevEnum::GetFilterInfo(int index, TDeviceFilterRecord* record) const {
    if (index < 0 || index >= FilterCount())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    *record = filters_[size_t(index)].record;
}

MonikerPtr TSysDevEnum::GetMoniker(int index) const {
    if (index < 0 || index >= FilterCount()) return nullptr;
    return filters_[size_t(index)].moniker;
}

}  // namespace directshow

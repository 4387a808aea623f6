#include "directshow/filter_graph_core.h"

#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>
#include <cmath>

#include "directshow/graph_log.h"
#include "directshow/gst_filter.h"
#include "platform/media_engine.h"
#include "platform/media_internal.h"
#include "platform/network_proxy.h"

namespace directshow {

namespace {

constexpr int kPrerollWaitMs = 20000;

// A DVD is a folder (with VIDEO_TS in it, or VIDEO_TS itself), an image or a device.
QByteArray DvdDeviceOf(const QString& name, HRESULT* failure) {
    const QFileInfo info(name);
    if (!info.exists()) {
        *failure = HRESULT_FILE_NOT_FOUND;
        return {};
    }
    return QFile::encodeName(info.absoluteFilePath());
}

QByteArray UriOf(const QString& name, HRESULT* failure) {
    if (name.contains(QLatin1String("://"))) return name.toUtf8();
    const QFileInfo info(name);
    if (!info.isFile()) {
        *failure = HRESULT_FILE_NOT_FOUND;
        return {};
    }
    gchar* uri = gst_filename_to_uri(info.absoluteFilePath().toUtf8().constData(), nullptr);
    QByteArray out(uri ? uri : "");
    g_free(uri);
    return out;
}

}  // namespace

HRESULT ResultOfError(GstMessage* message) {
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    HRESULT result = E_FAIL;
    if (error && error->domain == GST_RESOURCE_ERROR &&
        (error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ))
        result = HRESULT_FILE_NOT_FOUND;
    else if (error && (error->domain == GST_STREAM_ERROR || error->domain == GST_CORE_ERROR))
        result = VFW_E_UNSUPPORTED_STREAM;
    if (error) g_error_free(error);
    return result;
}

TFilterGraph::Core::Core(TFilterGraph* graph) : owner(graph), pipeline(nullptr) {
    platform::InitMedia();
    pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("filter-graph")));
    platform::WatchDecoderChoice(pipeline);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, &Core::OnBusSync, this, nullptr);
    gst_object_unref(bus);
}

TFilterGraph::Core::~Core() {
    epoch.fetch_add(1);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline);
}

void TFilterGraph::Core::AddFilter(const FilterPtr& filter, const QString& name) {
    if (!filter || !filter->Element()) return;
    GstElement* element = filter->Element();
    std::lock_guard guard(lock);
    if (std::find(members.begin(), members.end(), filter) != members.end()) return;
    members.push_back(filter);
    if (IsRenderer(element)) {
        waiting.push_back(filter);
        return;
    }
    if (!name.isEmpty() && !GST_OBJECT_PARENT(element)) gst_object_set_name(GST_OBJECT(element), name.toUtf8().constData());
    if (gst_bin_add(GST_BIN(pipeline), element)) gst_element_sync_state_with_parent(element);
}

void TFilterGraph::Core::RemoveFilter(const FilterPtr& filter) {
    if (!filter || !filter->Element()) return;
    GstElement* element = filter->Element();
    std::unique_lock guard(lock);
    const auto it = std::find(members.begin(), members.end(), filter);
    if (it == members.end()) return;
    members.erase(it);
    std::erase(waiting, filter);
    std::erase(linkedTargets, filter);
    guard.unlock();
    if (GST_OBJECT_PARENT(element) == GST_OBJECT(pipeline)) {
        // A filter leaves a stopped graph: nothing may stream into it while it goes.
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_element_set_state(element, GST_STATE_NULL);
        gst_bin_remove(GST_BIN(pipeline), element);
    }
}

HRESULT TFilterGraph::Core::Render(const QString& name) {
    HRESULT failure = S_OK;
    const QByteArray location = dvd ? DvdDeviceOf(name, &failure) : UriOf(name, &failure);
    if (failure != S_OK) return failure;
    ClearRendered();
    GstElement* source = AddRendered(dvd ? "rsndvdbin" : "uridecodebin");
    if (!source) return dvd ? REGDB_E_CLASSNOTREG : VFW_E_CANNOT_RENDER;
    g_signal_connect(source, "pad-added", G_CALLBACK(&Core::OnPadAdded), this);
    if (dvd) {
        g_object_set(source, "device", location.constData(), nullptr);
        g_signal_connect(source, "element-added", G_CALLBACK(&Core::OnDvdElement), this);
    } else {
        g_object_set(source, "uri", location.constData(), nullptr);
        g_signal_connect(source, "autoplug-select", G_CALLBACK(&Core::OnAutoplugSelect), this);
        platform::WatchSourceSetup(source);
    }
    {
        std::lock_guard guard(waitMutex);
        waitDone = false;
        waitResult = S_OK;
    }
    rendering = true;
    HRESULT result = S_OK;
    const GstStateChangeReturn change = gst_element_set_state(pipeline, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_FAILURE) result = VFW_E_CANNOT_RENDER;
    // The DVD source reaches pause before it has any stream: wait for its first, then its preroll.
    const bool late = dvd && change == GST_STATE_CHANGE_SUCCESS;
    if (change == GST_STATE_CHANGE_ASYNC || late) {
        std::unique_lock guard(waitMutex);
        if (!waitCond.wait_for(guard, std::chrono::milliseconds(kPrerollWaitMs), [this] { return waitDone; }))
            result = VFW_E_TIMEOUT;
        else
            result = waitResult;
    }
    if (late && result == S_OK &&
        gst_element_get_state(pipeline, nullptr, nullptr, GstClockTime(kPrerollWaitMs) * GST_MSECOND) !=
            GST_STATE_CHANGE_SUCCESS)
        result = VFW_E_CANNOT_RENDER;
    rendering = false;
    if (result == S_OK) {
        std::lock_guard guard(lock);
        if (streamsLinked == 0) result = VFW_E_CANNOT_RENDER;
    }
    if (result != S_OK) ClearRendered();
    wanted = FilterState::State_Stopped;
    return result;
}

GstElement* TFilterGraph::Core::AddRendered(const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (!element) return nullptr;
    gst_bin_add(GST_BIN(pipeline), element);
    std::lock_guard guard(lock);
    rendered.push_back(element);
    return element;
}

void TFilterGraph::Core::ClearRendered() {
    epoch.fetch_add(1);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    UnlinkAll();
    std::lock_guard guard(lock);
    for (GstElement* element : rendered) gst_bin_remove(GST_BIN(pipeline), element);
    rendered.clear();
    for (const FilterPtr& target : linkedTargets) {
        gst_element_set_state(target->Element(), GST_STATE_NULL);
        gst_bin_remove(GST_BIN(pipeline), target->Element());
        waiting.push_back(target);
    }
    linkedTargets.clear();
    spliced.clear();
    audioLanguages.clear();
    subpictureLanguages.clear();
    dvdTitle = dvdChapter = -1;
    volume = panorama = nullptr;
    windowSink = nullptr;
    videoLinked = false;
    streamsLinked = 0;
    flowed = false;
    lastBuffering = -1;
    pausing = false;
    wanted = FilterState::State_Stopped;
}

// Every link between two elements of the pipeline goes; the elements stay.
void TFilterGraph::Core::UnlinkAll() {
    GstIterator* elements = gst_bin_iterate_elements(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
        GstElement* element = GST_ELEMENT(g_value_get_object(&item));
        GstIterator* pads = gst_element_iterate_src_pads(element);
        GValue padItem = G_VALUE_INIT;
        while (gst_iterator_next(pads, &padItem) == GST_ITERATOR_OK) {
            GstPad* pad = GST_PAD(g_value_get_object(&padItem));
            if (GstPad* peer = gst_pad_get_peer(pad)) {
                gst_pad_unlink(pad, peer);
                gst_object_unref(peer);
            }
            g_value_reset(&padItem);
        }
        g_value_unset(&padItem);
        gst_iterator_free(pads);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
}

HRESULT TFilterGraph::Core::ChangeState(GstState state, bool announcePause) {
    pausing = announcePause;
    const GstStateChangeReturn change = gst_element_set_state(pipeline, state);
    switch (change) {
    case GST_STATE_CHANGE_FAILURE: pausing = false; return E_FAIL;
    case GST_STATE_CHANGE_ASYNC: return S_FALSE;
    default: break;
    }
    if (pausing.exchange(false)) Post(EC_PAUSED, S_OK, 0);
    return S_OK;
}

HRESULT TFilterGraph::Core::State(int timeoutMs, FilterState* state) {
    *state = wanted;
    const GstClockTime timeout = timeoutMs < 0 ? GST_CLOCK_TIME_NONE : GstClockTime(timeoutMs) * GST_MSECOND;
    const GstStateChangeReturn change = gst_element_get_state(pipeline, nullptr, nullptr, timeout);
    if (change == GST_STATE_CHANGE_FAILURE) return E_FAIL;
    return change == GST_STATE_CHANGE_ASYNC ? VFW_S_STATE_INTERMEDIATE : S_OK;
}

HRESULT TFilterGraph::Core::Duration(qint64* duration) const {
    gint64 ns = -1;
    if (!gst_element_query_duration(pipeline, GST_FORMAT_TIME, &ns) || ns < 0) return E_FAIL;
    *duration = ns / 100;
    return S_OK;
}

HRESULT TFilterGraph::Core::Position(qint64* position) const {
    gint64 ns = -1;
    if (!gst_element_query_position(pipeline, GST_FORMAT_TIME, &ns) || ns < 0) return E_FAIL;
    *position = ns / 100;
    return S_OK;
}

HRESULT TFilterGraph::Core::Seek(qint64 position) {
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    return gst_element_seek_simple(pipeline, GST_FORMAT_TIME, flags, std::max<qint64>(0, position) * 100) ? S_OK
                                                                                                         : E_FAIL;
}

// Volume is an attenuation in 1/100 dB; balance attenuates the other side the same way. The
// device's levels scale each side after that; one volume and one pan carry the product.
void TFilterGraph::Core::ApplyLevels(long volumeLevel, long balance) {
    std::lock_guard guard(lock);
    const double level = std::pow(10.0, double(volumeLevel) / 2000.0);
    const double other = std::pow(10.0, -std::abs(double(balance)) / 2000.0);
    const double left = level * (balance > 0 ? other : 1.0) * deviceLeft;
    const double right = level * (balance < 0 ? other : 1.0) * deviceRight;
    linearVolume = std::max(left, right);
    pan = linearVolume <= 0.0 || left == right ? 0.0 : right > left ? 1.0 - left / right : right / left - 1.0;
    if (volume) g_object_set(volume, "volume", linearVolume, nullptr);
    if (panorama) g_object_set(panorama, "panorama", float(pan), nullptr);
}

bool TFilterGraph::Core::DvdLanguage(bool audio, int stream, QString* code) const {
    std::lock_guard guard(lock);
    const auto& languages = audio ? audioLanguages : subpictureLanguages;
    const auto it = languages.find(stream);
    if (it == languages.end() || it->second.isEmpty()) return false;
    *code = it->second;
    return true;
}

QStringList TFilterGraph::Core::Factories() const {
    QStringList names;
    std::lock_guard guard(lock);
    for (const FilterPtr& filter : members) names << FilterFactoryName(filter.get());
    for (GstElement* element : rendered) {
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory) names << QString::fromUtf8(GST_OBJECT_NAME(factory));
    }
    return names;
}

}  // namespace directshow

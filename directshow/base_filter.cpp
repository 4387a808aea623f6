#include "directshow/base_filter.h"

#include <QDataStream>
#include <QIODevice>
#include <cstring>

#include "directshow/gst_filter.h"
#include "platform/media_engine.h"

namespace directshow {

namespace {

constexpr quint32 kMonikerMagic = 0x564D4B31;  // "VMK1"
enum class MonikerKind : quint8 { Factory = 1, Device = 2, Category = 3 };

QByteArray SaveFields(MonikerKind kind, const QString& a, const QString& b) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMonikerMagic << quint8(kind) << a << b;
    return bytes;
}

class FactoryMoniker : public IMoniker {
public:
    FactoryMoniker(QString factory, QString friendly) : factory_(std::move(factory)), friendly_(std::move(friendly)) {}
    std::optional<PropertyBag> BindToStorage() const override {
        platform::InitMedia();
        GstElementFactory* factory = gst_element_factory_find(factory_.toUtf8().constData());
        if (!factory) return std::nullopt;
        PropertyBag bag;
        bag.values[QStringLiteral("FriendlyName")] =
            friendly_.isEmpty() ? QString::fromUtf8(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME))
                                : friendly_;
        bag.values[QStringLiteral("CLSID")] = FactoryClassId(factory_).toString(QUuid::WithBraces).toUpper();
        gst_object_unref(factory);
        return bag;
    }
    FilterPtr BindToObject() const override {
        platform::InitMedia();
        return WrapElement(gst_element_factory_make(factory_.toUtf8().constData(), nullptr));
    }
    QByteArray Save() const override { return SaveFields(MonikerKind::Factory, factory_, friendly_); }

private:
    QString factory_, friendly_;
};

// A device is found again by its class and display name each time, so a saved moniker still
// binds after the device was unplugged and plugged back.
class DeviceMoniker : public IMoniker {
public:
    DeviceMoniker(QString deviceClass, QString name) : class_(std::move(deviceClass)), name_(std::move(name)) {}
    std::optional<PropertyBag> BindToStorage() const override {
        GstDevice* device = Find();
        if (!device) return std::nullopt;
        gst_object_unref(device);
        PropertyBag bag;
        bag.values[QStringLiteral("FriendlyName")] = name_;
        return bag;
    }
    FilterPtr BindToObject() const override {
        GstDevice* device = Find();
        if (!device) return nullptr;
        FilterPtr filter = WrapElement(gst_device_create_element(device, nullptr));
        gst_object_unref(device);
        return filter;
    }
    QByteArray Save() const override { return SaveFields(MonikerKind::Device, class_, name_); }

private:
    GstDevice* Find() const {
        platform::InitMedia();
        GstDeviceMonitor* monitor = gst_device_monitor_new();
        gst_device_monitor_add_filter(monitor, class_.toUtf8().constData(), nullptr);
        GstDevice* found = nullptr;
        if (gst_device_monitor_start(monitor)) {
            GList* devices = gst_device_monitor_get_devices(monitor);
            for (GList* it = devices; it; it = it->next) {
                GstDevice* device = GST_DEVICE(it->data);
                gchar* name = gst_device_get_display_name(device);
                if (!found && QString::fromUtf8(name) == name_) found = GST_DEVICE(gst_object_ref(device));
                g_free(name);
            }
            g_list_free_full(devices, gst_object_unref);
            gst_device_monitor_stop(monitor);
        }
        gst_object_unref(monitor);
        return found;
    }
    QString class_, name_;
};

class CategoryMoniker : public IMoniker {
public:
    CategoryMoniker(const GUID& id, QString name) : id_(id), name_(std::move(name)) {}
    std::optional<PropertyBag> BindToStorage() const override {
        PropertyBag bag;
        bag.values[QStringLiteral("FriendlyName")] = name_;
        bag.values[QStringLiteral("CLSID")] = id_.toString(QUuid::WithBraces).toUpper();
        return bag;
    }
    FilterPtr BindToObject() const override { return nullptr; }
    QByteArray Save() const override {
        return SaveFields(MonikerKind::Category, id_.toString(QUuid::WithBraces), name_);
    }

private:
    GUID id_;
    QString name_;
};

}  // namespace

IBaseFilter::~IBaseFilter() {
    if (!element_) return;
    if (!GST_OBJECT_PARENT(element_)) gst_element_set_state(element_, GST_STATE_NULL);
    gst_object_unref(element_);
}

FilterPtr WrapElement(GstElement* element) {
    if (!element) return nullptr;
    return std::make_shared<IBaseFilter>(GST_ELEMENT(gst_object_ref_sink(element)));
}

QString FilterFactoryName(const IBaseFilter* filter) {
    if (!filter || !filter->Element()) return {};
    GstElementFactory* factory = gst_element_get_factory(filter->Element());
    return factory ? QString::fromUtf8(GST_OBJECT_NAME(factory)) : QString();
}

bool PropertyBag::Read(const QString& name, QString* value) const {
    const auto it = values.constFind(name);
    if (it == values.constEnd()) return false;
    *value = *it;
    return true;
}

MonikerPtr MakeFactoryMoniker(const QString& factory, const QString& friendlyName) {
    return std::make_shared<FactoryMoniker>(factory, friendlyName);
}

MonikerPtr MakeDeviceMoniker(const QString& deviceClass, const QString& displayName) {
    return std::make_shared<DeviceMoniker>(deviceClass, displayName);
}

MonikerPtr MakeCategoryMoniker(const GUID& category, const QString& friendlyName) {
    return std::make_shared<CategoryMoniker>(category, friendlyName);
}

MonikerPtr LoadMoniker(const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint8 kind = 0;
    QString a, b;
    in >> magic >> kind >> a >> b;
    if (in.status() != QDataStream::Ok || magic != kMonikerMagic || a.isEmpty()) return nullptr;
    switch (MonikerKind(kind)) {
    case MonikerKind::Factory: return MakeFactoryMoniker(a, b);
    case MonikerKind::Device: return MakeDeviceMoniker(a, b);
    case MonikerKind::Category: {
        const GUID id = QUuid::fromString(a);
        return id.isNull() ? nullptr : MakeCategoryMoniker(id, b);
    }
    }
    return nullptr;
}

GUID FactoryClassId(const QString& factory) {
    static const QUuid kNamespace = QUuid::fromString(u"{6E1F0C52-3B7A-4D2E-9A51-2C8F4B7D9E10}");
    return QUuid::createUuidV5(kNamespace, factory);
}

void TBaseFilter::SetMoniker(const MonikerPtr& moniker) {
    const QByteArray bytes = moniker ? moniker->Save() : QByteArray();
    SetDataLength(quint32(bytes.size()));
    if (!bytes.isEmpty()) std::memcpy(Data(), bytes.constData(), size_t(bytes.size()));
}

MonikerPtr TBaseFilter::GetMoniker() const {
    if (DataLength() == 0) return nullptr;
    return LoadMoniker(QByteArray(reinterpret_cast<const char*>(Data()), int(DataLength())));
}

FilterPtr TBaseFilter::CreateFilter() const {
    const MonikerPtr moniker = GetMoniker();
    return moniker ? moniker->BindToObject() : nullptr;
}

}  // namespace directshow

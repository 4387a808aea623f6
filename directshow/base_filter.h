// Filters and monikers. A filter is one GStreamer element; a moniker names where a filter comes
// from (an element factory, a device, a category) and can be saved to bytes and loaded back.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <optional>

#include "directshow/persistent.h"

namespace directshow {

class IBaseFilter;  // opaque; defined by the layer's GStreamer side
using FilterPtr = std::shared_ptr<IBaseFilter>;
// The element factory a filter was made by ("" for none).
QString FilterFactoryName(const IBaseFilter* filter);

// What a moniker's storage holds: "FriendlyName" and, for filters made by a factory, "CLSID" in
// its registry form.
struct PropertyBag {
    QHash<QString, QString> values;
    bool Read(const QString& name, QString* value) const;
};

class IMoniker {
public:
    virtual ~IMoniker() = default;
    // nullopt when the storage cannot be read (the factory or device is gone).
    virtual std::optional<PropertyBag> BindToStorage() const = 0;
    virtual FilterPtr BindToObject() const = 0;  // null when nothing can be made
    virtual QByteArray Save() const = 0;         // empty when this moniker cannot be saved
};
using MonikerPtr = std::shared_ptr<IMoniker>;

MonikerPtr MakeFactoryMoniker(const QString& factory, const QString& friendlyName = QString());
MonikerPtr MakeDeviceMoniker(const QString& deviceClass, const QString& displayName);
MonikerPtr MakeCategoryMoniker(const GUID& category, const QString& friendlyName);
// The saved form back to a moniker; null for bytes that are not one.
MonikerPtr LoadMoniker(const QByteArray& bytes);

// The class-id of the filters a factory makes: stable, derived from the factory's name.
GUID FactoryClassId(const QString& factory);

// A filter kept as its saved moniker; an empty block means no filter.
class TBaseFilter : public TPersistentMemory {
public:
    const char* ClassName() const override { return "TBaseFilter"; }
    void SetMoniker(const MonikerPtr& moniker);
    MonikerPtr GetMoniker() const;
    FilterPtr CreateFilter() const;
};

}  // namespace directshow

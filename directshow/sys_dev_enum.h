// Filters by category. GStreamer's element factories (by class) and its device monitor stand in
// for the system's filter categories.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "directshow/base_filter.h"

namespace directshow {

extern const GUID CLSID_ActiveMovieCategories;     // the categories themselves
extern const GUID CLSID_LegacyAmFilterCategory;    // decoders, the MPEG audio decoder first
extern const GUID CLSID_AudioInputDeviceCategory;  // sound capture devices
extern const GUID CLSID_VideoInputDeviceCategory;  // cameras
extern const GUID CLSID_AudioRendererCategory;     // sound output devices, then audio sinks
extern const GUID CLSID_VideoRendererCategory;     // video sinks
extern const GUID CLSID_AudioDecoderCategory;
extern const GUID CLSID_VideoDecoderCategory;
// The friendly name the frame engine looks for among the legacy filters.
inline constexpr char kMpegAudioDecoderName[] = "MPEG Audio Decoder";

// The system device enumerator: the monikers of a category, in a stable order. Tests install
// their own; null restores the GStreamer one. Returns the previous one.
using ClassEnumerator = std::function<std::vector<MonikerPtr>(const GUID& category)>;
ClassEnumerator SetClassEnumerator(ClassEnumerator enumerator);
std::vector<MonikerPtr> CreateClassEnumerator(const GUID& category);

struct TDeviceFilterRecord {
    QString FriendlyName;  // at most 255 characters
    GUID CLSID;            // null when the storage names none
};

// One enumeration per category selection; each record keeps the moniker it was read from, so an
// index always names the same filter for both.
class TSysDevEnum {
public:
    explicit TSysDevEnum(const GUID& category);
    void SelectCategory(const GUID& category);
    int FilterCount() const { return int(filters_.size()); }
    // Raises std::out_of_range for an index outside the list.
    void GetFilterInfo(int index, TDeviceFilterRecord* record) const;
    MonikerPtr GetMoniker(int index) const;  // null outside 0 .. FilterCount - 1
    int CategoryCount() const { return int(categories_.size()); }
    const TDeviceFilterRecord& Category(int index) const { return categories_.at(size_t(index)).record; }

private:
    struct Entry {
        TDeviceFilterRecord record;
        MonikerPtr moniker;
    };
    static void Enumerate(std::vector<Entry>* list, const GUID& category);
    GUID category_;
    std::vector<Entry> categories_;
    std::vector<Entry> filters_;
};

}  // namespace directshow

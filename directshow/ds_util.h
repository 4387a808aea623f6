// The bottom of the filter-graph layer: result codes and their exception, reference times, the
// media-type record and its deep copy.
#pragma once

#include <QString>
#include <QUuid>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "platform/media_faces.h"

namespace directshow {

using platform::HRESULT;
using platform::S_OK;
using platform::S_FALSE;
using platform::E_FAIL;
using platform::E_NOINTERFACE;
using platform::E_POINTER;
using platform::E_INVALIDARG;
using platform::VFW_E_NOT_FOUND;
using GUID = QUuid;
using REFERENCE_TIME = std::int64_t;  // 100-ns units

constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT HRESULT_FILE_NOT_FOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT VFW_E_CANNOT_RENDER = static_cast<HRESULT>(0x80040218u);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x80040265u);
constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209u);
constexpr HRESULT VFW_E_TIMEOUT = static_cast<HRESULT>(0x8004022Eu);
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = 0x00040237;

// The failure of a checked call: its message and code.
class EDirectShowException : public std::runtime_error {
public:
    EDirectShowException(const QString& message, HRESULT code);
    HRESULT ErrorCode() const { return code_; }
    QString Message() const { return QString::fromUtf8(what()); }

private:
    HRESULT code_;
};

// The class library's assertion failure ("Assertion failure (unit, line n)").
class EAssertionFailed : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A failed code raises EDirectShowException with "<text> ($<HEX>)."; others come back unchanged.
HRESULT CheckHResult(HRESULT code);
QString DSErrorText(HRESULT code);
std::int64_t RefTimeToMs(REFERENCE_TIME time);
// The nine nibble groups of a packed DVD time code, most significant first.
std::array<std::uint8_t, 9> UnpackDvdTimeCode(std::uint32_t packed);

// A reference-counted object a media type may carry (the record's pUnk).
class IUnknown {
public:
    virtual ~IUnknown() = default;
    void AddRef() { refs_.fetch_add(1); }
    void Release() {
        if (refs_.fetch_sub(1) == 1) delete this;
    }
    int RefCount() const { return refs_.load(); }

private:
    std::atomic<int> refs_{1};
};

// The media-type record. Invariant: cbFormat == 0 exactly when pbFormat is null.
struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    std::int32_t bFixedSizeSamples = 0;  // a BOOL: True has all bits set
    std::int32_t bTemporalCompression = 0;
    std::uint32_t lSampleSize = 0;
    GUID formattype;
    IUnknown* pUnk = nullptr;
    std::uint32_t cbFormat = 0;
    std::uint8_t* pbFormat = nullptr;
};
constexpr int kMediaTypeRecordSize = 72;  // the streamed form of the record

// CoTaskMemAlloc and CoTaskMemFree; tests replace the allocator to see a failed allocation.
using TaskAllocator = void* (*)(std::size_t);
void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* block);
TaskAllocator SetTaskAllocator(TaskAllocator allocator);  // null restores malloc; returns the old one

// Deep copy: own format block and own reference. A failed block allocation leaves the destination
// with no block at all (never the source's pointer).
void CopyMediaType(AM_MEDIA_TYPE* destination, const AM_MEDIA_TYPE* source);
void FreeMediaType(AM_MEDIA_TYPE* type);

// Media types and format types the grabber speaks.
extern const GUID MEDIATYPE_Video;
extern const GUID MEDIATYPE_Audio;
extern const GUID MEDIASUBTYPE_RGB24;
extern const GUID FORMAT_VideoInfo;
extern const GUID FORMAT_VideoInfo2;

}  // namespace directshow

#include "directshow/ds_util.h"

#include <cstdlib>
#include <cstring>

namespace directshow {

namespace {

std::atomic<TaskAllocator> g_allocator{nullptr};

struct ErrorText {
    HRESULT code;
    const char* text;
};

// The texts of the codes this layer produces, worded as the system words them.
constexpr ErrorText kErrorTexts[] = {
    {S_OK, "No error."},
    {S_FALSE, "The operation completed only partly."},
    {E_FAIL, "Unspecified error"},
    {E_NOINTERFACE, "No such interface supported"},
    {E_POINTER, "Invalid pointer"},
    {E_INVALIDARG, "The parameter is incorrect."},
    {E_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
    {E_UNEXPECTED, "Catastrophic failure"},
    {REGDB_E_CLASSNOTREG, "Class not registered"},
    {HRESULT_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {VFW_E_NOT_FOUND, "An object or name was not found."},
    {VFW_E_CANNOT_RENDER, "No combination of filters could be found to render the stream."},
    {VFW_E_UNSUPPORTED_STREAM, "Cannot play back the file.  The format is not supported."},
    {VFW_E_NOT_CONNECTED, "The operation cannot be performed because the pins are not connected."},
    {VFW_E_TIMEOUT, "A timeout has expired."},
};

}  // namespace

EDirectShowException::EDirectShowException(const QString& message, HRESULT code)
    : std::runtime_error(message.toStdString()), code_(code) {}

HRESULT CheckHResult(HRESULT code) {
    if (code >= 0) return code;
    const QString hex = QString::number(static_cast<std::uint32_t>(code), 16).toUpper();
    throw EDirectShowException(DSErrorText(code) + QStringLiteral(" ($%1).").arg(hex), code);
}

QString DSErrorText(HRESULT code) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) return QString::fromLatin1(entry.text);
    }
    return QStringLiteral("Unknown error");
}

std::int64_t RefTimeToMs(REFERENCE_TIME time) { return time / 10000; }

std::array<std::uint8_t, 9> UnpackDvdTimeCode(std::uint32_t packed) {
    std::array<std::uint8_t, 9> b{};
    for (int i = 0; i < 7; ++i) b[i] = (packed >> (28 - 4 * i)) & 0xF;
    b[7] = (packed >> 2) & 0x3;
    b[8] = packed & 0x3;
    return b;
}

void* CoTaskMemAlloc(std::size_t size) {
    const TaskAllocator allocator = g_allocator.load();
    return allocator ? allocator(size) : std::malloc(size);
}

void CoTaskMemFree(void* block) { std::free(block); }

TaskAllocator SetTaskAllocator(TaskAllocator allocator) { return g_allocator.exchange(allocator); }

void CopyMediaType(AM_MEDIA_TYPE* destination, const AM_MEDIA_TYPE* source) {
    if (destination == source) throw EAssertionFailed("Assertion failure (DSUtil, line 964)");
    if (source->cbFormat != 0 && !source->pbFormat) throw EAssertionFailed("Assertion failure (DSUtil, line 969)");
    *destination = *source;
    if (source->cbFormat != 0) {
        destination->pbFormat = static_cast<std::uint8_t*>(CoTaskMemAlloc(source->cbFormat));
        if (destination->pbFormat) {
            std::memcpy(destination->pbFormat, source->pbFormat, source->cbFormat);
        } else {
            destination->cbFormat = 0;
        }
    }
    if (destination->pUnk) destination->pUnk->AddRef();
}

void FreeMediaType(AM_MEDIA_TYPE* type) {
    if (type->cbFormat != 0) CoTaskMemFree(type->pbFormat);
    type->cbFormat = 0;
    type->pbFormat = nullptr;
    if (type->pUnk) {
        type->pUnk->Release();
        type->pUnk = nullptr;
    }
}

const GUID MEDIATYPE_Video{QUuid::fromString(u"{73646976-0000-0010-8000-00AA00389B71}")};
const GUID MEDIATYPE_Audio{QUuid::fromString(u"{73647561-0000-0010-8000-00AA00389B71}")};
const GUID MEDIASUBTYPE_RGB24{QUuid::fromString(u"{E436EB7D-524F-11CE-9F53-0020AF0BA770}")};
const GUID FORMAT_VideoInfo{QUuid::fromString(u"{05589F80-C356-11CE-BF01-00AA0055595A}")};
const GUID FORMAT_VideoInfo2{QUuid::fromString(u"{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}")};

}  // namespace directshow

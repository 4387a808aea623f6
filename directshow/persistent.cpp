#include "directshow/persistent.h"

#include <QtEndian>
#include <cstring>

namespace directshow {

namespace {

void PutGuid(QByteArray* out, const GUID& id) {
    char bytes[16];
    qToLittleEndian<quint32>(id.data1, bytes);
    qToLittleEndian<quint16>(id.data2, bytes + 4);
    qToLittleEndian<quint16>(id.data3, bytes + 6);
    std::memcpy(bytes + 8, id.data4, 8);
    out->append(bytes, 16);
}

GUID TakeGuid(const char* bytes) {
    GUID id;
    id.data1 = qFromLittleEndian<quint32>(bytes);
    id.data2 = qFromLittleEndian<quint16>(bytes + 4);
    id.data3 = qFromLittleEndian<quint16>(bytes + 6);
    std::memcpy(id.data4, bytes + 8, 8);
    return id;
}

void PutU32(QByteArray* out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out->append(bytes, 4);
}

}  // namespace

void TPersistent::Assign(const TPersistent& source) { source.AssignTo(*this); }

void TPersistent::AssignTo(TPersistent& destination) const {
    throw EConvertError(std::string("Cannot assign a ") + ClassName() + " to a " + destination.ClassName());
}

TMediaType::TMediaType(const GUID& majortype) {
    type_.majortype = majortype;
    type_.bFixedSizeSamples = -1;
    type_.lSampleSize = 1;
}

TMediaType::~TMediaType() { FreeMediaType(&type_); }

void TMediaType::Assign(const TPersistent& source) {
    if (&source == this) return;
    if (auto* other = dynamic_cast<const TMediaType*>(&source)) {
        FreeMediaType(&type_);
        CopyMediaType(&type_, &other->type_);
        return;
    }
    TPersistent::Assign(source);
}

void TMediaType::SetFormat(const void* block, std::uint32_t size) {
    ResetFormatBuffer();
    if (size == 0) return;
    type_.pbFormat = static_cast<std::uint8_t*>(CoTaskMemAlloc(size));
    if (!type_.pbFormat) return;
    std::memcpy(type_.pbFormat, block, size);
    type_.cbFormat = size;
}

bool TMediaType::Equal(const TMediaType& other) const {
    const AM_MEDIA_TYPE& a = type_;
    const AM_MEDIA_TYPE& b = other.type_;
    if (a.majortype != b.majortype || a.subtype != b.subtype || a.formattype != b.formattype) return false;
    if (a.cbFormat != b.cbFormat) return false;
    return a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

void TMediaType::ResetFormatBuffer() {
    if (type_.cbFormat != 0) CoTaskMemFree(type_.pbFormat);
    type_.cbFormat = 0;
    type_.pbFormat = nullptr;
}

bool TMediaType::ShouldWriteData(const TPersistent* ancestor) const {
    auto* other = dynamic_cast<const TMediaType*>(ancestor);
    return !other || !Equal(*other);
}

// The 72-byte record of the 32-bit layout; the two pointers mean nothing outside this process
// and are written as 0.
QByteArray TMediaType::WriteData() const {
    QByteArray out;
    PutGuid(&out, type_.majortype);
    PutGuid(&out, type_.subtype);
    PutU32(&out, quint32(type_.bFixedSizeSamples));
    PutU32(&out, quint32(type_.bTemporalCompression));
    PutU32(&out, type_.lSampleSize);
    PutGuid(&out, type_.formattype);
    PutU32(&out, 0);
    PutU32(&out, type_.cbFormat);
    PutU32(&out, 0);
    if (type_.cbFormat != 0) out.append(reinterpret_cast<const char*>(type_.pbFormat), int(type_.cbFormat));
    return out;
}

void TMediaType::ReadData(const QByteArray& bytes) {
    ResetFormatBuffer();
    if (type_.pUnk) {
        type_.pUnk->Release();
        type_.pUnk = nullptr;
    }
    if (bytes.size() < kMediaTypeRecordSize) throw EReadError("Stream read error");
    const char* p = bytes.constData();
    type_.majortype = TakeGuid(p);
    type_.subtype = TakeGuid(p + 16);
    type_.bFixedSizeSamples = qFromLittleEndian<qint32>(p + 32);
    type_.bTemporalCompression = qFromLittleEndian<qint32>(p + 36);
    type_.lSampleSize = qFromLittleEndian<quint32>(p + 40);
    type_.formattype = TakeGuid(p + 44);
    const quint32 size = qFromLittleEndian<quint32>(p + 64);
    if (size > quint32(bytes.size() - kMediaTypeRecordSize)) throw EReadError("Stream read error");
    SetFormat(p + kMediaTypeRecordSize, size);
}

TPersistentMemory::~TPersistentMemory() { SetDataLength(0); }

void TPersistentMemory::SetDataLength(std::uint32_t length) {
    if (length_ != 0 && data_) CoTaskMemFree(data_);
    data_ = nullptr;
    length_ = 0;
    if (length == 0) return;
    data_ = static_cast<std::uint8_t*>(CoTaskMemAlloc(length));
    if (!data_) throw std::bad_alloc();
    std::memset(data_, 0, length);
    length_ = length;
}

void TPersistentMemory::Assign(const TPersistent& source) {
    if (&source == this) return;
    if (auto* other = dynamic_cast<const TPersistentMemory*>(&source)) {
        SetDataLength(other->length_);
        if (length_ != 0) std::memcpy(data_, other->data_, length_);
        return;
    }
    TPersistent::Assign(source);
}

// Only a block can take a block; anything else ends in the conversion error, never in the two
// classes handing the call back and forth.
void TPersistentMemory::AssignTo(TPersistent& destination) const {
    if (dynamic_cast<TPersistentMemory*>(&destination)) {
        destination.Assign(*this);
        return;
    }
    TPersistent::AssignTo(destination);
}

bool TPersistentMemory::Equal(const TPersistentMemory& other) const {
    if (length_ != other.length_ || length_ == 0 || !data_ || !other.data_) return false;
    return std::memcmp(data_, other.data_, length_) == 0;
}

bool TPersistentMemory::ShouldWriteData(const TPersistent* ancestor) const {
    auto* other = dynamic_cast<const TPersistentMemory*>(ancestor);
    return !other || !Equal(*other);
}

QByteArray TPersistentMemory::WriteData() const {
    QByteArray out;
    PutU32(&out, length_);
    if (length_ != 0) out.append(reinterpret_cast<const char*>(data_), int(length_));
    return out;
}

void TPersistentMemory::ReadData(const QByteArray& bytes) {
    SetDataLength(0);
    if (bytes.size() < 4) throw EReadError("Stream read error");
    const quint32 length = qFromLittleEndian<quint32>(bytes.constData());
    if (length > quint32(bytes.size() - 4)) throw EReadError("Stream read error");
    SetDataLength(length);
    if (length != 0) std::memcpy(data_, bytes.constData() + 4, length);
}

}  // namespace directshow

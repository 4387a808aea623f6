// The two persistable values of the layer: a media type and a block of bytes, each streamed as
// the binary property "data".
#pragma once

#include <QByteArray>
#include <stdexcept>

#include "directshow/ds_util.h"

namespace directshow {

// The class library's conversion error ("Cannot assign a X to a Y").
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// A streamed property that cannot be read as it claims.
class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const char* ClassName() const = 0;
    // Falls back to the source's AssignTo; a pair of classes that cannot take each other raises
    // EConvertError.
    virtual void Assign(const TPersistent& source);
    virtual void AssignTo(TPersistent& destination) const;

    // The "data" property: whether it is written against an ancestor (null: always), its bytes,
    // and reading them back.
    virtual bool ShouldWriteData(const TPersistent* ancestor) const = 0;
    virtual QByteArray WriteData() const = 0;
    virtual void ReadData(const QByteArray& bytes) = 0;
};

class TMediaType : public TPersistent {
public:
    explicit TMediaType(const GUID& majortype = GUID());
    ~TMediaType() override;
    TMediaType(const TMediaType&) = delete;
    TMediaType& operator=(const TMediaType&) = delete;

    const char* ClassName() const override { return "TMediaType"; }
    void Assign(const TPersistent& source) override;
    bool ShouldWriteData(const TPersistent* ancestor) const override;
    QByteArray WriteData() const override;
    // Raises EReadError on a short record or a format block longer than the bytes left; the held
    // type is then empty of any format block. A stored object reference is never taken over.
    void ReadData(const QByteArray& bytes) override;

    void SetSubType(const GUID& subtype) { type_.subtype = subtype; }
    void SetFormatType(const GUID& formattype) { type_.formattype = formattype; }
    // Replaces the format block with a copy of size bytes (none for 0).
    void SetFormat(const void* block, std::uint32_t size);
    bool Equal(const TMediaType& other) const;
    std::uint32_t FormatSize() const { return type_.cbFormat; }
    void ResetFormatBuffer();
    const AM_MEDIA_TYPE& AMMediaType() const { return type_; }
    AM_MEDIA_TYPE& AMMediaType() { return type_; }

private:
    AM_MEDIA_TYPE type_;
};

class TPersistentMemory : public TPersistent {
public:
    TPersistentMemory() = default;
    ~TPersistentMemory() override;
    TPersistentMemory(const TPersistentMemory&) = delete;
    TPersistentMemory& operator=(const TPersistentMemory&) = delete;

    const char* ClassName() const override { return "TPersistentMemory"; }
    void Assign(const TPersistent& source) override;
    void AssignTo(TPersistent& destination) const override;
    bool ShouldWriteData(const TPersistent* ancestor) const override;
    QByteArray WriteData() const override;
    // Raises EReadError when the stored length exceeds the bytes left; the block is then empty.
    void ReadData(const QByteArray& bytes) override;

    void SetDataLength(std::uint32_t length);  // a zeroed block, or none for 0
    bool Equal(const TPersistentMemory& other) const;
    std::uint8_t* Data() { return data_; }
    const std::uint8_t* Data() const { return data_; }
    std::uint32_t DataLength() const { return length_; }

private:
    std::uint8_t* data_ = nullptr;
    std::uint32_t length_ = 0;
};

}  // namespace directshow

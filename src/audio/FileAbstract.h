#pragma once
// An audio file as the soundtrack classes see it: named, opened, read and positioned in bytes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {

class TFileAbstract {
public:
    virtual ~TFileAbstract() = default;

    virtual void SetFileName(const std::string& name) = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual int64_t LengthBytes() = 0;
    virtual int64_t PositionBytes() = 0;
    virtual bool AtEnd() = 0;
    virtual void SetPositionBytes(int64_t position) = 0;
    // Bytes read, or -1 when nothing can be read.
    virtual int64_t ReadData(uint8_t* buffer, size_t length) = 0;
    // The next byte (0–255), or -1 at the end or when nothing can be read.
    virtual int ReadByte() = 0;

    const std::string& FileName() const { return fileName; }

protected:
    std::string fileName;
};

}  // namespace kv

#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// Bytes read at any offset: a file on disk or a buffer in memory, so that a container
// reader (io/ZipReader.h) reads a file and a fuzzer's buffer by the same code.
namespace io {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies count bytes from offset; false when they are not all there or cannot be read.
    virtual bool readAt(std::uint64_t offset, void* destination, std::size_t count) const = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    // bytes must outlive the source.
    explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, void* destination, std::size_t count) const override
    {
        if (offset > bytes_.size() || count > bytes_.size() - offset)
            return false;
        if (count > 0)
            std::memcpy(destination, bytes_.data() + offset, count);
        return true;
    }

private:
    std::string_view bytes_;
};

} // namespace io

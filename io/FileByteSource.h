#pragma once

#include "io/ByteSource.h"

#include <string>

namespace io {

// A file read with pread(2), so a large entry goes straight into its final buffer.
class FileByteSource final : public ByteSource {
public:
    // isOpen() tells whether the file could be opened (errorText() says why not).
    explicit FileByteSource(const std::string& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }
    const std::string& errorText() const { return errorText_; }

    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* destination, std::size_t count) const override;

private:
    int descriptor_ = -1;
    std::uint64_t size_ = 0;
    std::string errorText_;
};

} // namespace io

// A file read at any offset, from any thread at once, with 64-bit offsets on
// both platforms (the C library's fseek stops at 2 GiB on Windows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tavrin::platform {

class ReadOnlyFile {
public:
    virtual ~ReadOnlyFile() = default;
    // The size when the file was opened.
    virtual uint64_t Size() const = 0;
    // Reads exactly count bytes at offset; false when they are not all there.
    virtual bool ReadAt(uint64_t offset, void* out, size_t count) const = 0;
};

// Null when the path does not open for reading.
std::unique_ptr<ReadOnlyFile> OpenReadOnlyFile(const char* path);

}  // namespace tavrin::platform

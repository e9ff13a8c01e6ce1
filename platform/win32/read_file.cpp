#include "platform/read_file.h"

#include <windows.h>

namespace tavrin::platform {

namespace {

class WindowsReadOnlyFile final : public ReadOnlyFile {
public:
    WindowsReadOnlyFile(HANDLE file, uint64_t size) : file_(file), size_(size) {}
    ~WindowsReadOnlyFile() override { CloseHandle(file_); }

    uint64_t Size() const override { return size_; }

    // Each read names its offset in an OVERLAPPED record, so reads from
    // several threads never share a file position.
    bool ReadAt(uint64_t offset, void* out, size_t count) const override {
        auto* bytes = static_cast<char*>(out);
        while (count > 0) {
            OVERLAPPED position{};
            position.Offset = static_cast<DWORD>(offset);
            position.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD asked = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
            DWORD got = 0;
            if (!ReadFile(file_, bytes, asked, &got, &position) || got == 0) {
                return false;
            }
            bytes += got;
            offset += got;
            count -= got;
        }
        return true;
    }

private:
    HANDLE file_;
    uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenReadOnlyFile(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return nullptr;
    }
    return std::make_unique<WindowsReadOnlyFile>(file, static_cast<uint64_t>(size.QuadPart));
}

}  // namespace tavrin::platform

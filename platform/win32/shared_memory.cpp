#include "platform/shared_memory.h"

#include <windows.h>

#include <cstring>

namespace tavrin::platform {

struct SharedMemory::Impl {
    HANDLE mapping = nullptr;
};

std::unique_ptr<SharedMemory> SharedMemory::OpenOrCreate(const std::string& name, size_t size, size_t zeroedPrefix) {
    bool created = false;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (mapping == nullptr) {
        const auto high = static_cast<DWORD>(static_cast<uint64_t>(size) >> 32);
        const auto low = static_cast<DWORD>(size & 0xFFFFFFFFu);
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, high, low, name.c_str());
        created = mapping != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    }
    if (mapping == nullptr) {
        return nullptr;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (view == nullptr) {
        CloseHandle(mapping);
        return nullptr;
    }
    auto* data = static_cast<uint8_t*>(view);
    if (created) {
        std::memset(data, 0, zeroedPrefix < size ? zeroedPrefix : size);
    }
    auto impl = std::make_unique<Impl>();
    impl->mapping = mapping;
    return std::unique_ptr<SharedMemory>(new SharedMemory(std::move(impl), data, size, created));
}

// A file mapping keeps the size it was created with.
bool SharedMemory::Intact() const { return true; }

// A page-file-backed mapping goes away with its last handle.
void SharedMemory::Unlink(const std::string&) {}

SharedMemory::SharedMemory(std::unique_ptr<Impl> impl, uint8_t* data, size_t size, bool created)
    : impl_(std::move(impl)), data_(data), size_(size), created_(created) {}

SharedMemory::~SharedMemory() {
    UnmapViewOfFile(data_);
    CloseHandle(impl_->mapping);
}

}  // namespace tavrin::platform

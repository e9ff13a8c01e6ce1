// A named block of memory shared by every process of the machine
// (a page-file-backed file mapping on Windows, shm_open on POSIX).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tavrin::platform {

class SharedMemory {
public:
    // Opens the block by name, or creates it with the given size and zeroes
    // its first zeroedPrefix bytes. Returns null when neither works.
    static std::unique_ptr<SharedMemory> OpenOrCreate(const std::string& name, size_t size, size_t zeroedPrefix);
    // Removes the name, so the next OpenOrCreate makes a fresh block (POSIX;
    // on Windows the block goes with its last view). For tests.
    static void Unlink(const std::string& name);

    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool created() const { return created_; }

private:
    struct Impl;
    SharedMemory(std::unique_ptr<Impl> impl, uint8_t* data, size_t size, bool created);
    std::unique_ptr<Impl> impl_;
    uint8_t* data_;
    size_t size_;
    bool created_;
};

}  // namespace tavrin::platform

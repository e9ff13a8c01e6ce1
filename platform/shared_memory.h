// A named block of memory shared by the processes of the machine (a
// page-file-backed file mapping on Windows, shm_open on POSIX). On POSIX
// the block is created 0660: the creating user and its group may use it,
// other users cannot; programs of several users share it by running with a
// common group. A block of the wrong size, or one other users could write,
// is refused.
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
    // Whether the block still has its full size. On POSIX another program
    // that may write the block can also shrink it, and touching the lost
    // part of the mapping would kill this one: callers check this before
    // each use and treat a shrunk block as unavailable. A tiny window
    // between the check and the access remains; only users that may write
    // the block (its creator's user and group) can use it. Windows blocks
    // cannot shrink.
    bool Intact() const;

private:
    struct Impl;
    SharedMemory(std::unique_ptr<Impl> impl, uint8_t* data, size_t size, bool created);
    std::unique_ptr<Impl> impl_;
    uint8_t* data_;
    size_t size_;
    bool created_;
};

}  // namespace tavrin::platform

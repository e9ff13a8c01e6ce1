#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavrin::platform {

struct SharedMemory::Impl {};

namespace {

std::string ObjectName(const std::string& name) { return "/" + name; }

// Opens the named object, creating it when it does not exist yet; tells
// whether this call created it.
int OpenObject(const std::string& name, bool& created) {
    const std::string path = ObjectName(name);
    int fd = shm_open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        created = true;
        fchmod(fd, 0666);  // every user's programs share the owner table
        return fd;
    }
    created = false;
    return errno == EEXIST ? shm_open(path.c_str(), O_RDWR, 0666) : -1;
}

}  // namespace

std::unique_ptr<SharedMemory> SharedMemory::OpenOrCreate(const std::string& name, size_t size, size_t zeroedPrefix) {
    bool created = false;
    const int fd = OpenObject(name, created);
    if (fd < 0) {
        return nullptr;
    }
    // A creator in another process may not have sized the block yet; growing
    // it here is harmless, as new bytes read as zero and old ones stay.
    struct stat info {};
    if (fstat(fd, &info) != 0 ||
        (static_cast<size_t>(info.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0)) {
        close(fd);
        return nullptr;
    }
    void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (view == MAP_FAILED) {
        return nullptr;
    }
    auto* data = static_cast<uint8_t*>(view);
    if (created) {
        std::memset(data, 0, zeroedPrefix < size ? zeroedPrefix : size);
    }
    return std::unique_ptr<SharedMemory>(new SharedMemory(std::make_unique<Impl>(), data, size, created));
}

void SharedMemory::Unlink(const std::string& name) { shm_unlink(ObjectName(name).c_str()); }

SharedMemory::SharedMemory(std::unique_ptr<Impl> impl, uint8_t* data, size_t size, bool created)
    : impl_(std::move(impl)), data_(data), size_(size), created_(created) {}

SharedMemory::~SharedMemory() { munmap(data_, size_); }

}  // namespace tavrin::platform

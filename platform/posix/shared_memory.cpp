#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavrin::platform {

// The descriptor stays open so that every access can first make sure the
// block still has its full size: touching a page past the end of a block
// that another program truncated would raise SIGBUS.
struct SharedMemory::Impl {
    int fd = -1;
};

namespace {

// Read and write for the creating user and its group, nothing for others:
// programs of one user share the block, and programs of several users share
// it when they run with a common group (the block takes the creator's
// effective group). Other users can neither open it nor plant content.
constexpr mode_t kBlockMode = 0660;

std::string ObjectName(const std::string& name) { return "/" + name; }

// Opens the named object, creating it when it does not exist yet; tells
// whether this call created it.
int OpenObject(const std::string& name, bool& created) {
    const std::string path = ObjectName(name);
    int fd = shm_open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, kBlockMode);
    if (fd >= 0) {
        created = true;
        fchmod(fd, kBlockMode);  // the umask may have taken the group's bits
        return fd;
    }
    created = false;
    return errno == EEXIST ? shm_open(path.c_str(), O_RDWR, 0) : -1;
}

// Whether the opened block can be used: either just created and still
// empty (its creator, maybe in another process, sizes it next) or of
// exactly the expected size. A block that other users may write is not
// trusted, unless it is ours, in which case it is closed to them first.
bool Usable(int fd, size_t size) {
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return false;
    }
    if ((info.st_mode & (S_IWOTH | S_IROTH)) != 0 && (info.st_uid != geteuid() || fchmod(fd, kBlockMode) != 0)) {
        return false;
    }
    if (info.st_size == 0) {
        return ftruncate(fd, static_cast<off_t>(size)) == 0;
    }
    return static_cast<size_t>(info.st_size) == size;
}

}  // namespace

std::unique_ptr<SharedMemory> SharedMemory::OpenOrCreate(const std::string& name, size_t size, size_t zeroedPrefix) {
    bool created = false;
    const int fd = OpenObject(name, created);
    if (fd < 0) {
        return nullptr;
    }
    if (!Usable(fd, size)) {
        close(fd);
        return nullptr;
    }
    void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    auto* data = static_cast<uint8_t*>(view);
    auto impl = std::make_unique<Impl>();
    impl->fd = fd;
    std::unique_ptr<SharedMemory> block(new SharedMemory(std::move(impl), data, size, created));
    if (created) {
        if (!block->Intact()) {
            return nullptr;
        }
        std::memset(data, 0, zeroedPrefix < size ? zeroedPrefix : size);
    }
    return block;
}

bool SharedMemory::Intact() const {
    struct stat info {};
    return fstat(impl_->fd, &info) == 0 && static_cast<size_t>(info.st_size) >= size_;
}

void SharedMemory::Unlink(const std::string& name) { shm_unlink(ObjectName(name).c_str()); }

SharedMemory::SharedMemory(std::unique_ptr<Impl> impl, uint8_t* data, size_t size, bool created)
    : impl_(std::move(impl)), data_(data), size_(size), created_(created) {}

SharedMemory::~SharedMemory() {
    munmap(data_, size_);
    close(impl_->fd);
}

}  // namespace tavrin::platform

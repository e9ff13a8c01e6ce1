#include "platform/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tavrin::platform {

namespace {

class PosixReadOnlyFile final : public ReadOnlyFile {
public:
    PosixReadOnlyFile(int descriptor, uint64_t size) : descriptor_(descriptor), size_(size) {}
    ~PosixReadOnlyFile() override { close(descriptor_); }

    uint64_t Size() const override { return size_; }

    bool ReadAt(uint64_t offset, void* out, size_t count) const override {
        auto* bytes = static_cast<char*>(out);
        while (count > 0) {
            const ssize_t got = pread(descriptor_, bytes, count, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            bytes += got;
            offset += static_cast<uint64_t>(got);
            count -= static_cast<size_t>(got);
        }
        return true;
    }

private:
    int descriptor_;
    uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenReadOnlyFile(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    const int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat status{};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    return std::make_unique<PosixReadOnlyFile>(descriptor, static_cast<uint64_t>(status.st_size));
}

}  // namespace tavrin::platform

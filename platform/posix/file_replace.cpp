#include "platform/file_replace.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace tavrin::platform {

namespace {

// ".<16 hex digits>.tmp" after the (maybe shortened) stem of the target.
constexpr size_t kSuffixBytes = 1 + 16 + 4;
constexpr int kAttempts = 64;

bool RandomWord(uint64_t& value) {
    auto* bytes = reinterpret_cast<unsigned char*>(&value);
    size_t filled = 0;
    while (filled < sizeof value) {
        const ssize_t got = getrandom(bytes + filled, sizeof value - filled, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        filled += static_cast<size_t>(got);
    }
    if (filled == sizeof value) {
        return true;
    }
    const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = read(fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
    close(fd);
    return ok;
}

}  // namespace

TemporaryFile::~TemporaryFile() {
    Close();
    if (!name_.empty() && !moved_) {
        unlink(name_.c_str());
    }
}

void TemporaryFile::Close() {
    if (handle_ >= 0) {
        close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

bool TemporaryFile::CreateBeside(const char* target) {
    if (handle_ >= 0 || target == nullptr || target[0] == '\0') {
        return false;
    }
    const char* slash = std::strrchr(target, '/');
    const std::string folder(target, slash != nullptr ? static_cast<size_t>(slash + 1 - target) : 0);
    std::string stem(target + folder.size());
    if (stem.size() > NAME_MAX - kSuffixBytes) {
        stem.resize(NAME_MAX - kSuffixBytes);
    }
    // A new file gets the usual bits (0666 less the umask); a replaced one
    // keeps its own, set when the file is complete (they may not let us
    // write), and until then only we may read it.
    struct stat existing {};
    const bool replacing = stat(target, &existing) == 0 && S_ISREG(existing.st_mode);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        uint64_t random = 0;
        if (!RandomWord(random)) {
            return false;
        }
        char suffix[kSuffixBytes + 1];
        std::snprintf(suffix, sizeof suffix, ".%016" PRIx64 ".tmp", random);
        const std::string name = folder + stem + suffix;
        const int fd =
            open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, replacing ? 0600 : 0666);
        if (fd < 0) {
            if (errno == EEXIST || errno == ELOOP) {
                continue;
            }
            return false;
        }
        handle_ = fd;
        name_ = name;
        keptMode_ = replacing ? static_cast<int>(existing.st_mode & 0777) : -1;
        // The descriptor's own entry reaches this file whatever happens to
        // its name; where /proc is missing, the name is all there is.
        writePath_ = "/proc/self/fd/" + std::to_string(fd);
        struct stat opened {};
        struct stat reached {};
        if (fstat(fd, &opened) != 0 || stat(writePath_.c_str(), &reached) != 0 || opened.st_dev != reached.st_dev ||
            opened.st_ino != reached.st_ino) {
            writePath_ = name_;
        }
        return true;
    }
    return false;
}

bool TemporaryFile::MoveOver(const char* target) {
    if (handle_ < 0 || moved_) {
        return false;
    }
    if (keptMode_ >= 0 && fchmod(static_cast<int>(handle_), static_cast<mode_t>(keptMode_)) != 0) {
        return false;
    }
    moved_ = std::rename(name_.c_str(), target) == 0;
    Close();
    return moved_;
}

bool IsReplaceableFile(const char* path) {
    // lstat: a symbolic link is written through in place, so that the link
    // stays and its target changes, as it would without the temporary file.
    struct stat status {};
    if (lstat(path, &status) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(status.st_mode);
}

}  // namespace tavrin::platform

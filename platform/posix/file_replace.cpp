#include "platform/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavrin::platform {

namespace {

// ".<16 hex digits>.tmp" after the (maybe shortened) stem of the target.
constexpr size_t kRandomDigits = 16;
constexpr size_t kSuffixBytes = 1 + kRandomDigits + 4;
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

// The folder part (with its '/', or empty) and the name.
std::pair<std::string, std::string> SplitPath(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const size_t folder = slash != nullptr ? static_cast<size_t>(slash + 1 - path) : 0;
    return {std::string(path, folder), std::string(path + folder)};
}

bool IsTemporaryName(const char* name) {
    const size_t length = std::strlen(name);
    if (length < kSuffixBytes || std::strcmp(name + length - 4, ".tmp") != 0 || name[length - kSuffixBytes] != '.') {
        return false;
    }
    const char* digits = name + length - kSuffixBytes + 1;
    return std::all_of(digits, digits + kRandomDigits, [](char c) { return std::strchr("0123456789abcdef", c); });
}

// A save killed before its rename leaves its temporary file. A live save
// holds a lock on its own, which goes with its process; a file of ours that
// nobody holds is left over, and goes.
void RemoveStaleTemporaryFiles(const std::string& folder) {
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr) {
        return;
    }
    const int folderFd = dirfd(directory);
    while (const dirent* entry = readdir(directory)) {
        if (!IsTemporaryName(entry->d_name)) {
            continue;
        }
        const int fd = openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat opened {};
        struct stat named {};
        if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == geteuid() &&
            flock(fd, LOCK_EX | LOCK_NB) == 0 && fstatat(folderFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            unlinkat(folderFd, entry->d_name, 0);
        }
        close(fd);
    }
    closedir(directory);
}

bool WriteAll(int fd, const char* data, size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t written = pwrite(fd, data, size, offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

}  // namespace

SaveTarget ExamineSaveTarget(const char* path) {
    SaveTarget target{SaveTarget::Way::kReplace, path, false};
    struct stat status {};
    if (lstat(path, &status) != 0) {
        return target;  // a new file
    }
    if (S_ISLNK(status.st_mode)) {
        // The link stays; the file it names is the one saved. A link that
        // names nothing yet is written through, which makes that file.
        char* resolved = realpath(path, nullptr);
        if (resolved == nullptr || stat(resolved, &status) != 0) {
            std::free(resolved);
            target.way = SaveTarget::Way::kDirect;
            return target;
        }
        target.path = resolved;
        std::free(resolved);
    }
    // Devices and pipes cannot be replaced by a rename.
    if (!S_ISREG(status.st_mode)) {
        target.way = SaveTarget::Way::kDirect;
        return target;
    }
    target.exists = true;
    if (status.st_nlink > 1) {
        target.way = SaveTarget::Way::kRewrite;
    }
    return target;
}

TemporaryFile::~TemporaryFile() { Discard(); }

void TemporaryFile::Close() {
    if (handle_ >= 0) {
        close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

void TemporaryFile::Discard() {
    Close();
    if (!name_.empty() && !moved_) {
        unlink(name_.c_str());
    }
    name_.clear();
}

bool TemporaryFile::CreateIn(const std::string& folder, std::string stem, int mode) {
    RemoveStaleTemporaryFiles(folder);
    if (stem.size() > NAME_MAX - kSuffixBytes) {
        stem.resize(NAME_MAX - kSuffixBytes);
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        uint64_t random = 0;
        if (!RandomWord(random)) {
            return false;
        }
        char suffix[kSuffixBytes + 1];
        std::snprintf(suffix, sizeof suffix, ".%016" PRIx64 ".tmp", random);
        const std::string name = folder + stem + suffix;
        const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd < 0) {
            if (errno == EEXIST || errno == ELOOP) {
                continue;
            }
            return false;
        }
        // Locked while it lives, so that other saves in the folder leave it;
        // a save that took it for left over an instant ago removes it.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            close(fd);
            continue;
        }
        handle_ = fd;
        name_ = name;
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

bool TemporaryFile::CreateBeside(const char* target) {
    if (handle_ >= 0 || target == nullptr || target[0] == '\0') {
        return false;
    }
    // A new file gets the usual bits (0666 less the umask); a replaced one
    // keeps its own, set when the file is complete, and until then only we
    // may read it.
    struct stat existing {};
    const bool replacing = stat(target, &existing) == 0 && S_ISREG(existing.st_mode);
    const auto [folder, name] = SplitPath(target);
    if (!CreateIn(folder, name, replacing ? 0600 : 0666)) {
        return false;
    }
    if (!replacing) {
        return true;
    }
    keptMode_ = static_cast<int>(existing.st_mode & 0777);
    // The owner and group stay: root may give any, an owner its own groups.
    struct stat made {};
    if (fstat(static_cast<int>(handle_), &made) != 0 ||
        ((made.st_uid != existing.st_uid || made.st_gid != existing.st_gid) &&
         fchown(static_cast<int>(handle_), existing.st_uid, existing.st_gid) != 0)) {
        Discard();
        return false;
    }
    return true;
}

bool TemporaryFile::CreateStaging(const char* target) {
    if (handle_ >= 0 || target == nullptr || target[0] == '\0') {
        return false;
    }
    const auto [folder, name] = SplitPath(target);
    if (CreateIn(folder, name, 0600)) {
        return true;
    }
    const char* temporary = std::getenv("TMPDIR");
    return CreateIn(std::string(temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp") + "/", name, 0600);
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

bool TemporaryFile::CopyInto(const char* target) {
    struct stat staged {};
    if (handle_ < 0 || fstat(static_cast<int>(handle_), &staged) != 0) {
        return false;
    }
    const int source = static_cast<int>(handle_);
    const int out = open(target, O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (out < 0) {
        return false;
    }
    // The room first: on a full disk the file is refused before any of its
    // bytes change. File systems that reserve nothing go on.
    const off_t size = staged.st_size;
    bool ok = size == 0 || fallocate(out, FALLOC_FL_KEEP_SIZE, 0, size) == 0 || errno == EOPNOTSUPP ||
              errno == ENOSYS;
    char buffer[1 << 16];
    for (off_t offset = 0; ok && offset < size;) {
        const ssize_t got = pread(source, buffer, static_cast<size_t>(std::min<off_t>(sizeof buffer, size - offset)),
                                  offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        ok = got > 0 && WriteAll(out, buffer, static_cast<size_t>(got), offset);
        offset += got;
    }
    ok = ok && ftruncate(out, size) == 0;
    return close(out) == 0 && ok;
}

}  // namespace tavrin::platform

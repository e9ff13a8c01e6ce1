#include "platform/file_replace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace tavrin::platform {

std::string TemporaryNameBeside(const char* target) {
    static std::atomic<unsigned> counter{0};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld-%ld-%u.tmp", static_cast<long>(getpid()), static_cast<long>(gettid()),
                  counter.fetch_add(1, std::memory_order_relaxed));
    return std::string(target) + suffix;
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

bool MoveOverFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool RemoveFile(const char* path) { return unlink(path) == 0; }

}  // namespace tavrin::platform

#include "platform/file_replace.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace tavrin::platform {

std::string TemporaryNameBeside(const char* target) {
    static std::atomic<unsigned> counter{0};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%lu-%lu-%u.tmp", GetCurrentProcessId(), GetCurrentThreadId(),
                  counter.fetch_add(1, std::memory_order_relaxed));
    return std::string(target) + suffix;
}

bool IsReplaceableFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND;
    }
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool MoveOverFile(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) { return DeleteFileA(path) != 0; }

}  // namespace tavrin::platform

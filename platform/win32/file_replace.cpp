#include "platform/file_replace.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace tavrin::platform {

namespace {

// ".<16 hex digits>.tmp" after the (maybe shortened) stem of the target.
constexpr size_t kSuffixBytes = 1 + 16 + 4;
constexpr size_t kNameLimit = 255;
constexpr int kAttempts = 64;

// CREATE_NEW never opens what is already there, so the name need only differ
// between calls; the counter, the thread, the process and the clock mixed.
uint64_t NextWord() {
    static std::atomic<uint64_t> counter{0};
    LARGE_INTEGER clock{};
    QueryPerformanceCounter(&clock);
    uint64_t value = static_cast<uint64_t>(clock.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 40) ^
                     (uint64_t{GetCurrentThreadId()} << 20) ^ counter.fetch_add(1, std::memory_order_relaxed);
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDull;
    value ^= value >> 33;
    return value;
}

}  // namespace

TemporaryFile::~TemporaryFile() {
    Close();
    if (!name_.empty() && !moved_) {
        DeleteFileA(name_.c_str());
    }
}

void TemporaryFile::Close() {
    if (handle_ != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = -1;
    }
}

bool TemporaryFile::CreateBeside(const char* target) {
    if (handle_ != -1 || target == nullptr || target[0] == '\0') {
        return false;
    }
    const char* slash = std::strrchr(target, '/');
    const char* backslash = std::strrchr(target, '\\');
    if (backslash != nullptr && (slash == nullptr || backslash > slash)) {
        slash = backslash;
    }
    const std::string folder(target, slash != nullptr ? static_cast<size_t>(slash + 1 - target) : 0);
    std::string stem(target + folder.size());
    if (stem.size() > kNameLimit - kSuffixBytes) {
        stem.resize(kNameLimit - kSuffixBytes);
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char suffix[kSuffixBytes + 1];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(NextWord()));
        const std::string name = folder + stem + suffix;
        // Held open without delete sharing while the writer fills it, so
        // that nobody can rename it away or put something else at its name.
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            return false;
        }
        handle_ = reinterpret_cast<intptr_t>(file);
        name_ = name;
        writePath_ = name;
        return true;
    }
    return false;
}

bool TemporaryFile::MoveOver(const char* target) {
    if (handle_ == -1 || moved_) {
        return false;
    }
    Close();
    moved_ = MoveFileExA(name_.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    return moved_;
}

bool IsReplaceableFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND;
    }
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

}  // namespace tavrin::platform

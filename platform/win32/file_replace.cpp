#include "platform/file_replace.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace tavrin::platform {

namespace {

// ".<16 hex digits>.tmp" after the (maybe shortened) stem of the target.
constexpr size_t kRandomDigits = 16;
constexpr size_t kSuffixBytes = 1 + kRandomDigits + 4;
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

// The folder part (with its separator, or empty) and the name.
std::pair<std::string, std::string> SplitPath(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const char* backslash = std::strrchr(path, '\\');
    if (backslash != nullptr && (slash == nullptr || backslash > slash)) {
        slash = backslash;
    }
    const size_t folder = slash != nullptr ? static_cast<size_t>(slash + 1 - path) : 0;
    return {std::string(path, folder), std::string(path + folder)};
}

bool IsTemporaryName(const char* name) {
    const size_t length = std::strlen(name);
    if (length < kSuffixBytes || _stricmp(name + length - 4, ".tmp") != 0 || name[length - kSuffixBytes] != '.') {
        return false;
    }
    const char* digits = name + length - kSuffixBytes + 1;
    return std::all_of(digits, digits + kRandomDigits, [](char c) { return std::strchr("0123456789abcdef", c); });
}

// A save killed before its rename leaves its temporary file. A live save
// keeps its own open without delete sharing, so only left-over ones go.
void RemoveStaleTemporaryFiles(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
            IsTemporaryName(found.cFileName)) {
            DeleteFileA((folder + found.cFileName).c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The file a symbolic link (or junction) leads to, or nothing.
bool ResolveLink(const char* path, std::string& resolved) {
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char name[MAX_PATH * 4];
    const DWORD length = GetFinalPathNameByHandleA(file, name, sizeof name, FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (length == 0 || length >= sizeof name) {
        return false;
    }
    resolved.assign(name, length);
    if (resolved.rfind("\\\\?\\", 0) == 0 && resolved.rfind("\\\\?\\UNC\\", 0) != 0) {
        resolved.erase(0, 4);
    }
    return true;
}

DWORD LinkCount(const char* path) {
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    return known ? information.nNumberOfLinks : 1;
}

bool WriteAll(HANDLE file, const char* data, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, data, size, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

SaveTarget ExamineSaveTarget(const char* path) {
    SaveTarget target{SaveTarget::Way::kReplace, path, false};
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return target;  // a new file
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // The link stays; the file it leads to is the one saved.
        if (!ResolveLink(path, target.path) ||
            (attributes = GetFileAttributesA(target.path.c_str())) == INVALID_FILE_ATTRIBUTES) {
            target.path = path;
            target.way = SaveTarget::Way::kDirect;
            return target;
        }
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        target.way = SaveTarget::Way::kDirect;
        return target;
    }
    target.exists = true;
    if (LinkCount(target.path.c_str()) > 1) {
        target.way = SaveTarget::Way::kRewrite;
    }
    return target;
}

TemporaryFile::~TemporaryFile() { Discard(); }

void TemporaryFile::Close() {
    if (handle_ != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = -1;
    }
}

void TemporaryFile::Discard() {
    Close();
    if (!name_.empty() && !moved_) {
        DeleteFileA(name_.c_str());
    }
    name_.clear();
}

bool TemporaryFile::CreateIn(const std::string& folder, std::string stem, int) {
    RemoveStaleTemporaryFiles(folder);
    if (stem.size() > kNameLimit - kSuffixBytes) {
        stem.resize(kNameLimit - kSuffixBytes);
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char suffix[kSuffixBytes + 1];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(NextWord()));
        const std::string name = folder + stem + suffix;
        // Held open without delete sharing while the writer fills it, so
        // that nobody can rename it away or put something else at its name.
        HANDLE file = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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

// The replacement takes the target's security (owner and access list) and
// attributes at MoveOver, from ReplaceFile.
bool TemporaryFile::CreateBeside(const char* target) {
    if (handle_ != -1 || target == nullptr || target[0] == '\0') {
        return false;
    }
    const auto [folder, name] = SplitPath(target);
    return CreateIn(folder, name, 0);
}

bool TemporaryFile::CreateStaging(const char* target) {
    if (handle_ != -1 || target == nullptr || target[0] == '\0') {
        return false;
    }
    const auto [folder, name] = SplitPath(target);
    if (CreateIn(folder, name, 0)) {
        return true;
    }
    char temporary[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof temporary, temporary);
    return length > 0 && length < sizeof temporary && CreateIn(std::string(temporary, length), name, 0);
}

bool TemporaryFile::MoveOver(const char* target) {
    if (handle_ == -1 || moved_) {
        return false;
    }
    Close();
    // ReplaceFile keeps the replaced file's owner, access list and
    // attributes; a target that is gone meanwhile is simply made.
    moved_ = ReplaceFileA(target, name_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0 ||
             (GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES &&
              MoveFileExA(name_.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
    return moved_;
}

bool TemporaryFile::CopyInto(const char* target) {
    if (handle_ == -1) {
        return false;
    }
    const HANDLE source = reinterpret_cast<HANDLE>(handle_);
    LARGE_INTEGER size{};
    const LARGE_INTEGER start{};
    if (!GetFileSizeEx(source, &size) || !SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    HANDLE out = CreateFileA(target, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return false;
    }
    // The room first: on a full disk a file that grows is refused before
    // any of its bytes change. (A smaller allocation would cut the file.)
    LARGE_INTEGER current{};
    FILE_ALLOCATION_INFO room{};
    room.AllocationSize = size;
    bool ok = GetFileSizeEx(out, &current) &&
              (size.QuadPart <= current.QuadPart ||
               SetFileInformationByHandle(out, FileAllocationInfo, &room, sizeof room) != 0 ||
               GetLastError() != ERROR_DISK_FULL);
    char buffer[1 << 16];
    for (LONGLONG left = size.QuadPart; ok && left > 0;) {
        DWORD got = 0;
        ok = ReadFile(source, buffer, static_cast<DWORD>(std::min<LONGLONG>(sizeof buffer, left)), &got, nullptr) &&
             got > 0 && WriteAll(out, buffer, got);
        left -= got;
    }
    ok = ok && SetEndOfFile(out);
    return CloseHandle(out) && ok;
}

}  // namespace tavrin::platform

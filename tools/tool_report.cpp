#include "tools/tool_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "TavrinEx.h"

namespace tavrin::tool {

std::string ErrorName(int code) {
    char name[32];
    return TavrinEx_GetErrorName(code, name, sizeof name) ? name : "unknown error";
}

int Fail(int camera, const std::string& what, const std::string& hint) {
    std::fprintf(stderr, "tavrin: %s failed", what.c_str());
    const char* separator = ":";
    for (int code = Tavrin_GetLastError(camera); code != 0; code = Tavrin_GetLastError(camera)) {
        std::fprintf(stderr, "%s error %d (%s)", separator, code, ErrorName(code).c_str());
        separator = ",";
    }
    std::fprintf(stderr, "\n");
    if (!hint.empty()) {
        std::fprintf(stderr, "tavrin: %s\n", hint.c_str());
    }
    return 1;
}

// The SDK reports a failed write with its own codes only; opening the file
// the same way tells the user what the system objects to. A file that did
// not exist before is removed again.
std::string FileProblem(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return std::strerror(EISDIR);
    }
    const bool existed = std::filesystem::exists(path, ignored);
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        return std::strerror(errno);
    }
    std::fclose(file);
    if (!existed) {
        std::filesystem::remove(path, ignored);
    }
    return {};
}

}  // namespace tavrin::tool

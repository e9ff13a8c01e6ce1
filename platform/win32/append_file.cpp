#include "platform/append_file.h"

#include <windows.h>

#include <algorithm>

namespace tavrin::platform {

namespace {

std::string SystemText(DWORD code) {
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                   nullptr);
    std::string words = text;
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) {
        words.pop_back();
    }
    return words.empty() ? "error " + std::to_string(code) : words;
}

// Windows gathers writes only into unbuffered files from whole pages, so
// each piece is a write of its own; a file grows well on NTFS without room
// reserved ahead.
class Win32AppendFile final : public AppendFile {
public:
    explicit Win32AppendFile(HANDLE file) : file_(file) {}
    ~Win32AppendFile() override { Close(); }

    bool Append(std::span<const std::span<const uint8_t>> pieces) override {
        if (file_ == INVALID_HANDLE_VALUE || error_ != Error::kNone) {
            return false;
        }
        for (std::span<const uint8_t> piece : pieces) {
            while (!piece.empty()) {
                const DWORD asked = static_cast<DWORD>(std::min<size_t>(piece.size(), 1u << 30));
                DWORD wrote = 0;
                if (!WriteFile(file_, piece.data(), asked, &wrote, nullptr) || wrote == 0) {
                    return Fail();
                }
                piece = piece.subspan(wrote);
            }
        }
        return true;
    }

    bool Close() override {
        if (file_ == INVALID_HANDLE_VALUE) {
            return true;
        }
        const bool ok = CloseHandle(file_) != 0 || Fail();
        file_ = INVALID_HANDLE_VALUE;
        return ok;
    }

    Error LastError() const override { return error_; }
    const std::string& ErrorText() const override { return errorText_; }

private:
    bool Fail() {
        const DWORD code = GetLastError();
        if (error_ == Error::kNone) {
            error_ = code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL ? Error::kDiskFull : Error::kFailed;
            errorText_ = code != 0 ? SystemText(code) : "the system did not take the bytes";
        }
        return false;
    }

    HANDLE file_;
    Error error_ = Error::kNone;
    std::string errorText_;
};

}  // namespace

std::unique_ptr<AppendFile> CreateAppendFile(const char* path, std::string& error) {
    // Shared as the C library's fopen shares: others may read it meanwhile.
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemText(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32AppendFile>(file);
}

}  // namespace tavrin::platform

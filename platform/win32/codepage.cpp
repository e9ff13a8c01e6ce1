#include "platform/codepage.h"

#include <windows.h>

namespace tavrin::platform {
namespace {

constexpr int kAnsiBufferBytes = 1024;  // at most 1023 bytes and the NUL

}  // namespace

std::optional<std::string> Utf16ToAnsi(const char16_t* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    char buffer[kAnsiBufferBytes];
    const int written = WideCharToMultiByte(CP_THREAD_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, buffer,
                                            kAnsiBufferBytes, nullptr, nullptr);
    if (written <= 0) {
        return std::nullopt;  // does not fit, or cannot be converted
    }
    return std::string(buffer, static_cast<size_t>(written - 1));
}

std::u16string AnsiToUtf16(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string result(static_cast<size_t>(units > 0 ? units : 0), u'\0');
    if (units > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                            reinterpret_cast<wchar_t*>(result.data()), units);
    }
    return result;
}

}  // namespace tavrin::platform

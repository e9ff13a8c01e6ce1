#include "platform/codepage.h"

#include <iconv.h>
#include <langinfo.h>

#include <cstring>

namespace tavrin::platform {
namespace {

constexpr size_t kMaxAnsiBytes = 1023;

// Converts between encodings in one go; nullopt when a character has no
// representation or the output would exceed limit bytes.
std::optional<std::string> Iconv(const char* to, const char* from, const char* input, size_t inputBytes, size_t limit) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string output(limit, '\0');
    char* in = const_cast<char*>(input);
    char* out = output.data();
    size_t outLeft = limit;
    const size_t result = iconv(cd, &in, &inputBytes, &out, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1) || result != 0) {
        return std::nullopt;  // unconvertible, invalid or too long
    }
    output.resize(limit - outLeft);
    return output;
}

}  // namespace

std::optional<std::string> Utf16ToAnsi(const char16_t* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    size_t units = 0;
    while (text[units] != 0) {
        ++units;
    }
    return Iconv(nl_langinfo(CODESET), "UTF-16LE", reinterpret_cast<const char*>(text), units * sizeof(char16_t),
                 kMaxAnsiBytes);
}

std::u16string AnsiToUtf16(const std::string& text) {
    const auto bytes = Iconv("UTF-16LE", nl_langinfo(CODESET), text.data(), text.size(), text.size() * 4 + 4);
    if (!bytes) {
        return {};
    }
    std::u16string result(bytes->size() / 2, u'\0');
    std::memcpy(result.data(), bytes->data(), result.size() * 2);
    return result;
}

}  // namespace tavrin::platform

// On POSIX systems file names are bytes, and programs name files in UTF-8
// whatever locale they run in (a host that never calls setlocale runs in the
// "C" locale, whose codeset is ASCII): the wide names convert to and from
// UTF-8 directly.
#include "platform/codepage.h"

namespace tavrin::platform {
namespace {

constexpr size_t kMaxAnsiBytes = 1023;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | point >> 18);
        out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// The code point starting at text[i] (advancing i), or nullopt for bytes
// that are not UTF-8: stray continuation bytes, overlong forms, surrogates,
// points beyond U+10FFFF, a sequence cut short.
std::optional<char32_t> NextUtf8(const std::string& text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) {
        return lead;
    }
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0 || lead > 0xF4) {
        return std::nullopt;
    }
    char32_t point = lead & (0x3F >> more);
    for (int k = 0; k < more; ++k, ++i) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return std::nullopt;
        }
        point = point << 6 | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (point < kSmallest[more] || point > 0x10FFFF || IsHighSurrogate(point) || IsLowSurrogate(point)) {
        return std::nullopt;
    }
    return point;
}

}  // namespace

std::optional<std::string> Utf16ToAnsi(const char16_t* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    std::string out;
    for (size_t i = 0; text[i] != 0; ++i) {
        char32_t point = text[i];
        if (IsHighSurrogate(point) && IsLowSurrogate(text[i + 1])) {
            point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (IsHighSurrogate(point) || IsLowSurrogate(point)) {
            return std::nullopt;  // half of a pair names no character
        }
        AppendUtf8(out, point);
        if (out.size() > kMaxAnsiBytes) {
            return std::nullopt;
        }
    }
    return out;
}

std::u16string AnsiToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const auto point = NextUtf8(text, i);
        if (!point) {
            return {};
        }
        if (*point >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((*point - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((*point - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(*point);
        }
    }
    return out;
}

}  // namespace tavrin::platform

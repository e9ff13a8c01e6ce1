// Conversions between UTF-16 names and the thread's ANSI code page.
#pragma once

#include <optional>
#include <string>

namespace tavrin::platform {

// Converts a NUL-terminated UTF-16 string to the thread's ANSI code page
// (the locale's codeset on POSIX). Fails (nullopt) when a character has no
// representation or the result needs more than 1023 bytes.
std::optional<std::string> Utf16ToAnsi(const char16_t* text);

// The ANSI string as UTF-16, for names handed out by wide exports.
std::u16string AnsiToUtf16(const std::string& text);

}  // namespace tavrin::platform

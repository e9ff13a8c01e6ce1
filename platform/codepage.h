// Conversions between UTF-16 names and the names the system's ANSI calls
// take: the thread's ANSI code page on Windows; UTF-8 on POSIX, where file
// names are bytes and programs name files in UTF-8 whatever their locale.
#pragma once

#include <optional>
#include <string>

namespace tavrin::platform {

// Converts a NUL-terminated UTF-16 string. Fails (nullopt) when a character
// has no representation (on POSIX: half of a surrogate pair) or the result
// needs more than 1023 bytes.
std::optional<std::string> Utf16ToAnsi(const char16_t* text);

// The ANSI string as UTF-16, for names handed out by wide exports; empty
// when it cannot be converted.
std::u16string AnsiToUtf16(const std::string& text);

}  // namespace tavrin::platform

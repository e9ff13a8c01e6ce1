// Text handed out through a caller's buffer: ASCII, NUL-terminated, cut to
// fit, as the exports that describe something promise.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace tavrin {

// Copies text into the caller's buffer of size bytes; nothing when the
// buffer is NULL or holds no byte.
inline void CopyTextOut(std::string_view text, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        return;
    }
    const size_t count = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
}

}  // namespace tavrin

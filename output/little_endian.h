// Little-endian stores for file headers, independent of the machine's order.
#pragma once

#include <cstdint>

namespace tavrin {

inline void StoreU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreU32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

// A four-character code as it appears in the file, e.g. "RIFF".
inline void StoreFourCC(uint8_t* at, const char (&code)[5]) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(code[i]);
    }
}

}  // namespace tavrin

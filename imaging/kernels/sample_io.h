// Little-endian sample access for the scalar kernels: images may start rows
// and pixels at any byte, so words are assembled byte by byte.
#pragma once

#include <cstdint>

namespace tavrin::rows {

inline uint16_t LoadWord(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

inline void StoreWord(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace tavrin::rows

// Row sums of the region means, per instruction set, and the AVX-512 version
// of the white balance's sums by column parity (the others are declared in
// balance_rows.h).
#pragma once

#include <cstdint>

namespace tavrin {

// Sum of `count` bytes.
uint64_t SumBytes_C(const uint8_t* row, int32_t count);
uint64_t SumBytes_AVX2(const uint8_t* row, int32_t count);
uint64_t SumBytes_AVX512(const uint8_t* row, int32_t count);
// Sum of ((v >> 2) & 0xFF) over `count` 16-bit samples.
uint64_t SumWords8BitForm_C(const uint8_t* row, int32_t count);
uint64_t SumWords8BitForm_AVX2(const uint8_t* row, int32_t count);
uint64_t SumWords8BitForm_AVX512(const uint8_t* row, int32_t count);
// See ParitySums_C in balance_rows.h.
void ParitySums_AVX512(const uint8_t* row, int32_t count, bool wide, uint64_t sums[2]);

}  // namespace tavrin

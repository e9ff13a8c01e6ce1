// AVX2 row sums for the region means. Internal to the measurement kernels.
#pragma once

#include <cstdint>

namespace tavrin {

// Sum of `count` bytes.
uint64_t SumBytesAvx2(const uint8_t* row, int32_t count);
// Sum of ((v >> 2) & 0xFF) over `count` 16-bit samples.
uint64_t SumWords8BitFormAvx2(const uint8_t* row, int32_t count);

}  // namespace tavrin

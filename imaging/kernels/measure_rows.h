// Row sums of the region means, per instruction set.
#pragma once

#include <cstdint>

namespace tavrin {

// Sum of `count` bytes.
uint64_t SumBytes_C(const uint8_t* row, int32_t count);
uint64_t SumBytes_AVX2(const uint8_t* row, int32_t count);
// Sum of ((v >> 2) & 0xFF) over `count` 16-bit samples.
uint64_t SumWords8BitForm_C(const uint8_t* row, int32_t count);
uint64_t SumWords8BitForm_AVX2(const uint8_t* row, int32_t count);

}  // namespace tavrin

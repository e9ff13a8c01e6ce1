// Row sums by column parity for the white balance, per instruction set.
#pragma once

#include <cstdint>

namespace tavrin {

// Adds the samples at even and at odd positions of a row of `count` packed
// samples (bytes, or 16-bit words when `wide`) to sums[0] and sums[1].
void ParitySums_C(const uint8_t* row, int32_t count, bool wide, uint64_t sums[2]);
void ParitySums_AVX2(const uint8_t* row, int32_t count, bool wide, uint64_t sums[2]);

}  // namespace tavrin

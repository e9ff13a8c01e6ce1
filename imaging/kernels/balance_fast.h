// AVX2 row sums by column parity for the white balance. Internal.
#pragma once

#include <cstdint>

namespace tavrin {

// Sums of the samples at even and at odd positions of a row of `count`
// samples (bytes, or 16-bit words when `wide`).
void ParitySumsAvx2(const uint8_t* row, int32_t count, bool wide, uint64_t sums[2]);

}  // namespace tavrin

// Applies a lookup table to the samples of an image: the common last step of
// the gamma and contrast kernels. Samples beyond the table take its last
// entry. Channels: 1 for gray images, 3 (blue, green, red) for colour images;
// a fourth channel is left alone.
#pragma once

#include <cstdint>

#include "imaging/kernels/tone_area.h"

namespace tavrin {

void ApplyTable8(const ToneArea& area, int32_t channels, const uint8_t* table256);
// `size` entries (a power of two up to 65536).
void ApplyTable16(const ToneArea& area, int32_t channels, const uint16_t* table, int32_t size);

namespace reference {
void ApplyTable8(const ToneArea& area, int32_t channels, const uint8_t* table256);
void ApplyTable16(const ToneArea& area, int32_t channels, const uint16_t* table, int32_t size);
}  // namespace reference

// The AVX2 variant for rows of one-byte samples; false when it does not
// handle the layout (the caller then uses the reference).
bool ApplyTable8Avx2(const ToneArea& area, int32_t channels, const uint8_t* table256);

}  // namespace tavrin

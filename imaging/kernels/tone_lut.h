// Applies a lookup table to the samples of an image in place: the common
// last step of the gamma and contrast kernels. Samples beyond the table take
// its last entry. Channels: 1 for gray images, 3 (blue, green, red) for
// colour images whose pixels are `bytesPerPixel` apart.
#pragma once

#include <cstdint>

#include "imaging/kernels/params.h"

namespace tavrin {

void ApplyTable8(uint8_t* image, const KernelRect& rect, int32_t x, int32_t y, int32_t bytesPerPixel,
                 int32_t stride, int32_t channels, const uint8_t (&table)[256]);
void ApplyTable16(uint8_t* image, const KernelRect& rect, int32_t x, int32_t y, int32_t bytesPerPixel,
                  int32_t stride, int32_t channels, const uint16_t (&table)[1024]);

namespace reference {
void ApplyTable8(uint8_t* image, const KernelRect& rect, int32_t x, int32_t y, int32_t bytesPerPixel,
                 int32_t stride, int32_t channels, const uint8_t (&table)[256]);
void ApplyTable16(uint8_t* image, const KernelRect& rect, int32_t x, int32_t y, int32_t bytesPerPixel,
                  int32_t stride, int32_t channels, const uint16_t (&table)[1024]);
}  // namespace reference

}  // namespace tavrin

// Sharpness: an unsharp mask of strength s (0..30) against the mean of the
// 4x4 window that ends one pixel below and right of each pixel. Destination
// is the output image, source its unchanged work copy; the two-pixel frame
// keeps its values.
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

TAVRIN_PIXEL_KERNEL(Sharpen8Mono);
TAVRIN_PIXEL_KERNEL(Sharpen8Rgb);
TAVRIN_PIXEL_KERNEL(Sharpen16Mono);
TAVRIN_PIXEL_KERNEL(Sharpen16Rgb);

}  // namespace tavrin

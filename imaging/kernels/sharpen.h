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

// Sharpen8Mono/Rgb and then a table of the sample over the whole destination
// (a per-sample step that follows, such as brightness), in one pass where
// the instruction set allows: byte for byte the two steps one after another.
struct SharpenTableParams {
    int32_t strength;
    const uint8_t* table256;
};
TAVRIN_PIXEL_KERNEL(SharpenTable8Mono);
TAVRIN_PIXEL_KERNEL(SharpenTable8Rgb);

}  // namespace tavrin

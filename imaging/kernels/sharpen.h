// Sharpness: an unsharp mask of strength s (0..30) against the mean of the
// 4x4 window that ends one pixel below and right of each pixel. Destination
// is the output image, source an unchanged copy of it (or the image itself
// with the in-place kernels below); the two-pixel frame keeps its values.
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

// The same steps in place (source and destination the same image), without
// a copy of it: `ring`, memory apart from the image of SharpenRingBytes
// (three rows without padding), keeps the rows the mask still reads after
// they are written. Given another source they read it and leave the ring
// alone. 8-bit images then go through `table256` when it is given, as
// SharpenTable8Mono/Rgb.
struct SharpenInPlaceParams {
    int32_t strength;
    int32_t bits;             // significant bits of 16-bit samples
    const uint8_t* table256;  // 8-bit samples only; may be null
    uint8_t* ring;
};
inline int32_t SharpenRingBytes(int32_t width, int32_t bytesPerPixel) { return 3 * width * bytesPerPixel; }
TAVRIN_PIXEL_KERNEL(SharpenInPlace8Mono);
TAVRIN_PIXEL_KERNEL(SharpenInPlace8Rgb);
TAVRIN_PIXEL_KERNEL(SharpenInPlace16Mono);
TAVRIN_PIXEL_KERNEL(SharpenInPlace16Rgb);

}  // namespace tavrin

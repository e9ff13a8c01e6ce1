// Sharpness: an unsharp mask of strength s (0..30) against the mean of the
// 4x4 window that ends one pixel below and right of each pixel. Destination
// is the output image, source an unchanged copy of it (or the image itself
// with the in-place kernels below); the two-pixel frame keeps its values.
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

bool Sharpen8Mono(const KernelArea& area, const ToneParams& params);
bool Sharpen8Rgb(const KernelArea& area, const ToneParams& params);
bool Sharpen16Mono(const KernelArea& area, const ToneParams& params);
bool Sharpen16Rgb(const KernelArea& area, const ToneParams& params);

// Sharpen8Mono/Rgb and then a table of the sample over the whole destination
// (a per-sample step that follows, such as brightness), in one pass where
// the instruction set allows: byte for byte the two steps one after another.
struct SharpenTableParams {
    int32_t strength;
    const uint8_t* table256;
};
bool SharpenTable8Mono(const KernelArea& area, const SharpenTableParams& params);
bool SharpenTable8Rgb(const KernelArea& area, const SharpenTableParams& params);

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
bool SharpenInPlace8Mono(const KernelArea& area, const SharpenInPlaceParams& params);
bool SharpenInPlace8Rgb(const KernelArea& area, const SharpenInPlaceParams& params);
bool SharpenInPlace16Mono(const KernelArea& area, const SharpenInPlaceParams& params);
bool SharpenInPlace16Rgb(const KernelArea& area, const SharpenInPlaceParams& params);

}  // namespace tavrin

// The clipping arithmetic of the two conversion drivers (CDibImage::Convert
// and CDibImage::ConvertScaled), apart from the image class so that it can be
// checked on its own.
//
// The driver's rectangle and position are in the graphics system's
// coordinates: since the header declares bottom-up rows, its line 0 is the
// LAST memory row. The kernel gets memory rows: source rows (SH - bottom,
// SH - top) and destination row DH - bottom.
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace tavrin {

// What a pixel kernel is called with: the clipped source rectangle in memory
// rows and the destination column and memory row.
struct ConversionPlacement {
    KernelRect rect{0, 0, 0, 0};
    int32_t dstX = 0;
    int32_t dstY = 0;
};

// Clips a conversion of `sourceRect` (or the whole source when null) placed
// at (x, y) of the destination against both images. Returns false (and an
// all-zero placement) when nothing is left to convert.
bool ClipConversion(ImageSize destination, ImageSize source, const KernelRect* sourceRect, int32_t x, int32_t y,
                    ConversionPlacement& placement);

}  // namespace tavrin

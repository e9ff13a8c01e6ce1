// Row walking shared by the mechanical conversion kernels (depth, flip,
// shift, channel order). A kernel walks the area row by row: source row i,
// or height - 1 - i for the flipping kernels, into destination row i, and
// hands each pair of row starts to a row function that converts `width`
// pixels.
//
// The kernels trust the rectangle they get: the driver has clipped it to
// both images. What they check themselves is that each image's bytes per
// pixel hold the samples they read or write; a mismatch does nothing.
#pragma once

#include <cstdint>

#include "imaging/kernels/kernel_area.h"

namespace tavrin::rows {

enum class RowOrder { kSame, kReversed };

template <typename RowFunction>
void WalkRows(const KernelArea& a, RowOrder order, RowFunction&& convertRow) {
    if (a.width <= 0 || a.height <= 0 || a.dst == nullptr || a.src == nullptr) {
        return;
    }
    for (int32_t i = 0; i < a.height; ++i) {
        convertRow(DestRowOf(a, i), SourceRowOf(a, order == RowOrder::kReversed ? a.height - 1 - i : i), a.width);
    }
}

// Every pixel of the area through convert(dstPixel, srcPixel).
template <typename PixelFunction>
void WalkPixels(const KernelArea& a, RowOrder order, PixelFunction&& convert) {
    WalkRows(a, order, [&](uint8_t* d, const uint8_t* s, int32_t width) {
        for (int32_t x = 0; x < width; ++x)
            convert(d + x * a.dstBytesPerPixel, s + x * a.srcBytesPerPixel);
    });
}

// Rows whose pixels are packed as the row function expects go through it
// whole; any other spacing goes pixel by pixel.
template <typename RowFunction, typename PixelFunction>
void WalkRowsOrPixels(const KernelArea& a, RowOrder order, bool packed, RowFunction&& convertRow,
                      PixelFunction&& convertPixel) {
    if (packed) {
        WalkRows(a, order, convertRow);
    } else {
        WalkPixels(a, order, convertPixel);
    }
}

}  // namespace tavrin::rows

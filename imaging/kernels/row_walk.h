// Row walking shared by the mechanical conversion kernels (depth, flip,
// shift, channel order). A kernel walks the driver's rectangle row by row:
// source row top + i, or bottom - 1 - i for the flipping kernels, into
// destination row dstY + i, and hands each pair of row starts to a row
// function that converts `width` pixels.
//
// The kernels trust the rectangle they get: the driver has clipped it to
// both images. What they check themselves is that each image's bytes per
// pixel hold the samples they read or write; a mismatch does nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace tavrin::rows {

enum class RowOrder { kSame, kReversed };

template <typename RowFunction>
void WalkRows(uint8_t* dst, const uint8_t* src, const KernelRect& rect, int32_t dstX, int32_t dstY,
              uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
              RowOrder order, RowFunction&& convertRow) {
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || dst == nullptr || src == nullptr) {
        return;
    }
    const ptrdiff_t srcColumnOffset = static_cast<ptrdiff_t>(rect.left) * srcBytesPerPixel;
    const ptrdiff_t dstColumnOffset = static_cast<ptrdiff_t>(dstX) * dstBytesPerPixel;
    for (int32_t i = 0; i < height; ++i) {
        const int32_t srcRow = order == RowOrder::kReversed ? rect.bottom - 1 - i : rect.top + i;
        convertRow(dst + static_cast<ptrdiff_t>(dstY + i) * dstStride + dstColumnOffset,
                   src + static_cast<ptrdiff_t>(srcRow) * srcStride + srcColumnOffset, width);
    }
}

}  // namespace tavrin::rows

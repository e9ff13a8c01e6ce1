#include "imaging/kernels/respace.h"

#include <cstddef>

#include "imaging/kernels/dispatch.h"

namespace tavrin {
namespace {

int32_t Respace(uint8_t* dst, const uint8_t* src, const KernelRect& rect, int32_t dstX, int32_t dstY, uint16_t dstBpp,
                uint16_t srcBpp, int32_t dstStride, int bytesPerPixel) {
    if (dstBpp != bytesPerPixel || srcBpp != bytesPerPixel) {
        return 0;
    }
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || dst == nullptr || src == nullptr) {
        return 1;
    }
    const ptrdiff_t packedRowBytes = static_cast<ptrdiff_t>(width) * bytesPerPixel;
    // Rows go bottom up: each packed row moves to its place at or after its
    // start, so no row is overwritten before it has moved. A row and its new
    // place may overlap, which the move allows for.
    const auto move = Kernels().moveBytes;
    for (int32_t r = height - 1; r >= 0; --r) {
        move(dst + static_cast<ptrdiff_t>(dstY + r) * dstStride + static_cast<ptrdiff_t>(dstX) * bytesPerPixel,
             src + r * packedRowBytes, static_cast<int32_t>(packedRowBytes));
    }
    return 1;
}

}  // namespace

TAVRIN_PIXEL_KERNEL(Respace8) {
    return Respace(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, 1);
}

TAVRIN_PIXEL_KERNEL(Respace16) {
    return Respace(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, 2);
}

}  // namespace tavrin

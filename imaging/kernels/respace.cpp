#include "imaging/kernels/respace.h"

#include <cstddef>
#include <cstring>

#include "imaging/kernels/dispatch.h"

namespace tavrin {
namespace {

int32_t Respace(uint8_t* dst, const uint8_t* src, const KernelRect& rect, int32_t dstX, int32_t dstY,
                uint16_t dstBpp, uint16_t srcBpp, int32_t dstStride, int bytesPerPixel) {
    if (dstBpp != bytesPerPixel || srcBpp != bytesPerPixel) {
        return 0;
    }
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || dst == nullptr || src == nullptr) {
        return 1;
    }
    const ptrdiff_t packedRowBytes = static_cast<ptrdiff_t>(width) * bytesPerPixel;
    const bool fast = UseFastKernels();
    for (int32_t r = height - 1; r >= 0; --r) {
        const uint8_t* from = src + r * packedRowBytes;
        uint8_t* to = dst + static_cast<ptrdiff_t>(dstY + r) * dstStride + static_cast<ptrdiff_t>(dstX) * bytesPerPixel;
        if (fast) {
            // A packed row and its new place may overlap; memmove copies as if
            // through a buffer, which gives the same bytes as the backward walk.
            std::memmove(to, from, static_cast<size_t>(packedRowBytes));
            continue;
        }
        for (ptrdiff_t b = packedRowBytes - 1; b >= 0; --b) {
            to[b] = from[b];
        }
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

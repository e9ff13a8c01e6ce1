#include "imaging/kernels/respace.h"

#include <cstddef>

#include "imaging/kernels/dispatch.h"

namespace tavrin {
namespace {

bool Respace(const KernelArea& area, int32_t bytesPerPixel) {
    if (area.dstBytesPerPixel != bytesPerPixel || area.srcBytesPerPixel != bytesPerPixel) {
        return false;
    }
    if (area.width <= 0 || area.height <= 0 || area.dst == nullptr || area.src == nullptr) {
        return true;
    }
    const ptrdiff_t packedRowBytes = static_cast<ptrdiff_t>(area.width) * bytesPerPixel;
    // Rows go bottom up: each packed row moves to its place at or after its
    // start, so no row is overwritten before it has moved. A row and its new
    // place may overlap, which the move allows for.
    const auto move = Kernels().moveBytes;
    for (int32_t r = area.height - 1; r >= 0; --r) {
        move(area.dst + static_cast<ptrdiff_t>(area.dstY + r) * area.dstStride +
                 static_cast<ptrdiff_t>(area.dstX) * bytesPerPixel,
             area.src + r * packedRowBytes, static_cast<int32_t>(packedRowBytes));
    }
    return true;
}

}  // namespace

bool Respace8(const KernelArea& area) { return Respace(area, 1); }

bool Respace16(const KernelArea& area) { return Respace(area, 2); }

}  // namespace tavrin

#include "imaging/kernels/flip.h"

#include <algorithm>
#include <cstddef>

#include "imaging/kernels/depth_rows.h"
#include "imaging/kernels/dispatch.h"

namespace tavrin {

TAVRIN_PIXEL_KERNEL(FlipCopy) {
    const int32_t height = rect.bottom - rect.top;
    const int32_t rowBytes = std::min(dstStride, srcStride);
    if (height <= 0 || rowBytes <= 0 || dst == nullptr || src == nullptr) {
        return 1;
    }
    const auto move = Kernels().moveBytes;
    for (int32_t i = 0; i < height; ++i) {
        move(dst + static_cast<ptrdiff_t>(dstY + i) * dstStride,
             src + static_cast<ptrdiff_t>(rect.bottom - 1 - i) * srcStride, rowBytes);
    }
    return 1;
}

TAVRIN_PIXEL_KERNEL(Rgb24Flip) { return rows::CopyRgbBytes(TAVRIN_KERNEL_AREA, rows::RowOrder::kReversed); }

}  // namespace tavrin

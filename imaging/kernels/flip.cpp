#include "imaging/kernels/flip.h"

#include <algorithm>
#include <cstddef>

#include "imaging/kernels/depth_rows.h"
#include "imaging/kernels/dispatch.h"

namespace tavrin {

bool FlipCopy(const KernelArea& area) {
    const int32_t rowBytes = std::min(area.dstStride, area.srcStride);
    if (area.height <= 0 || rowBytes <= 0 || area.dst == nullptr || area.src == nullptr) {
        return true;
    }
    const auto move = Kernels().moveBytes;
    for (int32_t i = 0; i < area.height; ++i) {
        move(area.dst + static_cast<ptrdiff_t>(area.dstY + i) * area.dstStride,
             area.src + static_cast<ptrdiff_t>(area.top + area.height - 1 - i) * area.srcStride, rowBytes);
    }
    return true;
}

bool Rgb24Flip(const KernelArea& area) { return rows::CopyRgbBytes(area, rows::RowOrder::kReversed); }

}  // namespace tavrin

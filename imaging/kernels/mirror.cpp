#include "imaging/kernels/mirror.h"

#include <algorithm>
#include <cstddef>

#include "imaging/kernels/dispatch.h"

namespace tavrin {

void MirrorInPlace(uint8_t* pixels, int32_t width, int32_t height, int32_t stride, int32_t bytesPerPixel,
                   bool horizontal, bool vertical) {
    if (pixels == nullptr || width <= 0 || height <= 0 || stride <= 0 || bytesPerPixel <= 0)
        return;
    const auto rowAt = [&](int32_t y) { return pixels + static_cast<ptrdiff_t>(y) * stride; };
    if (horizontal) {
        const auto mirrorRow = Kernels().mirrorRow;
        for (int32_t y = 0; y < height; ++y)
            mirrorRow(rowAt(y), width, bytesPerPixel);
    }
    if (vertical) {
        for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(rowAt(top), rowAt(top) + stride, rowAt(bottom));
        }
    }
}

}  // namespace tavrin

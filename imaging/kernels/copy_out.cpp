#include "imaging/kernels/copy_out.h"

#include <cstddef>

#include "imaging/kernels/dispatch.h"

namespace tavrin {

bool CopyRowsOut(const uint8_t* pixels, int32_t height, int32_t stride, uint8_t* buffer, int64_t bufferSize,
                 int32_t rowOrder) {
    if (height < 0 || stride < 0)
        return false;
    const int64_t needed = static_cast<int64_t>(height) * stride;
    if (buffer == nullptr || bufferSize < needed || (needed > 0 && pixels == nullptr))
        return false;
    const auto move = Kernels().moveBytes;
    for (int32_t y = 0; y < height; ++y) {
        const int32_t source = rowOrder != kBottomRowFirst ? y : height - 1 - y;
        move(buffer + static_cast<ptrdiff_t>(y) * stride, pixels + static_cast<ptrdiff_t>(source) * stride, stride);
    }
    return true;
}

}  // namespace tavrin

#include "imaging/kernels/copy_rows.h"

#include <cstddef>
#include <cstring>
#include <algorithm>

namespace tavrin::rows {
namespace {

// Pixels of a size known at compile time swap as whole blocks, which the
// compiler turns into a few loads and stores per pair.
template <int32_t kBytes>
void MirrorFixed(uint8_t* row, int32_t width) {
    for (int32_t left = 0, right = width - 1; left < right; ++left, --right) {
        uint8_t a[kBytes];
        std::memcpy(a, row + static_cast<ptrdiff_t>(left) * kBytes, kBytes);
        std::memcpy(row + static_cast<ptrdiff_t>(left) * kBytes, row + static_cast<ptrdiff_t>(right) * kBytes, kBytes);
        std::memcpy(row + static_cast<ptrdiff_t>(right) * kBytes, a, kBytes);
    }
}

}  // namespace

void MoveBytes_C(uint8_t* dst, const uint8_t* src, int32_t bytes) {
    if (dst <= src) {
        for (int32_t i = 0; i < bytes; ++i)
            dst[i] = src[i];
    } else {
        for (int32_t i = bytes - 1; i >= 0; --i)
            dst[i] = src[i];
    }
}

void MoveBytes_SSE2(uint8_t* dst, const uint8_t* src, int32_t bytes) {
    if (bytes > 0)
        std::memmove(dst, src, static_cast<size_t>(bytes));
}

void MirrorRow_C(uint8_t* row, int32_t width, int32_t bytesPerPixel) {
    switch (bytesPerPixel) {
    case 1:
        MirrorFixed<1>(row, width);
        return;
    case 2:
        MirrorFixed<2>(row, width);
        return;
    case 3:
        MirrorFixed<3>(row, width);
        return;
    case 4:
        MirrorFixed<4>(row, width);
        return;
    case 6:
        MirrorFixed<6>(row, width);
        return;
    case 8:
        MirrorFixed<8>(row, width);
        return;
    default:
        break;
    }
    for (int32_t left = 0, right = width - 1; left < right; ++left, --right) {
        std::swap_ranges(row + static_cast<ptrdiff_t>(left) * bytesPerPixel,
                         row + static_cast<ptrdiff_t>(left + 1) * bytesPerPixel,
                         row + static_cast<ptrdiff_t>(right) * bytesPerPixel);
    }
}

}  // namespace tavrin::rows

#include "imaging/kernels/scale.h"

#include <algorithm>
#include <cstddef>

namespace tavrin {
namespace {

// trunc(step * ratio), limited to 0..limit - 1 (computed in float, as the
// preview always has, and limited before the conversion so it cannot overflow).
int32_t SourceStep(int32_t step, float ratio, int32_t limit) {
    const float position = static_cast<float>(step) * ratio;
    if (!(position > 0.0f)) {
        return 0;
    }
    if (position >= static_cast<float>(limit - 1)) {
        return limit - 1;
    }
    return static_cast<int32_t>(position);
}

bool Scale(const ScaleArea& area, int pixelBytes) {
    const auto& [dst, src, dstRect, srcRect, dstSize, srcSize, dstBpp, srcBpp, dstStride, srcStride] = area;
    const int32_t dstWidth = dstRect.right - dstRect.left;
    const int32_t dstHeight = dstRect.bottom - dstRect.top;
    if (dstBpp < pixelBytes || srcBpp < pixelBytes) {
        return false;
    }
    if (dstWidth <= 0 || dstHeight <= 0 || srcSize.width <= 0 || srcSize.height <= 0 || dst == nullptr ||
        src == nullptr) {
        return true;
    }
    const float fx = static_cast<float>(srcRect.right - srcRect.left) / static_cast<float>(dstWidth);
    const float fy = static_cast<float>(srcRect.bottom - srcRect.top) / static_cast<float>(dstHeight);
    // Only the part of the destination rectangle inside the image is written.
    const int32_t rowFirst = std::max(0, -dstRect.top), rowLast = std::min(dstHeight, dstSize.height - dstRect.top);
    const int32_t columnFirst = std::max(0, -dstRect.left);
    const int32_t columnLast = std::min(dstWidth, dstSize.width - dstRect.left);
    // The source column of every destination column is the same on each row:
    // work out a block of them once, then copy row by row.
    constexpr int32_t kBlock = 2048;
    int32_t sourceOffsets[kBlock];
    for (int32_t blockFirst = columnFirst; blockFirst < columnLast; blockFirst += kBlock) {
        const int32_t blockColumns = std::min(kBlock, columnLast - blockFirst);
        for (int32_t k = 0; k < blockColumns; ++k) {
            const int64_t sourceColumn = std::clamp<int64_t>(
                int64_t{srcRect.left} + SourceStep(blockFirst + k, fx, srcSize.width), 0, srcSize.width - 1);
            sourceOffsets[k] = static_cast<int32_t>(sourceColumn * srcBpp);
        }
        for (int32_t i = rowFirst; i < rowLast; ++i) {
            const int64_t sourceRow = std::clamp<int64_t>(
                int64_t{srcRect.bottom} - 1 - SourceStep(i, fy, srcSize.height), 0, srcSize.height - 1);
            const uint8_t* srcLine = src + static_cast<ptrdiff_t>(sourceRow) * srcStride;
            uint8_t* to = dst + static_cast<ptrdiff_t>(dstRect.top + i) * dstStride +
                          static_cast<ptrdiff_t>(dstRect.left + blockFirst) * dstBpp;
            if (pixelBytes == 1) {
                for (int32_t k = 0; k < blockColumns; ++k) {
                    to[k * dstBpp] = srcLine[sourceOffsets[k]];
                }
            } else {
                for (int32_t k = 0; k < blockColumns; ++k) {
                    const uint8_t* from = srcLine + sourceOffsets[k];
                    uint8_t* pixel = to + k * dstBpp;
                    pixel[0] = from[0];
                    pixel[1] = from[1];
                    pixel[2] = from[2];
                }
            }
        }
    }
    return true;
}

}  // namespace

bool ScaleGray8(const ScaleArea& area) { return Scale(area, 1); }

bool ScaleRgb24(const ScaleArea& area) { return Scale(area, 3); }

}  // namespace tavrin

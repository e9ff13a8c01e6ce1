// The copy of a finished image into a caller's buffer, rows whole (padding
// included), in either row order.
#pragma once

#include <cstdint>

namespace tavrin {

// Row order 0 puts the last memory row first, as a bottom-up bitmap expects;
// any other value keeps memory order.
inline constexpr int32_t kBottomRowFirst = 0;

// Copies `height` rows of `stride` bytes from `pixels` into `buffer`, which
// holds `bufferSize` bytes. Returns false and copies nothing when the buffer
// is null or smaller than height x stride.
bool CopyRowsOut(const uint8_t* pixels, int32_t height, int32_t stride, uint8_t* buffer, int64_t bufferSize,
                 int32_t rowOrder);

}  // namespace tavrin

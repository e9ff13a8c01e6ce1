// The 16-bit sharpness of one row segment from 32-bit column sums: the four-
// row sum of every sample position in the segment is formed once, and each
// window adds four of them. Exact for any 16-bit samples; the vector files
// run it for segments whose samples do not fit their 16-bit lanes.
// Internal to the kernel files.
#pragma once

#include <cstdint>

#include "imaging/kernels/kernel_area.h"
#include "imaging/kernels/sharpen_rows.h"

namespace tavrin {
namespace {

constexpr int32_t kSharpenSegment = 1024;  // output samples per segment

// The largest sample value 2^k - 1 for which the vector versions' 16-bit
// lanes hold everything exactly: a window sum of 16 samples (below 65536)
// and the difference from the mean times the strength (within +-32767).
inline int32_t Sharpen16LaneLimit(int32_t strength) {
    int32_t limit = 4095;
    while (limit > 0 && limit * strength > 32767)
        limit >>= 1;
    return limit;
}

// One value of the mask from the window sum, as the reference computes it.
inline int32_t Sharpened16(int32_t v, int32_t windowSum, int32_t strength, int32_t maxValue) {
    return Clamp(v + (v - (windowSum >> 4)) * strength / 10, 0, maxValue);
}

// Samples [s0, s1) of the row `rows[2]` (rows[0..3] are rows y-2..y+1 of the
// source) into `out`, `spp` samples per pixel of which the first `channels`
// change. s0 >= 2 spp and s1 + spp stays inside the row.
inline void Sharpen16Segment(const uint8_t* const rows[4], uint8_t* out, int32_t s0, int32_t s1, int32_t spp,
                             int32_t channels, int32_t strength, int32_t maxValue) {
    uint32_t columns[kSharpenSegment + 3 * 8];
    const int32_t c0 = s0 - 2 * spp;
    for (int32_t j = c0; j < s1 + spp; ++j) {
        columns[j - c0] = static_cast<uint32_t>(Load16(rows[0] + 2 * j) + Load16(rows[1] + 2 * j) +
                                                Load16(rows[2] + 2 * j) + Load16(rows[3] + 2 * j));
    }
    const auto sharpened = [&](int32_t i) {
        const uint32_t* col = columns + (i - c0);
        const auto sum = static_cast<int32_t>(col[-2 * spp] + col[-spp] + col[0] + col[spp]);
        return Sharpened16(Load16(rows[2] + 2 * i), sum, strength, maxValue);
    };
    if (channels == spp) {  // every sample: a loop the compiler vectorises
        for (int32_t i = s0; i < s1; ++i)
            Store16(out + 2 * i, sharpened(i));
        return;
    }
    int32_t channel = s0 % spp;
    for (int32_t i = s0; i < s1; ++i, channel = channel + 1 == spp ? 0 : channel + 1) {
        if (channel < channels)
            Store16(out + 2 * i, sharpened(i));
    }
}

// What a vector path's 16-bit lanes need to know of the step.
struct Sharpen16Lanes {
    int32_t spp;  // samples per pixel: 1, 3, or 4 with the fourth kept
    int32_t strength;
    int32_t maxValue;
    int32_t laneLimit;
};

// The rows of a vector path: each segment goes through `laneSegment` (the
// path's 16-bit lanes; false when a sample does not fit them) or else the
// 32-bit column sums. False for layouts other than gray rows and colour rows
// of 3 or 4 samples per pixel, and for strengths outside the setting's range.
template <typename LaneSegment>
bool SharpenRows16(const KernelArea& a, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring,
                   LaneSegment laneSegment) {
    const int32_t spp = a.srcBytesPerPixel / 2;
    const bool whole = channels == spp && (spp == 1 || spp == 3);
    const bool keepFourth = channels == 3 && spp == 4;
    if (a.srcBytesPerPixel != a.dstBytesPerPixel || a.srcBytesPerPixel % 2 != 0 || (!whole && !keepFourth))
        return false;
    if (strength < 0 || strength > 30)  // the lane limit assumes the setting's range
        return false;
    if (a.width <= 4 || a.height <= 4)
        return true;
    const Sharpen16Lanes lanes{spp, strength, maxValue, Sharpen16LaneLimit(strength)};
    ForEachSharpenSegment(a, ring, spp, kSharpenSegment,
                          [&](const uint8_t* const(&rows)[4], uint8_t* out, int32_t s0, int32_t s1) {
                              if (!laneSegment(rows, out, s0, s1, lanes))
                                  Sharpen16Segment(rows, out, s0, s1, spp, channels, strength, maxValue);
                          });
    return true;
}

}  // namespace
}  // namespace tavrin

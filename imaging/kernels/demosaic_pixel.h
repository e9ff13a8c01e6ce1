// The output formula of the demosaic, shared by the reference, the border
// pass and the tails of the vectorised rows. Internal to the demosaic files.
//
// The functions sit in an unnamed namespace on purpose: the AVX2 file
// includes them too, and a shared inline copy compiled for AVX2 must never be
// the one that the linker hands to the code that runs on older CPUs.
#pragma once

#include <cstdint>
#include <cstring>

#include "imaging/kernels/params.h"

namespace tavrin::demosaic {

// Red and blue gains as Q7 factors (128 is unity).
struct Gains {
    int32_t red;
    int32_t blue;
};

// The frame as the kernels address it: the driver's source rectangle and the
// destination position.
struct Frame {
    uint8_t* dst;
    const uint8_t* src;
    int32_t dstX;
    int32_t dstY;
    int32_t dstBytesPerPixel;
    int32_t dstStride;
    int32_t srcStride;
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// The four source rows an output row reads (y-2, y-1, y, y+1), each pointing
// at the rectangle's first column. Border rows get substituted rows.
struct SourceRows {
    const uint8_t* at[4];
};

namespace {

// Gains above this many per cent would overflow the 32-bit sums of 16-bit
// samples (16 x 65535 x 2048 is just below 2^31) and the vectorised rows'
// 16-bit factors (the Q7 gain shifted left by 5); the settings never come
// near it, but the registry may hold anything.
inline constexpr int32_t kMaxGainPercent = 1599;

inline int32_t GainQ7(int32_t percent) {
    if (percent < 0)
        percent = 0;
    if (percent > kMaxGainPercent)
        percent = kMaxGainPercent;
    return static_cast<int32_t>(percent * 1.28);
}

inline const uint8_t* SourceRow(const Frame& frame, int32_t y) {
    return frame.src + static_cast<intptr_t>(frame.top + y) * frame.srcStride;
}

inline uint8_t* DestPixel(const Frame& frame, int32_t x, int32_t y) {
    return frame.dst + static_cast<intptr_t>(frame.dstY + y) * frame.dstStride +
           static_cast<intptr_t>(frame.dstX + x) * frame.dstBytesPerPixel;
}

inline Gains GainsOf(const BayerParams& bayer) { return Gains{GainQ7(bayer.gainRed), GainQ7(bayer.gainBlue)}; }

inline int32_t ModeOf(const BayerParams& bayer) { return bayer.bayerMode & 3; }

// Colour phases of a pixel: the row phase is bit 0 of the mode toggled by the
// row's parity, the column phase bit 1 toggled by the column's parity.
inline int32_t RowPhase(int32_t mode, int32_t y) { return (mode & 1) ^ (y & 1); }
inline int32_t ColumnPhase(int32_t mode, int32_t x) { return ((mode >> 1) & 1) ^ (x & 1); }

template <typename Sample>
inline int32_t LoadSample(const uint8_t* row, int32_t x) {
    Sample value;
    std::memcpy(&value, row + x * static_cast<int32_t>(sizeof(Sample)), sizeof(Sample));
    return value;
}

template <typename Sample>
inline void StoreSample(uint8_t* pixel, int32_t channel, int32_t value) {
    const auto sample = static_cast<Sample>(value);
    std::memcpy(pixel + channel * static_cast<int32_t>(sizeof(Sample)), &sample, sizeof(Sample));
}

// Computes one output pixel from the neighbour fetcher P(dx, dy) and writes
// blue, green and red into `pixel`. Red sites are cell (1, 0), blue sites
// (0, 1), the greens (0, 0) and (1, 1).
template <typename Sample, typename Fetch>
inline void WritePixel(const Fetch& P, int32_t rowPhase, int32_t columnPhase, Gains gains, int32_t maxValue,
                       uint8_t* pixel) {
    // Sums over the four nearest samples of one colour around the block centre.
    const auto here = [&] { return 9 * P(0, 0) + 3 * P(0, -2) + 3 * P(-2, 0) + P(-2, -2); };
    const auto diagonal = [&] { return 9 * P(-1, -1) + 3 * P(1, -1) + 3 * P(-1, 1) + P(1, 1); };
    const auto vertical = [&] { return 9 * P(0, -1) + 3 * P(-2, -1) + 3 * P(0, 1) + P(-2, 1); };
    const auto horizontal = [&] { return 9 * P(-1, 0) + 3 * P(-1, -2) + 3 * P(1, 0) + P(1, -2); };
    int32_t blueSum;
    int32_t redSum;
    int32_t green;
    if (rowPhase != columnPhase) {  // a red or blue site
        green = (P(0, -1) + P(-1, 0)) >> 1;
        const bool red = rowPhase == 1;
        blueSum = red ? diagonal() : here();
        redSum = red ? here() : diagonal();
    } else {  // a green site
        green = (P(-1, -1) + P(0, 0)) >> 1;
        const bool redRow = rowPhase == 1;
        blueSum = redRow ? vertical() : horizontal();
        redSum = redRow ? horizontal() : vertical();
    }
    int32_t blue = (blueSum * gains.blue) >> 11;
    int32_t red = (redSum * gains.red) >> 11;
    if (blue > maxValue)
        blue = maxValue;
    if (green > maxValue)
        green = maxValue;
    if (red > maxValue)
        red = maxValue;
    StoreSample<Sample>(pixel, 0, blue);
    StoreSample<Sample>(pixel, 1, green);
    StoreSample<Sample>(pixel, 2, red);
}

// Folds a neighbour coordinate into a frame of `size` pixels. A neighbour
// outside the frame is replaced by the one of the same colour four pixels
// away on the other side. Frames of fewer than four pixels have no such
// neighbour: there the coordinate is clamped into the frame, one step back
// when that keeps the colour.
inline int32_t FoldCoordinate(int32_t c, int32_t size) {
    if (c < 0) {
        c += 4;
    } else if (c >= size) {
        c -= 4;
    }
    if (c >= 0 && c < size)
        return c;
    int32_t clamped = c < 0 ? 0 : size - 1;
    if (((clamped ^ c) & 1) != 0) {
        const int32_t sameColour = c < 0 ? clamped + 1 : clamped - 1;
        if (sameColour >= 0 && sameColour < size)
            clamped = sameColour;
    }
    return clamped;
}

// The rows output row y reads; with `fold`, rows outside the frame are substituted.
template <typename Sample>
inline SourceRows RowsOf(const Frame& frame, int32_t y, bool fold) {
    SourceRows rows;
    const intptr_t left = static_cast<intptr_t>(frame.left) * static_cast<intptr_t>(sizeof(Sample));
    for (int32_t dy = -2; dy <= 1; ++dy) {
        rows.at[dy + 2] = SourceRow(frame, fold ? FoldCoordinate(y + dy, frame.height) : y + dy) + left;
    }
    return rows;
}

// Computes pixel (x, y) from the given rows, reading columns x-2..x+1 as they are.
template <typename Sample>
inline void RowPixel(const Frame& frame, const SourceRows& rows, int32_t mode, Gains gains, int32_t maxValue, int32_t x,
                     int32_t y) {
    const auto P = [&](int32_t dx, int32_t dy) { return LoadSample<Sample>(rows.at[dy + 2], x + dx); };
    WritePixel<Sample>(P, RowPhase(mode, y), ColumnPhase(mode, x), gains, maxValue, DestPixel(frame, x, y));
}

// Columns x-2..x+1 with those outside the frame substituted.
struct FoldedColumns {
    int32_t at[4];
};

inline FoldedColumns ColumnsOf(const Frame& frame, int32_t x) {
    FoldedColumns columns;
    for (int32_t dx = -2; dx <= 1; ++dx)
        columns.at[dx + 2] = FoldCoordinate(x + dx, frame.width);
    return columns;
}

// Computes pixel (x, y) from the given rows and substituted columns.
template <typename Sample>
inline void FoldedPixel(const Frame& frame, const SourceRows& rows, const FoldedColumns& columns, int32_t mode,
                        Gains gains, int32_t maxValue, int32_t x, int32_t y) {
    const auto P = [&](int32_t dx, int32_t dy) { return LoadSample<Sample>(rows.at[dy + 2], columns.at[dx + 2]); };
    WritePixel<Sample>(P, RowPhase(mode, y), ColumnPhase(mode, x), gains, maxValue, DestPixel(frame, x, y));
}

}  // namespace
}  // namespace tavrin::demosaic

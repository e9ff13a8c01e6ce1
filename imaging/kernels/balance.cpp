#include "imaging/kernels/balance.h"

#include <cmath>
#include <limits>

#include "imaging/kernels/balance_rows.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/gray.h"
#include "imaging/kernels/kernel_area.h"

namespace tavrin {
namespace {

// Per-cell sums and counts, indexed [row phase][column phase].
struct CellSums {
    uint64_t sum[2][2] = {};
    uint64_t count[2][2] = {};
};

void ParitySumsSpaced(const uint8_t* row, int32_t count, int32_t bytesPerPixel, bool wide, uint64_t sums[2]) {
    for (int32_t x = 0; x < count; ++x) {
        const uint8_t* p = row + x * bytesPerPixel;
        sums[x & 1] += wide ? static_cast<uint32_t>(Load16(p)) : *p;
    }
}

// Every sample counts for its cell.
CellSums SumCells(const KernelArea& a, int32_t mode, bool wide) {
    CellSums cells;
    const int32_t sampleBytes = wide ? 2 : 1;
    const bool packed = a.srcBytesPerPixel == sampleBytes;
    const auto paritySums = Kernels().paritySums;
    for (int32_t y = 0; y < a.height; ++y) {
        const int32_t rowPhase = (mode & 1) ^ (y & 1);
        uint64_t sums[2] = {0, 0};
        if (packed) {
            paritySums(SourceRowOf(a, y), a.width, wide, sums);
        } else {
            ParitySumsSpaced(SourceRowOf(a, y), a.width, a.srcBytesPerPixel, wide, sums);
        }
        for (int32_t parity = 0; parity < 2; ++parity) {
            const int32_t columnPhase = ((mode >> 1) & 1) ^ parity;
            cells.sum[rowPhase][columnPhase] += sums[parity];
            cells.count[rowPhase][columnPhase] += static_cast<uint64_t>((a.width + 1 - parity) / 2);
        }
    }
    return cells;
}

int32_t GainResult(double value) {
    if (std::isnan(value))
        return 100;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

// Gains that bring the blue and red means to the green mean, in per cent.
BalanceGains Balance(const KernelArea& a, const BalanceParams& p, bool wide) {
    const CellSums c = SumCells(a, p.bayerMode, wide);
    const uint64_t greenCount = c.count[0][0] + c.count[1][1];
    const uint64_t blueCount = c.count[0][1];
    const uint64_t redCount = c.count[1][0];
    if (greenCount == 0 || blueCount == 0 || redCount == 0) {
        return BalanceGains{100, 100, 100};
    }
    const double g = static_cast<double>(c.sum[0][0] + c.sum[1][1]) / static_cast<double>(greenCount);
    const double b = static_cast<double>(c.sum[0][1]) / static_cast<double>(blueCount);
    const double r = static_cast<double>(c.sum[1][0]) / static_cast<double>(redCount);
    const double total = g + b + r;
    const double unit = total / g / 3;
    return BalanceGains{GainResult(total / b / 3 * 100 / unit), 100, GainResult(total / r / 3 * 100 / unit)};
}

}  // namespace

void ParitySums_C(const uint8_t* row, int32_t count, bool wide, uint64_t sums[2]) {
    ParitySumsSpaced(row, count, wide ? 2 : 1, wide, sums);
}

BalanceGains WhiteBalance8(const KernelArea& area, const BalanceParams& params) { return Balance(area, params, false); }

BalanceGains WhiteBalance16(const KernelArea& area, const BalanceParams& params) { return Balance(area, params, true); }

// Cell means without saturated samples (left out) and black ones (add
// nothing, not counted); the brightest cell's gain is 128, the others scale
// up to it. Runs once per request, so the plain loop serves.
GrayParams GrayAutoGain(const KernelArea& a, const GrayParams& measured) {
    GrayParams p = measured;
    const bool wide = p.bits != 8;
    const int32_t saturated = GrayMaxValue(p.bits);
    CellSums c;
    for (int32_t y = 0; y < a.height; ++y) {
        const int32_t rowPhase = (p.bayerMode & 1) ^ (y & 1);
        const uint8_t* row = SourceRowOf(a, y);
        for (int32_t x = 0; x < a.width; ++x) {
            const int32_t columnPhase = ((p.bayerMode >> 1) & 1) ^ (x & 1);
            const uint8_t* s = row + x * a.srcBytesPerPixel;
            const int32_t v = wide ? Load16(s) : *s;
            if (v == saturated)
                continue;
            c.sum[rowPhase][columnPhase] += static_cast<uint32_t>(v);
            if (v != 0)
                ++c.count[rowPhase][columnPhase];
        }
    }
    double mean[2][2];
    double highest = 0.0;
    for (int32_t i = 0; i < 4; ++i) {
        if (c.count[i >> 1][i & 1] == 0)
            return p;
        mean[i >> 1][i & 1] = static_cast<double>(c.sum[i >> 1][i & 1]) / static_cast<double>(c.count[i >> 1][i & 1]);
        if (mean[i >> 1][i & 1] > highest)
            highest = mean[i >> 1][i & 1];
    }
    const auto gain = [&](int32_t rowPhase, int32_t columnPhase) {
        return static_cast<int32_t>(highest / mean[rowPhase][columnPhase] * 128);
    };
    p.gainG1 = gain(0, 0);
    p.gainR = gain(0, 1);
    p.gainB = gain(1, 0);
    p.gainG2 = gain(1, 1);
    return p;
}

}  // namespace tavrin

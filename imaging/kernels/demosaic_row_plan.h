// How the vectorised demosaic rows walk a row: whole vector steps from the
// first colour site, the reference for the few pixels around them. Shared by
// the per-set files; plain C++, so it is in an unnamed namespace for the same
// reason as demosaic_pixel.h.
#pragma once

#include <cstdint>

#include "imaging/kernels/demosaic_pixel.h"

namespace tavrin::demosaic {
namespace {

// First column >= 2 of the row that is a colour site.
inline int32_t FirstSiteColumn(int32_t mode, int32_t y) {
    const int32_t siteParity = 1 ^ ((mode >> 1) & 1) ^ RowPhase(mode, y);
    return 2 + siteParity;
}

// Pixels a row of output starts and ends with: the first vector step begins
// at the first colour site from column 2 on, the last one ends at column W-3
// or one before it (the steps must begin at a site). The pixels before the
// first and after the last step are computed one by one; the last step may
// overlap the one before, which computes the same values.
struct RowPlan {
    int32_t first;  // first step's column
    int32_t last;   // last step's column; no step when last < first
};

inline RowPlan PlanRow(const Frame& f, int32_t mode, int32_t y, int32_t pixelsPerStep) {
    const int32_t first = FirstSiteColumn(mode, y);
    int32_t last = f.width - 2 - pixelsPerStep;
    if (((last - first) & 1) != 0)
        --last;
    return RowPlan{first, last};
}

template <typename Sample>
inline void ScalarRun(const Frame& f, const SourceRows& rows, int32_t mode, Gains gains, int32_t maxValue, int32_t y,
                      int32_t from, int32_t to) {
    for (int32_t x = from; x < to; ++x)
        RowPixel<Sample>(f, rows, mode, gains, maxValue, x, y);
}

// Runs `step(rows, y, p)` over a row as planned, and the reference around it.
template <typename Sample, int32_t kPixelsPerStep, typename Step>
void Rows(const Frame& f, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains, int32_t maxValue,
          const Step& step) {
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const SourceRows rows = RowsOf<Sample>(f, y, fold);
        const RowPlan plan = PlanRow(f, mode, y, kPixelsPerStep);
        if (plan.last < plan.first) {
            ScalarRun<Sample>(f, rows, mode, gains, maxValue, y, 2, f.width - 2);
            continue;
        }
        ScalarRun<Sample>(f, rows, mode, gains, maxValue, y, 2, plan.first);
        for (int32_t p = plan.first; p < plan.last; p += kPixelsPerStep)
            step(rows, y, p);
        step(rows, y, plan.last);
        ScalarRun<Sample>(f, rows, mode, gains, maxValue, y, plan.last + kPixelsPerStep, f.width - 2);
    }
}

// Remembers, for the last source rows asked about, whether one holds a
// sample too large for a vector version's 16-bit lanes (`isWide(row,
// width)` decides): each source row is read by four output rows.
class WideRows {
public:
    using RowTest = bool (*)(const uint8_t* row, int32_t width);

    WideRows(int32_t width, RowTest isWide) : width_(width), isWide_(isWide) {}

    bool AnyWide(const SourceRows& rows) {
        bool wide = false;
        for (const uint8_t* row : rows.at)
            wide = Wide(row) || wide;
        return wide;
    }

private:
    bool Wide(const uint8_t* row) {
        for (int32_t i = 0; i < kSlots; ++i) {
            if (row_[i] == row)
                return wide_[i];
        }
        row_[next_] = row;
        wide_[next_] = isWide_(row, width_);
        const bool wide = wide_[next_];
        next_ = (next_ + 1) % kSlots;
        return wide;
    }

    static constexpr int32_t kSlots = 8;
    int32_t width_;
    RowTest isWide_;
    const uint8_t* row_[kSlots] = {};
    bool wide_[kSlots] = {};
    int32_t next_ = 0;
};

}  // namespace
}  // namespace tavrin::demosaic

#include "imaging/kernels/measure.h"

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/measure_rows.h"
#include "imaging/kernels/kernel_area.h"

namespace tavrin {
namespace {

// The measured area: the source rectangle.
struct Region {
    const uint8_t* first;
    int32_t width;
    int32_t height;
    int32_t stride;
    int32_t bytesPerPixel;
};

Region RegionOf(const KernelArea& a) {
    return Region{SourceRowOf(a, 0), a.width, a.height, a.srcStride, a.srcBytesPerPixel};
}

// Mean by unsigned division (truncation); an empty area gives 0.
int32_t Mean(uint64_t sum, const Region& r) {
    if (r.width <= 0 || r.height <= 0)
        return 0;
    return static_cast<int32_t>(sum / (static_cast<uint64_t>(r.width) * static_cast<uint64_t>(r.height)));
}

// Samples `bytesPerPixel` apart; wide ones count in their 8-bit form.
uint64_t SumSpaced(const uint8_t* p, int32_t count, int32_t bytesPerPixel, bool wide) {
    uint64_t sum = 0;
    for (int32_t x = 0; x < count; ++x, p += bytesPerPixel) {
        sum += wide ? static_cast<uint32_t>((Load16(p) >> 2) & 0xFF) : *p;
    }
    return sum;
}

uint64_t Sum(const Region& r, bool wide) {
    const bool packed = r.bytesPerPixel == (wide ? 2 : 1);
    const auto sumRow = wide ? Kernels().sumWords8BitForm : Kernels().sumBytes;
    uint64_t sum = 0;
    for (int32_t y = 0; y < r.height && r.width > 0; ++y) {
        const uint8_t* row = r.first + static_cast<intptr_t>(y) * r.stride;
        sum += packed ? sumRow(row, r.width) : SumSpaced(row, r.width, r.bytesPerPixel, wide);
    }
    return sum;
}

}  // namespace

uint64_t SumBytes_C(const uint8_t* row, int32_t count) { return SumSpaced(row, count, 1, false); }

uint64_t SumWords8BitForm_C(const uint8_t* row, int32_t count) { return SumSpaced(row, count, 2, true); }

int32_t RegionMean8(const KernelArea& area) {
    const Region r = RegionOf(area);
    return Mean(Sum(r, false), r);
}

int32_t RegionMean16(const KernelArea& area) {
    const Region r = RegionOf(area);
    return Mean(Sum(r, true), r);
}

}  // namespace tavrin

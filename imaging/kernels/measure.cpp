#include "imaging/kernels/measure.h"

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/measure_fast.h"
#include "imaging/kernels/tone_area.h"

namespace tavrin {
namespace {

// The measured area: the rectangle's size at the destination position.
struct Region {
    const uint8_t* first;
    int32_t width;
    int32_t height;
    int32_t stride;
    int32_t bytesPerPixel;
};

Region RegionOf(const uint8_t* dst, const KernelRect& rect, int32_t dstX, int32_t dstY, int32_t bytesPerPixel,
                int32_t stride) {
    return Region{dst + static_cast<intptr_t>(dstY) * stride + static_cast<intptr_t>(dstX) * bytesPerPixel,
                  rect.right - rect.left, rect.bottom - rect.top, stride, bytesPerPixel};
}

// Mean by unsigned division (truncation); an empty area gives 0.
int32_t Mean(uint64_t sum, const Region& r) {
    if (r.width <= 0 || r.height <= 0) return 0;
    return static_cast<int32_t>(sum / (static_cast<uint64_t>(r.width) * static_cast<uint64_t>(r.height)));
}

uint64_t SumReference(const Region& r, bool wide) {
    uint64_t sum = 0;
    for (int32_t y = 0; y < r.height; ++y) {
        const uint8_t* p = r.first + static_cast<intptr_t>(y) * r.stride;
        for (int32_t x = 0; x < r.width; ++x, p += r.bytesPerPixel) {
            sum += wide ? static_cast<uint32_t>((Load16(p) >> 2) & 0xFF) : *p;
        }
    }
    return sum;
}

uint64_t SumFast(const Region& r, bool wide) {
    const int32_t sampleBytes = wide ? 2 : 1;
    if (!UseAvx2Kernels() || r.bytesPerPixel != sampleBytes || r.width <= 0) return SumReference(r, wide);
    uint64_t sum = 0;
    for (int32_t y = 0; y < r.height; ++y) {
        const uint8_t* row = r.first + static_cast<intptr_t>(y) * r.stride;
        sum += wide ? SumWords8BitFormAvx2(row, r.width) : SumBytesAvx2(row, r.width);
    }
    return sum;
}

}  // namespace

namespace reference {

TAVRIN_PIXEL_KERNEL(RegionMean8) {
    const Region r = RegionOf(dst, rect, dstX, dstY, dstBytesPerPixel, dstStride);
    return Mean(SumReference(r, false), r);
}

TAVRIN_PIXEL_KERNEL(RegionMean16) {
    const Region r = RegionOf(dst, rect, dstX, dstY, dstBytesPerPixel, dstStride);
    return Mean(SumReference(r, true), r);
}

}  // namespace reference

TAVRIN_PIXEL_KERNEL(RegionMean8) {
    const Region r = RegionOf(dst, rect, dstX, dstY, dstBytesPerPixel, dstStride);
    return Mean(SumFast(r, false), r);
}

TAVRIN_PIXEL_KERNEL(RegionMean16) {
    const Region r = RegionOf(dst, rect, dstX, dstY, dstBytesPerPixel, dstStride);
    return Mean(SumFast(r, true), r);
}

}  // namespace tavrin

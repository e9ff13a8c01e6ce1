// The sharpness step over an area, per instruction set: 8-bit samples
// (limited to 255) and 16-bit samples (limited to maxValue).
#pragma once

#include <cstdint>
#include <cstring>

#include "imaging/kernels/kernel_area.h"

namespace tavrin {

// `ring`, when not null and the area's source is its destination (in place),
// holds three rows of the area (3 x width x bytes per pixel): the rows the
// mask still reads after they are written are kept there (SharpenSource).
// 8-bit: then the whole destination area (the frame too) through `table256` when it is not null.
void Sharpen8_C(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256, uint8_t* ring);
void Sharpen8_AVX2(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256, uint8_t* ring);
void Sharpen8_AVX512(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256,
                     uint8_t* ring);
// The destination area of `area`, in place. Unnamed, as in kernel_area.h:
// the vector files never lend the other files a copy compiled for them.
namespace {
inline KernelArea DestinationOf(const KernelArea& a) {
    KernelArea d = a;
    d.src = a.dst;
    d.left = a.dstX;
    d.top = a.dstY;
    d.srcBytesPerPixel = a.dstBytesPerPixel;
    d.srcStride = a.dstStride;
    return d;
}
}  // namespace
void Sharpen16_C(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring);
// Column sums formed once per row segment; plain C++ the compiler vectorises.
void Sharpen16_SSE2(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring);
// 16-bit lanes while the samples allow them (sharpen_segment.h); the AVX-512
// version only where the build compiles the AVX-512 files.
void Sharpen16_AVX2(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring);
void Sharpen16_AVX512(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring);

namespace {

// The four source rows y-2..y+1 of each output row y, asked for in order
// from y = 2. From the source image; or, in place with a ring, rows y-2..y
// from the ring, where each row is saved just before it is written, and row
// y+1 from the image, which nothing has written yet. The step reads nothing
// but these rows, so the frame (and a table pass after it) sees the image
// as it was.
class SharpenSource {
public:
    SharpenSource(const KernelArea& a, uint8_t* ring)
        : area_(a), ring_(IsInPlace(a) ? ring : nullptr), rowBytes_(a.width * a.srcBytesPerPixel) {}

    void RowsFor(int32_t y, const uint8_t* (&rows)[4]) {
        if (ring_ == nullptr) {
            for (int32_t r = 0; r < 4; ++r)
                rows[r] = SourceRowOf(area_, y - 2 + r);
            return;
        }
        if (y == 2) {
            Save(0);
            Save(1);
        }
        Save(y);
        rows[0] = Slot(y - 2);
        rows[1] = Slot(y - 1);
        rows[2] = Slot(y);
        rows[3] = SourceRowOf(area_, y + 1);
    }

private:
    static bool IsInPlace(const KernelArea& a) {
        return a.src == a.dst && a.left == a.dstX && a.top == a.dstY && a.srcStride == a.dstStride &&
               a.srcBytesPerPixel == a.dstBytesPerPixel;
    }
    uint8_t* Slot(int32_t y) const { return ring_ + static_cast<intptr_t>(y % 3) * rowBytes_; }
    void Save(int32_t y) { std::memcpy(Slot(y), SourceRowOf(area_, y), static_cast<size_t>(rowBytes_)); }

    KernelArea area_;
    uint8_t* ring_;
    int32_t rowBytes_;
};

// Calls segment(rows, out, s0, s1) for every output row y = 2..H-3 of the
// area: rows[0..3] are its source rows y-2..y+1, `out` its destination row,
// and the stretches [s0, s1) of at most `length` units (samples or bytes,
// `unitsPerPixel` to a pixel) cover its units from pixel 2 to pixel W-3.
template <typename Segment>
void ForEachSharpenSegment(const KernelArea& a, uint8_t* ring, int32_t unitsPerPixel, int32_t length,
                           const Segment& segment) {
    const int32_t end = (a.width - 2) * unitsPerPixel;
    SharpenSource source(a, ring);
    for (int32_t y = 2; y <= a.height - 3; ++y) {
        const uint8_t* rows[4];  // rows y-2..y+1
        source.RowsFor(y, rows);
        uint8_t* out = DestRowOf(a, y);
        for (int32_t s0 = 2 * unitsPerPixel; s0 < end; s0 += length) {
            const int32_t s1 = s0 + length < end ? s0 + length : end;
            segment(rows, out, s0, s1);
        }
    }
}

}  // namespace

}  // namespace tavrin

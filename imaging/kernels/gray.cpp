#include "imaging/kernels/gray.h"

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/gray_fast.h"
#include "imaging/kernels/tone_area.h"

namespace tavrin {
namespace {

// Gains beyond 32767 or offsets beyond the 16-bit range can only come from a
// stored value; limiting them keeps every product and sum within 32 bits
// without changing any result a sensible setting gives.
constexpr int32_t kMaxGain = 32767;
constexpr int32_t kMaxOffset = 65535;

// The two cells of row y: cell (row phase, column phase) with the row phase
// from bit 0 of the mode and the column phase from bit 1, each toggled by the
// position's parity. (0,0) G1, (0,1) R, (1,0) B, (1,1) G2.
RowCells CellsOfRow(const GrayParams& p, int32_t y) {
    const int32_t rowPhase = (p.bayerMode & 1) ^ (y & 1);
    const int32_t columnPhase0 = (p.bayerMode >> 1) & 1;
    const int32_t gains[2][2] = {{p.gainG1, p.gainR}, {p.gainB, p.gainG2}};
    const int32_t offsets[2][2] = {{p.offsetG1, p.offsetR}, {p.offsetB, p.offsetG2}};
    RowCells cells{};
    for (int32_t parity = 0; parity < 2; ++parity) {
        const int32_t columnPhase = columnPhase0 ^ parity;
        cells.gain[parity] = Clamp(gains[rowPhase][columnPhase], 0, kMaxGain);
        cells.offset[parity] = Clamp(offsets[rowPhase][columnPhase], -kMaxOffset, kMaxOffset);
    }
    return cells;
}

inline int32_t Gained(int32_t sample, int32_t gain, int32_t offset, int32_t maxValue) {
    return Clamp(offset + sample * gain / 128, 0, maxValue);
}

void GrayGainReference(const ToneArea& a, const GrayParams& p, bool wide, int32_t maxValue) {
    for (int32_t y = 0; y < a.height; ++y) {
        const RowCells cells = CellsOfRow(p, y);
        const uint8_t* in = SourceRowOf(a, y);
        uint8_t* out = DestRowOf(a, y);
        for (int32_t x = 0; x < a.width; ++x) {
            const int32_t gain = cells.gain[x & 1];
            const int32_t offset = cells.offset[x & 1];
            const uint8_t* s = in + x * a.srcBytesPerPixel;
            uint8_t* d = out + x * a.dstBytesPerPixel;
            if (wide) {
                Store16(d, Gained(Load16(s), gain, offset, maxValue));
            } else {
                *d = static_cast<uint8_t>(Gained(*s, gain, offset, maxValue));
            }
        }
    }
}

void GrayGainFast(const ToneArea& a, const GrayParams& p, bool wide, int32_t maxValue) {
    const int32_t sampleBytes = wide ? 2 : 1;
    if (!UseAvx2Kernels() || a.srcBytesPerPixel != sampleBytes || a.dstBytesPerPixel != sampleBytes) {
        GrayGainReference(a, p, wide, maxValue);
        return;
    }
    for (int32_t y = 0; y < a.height; ++y) {
        const RowCells cells = CellsOfRow(p, y);
        if (wide) {
            GrayGainRow16Avx2(SourceRowOf(a, y), DestRowOf(a, y), a.width, cells, maxValue);
        } else {
            GrayGainRow8Avx2(SourceRowOf(a, y), DestRowOf(a, y), a.width, cells);
        }
    }
}

const GrayParams& GrayOf(const void* params) { return *static_cast<const GrayParams*>(params); }

#define TAVRIN_AREA AreaOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride)

}  // namespace

int32_t GrayMaxValue(int32_t bits) {
    switch (bits) {
        case 8: return 255;
        case 10: return 1023;
        case 12: return 4095;
        case 14: return 16383;
        default: return 65535;
    }
}

namespace reference {

TAVRIN_PIXEL_KERNEL(GrayGain8) {
    GrayGainReference(TAVRIN_AREA, GrayOf(params), false, 255);
    return 1;
}
TAVRIN_PIXEL_KERNEL(GrayGain16) {
    GrayGainReference(TAVRIN_AREA, GrayOf(params), true, GrayMaxValue(GrayOf(params).bits));
    return 1;
}

}  // namespace reference

TAVRIN_PIXEL_KERNEL(GrayGain8) {
    GrayGainFast(TAVRIN_AREA, GrayOf(params), false, 255);
    return 1;
}

TAVRIN_PIXEL_KERNEL(GrayGain16) {
    GrayGainFast(TAVRIN_AREA, GrayOf(params), true, GrayMaxValue(GrayOf(params).bits));
    return 1;
}

// Runs once per frame in gray mode 2 only, after the demosaic; the plain loop
// is what the compiler vectorises well enough.
TAVRIN_PIXEL_KERNEL(RgbToGray8) {
    const ToneArea a = TAVRIN_AREA;
    for (int32_t y = 0; y < a.height; ++y) {
        const uint8_t* in = SourceRowOf(a, y);
        uint8_t* out = DestRowOf(a, y);
        for (int32_t x = 0; x < a.width; ++x, in += a.srcBytesPerPixel, out += a.dstBytesPerPixel) {
            *out = static_cast<uint8_t>((30 * in[2] + 59 * in[1] + 11 * in[0]) / 100);
        }
    }
    return 1;
}

#undef TAVRIN_AREA

}  // namespace tavrin

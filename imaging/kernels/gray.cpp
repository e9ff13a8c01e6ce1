#include "imaging/kernels/gray.h"

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/gray_rows.h"
#include "imaging/kernels/kernel_area.h"

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

// Pixels `bytes` apart in either image; packed rows go through the table's row.
void GrayGainRowSpaced(const uint8_t* in, int32_t inBytes, uint8_t* out, int32_t outBytes, int32_t width,
                       const RowCells& cells, bool wide, int32_t maxValue) {
    for (int32_t x = 0; x < width; ++x, in += inBytes, out += outBytes) {
        const int32_t gain = cells.gain[x & 1];
        const int32_t offset = cells.offset[x & 1];
        if (wide) {
            Store16(out, Gained(Load16(in), gain, offset, maxValue));
        } else {
            *out = static_cast<uint8_t>(Gained(*in, gain, offset, maxValue));
        }
    }
}

void GrayGain(const KernelArea& a, const GrayParams& p, bool wide, int32_t maxValue) {
    const int32_t sampleBytes = wide ? 2 : 1;
    const bool packed = a.srcBytesPerPixel == sampleBytes && a.dstBytesPerPixel == sampleBytes;
    const KernelTable& k = Kernels();
    for (int32_t y = 0; y < a.height; ++y) {
        const RowCells cells = CellsOfRow(p, y);
        if (!packed) {
            GrayGainRowSpaced(SourceRowOf(a, y), a.srcBytesPerPixel, DestRowOf(a, y), a.dstBytesPerPixel, a.width,
                              cells, wide, maxValue);
        } else if (wide) {
            k.grayGainRow16(SourceRowOf(a, y), DestRowOf(a, y), a.width, cells, maxValue);
        } else {
            k.grayGainRow8(SourceRowOf(a, y), DestRowOf(a, y), a.width, cells);
        }
    }
}

}  // namespace

int32_t GrayMaxValue(int32_t bits) {
    switch (bits) {
    case 8:
        return 255;
    case 10:
        return 1023;
    case 12:
        return 4095;
    case 14:
        return 16383;
    default:
        return 65535;
    }
}

void GrayGainRow8_C(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells) {
    GrayGainRowSpaced(in, 1, out, 1, width, cells, false, 255);
}

void GrayGainRow16_C(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells, int32_t maxValue) {
    GrayGainRowSpaced(in, 2, out, 2, width, cells, true, maxValue);
}

bool GrayGain8(const KernelArea& area, const GrayParams& params) {
    GrayGain(area, params, false, 255);
    return true;
}

bool GrayGain16(const KernelArea& area, const GrayParams& params) {
    GrayGain(area, params, true, GrayMaxValue(params.bits));
    return true;
}

// Runs once per frame in gray mode 2 only, after the demosaic; the plain loop
// is what the compiler vectorises well enough.
bool RgbToGray8(const KernelArea& a) {
    for (int32_t y = 0; y < a.height; ++y) {
        const uint8_t* in = SourceRowOf(a, y);
        uint8_t* out = DestRowOf(a, y);
        for (int32_t x = 0; x < a.width; ++x, in += a.srcBytesPerPixel, out += a.dstBytesPerPixel) {
            *out = static_cast<uint8_t>((30 * in[2] + 59 * in[1] + 11 * in[0]) / 100);
        }
    }
    return true;
}

}  // namespace tavrin

#include "imaging/kernels/huesat.h"

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/huesat_rows.h"
#include "imaging/kernels/huesat_pixel.h"
#include "imaging/kernels/kernel_area.h"

namespace tavrin {
namespace {

// Saturations outside -255..255 (from a stored value) would take the chroma
// below zero and the tables' indices out of range; they are limited.
int32_t SaturationOf(const HueSatParams& p) { return Clamp(p.saturation, -255, 255); }

// Each thread keeps its own tables: several cameras converting at once on
// their own threads never build and read the same tables.
HueSatTables& ThreadTables(int32_t saturation) {
    thread_local HueSatTables tables;
    BuildHueSatTables(tables, saturation);
    return tables;
}

// 16-bit samples to their 8-bit form for the transform and back; 8-bit
// samples can go through a table after it.
struct SampleForm {
    int32_t bytes;  // 1 or 2 per sample
    int32_t shift;  // bits below the top eight
    const uint8_t* table256 = nullptr;
};

void TransformRows(const KernelArea& a, const HueSatTables& t, huesat::HueShift shift, SampleForm form) {
    for (int32_t y = 0; y < a.height; ++y) {
        const uint8_t* in = SourceRowOf(a, y);
        uint8_t* out = DestRowOf(a, y);
        for (int32_t x = 0; x < a.width; ++x, in += a.srcBytesPerPixel, out += a.dstBytesPerPixel) {
            int32_t bgr[3];
            for (int32_t c = 0; c < 3; ++c) {
                const int32_t raw = form.bytes == 1 ? in[c] : Load16(in + 2 * c);
                bgr[c] = Clamp(raw >> form.shift, 0, 255);
            }
            const uint32_t value = huesat::TransformPixel(bgr[0], bgr[1], bgr[2], t, shift);
            for (int32_t c = 0; c < 3; ++c) {
                const int32_t sample = static_cast<int32_t>((value >> (8 * c)) & 0xFF);
                if (form.bytes == 1) {
                    out[c] = form.table256 != nullptr ? form.table256[sample] : static_cast<uint8_t>(sample);
                } else {
                    Store16(out + 2 * c, sample << form.shift);
                }
            }
        }
    }
}

void HueSat(const KernelArea& a, const HueSatParams& p, bool wide, const uint8_t* table256) {
    const HueSatTables& t = ThreadTables(SaturationOf(p));
    const huesat::HueShift shift = huesat::ShiftOf(p.hue);
    if (wide) {
        Kernels().hueSat16(a, t, shift, SignificantBits(p.bits) - 8);
    } else {
        Kernels().hueSat8(a, t, shift, table256);
    }
}

}  // namespace

void BuildHueSatTables(HueSatTables& t, int32_t saturation) {
    if (!t.built) {
        for (uint32_t k = 0; k < 256; ++k) {
            t.gray[k] = k * 0x010101u;
            t.reciprocal[k] = k == 0 ? 0 : 0xFF0000u / k;
        }
        for (int32_t sum = 0; sum <= 510; ++sum)
            t.limit[sum] = sum < 511 - sum ? sum : 511 - sum;
    }
    if (!t.built || t.saturation != saturation) {
        for (int32_t c = 0; c < 256; ++c)
            t.scaled[c] = (c * (saturation + 256) * 256 + 0x8000) >> 16;
        t.saturation = saturation;
    }
    t.built = true;
}

void HueSatArea8_C(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                   const uint8_t* table256) {
    TransformRows(area, tables, shift, SampleForm{1, 0, table256});
}

void HueSatArea16_C(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift, int32_t sampleShift) {
    TransformRows(area, tables, shift, SampleForm{2, sampleShift});
}

bool HueSat8(const KernelArea& area, const HueSatParams& params) {
    HueSat(area, params, false, nullptr);
    return true;
}
bool HueSat16(const KernelArea& area, const HueSatParams& params) {
    HueSat(area, params, true, nullptr);
    return true;
}
bool HueSatTable8(const KernelArea& area, const HueSatTableParams& params) {
    HueSat(area, params.hueSat, false, params.table256);
    return true;
}

}  // namespace tavrin

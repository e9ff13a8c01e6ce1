#include "imaging/kernels/gamma.h"

#include <cmath>

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/tone_family.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

double Exponent(int32_t gamma) { return gamma > 100 ? (gamma - 100) / 10.0 + 1.0 : gamma / 100.0; }

// A curve value in 0..maxValue. Settings outside 0..200 (negative exponents)
// would give infinities; they end at the largest value instead.
int32_t CurveEntry(double ratio, double exponent, int32_t maxValue) {
    const double value = std::pow(ratio, exponent) * maxValue;
    if (!(value < maxValue)) return maxValue;
    return value > 0.0 ? static_cast<int32_t>(value) : 0;
}

void Gamma8(const ToneArea& area, int32_t channels, int32_t gamma, bool limitExponent) {
    uint8_t table[256];
    BuildGammaTable8(gamma, limitExponent, table);
    Kernels().applyTable8(area, channels, table);
}

void Gamma16(const ToneArea& area, int32_t channels, int32_t gamma, int32_t bits) {
    // Room for the largest table (16 significant bits); the sensor's 10 bits use 1024 entries.
    uint16_t table[1 << 16];
    BuildGammaTable16(gamma, bits, table);
    Kernels().applyTable16(area, channels, table, 1 << SignificantBits(bits));
}

// The colour 8-bit curve limits its exponent, the gray one does not.
struct GammaStep {
    static void Apply8(const ToneArea& area, int32_t channels, const void* params) {
        Gamma8(area, channels, ToneValue(params), channels == 3);
    }
    static void Apply16(const ToneArea& area, int32_t channels, const void* params) {
        Gamma16(area, channels, ToneValue(params), ToneBits(params));
    }
};

}  // namespace

void BuildGammaTable8(int32_t gamma, bool limitExponent, uint8_t (&table)[256]) {
    double exponent = Exponent(gamma);
    if (limitExponent) {
        if (exponent < 0.001) exponent = 0.001;
        if (exponent > 99.999) exponent = 99.999;
    }
    for (int32_t i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(CurveEntry(i / 255.0, exponent, 255));
}

void BuildGammaTable16(int32_t gamma, int32_t bits, uint16_t* table) {
    const double exponent = Exponent(gamma);
    const int32_t size = 1 << SignificantBits(bits);
    for (int32_t i = 0; i < size; ++i) {
        table[i] = static_cast<uint16_t>(CurveEntry(static_cast<double>(i) / size, exponent, size - 1));
    }
}

TAVRIN_TONE_FAMILY(Gamma, GammaStep)

}  // namespace tavrin

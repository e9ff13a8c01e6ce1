#include "imaging/kernels/gamma.h"

#include <cmath>

#include "imaging/kernels/tone_family.h"

namespace tavrin {
namespace {

double Exponent(int32_t gamma) { return gamma > 100 ? (gamma - 100) / 10.0 + 1.0 : gamma / 100.0; }

// A curve value in 0..maxValue. Settings outside 0..200 (negative exponents)
// would give infinities; they end at the largest value instead.
int32_t CurveEntry(double ratio, double exponent, int32_t maxValue) {
    const double value = std::pow(ratio, exponent) * maxValue;
    if (!(value < maxValue))
        return maxValue;
    return value > 0.0 ? static_cast<int32_t>(value) : 0;
}

// The colour 8-bit curve limits its exponent, the gray one does not.
struct GammaTables {
    static void Build8(int32_t gamma, int32_t channels, uint8_t (&table)[256]) {
        BuildGammaTable8(gamma, channels == 3, table);
    }
    static void Build16(int32_t gamma, int32_t bits, uint16_t* table) { BuildGammaTable16(gamma, bits, table); }
};

}  // namespace

void BuildGammaTable8(int32_t gamma, bool limitExponent, uint8_t (&table)[256]) {
    double exponent = Exponent(gamma);
    if (limitExponent) {
        if (exponent < 0.001)
            exponent = 0.001;
        if (exponent > 99.999)
            exponent = 99.999;
    }
    for (int32_t i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(CurveEntry(i / 255.0, exponent, 255));
}

void BuildGammaTable16(int32_t gamma, int32_t bits, uint16_t* table) {
    const double exponent = Exponent(gamma);
    const int32_t size = 1 << SignificantBits(bits);
    for (int32_t i = 0; i < size; ++i) {
        table[i] = static_cast<uint16_t>(CurveEntry(static_cast<double>(i) / size, exponent, size - 1));
    }
}

TAVRIN_TONE_FAMILY(Gamma, TableStep<GammaTables>)

}  // namespace tavrin

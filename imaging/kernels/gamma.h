// Gamma curve: a lookup table of pow(i / range, e) rebuilt on every call,
// applied in place. Setting g: e = (g - 100) / 10 + 1 above 100, else g / 100.
#pragma once

#include <cstdint>

#include "imaging/kernels/params.h"

namespace tavrin {

bool Gamma8Mono(const KernelArea& area, const ToneParams& params);
bool Gamma8Rgb(const KernelArea& area, const ToneParams& params);
bool Gamma16Mono(const KernelArea& area, const ToneParams& params);
bool Gamma16Rgb(const KernelArea& area, const ToneParams& params);

// The tables the kernels apply. The colour 8-bit curve limits the exponent
// to 0.001..99.999 (so a setting of 0 keeps black black), the others do not.
void BuildGammaTable8(int32_t gamma, bool limitExponent, uint8_t (&table)[256]);
// 1 << bits entries (bits limited to 8..16): pow(i / N, e) x (N - 1).
void BuildGammaTable16(int32_t gamma, int32_t bits, uint16_t* table);

}  // namespace tavrin

// Applies a lookup table to the samples of an image: the common last step of
// the gamma and contrast kernels. Samples beyond the table take its last
// entry. Channels: 1 for gray images, 3 (blue, green, red) for colour images;
// a fourth channel is left alone.
#pragma once

#include <cstdint>

#include "imaging/kernels/params.h"
#include "imaging/kernels/kernel_area.h"

namespace tavrin {

// Gamma, contrast and brightness are each a function of the sample alone, so
// when the chain runs two or three of them one after another (no sharpening
// between contrast and brightness) their tables compose into one: the
// ToneCurve kernels apply that table in a single pass, with exactly the
// result of the separate steps. A step whose setting is at its neutral value
// (gamma 100, contrast 0, brightness 0) is left out, as the chain leaves it
// out. In place, like the steps they stand for.
struct ToneCurveParams {
    int32_t gamma;
    int32_t contrast;
    int32_t brightness;
    int32_t bits;  // significant bits of 16-bit images
};

inline constexpr int32_t kNeutralGammaSetting = 100;

bool ToneCurve8Mono(const KernelArea& area, const ToneCurveParams& params);
bool ToneCurve8Rgb(const KernelArea& area, const ToneCurveParams& params);
bool ToneCurve16Mono(const KernelArea& area, const ToneCurveParams& params);
bool ToneCurve16Rgb(const KernelArea& area, const ToneCurveParams& params);

// The table step per instruction set (through Kernels().applyTable8/16).
void ApplyTable8_C(const KernelArea& area, int32_t channels, const uint8_t* table256);
void ApplyTable8_AVX2(const KernelArea& area, int32_t channels, const uint8_t* table256);
// Only where the build compiles the AVX-512 files.
void ApplyTable8_AVX512(const KernelArea& area, int32_t channels, const uint8_t* table256);
// The rows the vector table steps take: every byte through the table (gray,
// or 3-byte colour), or all but each pixel's fourth byte (4-byte colour);
// other layouts go to the reference.
enum class TableRows { Unsupported, Whole, KeepFourth };
inline TableRows TableRowsOf(const KernelArea& area, int32_t channels) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel)
        return TableRows::Unsupported;
    if ((channels == 1 && bpp == 1) || (channels == 3 && bpp == 3))
        return TableRows::Whole;
    return channels == 3 && bpp == 4 ? TableRows::KeepFourth : TableRows::Unsupported;
}
// `size` entries (a power of two up to 65536).
void ApplyTable16_C(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size);
// Runs of samples with the index limit as a conditional move; plain C++.
void ApplyTable16_SSE2(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size);
void ApplyTable16_AVX2(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size);
// Only where the build compiles the AVX-512 files.
void ApplyTable16_AVX512(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size);

}  // namespace tavrin

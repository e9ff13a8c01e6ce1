// The settings records that the processing chain hands its kernels, and the
// signature of each family that takes one. The kernel contract itself
// (KernelArea, StepKernel and the others) comes with it.
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace tavrin {

// Demosaic: colour phase of the first pixel and the colour gains in per cent
// (100 is unity; the green gain is carried but not applied).
struct BayerParams {
    int32_t bayerMode;
    int32_t gainRed;
    int32_t gainGreen;
    int32_t gainBlue;
};

// White balance measurement: the colour phase of the first pixel, and what
// it measures, the gains in per cent.
struct BalanceParams {
    int32_t bayerMode;
};
struct BalanceGains {
    int32_t blue;
    int32_t green;
    int32_t red;
};

// Per-cell gray gains (128 is unity) and offsets in output units. `bits` is
// the number of significant bits of the samples: 8 for 8-bit frames, 10 for
// the sensor's 16-bit frames.
struct GrayParams {
    int32_t bayerMode;
    int32_t gainR;
    int32_t gainG1;
    int32_t gainG2;
    int32_t gainB;
    int32_t offsetR;
    int32_t offsetG1;
    int32_t offsetG2;
    int32_t offsetB;
    int32_t bits;
};

// Gamma, contrast, sharpness and brightness: the setting's value and the
// significant bits of 16-bit images (the 8-bit kernels ignore the bits).
struct ToneParams {
    int32_t value;
    int32_t bits;
};

// Hue in degrees, a lightness shift (always 0), saturation, significant bits.
struct HueSatParams {
    int32_t hue;
    int32_t lightness;
    int32_t saturation;
    int32_t bits;
};

using DemosaicKernel = StepKernel<BayerParams>;
using BalanceKernel = MeasureKernelWith<BalanceGains, BalanceParams>;
using GrayGainKernel = StepKernel<GrayParams>;
using ToneKernel = StepKernel<ToneParams>;
using HueSatKernel = StepKernel<HueSatParams>;

}  // namespace tavrin

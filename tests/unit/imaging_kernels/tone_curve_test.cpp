// The composed tone curve (gamma, contrast and brightness in one table) gives
// exactly what the separate steps give one after another, for every layout,
// any sample value and settings inside and outside their ranges; and the
// chain, which uses it for consecutive steps, still matches the steps run one
// by one. Also the vectorised 256-entry byte lookup against plain indexing.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "imaging/chain.h"
#include "imaging/color_mode.h"
#include "imaging/dib_image.h"
#include "imaging/kernels/bright.h"
#include "imaging/kernels/contrast.h"
#include "imaging/kernels/demosaic.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/gamma.h"
#include "imaging/kernels/sharpen.h"
#include "imaging/kernels/tone_lut.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

struct Layout {
    int32_t bytesPerPixel;
    bool sixteen;
    StepKernel<ToneCurveParams> curve;
    ToneKernel gamma, contrast, bright;
};

const Layout kLayouts[] = {
    {1, false, ToneCurve8Mono, Gamma8Mono, Contrast8Mono, Bright8Mono},
    {3, false, ToneCurve8Rgb, Gamma8Rgb, Contrast8Rgb, Bright8Rgb},
    {4, false, ToneCurve8Rgb, Gamma8Rgb, Contrast8Rgb, Bright8Rgb},
    {2, true, ToneCurve16Mono, Gamma16Mono, Contrast16Mono, Bright16Mono},
    {6, true, ToneCurve16Rgb, Gamma16Rgb, Contrast16Rgb, Bright16Rgb},
    {8, true, ToneCurve16Rgb, Gamma16Rgb, Contrast16Rgb, Bright16Rgb},
};

// The separate steps as the chain would run them: a neutral setting skips its step.
void RunSteps(const Layout& layout, TestImage& image, const ToneCurveParams& curve) {
    ToneParams gamma{curve.gamma, curve.bits};
    ToneParams contrast{curve.contrast, curve.bits};
    ToneParams bright{curve.brightness, curve.bits};
    if (curve.gamma != kNeutralGammaSetting)
        test::RunInPlace(layout.gamma, image, gamma);
    if (curve.contrast != 0)
        test::RunInPlace(layout.contrast, image, contrast);
    if (curve.brightness != 0)
        test::RunInPlace(layout.bright, image, bright);
}

TEST(ToneCurve, ComposedTableMatchesTheStepsInTurn) {
    const ToneCurveParams settings[] = {
        {150, 40, 20, 10}, {0, -127, 255, 10}, {200, 127, 0, 10},     {100, 64, -100, 10},
        {50, 0, 37, 10},   {100, 0, 90, 10},   {-40, 300, -9999, 10}, {1000, -500, 100000, 10},
        {130, 40, 20, 12}, {130, 40, 20, 16},  {99, -1, 1, 8},
    };
    std::mt19937 rng(4242);
    for (const Layout& layout : kLayouts) {
        for (const ToneCurveParams& curve : settings) {
            for (const auto& [w, h] : {std::pair{1, 1}, {7, 3}, {33, 5}, {97, 4}, {656, 9}}) {
                TestImage image(w, h, layout.bytesPerPixel);
                if (layout.sixteen) {
                    image.FillRandom16(rng, w % 2 == 0 ? 1024 : 65536);
                } else {
                    image.FillRandom(rng);
                }
                for (const bool fast : {false, true}) {
                    TestImage expected = image.Clone();
                    TestImage actual = image.Clone();
                    SetFastKernelsForTesting(false);
                    RunSteps(layout, expected, curve);
                    SetFastKernelsForTesting(fast);
                    ToneCurveParams params = curve;
                    test::RunInPlace(layout.curve, actual, params);
                    SetFastKernelsForTesting(true);
                    ASSERT_TRUE(actual.SameBytes(expected))
                        << "bpp " << layout.bytesPerPixel << " " << w << "x" << h << " gamma " << curve.gamma
                        << " contrast " << curve.contrast << " brightness " << curve.brightness << " bits "
                        << curve.bits << (fast ? " fast" : " reference");
                }
            }
        }
    }
}

// Every byte value through random tables, at every position of a vector.
TEST(ToneCurve, ByteLookupMatchesPlainIndexing) {
    std::mt19937 rng(99);
    for (int32_t round = 0; round < 20; ++round) {
        uint8_t table[256];
        for (uint8_t& entry : table)
            entry = static_cast<uint8_t>(rng());
        for (const int32_t bpp : {1, 3, 4}) {
            for (const int32_t width : {1, 31, 32, 33, 255, 257}) {
                TestImage image(width, 3, bpp);
                image.FillRandom(rng);
                for (int32_t i = 0; i < 256 && i < static_cast<int32_t>(image.Size()); ++i) {
                    image.bits[static_cast<size_t>(i)] = static_cast<uint8_t>(i + round);
                }
                TestImage expected = image.Clone();
                const int32_t channels = bpp == 1 ? 1 : 3;
                ApplyTable8_C(test::AreaOf(expected, expected), channels, table);
                Kernels().applyTable8(test::AreaOf(image, image), channels, table);
                ASSERT_TRUE(image.SameBytes(expected)) << "bpp " << bpp << " width " << width;
            }
        }
    }
}

// The chain with every combination of the four tone steps on and off gives
// what the separate kernels give in the chain's order.
TEST(ToneCurve, ChainMatchesTheStepsOneByOne) {
    struct Kernels {
        ToneKernel gamma, contrast, sharpen, bright;
    };
    const Kernels byMode[] = {{Gamma8Mono, Contrast8Mono, Sharpen8Mono, Bright8Mono},
                              {Gamma16Mono, Contrast16Mono, Sharpen16Mono, Bright16Mono},
                              {Gamma8Rgb, Contrast8Rgb, Sharpen8Rgb, Bright8Rgb},
                              {Gamma8Rgb, Contrast8Rgb, Sharpen8Rgb, Bright8Rgb},
                              {Gamma16Rgb, Contrast16Rgb, Sharpen16Rgb, Bright16Rgb},
                              {Gamma16Rgb, Contrast16Rgb, Sharpen16Rgb, Bright16Rgb}};
    std::mt19937 rng(7);
    for (int32_t mode = 0; mode < 6; ++mode) {
        for (int32_t steps = 0; steps < 16; ++steps) {
            const int32_t gammaValue = (steps & 1) != 0 ? 140 : 100;
            const int32_t contrastValue = (steps & 2) != 0 ? -30 : 0;
            const int32_t sharpnessValue = (steps & 4) != 0 ? 13 : 0;
            const int32_t brightnessValue = (steps & 8) != 0 ? 45 : 0;
            CDibImage image8, image16, image24, image32, image48, image64, work, display;
            const ImageSet set{&image8, &image16, &image24, &image32, &image48, &image64, &work, &display};
            ASSERT_TRUE(AllocateFrameImages(set, mode, 37, 9));
            CDibImage* raw = set.Raw(mode);
            for (size_t i = 0; i < raw->ImageBytes(); ++i)
                raw->Bits()[i] = static_cast<uint8_t>(rng());
            if (raw->BitCount() == 16) {
                for (size_t i = 1; i < raw->ImageBytes(); i += 2)
                    raw->Bits()[i] &= 3;
            }

            CDibImage expected, copy;
            ASSERT_EQ(expected.CreateLike(*set.Output(mode)), 1);
            ASSERT_EQ(copy.CreateLike(expected), 1);
            if (IsMonoMode(mode)) {
                std::memcpy(expected.Bits(), raw->Bits(), expected.ImageBytes());
            } else {
                BayerParams bayer{1, 100, 100, 100};
                const bool sixteen = raw->BitCount() == 16;
                expected.Convert(sixteen ? Demosaic16Inner : Demosaic8Inner, *raw, bayer);
                expected.Convert(sixteen ? Demosaic16Border : Demosaic8Border, *raw, bayer);
            }
            const Kernels& k = byMode[mode];
            ToneParams gamma{gammaValue, 10}, contrast{contrastValue, 10}, sharpness{sharpnessValue, 10},
                brightness{brightnessValue, 10};
            if (gammaValue != 100)
                expected.Convert(k.gamma, expected, gamma);
            if (contrastValue != 0)
                expected.Convert(k.contrast, expected, contrast);
            if (sharpnessValue != 0) {
                std::memcpy(copy.Bits(), expected.Bits(), expected.ImageBytes());
                expected.Convert(k.sharpen, copy, sharpness);
            }
            if (brightnessValue != 0)
                expected.Convert(k.bright, expected, brightness);

            FilterRecord filters;
            for (auto& field : filters.fields)
                field.store(0);
            filters.Set(kBayerMode, 1);
            filters.Set(kBayerGainRed, 100);
            filters.Set(kBayerGainGreen, 100);
            filters.Set(kBayerGainBlue, 100);
            for (FilterField gain : {kGrayGainR, kGrayGainG1, kGrayGainG2, kGrayGainB})
                filters.Set(gain, 128);
            filters.Set(kGamma, gammaValue);
            filters.Set(kContrast, contrastValue);
            filters.Set(kSharpness, sharpnessValue);
            filters.Set(kBrightness, brightnessValue);
            ProcessingChain chain;
            chain.Run(set, filters, ChainFrame{mode});
            ASSERT_EQ(std::memcmp(set.Output(mode)->Bits(), expected.Bits(), expected.ImageBytes()), 0)
                << "mode " << mode << " steps " << steps;
        }
    }
}

}  // namespace
}  // namespace tavrin

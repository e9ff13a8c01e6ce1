// The processing chain with the real kernels: which steps run, on which
// images, in which order, what it writes back into the settings, and that
// it stays inside its images for any frame size and any stored setting.
#include "imaging/chain.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "imaging/color_mode.h"
#include "imaging/dib_image.h"
#include "imaging/kernels/bright.h"
#include "imaging/kernels/contrast.h"
#include "imaging/kernels/demosaic.h"
#include "imaging/kernels/gamma.h"
#include "imaging/kernels/gray.h"
#include "imaging/kernels/huesat.h"
#include "imaging/kernels/params.h"
#include "imaging/kernels/sharpen.h"
#include "test_images.h"

namespace tavrin {
namespace {

void SetDefaults(FilterRecord& filters) {
    for (auto& field : filters.fields)
        field.store(0);
    filters.Set(kBayerGainRed, 100);
    filters.Set(kBayerGainGreen, 100);
    filters.Set(kBayerGainBlue, 100);
    filters.Set(kGamma, 100);
    filters.Set(kBayerMode, 1);
    for (FilterField gain : {kGrayGainR, kGrayGainG1, kGrayGainG2, kGrayGainB})
        filters.Set(gain, 128);
}

struct ImageSize {
    int32_t width, height;
};

// The eight images of a camera object.
struct CameraImages {
    CDibImage image8, image16, image24, image32, image48, image64, work, display;

    ImageSet Set() { return ImageSet{&image8, &image16, &image24, &image32, &image48, &image64, &work, &display}; }

    bool Allocate(int32_t mode, int32_t width, int32_t height, uint32_t seed) {
        if (!AllocateFrameImages(Set(), mode, width, height))
            return false;
        CDibImage* raw = Set().Raw(mode);
        testing::FillRandom(*raw, seed);
        if (raw->BitCount() == 16) {  // 10-bit samples
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    testing::SetWord(*raw, x, y, 0, testing::WordAt(*raw, x, y) & 0x3FF);
        }
        return true;
    }
};

TEST(ColorModes, SetAndReportedValues) {
    const int32_t set[] = {8, 16, 24, 32, 48, 64};
    const int32_t reported[] = {8, 10, 24, 32, 42, 58};
    for (int32_t i = 0; i < 6; ++i) {
        int32_t mode = -1;
        ASSERT_TRUE(ColorModeFromSetValue(set[i], mode));
        EXPECT_EQ(mode, i);
        EXPECT_EQ(ColorModeReportedValue(mode), reported[i]);
    }
    int32_t mode = 3;
    EXPECT_FALSE(ColorModeFromSetValue(12, mode));
    EXPECT_FALSE(ColorModeFromSetValue(10, mode));
    EXPECT_EQ(mode, 3);
    EXPECT_EQ(ColorModeReportedValue(6), 0);
    EXPECT_EQ(SubsamplingDivisor(17), 2);
    EXPECT_EQ(SubsamplingDivisor(2), 4);
    EXPECT_EQ(SubsamplingDivisor(19), 8);
    EXPECT_EQ(SubsamplingDivisor(4), 1);
}

TEST(ColorModes, FrameImagesOfEachMode) {
    const int32_t outputBits[] = {8, 16, 24, 32, 48, 64};
    for (int32_t mode = 0; mode < 6; ++mode) {
        CameraImages images;
        ASSERT_TRUE(AllocateFrameImages(images.Set(), mode, 10, 6));
        ImageSet set = images.Set();
        EXPECT_EQ(set.Output(mode)->BitCount(), outputBits[mode]);
        EXPECT_EQ(set.Raw(mode)->BitCount(), (mode == 1 || mode >= 4) ? 16 : 8);
        EXPECT_EQ(images.work.BitCount(), outputBits[mode]);
        EXPECT_EQ(images.work.Width(), 10);
        EXPECT_EQ(images.image8.IsEmpty(), mode >= 4);  // mode 1 keeps an 8-bit display copy
        EXPECT_EQ(images.image24.IsEmpty(), mode == 1);
        EXPECT_EQ(images.image32.IsEmpty(), mode != 3);
        EXPECT_EQ(BitsOfRole(BufferRole::kDisplay, mode), mode <= 1 ? 8 : 24);
        if (!images.image8.IsEmpty()) {
            EXPECT_EQ(images.image8.Palette()[100], (RgbQuad{100, 100, 100, 0}));
        }
    }
    CameraImages images;
    EXPECT_FALSE(AllocateFrameImages(images.Set(), 6, 10, 6));
    EXPECT_FALSE(AllocateFrameImages(images.Set(), 2, 0, 6));
}

TEST(EffectiveBayer, MirrorsToggleThePhases) {
    EXPECT_EQ(EffectiveBayerMode(1, true, true, 656, 494), 2);
    EXPECT_EQ(EffectiveBayerMode(1, true, false, 656, 494), 0);
    EXPECT_EQ(EffectiveBayerMode(2, true, false, 656, 494), 3);
    EXPECT_EQ(EffectiveBayerMode(0, false, true, 656, 494), 2);
    EXPECT_EQ(EffectiveBayerMode(1, false, true, 656, 494), 3);
    EXPECT_EQ(EffectiveBayerMode(3, false, false, 656, 494), 3);
    // An odd height brings a row of the same phase to the top.
    EXPECT_EQ(EffectiveBayerMode(1, true, true, 656, 493), 3);
    EXPECT_EQ(EffectiveBayerMode(1, true, true, 655, 493), 1);
    // Stored values outside 0..3 (a damaged registry) keep their low bits.
    EXPECT_EQ(EffectiveBayerMode(7, false, false, 8, 8), 3);
    EXPECT_EQ(EffectiveBayerMode(-1, false, false, 8, 8), 3);
}

// A mosaic whose red sites (for `mode`) hold 255, mirrored as the camera
// object mirrors the raw image, then demosaiced by the chain: wherever the
// effective phase is right every pixel comes out pure red.
TEST(EffectiveBayer, MirroredMosaicStaysRed) {
    for (ImageSize dims : {ImageSize{8, 6}, ImageSize{7, 5}, ImageSize{9, 6}, ImageSize{8, 7}}) {
        for (int mirror = 0; mirror < 4; ++mirror) {
            const bool mirrorV = (mirror & 1) != 0, mirrorH = (mirror & 2) != 0;
            CameraImages images;
            ASSERT_TRUE(images.Allocate(MODE_RGB24, dims.width, dims.height, 1));
            for (int32_t y = 0; y < dims.height; ++y) {
                for (int32_t x = 0; x < dims.width; ++x) {
                    // Mode 1 = R G / G B: red at even rows and even columns.
                    const int32_t sy = mirrorV ? dims.height - 1 - y : y;
                    const int32_t sx = mirrorH ? dims.width - 1 - x : x;
                    images.image8.Row(y)[x] = (sy % 2 == 0 && sx % 2 == 0) ? 255 : 0;
                }
            }
            FilterRecord filters;
            SetDefaults(filters);
            ProcessingChain chain;
            chain.Run(images.Set(), filters, ChainFrame{MODE_RGB24, mirrorV, mirrorH});
            for (int32_t y = 2; y < dims.height - 2; ++y) {
                for (int32_t x = 2; x < dims.width - 2; ++x) {
                    const uint8_t* p = images.image24.Row(y) + 3 * x;
                    ASSERT_EQ(p[0], 0) << dims.width << "x" << dims.height << " mirror " << mirror;
                    ASSERT_EQ(p[1], 0);
                    ASSERT_EQ(p[2], 255);
                }
            }
        }
    }
}

TEST(Chain, NeutralGrayGainsLeaveTheFrame) {
    for (int32_t mode : {MODE_MONO8, MODE_MONO16}) {
        CameraImages images;
        ASSERT_TRUE(images.Allocate(mode, 12, 7, 3));
        const auto before = testing::BytesOf(*images.Set().Raw(mode));
        FilterRecord filters;
        SetDefaults(filters);
        filters.Set(kGrayMode, 1);
        ProcessingChain chain;
        chain.Run(images.Set(), filters, ChainFrame{mode});
        EXPECT_EQ(testing::BytesOf(*images.Set().Output(mode)), before);
        filters.Set(kGrayOffsetB, 20);  // gains all 128: the step is not run
        chain.Run(images.Set(), filters, ChainFrame{mode});
        EXPECT_EQ(testing::BytesOf(*images.Set().Output(mode)), before);
    }
}

TEST(Chain, GrayFromColourOnlyInEightBitMode) {
    CameraImages images;
    ASSERT_TRUE(images.Allocate(MODE_MONO16, 10, 6, 4));
    const auto before = testing::BytesOf(images.image16);
    FilterRecord filters;
    SetDefaults(filters);
    filters.Set(kGrayMode, 2);
    ProcessingChain chain;
    chain.Run(images.Set(), filters, ChainFrame{MODE_MONO16});
    EXPECT_EQ(testing::BytesOf(images.image16), before);

    CameraImages mono8;
    ASSERT_TRUE(mono8.Allocate(MODE_MONO8, 10, 6, 5));
    CDibImage colour, expected;
    ASSERT_EQ(colour.Create(10, 6, 24), 1);
    ASSERT_EQ(expected.CreateLike(mono8.image8), 1);
    std::memcpy(expected.Bits(), mono8.image8.Bits(), expected.ImageBytes());  // row padding stays as it was
    BayerParams bayer{1, 100, 100, 100};
    colour.Convert(Demosaic8Inner, mono8.image8, bayer);
    colour.Convert(Demosaic8Border, mono8.image8, bayer);
    expected.Convert(RgbToGray8, colour);
    chain.Run(mono8.Set(), filters, ChainFrame{MODE_MONO8});
    EXPECT_EQ(testing::BytesOf(mono8.image8), testing::BytesOf(expected));
}

TEST(Chain, HueStepRunsOnlyWhenHueOrSaturationIsSet) {
    CameraImages images;
    ASSERT_TRUE(images.Allocate(MODE_RGB24, 16, 8, 6));
    const auto raw = testing::BytesOf(images.image8);
    FilterRecord filters;
    SetDefaults(filters);
    ProcessingChain chain;
    chain.Run(images.Set(), filters, ChainFrame{MODE_RGB24});
    const auto demosaiced = testing::BytesOf(images.image24);

    CDibImage expected;
    ASSERT_EQ(expected.Create(16, 8, 24), 1);
    std::memcpy(expected.Bits(), demosaiced.data(), demosaiced.size());
    HueSatParams hueSat{0, 0, 10, 10};
    expected.Convert(HueSat8, expected, hueSat);
    ASSERT_NE(testing::BytesOf(expected), demosaiced);

    std::memcpy(images.image8.Bits(), raw.data(), raw.size());
    filters.Set(kSaturation, 10);
    chain.Run(images.Set(), filters, ChainFrame{MODE_RGB24});
    EXPECT_EQ(testing::BytesOf(images.image24), testing::BytesOf(expected));
}

TEST(Chain, GreenGainIsCarriedButNotApplied) {
    CameraImages images;
    ASSERT_TRUE(images.Allocate(MODE_RGB48, 14, 9, 7));
    const auto raw = testing::BytesOf(images.image16);
    FilterRecord filters;
    SetDefaults(filters);
    ProcessingChain chain;
    chain.Run(images.Set(), filters, ChainFrame{MODE_RGB48});
    const auto unity = testing::BytesOf(images.image48);
    std::memcpy(images.image16.Bits(), raw.data(), raw.size());
    filters.Set(kBayerGainGreen, 400);
    chain.Run(images.Set(), filters, ChainFrame{MODE_RGB48});
    EXPECT_EQ(testing::BytesOf(images.image48), unity);
}

// Every tone step active, checked against the kernels called in the fixed
// order: hue and saturation, gamma, contrast, sharpness, brightness.
// Each step on its own, in the chain's order, against the chain, which runs
// gamma, contrast and (without sharpening) brightness as one table and, on
// 8-bit colour images, puts that table into the hue and saturation pass (or,
// with hue and saturation off, into the demosaic's store), and on 8-bit
// images puts brightness after sharpening into the sharpening pass.
struct ToneSettings {
    int32_t gamma, contrast, sharpness, brightness;
};

void ExpectStepsInOrder(ProcessingChain& chain, int32_t mode, ImageSize size, ToneSettings tone, bool hueSatOn) {
    struct Kernels {
        ToneKernel gamma, contrast, sharpen, bright;
    };
    const Kernels byMode[] = {{Gamma8Mono, Contrast8Mono, Sharpen8Mono, Bright8Mono},
                              {Gamma16Mono, Contrast16Mono, Sharpen16Mono, Bright16Mono},
                              {Gamma8Rgb, Contrast8Rgb, Sharpen8Rgb, Bright8Rgb},
                              {Gamma8Rgb, Contrast8Rgb, Sharpen8Rgb, Bright8Rgb},
                              {Gamma16Rgb, Contrast16Rgb, Sharpen16Rgb, Bright16Rgb},
                              {Gamma16Rgb, Contrast16Rgb, Sharpen16Rgb, Bright16Rgb}};
    CameraImages images;
    ASSERT_TRUE(images.Allocate(mode, size.width, size.height, 8 + mode));
    ImageSet set = images.Set();
    CDibImage expected, work;
    ASSERT_EQ(expected.CreateLike(*set.Output(mode)), 1);
    ASSERT_EQ(work.CreateLike(expected), 1);
    if (IsMonoMode(mode)) {
        std::memcpy(expected.Bits(), set.Raw(mode)->Bits(), expected.ImageBytes());
    } else {
        BayerParams bayer{1, 120, 100, 90};
        const bool sixteen = set.Raw(mode)->BitCount() == 16;
        expected.Convert(sixteen ? Demosaic16Inner : Demosaic8Inner, *set.Raw(mode), bayer);
        expected.Convert(sixteen ? Demosaic16Border : Demosaic8Border, *set.Raw(mode), bayer);
        HueSatParams hueSat{40, 0, -30, 10};
        if (hueSatOn)
            expected.Convert(sixteen ? HueSat16 : HueSat8, expected, hueSat);
    }
    const Kernels& k = byMode[mode];
    const auto step = [&](ToneKernel kernel, int32_t value, int32_t neutral, const CDibImage& source) {
        ToneParams params{value, 10};
        if (value != neutral)
            expected.Convert(kernel, source, params);
    };
    step(k.gamma, tone.gamma, 100, expected);
    step(k.contrast, tone.contrast, 0, expected);
    std::memcpy(work.Bits(), expected.Bits(), expected.ImageBytes());
    step(k.sharpen, tone.sharpness, 0, work);
    step(k.bright, tone.brightness, 0, expected);

    FilterRecord filters;
    SetDefaults(filters);
    filters.Set(kBayerGainRed, 120);
    filters.Set(kBayerGainBlue, 90);
    filters.Set(kHue, hueSatOn ? 40 : 0);
    filters.Set(kSaturation, hueSatOn ? -30 : 0);
    filters.Set(kGamma, tone.gamma);
    filters.Set(kContrast, tone.contrast);
    filters.Set(kSharpness, tone.sharpness);
    filters.Set(kBrightness, tone.brightness);
    chain.Run(set, filters, ChainFrame{mode});
    EXPECT_EQ(testing::BytesOf(*set.Output(mode)), testing::BytesOf(expected))
        << "mode " << mode << " " << size.width << "x" << size.height << " gamma " << tone.gamma << " contrast "
        << tone.contrast << " sharpness " << tone.sharpness << " brightness " << tone.brightness << " hue/sat "
        << hueSatOn;
}

TEST(Chain, StepsRunInTheirOrderOnTheOutputImage) {
    // Neighbours differ in one setting at a time, too.
    const ToneSettings tones[] = {{150, 20, 12, -40}, {150, 20, 0, -40}, {150, 0, 0, -40},
                                  {60, 0, 0, -40},    {60, 0, 0, 0},     {100, 0, 0, 35},
                                  {100, -30, 5, 0},   {100, 0, 9, 0},    {100, 0, 7, 25}};
    // One chain through every case: what it keeps from one frame (the tone
    // tables) must follow the next frame's mode and settings.
    ProcessingChain chain;
    for (int32_t mode = 0; mode < 6; ++mode) {
        for (const ImageSize size : {ImageSize{21, 11}, ImageSize{150, 7}}) {
            for (const ToneSettings& tone : tones) {
                ExpectStepsInOrder(chain, mode, size, tone, true);
                ExpectStepsInOrder(chain, mode, size, tone, false);
            }
        }
    }
}

// Sharpening borrows rows of the work image: one left from another mode
// (another size and depth) is made like the output again first, and the
// frame comes out as with a fitting one.
TEST(Chain, SharpeningRemakesAStaleWorkImage) {
    for (const int32_t mode : {MODE_MONO8, MODE_RGB24, MODE_RGB48}) {
        CameraImages fitting, stale;
        ASSERT_TRUE(fitting.Allocate(mode, 40, 9, 77));
        ASSERT_TRUE(stale.Allocate(mode, 40, 9, 77));
        ASSERT_EQ(stale.work.Create(7, 3, 8), 1);
        FilterRecord filters;
        SetDefaults(filters);
        filters.Set(kSharpness, 20);
        filters.Set(kBrightness, 30);
        ProcessingChain chain;
        chain.Run(fitting.Set(), filters, ChainFrame{mode});
        chain.Run(stale.Set(), filters, ChainFrame{mode});
        EXPECT_EQ(testing::BytesOf(*stale.Set().Output(mode)), testing::BytesOf(*fitting.Set().Output(mode)))
            << "mode " << mode;
    }
}

// A raw frame whose cells (for effective mode 1: R G / G B) hold fixed values.
void FillCells(CDibImage& raw, int red, int green, int blue) {
    for (int32_t y = 0; y < raw.Height(); ++y) {
        for (int32_t x = 0; x < raw.Width(); ++x) {
            const int value = (y % 2 == 0) ? (x % 2 == 0 ? red : green) : (x % 2 == 0 ? green : blue);
            if (raw.BitCount() == 16) {
                testing::SetWord(raw, x, y, 0, static_cast<uint16_t>(value));
            } else {
                raw.Row(y)[x] = static_cast<uint8_t>(value);
            }
        }
    }
}

TEST(Chain, OnePushWhiteBalanceMeasuresOnceAndSwitchesOff) {
    CameraImages images;
    ASSERT_TRUE(images.Allocate(MODE_RGB32, 16, 12, 9));
    FillCells(images.image8, 100, 200, 200);
    FilterRecord filters;
    SetDefaults(filters);
    filters.Set(kBayerGainAuto, 1);
    filters.Set(kWhiteBalanceMark1, 1);
    filters.Set(kWhiteBalanceMark2, 1);
    int refreshes = 0;
    ProcessingChain chain([&] { ++refreshes; });
    chain.Run(images.Set(), filters, ChainFrame{MODE_RGB32});
    EXPECT_EQ(filters.Get(kBayerGainAuto), 0);
    EXPECT_EQ(filters.Get(kWhiteBalanceMark1), 0);
    EXPECT_EQ(filters.Get(kWhiteBalanceMark2), 0);
    EXPECT_EQ(filters.Get(kBayerGainRed), 200);
    EXPECT_EQ(filters.Get(kBayerGainGreen), 100);
    EXPECT_EQ(filters.Get(kBayerGainBlue), 100);
    EXPECT_EQ(refreshes, 1);
    // The measured gains were applied to this very frame: a balanced grey.
    const uint8_t* centre = images.image32.Row(6) + 4 * 8;
    EXPECT_EQ(centre[0], 200);
    EXPECT_EQ(centre[1], 200);
    EXPECT_EQ(centre[2], 200);
    EXPECT_EQ(centre[3], 0);  // the fourth byte is not written
    chain.Run(images.Set(), filters, ChainFrame{MODE_RGB32});
    EXPECT_EQ(refreshes, 1);
}

TEST(Chain, ContinuousWhiteBalanceLimitsGainsTo400) {
    CameraImages images;
    ASSERT_TRUE(images.Allocate(MODE_RGB64, 16, 12, 10));
    FillCells(images.image16, 100, 800, 800);  // red would need 800
    FilterRecord filters;
    SetDefaults(filters);
    filters.Set(kBayerGainAuto, 1);
    int refreshes = 0;
    ProcessingChain chain([&] { ++refreshes; });
    chain.Run(images.Set(), filters, ChainFrame{MODE_RGB64});
    chain.Run(images.Set(), filters, ChainFrame{MODE_RGB64});
    EXPECT_EQ(filters.Get(kBayerGainAuto), 1);
    EXPECT_EQ(filters.Get(kBayerGainRed), 400);
    EXPECT_EQ(filters.Get(kBayerGainBlue), 100);
    EXPECT_EQ(refreshes, 2);
}

TEST(Chain, AutomaticGrayGainMeasuresOncePerRequest) {
    CameraImages images;
    ASSERT_TRUE(images.Allocate(MODE_MONO8, 16, 12, 11));
    // Effective mode 1: cell (0,1), the R gain's cell, is the blue site at odd rows and columns.
    FillCells(images.image8, 200, 200, 100);
    FilterRecord filters;
    SetDefaults(filters);
    filters.Set(kGrayMode, 1);
    filters.Set(kGrayAutoBalance, 1);
    filters.Set(kGrayOffsetG1, 3);
    int refreshes = 0;
    ProcessingChain chain([&] { ++refreshes; });
    chain.Run(images.Set(), filters, ChainFrame{MODE_MONO8});
    EXPECT_EQ(filters.Get(kGrayGainR), 256);
    EXPECT_EQ(filters.Get(kGrayGainG1), 128);
    EXPECT_EQ(filters.Get(kGrayGainG2), 128);
    EXPECT_EQ(filters.Get(kGrayGainB), 128);
    EXPECT_EQ(filters.Get(kGrayOffsetG1), 3);  // written back as it was
    EXPECT_EQ(filters.Get(kGrayAutoBalance), 0);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(images.image8.Row(1)[1], 200);  // 100 * 256 / 128
    chain.Run(images.Set(), filters, ChainFrame{MODE_MONO8});
    EXPECT_EQ(refreshes, 1);
    filters.Set(kGrayAutoBalance, -5);  // a damaged stored value is consumed, not counted down for ever
    chain.Run(images.Set(), filters, ChainFrame{MODE_MONO8});
    EXPECT_EQ(filters.Get(kGrayAutoBalance), 0);
}

// Every step active, with the automatic measurements, on every small frame
// size: nothing may be read or written outside the images.
TEST(Chain, TinyAndOddFramesStayInsideTheirImages) {
    for (int32_t mode = 0; mode < 6; ++mode) {
        for (int32_t height = 1; height <= 7; ++height) {
            for (int32_t width = 1; width <= 7; ++width) {
                CameraImages images;
                ASSERT_TRUE(images.Allocate(mode, width, height, static_cast<uint32_t>(width * 31 + height)));
                FilterRecord filters;
                SetDefaults(filters);
                filters.Set(kGrayMode, mode == 0 ? 2 : 1);
                filters.Set(kGrayAutoBalance, 1);
                filters.Set(kGrayGainB, 140);
                filters.Set(kBayerGainAuto, 1);
                filters.Set(kHue, -90);
                filters.Set(kSaturation, 50);
                filters.Set(kGamma, 70);
                filters.Set(kContrast, -20);
                filters.Set(kSharpness, 30);
                filters.Set(kBrightness, 30);
                ProcessingChain chain;
                chain.Run(images.Set(), filters, ChainFrame{mode, true, true});
                if (mode == 1) {
                    filters.Set(kGrayMode, 2);
                    chain.Run(images.Set(), filters, ChainFrame{mode});
                }
            }
        }
    }
}

// The registry may hold anything: every field random, many frames.
TEST(Chain, ArbitrarySettingsNeverLeaveTheTables) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int32_t> small(-1000, 1000);
    for (int round = 0; round < 60; ++round) {
        const int32_t mode = round % 6;
        CameraImages images;
        ASSERT_TRUE(images.Allocate(mode, 9 + round % 4, 7 + round % 3, static_cast<uint32_t>(round)));
        FilterRecord filters;
        for (auto& field : filters.fields)
            field.store(round % 2 == 0 ? any(random) : small(random));
        filters.Set(kGrayMode, round % 3);
        ProcessingChain chain;
        chain.Run(images.Set(), filters, ChainFrame{mode, round % 4 == 1, round % 5 == 2});
    }
}

TEST(Chain, MissingImagesMakeStepsNoOps) {
    CameraImages images;
    FilterRecord filters;
    SetDefaults(filters);
    filters.Set(kSharpness, 5);
    filters.Set(kBayerGainAuto, 1);
    ProcessingChain chain;
    for (int32_t mode = -1; mode <= 6; ++mode) {
        chain.Run(images.Set(), filters, ChainFrame{mode});
        chain.Run(ImageSet{}, filters, ChainFrame{mode});
    }
    EXPECT_EQ(filters.Get(kBayerGainRed), 100);
}

// Two cameras converting at once with different saturations (the hue and
// saturation tables depend on it) give what each gives alone.
TEST(Chain, CamerasProcessSideBySide) {
    const int32_t saturations[2] = {-120, 90};
    std::vector<uint8_t> alone[2];
    for (int c = 0; c < 2; ++c) {
        CameraImages images;
        ASSERT_TRUE(images.Allocate(MODE_RGB24, 64, 48, 20));
        FilterRecord filters;
        SetDefaults(filters);
        filters.Set(kSaturation, saturations[c]);
        filters.Set(kHue, 30);
        ProcessingChain chain;
        chain.Run(images.Set(), filters, ChainFrame{MODE_RGB24});
        alone[c] = testing::BytesOf(images.image24);
    }
    bool same[2] = {true, true};
    std::thread cameras[2];
    for (int c = 0; c < 2; ++c) {
        cameras[c] = std::thread([&, c] {
            CameraImages images;
            FilterRecord filters;
            SetDefaults(filters);
            filters.Set(kSaturation, saturations[c]);
            filters.Set(kHue, 30);
            ProcessingChain chain;
            for (int frame = 0; frame < 40; ++frame) {
                if (!images.Allocate(MODE_RGB24, 64, 48, 20)) {
                    same[c] = false;
                    return;
                }
                chain.Run(images.Set(), filters, ChainFrame{MODE_RGB24});
                same[c] = same[c] && testing::BytesOf(images.image24) == alone[c];
            }
        });
    }
    for (auto& camera : cameras)
        camera.join();
    EXPECT_TRUE(same[0]);
    EXPECT_TRUE(same[1]);
}

}  // namespace
}  // namespace tavrin

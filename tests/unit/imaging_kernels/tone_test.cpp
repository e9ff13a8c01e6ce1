// Gray gains, gray from colour, brightness, contrast, gamma and sharpness on
// the values the camera's documentation gives as examples.
#include <gtest/gtest.h>

#include "imaging/kernels/bright.h"
#include "imaging/kernels/contrast.h"
#include "imaging/kernels/gamma.h"
#include "imaging/kernels/gray.h"
#include "imaging/kernels/sharpen.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

GrayParams UniformGray(int mode, int gain, int offset, int bits) {
    return GrayParams{mode, gain, gain, gain, gain, offset, offset, offset, offset, bits};
}

TEST(GrayGain, GainAndOffsetAreLimited) {
    TestImage image(4, 2, 1);
    image.Set8(0, 0, 15);
    image.Set8(1, 0, 255);
    GrayParams params = UniformGray(0, 64, -10, 8);
    test::RunInPlace(GrayGain8, image, params);
    EXPECT_EQ(image.Get8(0, 0), 0);
    EXPECT_EQ(image.Get8(1, 0), 117);

    TestImage wide(4, 2, 2);
    wide.Set16(0, 0, 600);
    params = UniformGray(0, 255, 0, 10);
    test::RunInPlace(GrayGain16, wide, params);
    EXPECT_EQ(wide.Get16(0, 0), 1023);
}

// Each cell takes its own gain: (0,0) G1, (0,1) R, (1,0) B, (1,1) G2 by phase;
// odd widths and heights take the phase from the position.
TEST(GrayGain, CellsFollowTheModeAndThePosition) {
    for (int mode = 0; mode < 4; ++mode) {
        TestImage image(5, 3, 1);
        image.Fill(128);
        GrayParams params{mode, 20, 10, 40, 30, 0, 0, 0, 0, 8};
        test::RunInPlace(GrayGain8, image, params);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const int rowPhase = (mode & 1) ^ (y & 1);
                const int columnPhase = ((mode >> 1) & 1) ^ (x & 1);
                const int expected[2][2] = {{10, 20}, {30, 40}};
                EXPECT_EQ(image.Get8(x, y), expected[rowPhase][columnPhase]) << mode << " " << x << "," << y;
            }
        }
    }
}

TEST(GrayGain, UnityLeavesTheFrame) {
    std::mt19937 rng(5);
    TestImage image(31, 7, 2);
    image.FillRandom16(rng, 1024);
    const TestImage before = image.Clone();
    GrayParams params = UniformGray(1, 128, 0, 10);
    test::RunInPlace(GrayGain16, image, params);
    EXPECT_TRUE(image.SameBytes(before));
}

TEST(RgbToGray, WeightsTheChannels) {
    TestImage colour(2, 1, 3);
    colour.Set8(0, 0, 255, 0);
    colour.Set8(1, 0, 255, 0);
    colour.Set8(1, 0, 255, 1);
    colour.Set8(1, 0, 255, 2);
    TestImage gray(2, 1, 1);
    test::Run(RgbToGray8, gray, colour);
    EXPECT_EQ(gray.Get8(0, 0), 28);
    EXPECT_EQ(gray.Get8(1, 0), 255);
}

TEST(Brightness, BlackAtMinusFullAndElevenTimesAtFull) {
    TestImage image(3, 1, 3);
    image.Set8(0, 0, 20, 0);
    image.Set8(0, 0, 30, 1);
    image.Set8(0, 0, 255, 2);
    TestImage dark = image.Clone();
    ToneParams params{255, 10};
    test::RunInPlace(Bright8Rgb, image, params);
    EXPECT_EQ(image.Get8(0, 0, 0), 220);
    EXPECT_EQ(image.Get8(0, 0, 1), 255);
    params.value = -255;
    test::RunInPlace(Bright8Rgb, dark, params);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(dark.bits[i], 0);

    TestImage wide(2, 1, 2);
    wide.Set16(0, 0, 90);
    wide.Set16(1, 0, 100);
    params.value = 255;
    test::RunInPlace(Bright16Mono, wide, params);
    EXPECT_EQ(wide.Get16(0, 0), 990);
    EXPECT_EQ(wide.Get16(1, 0), 1023);
}

TEST(Contrast, TablesClipAndCompress) {
    uint8_t table[256];
    BuildContrastTable8(64, table);
    for (int i = 0; i <= 64; ++i)
        EXPECT_EQ(table[i], 0) << i;
    for (int i = 192; i <= 255; ++i)
        EXPECT_EQ(table[i], 255) << i;
    EXPECT_EQ(table[128], 128);
    BuildContrastTable8(-64, table);
    EXPECT_EQ(table[0], 42);
    EXPECT_EQ(table[255], 212);
    uint16_t wide[1024];
    BuildContrastTable16(64, 10, wide);
    EXPECT_EQ(wide[256], 0);
    EXPECT_EQ(wide[512], 512);
    EXPECT_EQ(wide[768], 1023);
}

TEST(Contrast, KernelAppliesTheTableAndKeepsTheFourthByte) {
    TestImage image(2, 1, 4);
    image.Set8(0, 0, 0, 0);
    image.Set8(0, 0, 128, 1);
    image.Set8(0, 0, 255, 2);
    image.Set8(0, 0, 77, 3);
    ToneParams params{-64, 10};
    test::RunInPlace(Contrast8Rgb, image, params);
    EXPECT_EQ(image.Get8(0, 0, 0), 42);
    EXPECT_EQ(image.Get8(0, 0, 2), 212);
    EXPECT_EQ(image.Get8(0, 0, 3), 77);
}

TEST(Gamma, HalfAndDoubleSettings) {
    uint8_t table[256];
    BuildGammaTable8(50, false, table);
    EXPECT_EQ(table[64], 127);
    BuildGammaTable8(200, false, table);
    EXPECT_EQ(table[254], 244);
    BuildGammaTable8(200, true, table);
    EXPECT_EQ(table[254], 244);
}

TEST(Gamma, ZeroSettingIsWhiteExceptInTheColourVariant) {
    TestImage mono(3, 1, 1);
    ToneParams params{0, 10};
    test::RunInPlace(Gamma8Mono, mono, params);
    EXPECT_EQ(mono.Get8(0, 0), 255);
    TestImage colour(3, 1, 3);
    test::RunInPlace(Gamma8Rgb, colour, params);
    EXPECT_EQ(colour.Get8(0, 0, 0), 0);
    TestImage wide(3, 1, 2);
    test::RunInPlace(Gamma16Mono, wide, params);
    EXPECT_EQ(wide.Get16(0, 0), 1023);
}

TEST(Gamma, SixteenBitSamplesBeyondTheTableTakeTheLastEntry) {
    TestImage wide(2, 1, 2);
    wide.Set16(0, 0, 1023);
    wide.Set16(1, 0, 40000);
    ToneParams params{150, 10};
    test::RunInPlace(Gamma16Mono, wide, params);
    EXPECT_EQ(wide.Get16(0, 0), wide.Get16(1, 0));
}

TEST(Sharpen, FlatStaysFlatAndOnePixelGetsItsOvershoot) {
    TestImage flat(9, 8, 3);
    flat.Fill(90);
    TestImage out = flat.Clone();
    ToneParams params{30, 10};
    test::Run(Sharpen8Rgb, out, flat, params);
    EXPECT_TRUE(out.SameBytes(flat));

    TestImage work(9, 9, 1);
    work.Set8(4, 4, 100);
    TestImage result = work.Clone();
    params.value = 10;
    test::Run(Sharpen8Mono, result, work, params);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(result.Get8(x, y), x == 4 && y == 4 ? 194 : 0) << x << "," << y;
    }
}

TEST(Sharpen, FramesOfFourOrLessAreLeftAlone) {
    std::mt19937 rng(11);
    TestImage work(4, 30, 1);
    work.FillRandom(rng);
    TestImage result(4, 30, 1);
    ToneParams params{20, 10};
    test::Run(Sharpen8Mono, result, work, params);
    EXPECT_TRUE(result.SameBytes(TestImage(4, 30, 1)));
}

// Settings outside their ranges, as a registry may hold them: every kernel
// stays inside its tables and images and keeps the samples in range.
TEST(OutOfRangeSettings, KernelsStayInsideAndInRange) {
    std::mt19937 rng(17);
    const int32_t values[] = {INT32_MIN, -100000, -1000, -256, 201, 1000, 100000, INT32_MAX};
    for (const int32_t value : values) {
        TestImage colour(13, 9, 3);
        colour.FillRandom(rng);
        TestImage wide(13, 9, 6);
        wide.FillRandom16(rng, 65536);
        for (int32_t bits : {0, 10, 40}) {
            ToneParams params{value, bits};
            for (ToneKernel k : {Gamma8Rgb, Gamma8Mono, Contrast8Rgb, Bright8Rgb}) {
                test::RunInPlace(k, colour, params);
            }
            for (ToneKernel k : {Gamma16Rgb, Contrast16Rgb, Bright16Rgb}) {
                test::RunInPlace(k, wide, params);
                for (int i = 0; bits == 10 && i < 13 * 9 * 3; ++i) {
                    ASSERT_LE(wide.Get16(i % 39 / 3, i / 39, i % 3), 1023) << value;
                }
            }
            TestImage sharpened = colour.Clone();
            test::Run(Sharpen8Rgb, sharpened, colour, params);
            TestImage sharpenedWide = wide.Clone();
            test::Run(Sharpen16Rgb, sharpenedWide, wide, params);
            GrayParams gray{value, value, value, value, value, value, value, value, value, bits};
            test::RunInPlace(GrayGain16, wide, gray);
        }
        GrayParams gray{value, value, value, value, value, value, value, value, value, 8};
        TestImage mono(13, 9, 1);
        mono.FillRandom(rng);
        test::RunInPlace(GrayGain8, mono, gray);
    }
}

}  // namespace
}  // namespace tavrin

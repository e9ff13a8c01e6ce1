// Region means, white balance and automatic gray gain.
#include <gtest/gtest.h>

#include "imaging/kernels/balance.h"
#include "imaging/kernels/balance_rows.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/measure.h"
#include "imaging/kernels/measure_rows.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

// The mean of `rect` (memory rows) of the image.
int32_t MeanAt(MeasureKernel<int32_t> kernel, const TestImage& image, KernelRect rect) {
    return kernel(KernelArea{nullptr, image.bits.get(), rect.left, rect.top, rect.Width(), rect.Height(), 0, 0, 0,
                             image.bytesPerPixel, 0, image.stride});
}

TEST(RegionMean, SixteenBitCountsTheEightBitForm) {
    TestImage image(40, 30, 2);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x)
            image.Set16(x, y, 1023);
    }
    EXPECT_EQ(MeanAt(RegionMean16, image, {0, 0, 40, 30}), 255);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x)
            image.Set16(x, y, 1024);
    }
    EXPECT_EQ(MeanAt(RegionMean16, image, {0, 0, 40, 30}), 0);
}

TEST(RegionMean, TruncatesAndReadsTheRectangle) {
    TestImage image(10, 6, 1);
    image.Fill(200);
    image.Set8(4, 3, 1);
    image.Set8(5, 3, 2);
    image.Set8(6, 3, 2);
    EXPECT_EQ(MeanAt(RegionMean8, image, {4, 3, 7, 4}), 1);
    EXPECT_EQ(MeanAt(RegionMean8, image, {4, 3, 4, 8}), 0);  // empty area
}

TEST(RegionMean, FastSumsMatchTheReference) {
    std::mt19937 rng(21);
    for (int w : {1, 15, 16, 17, 31, 32, 33, 65, 656}) {
        TestImage image(w, 9, 1);
        image.FillRandom(rng);
        TestImage wide(w, 9, 2);
        wide.FillRandom(rng);
        const KernelRect rect{0, 0, w, 9};
        int32_t expected8 = 0;
        int32_t expected16 = 0;
        test::WithScalarKernels([&] {
            expected8 = MeanAt(RegionMean8, image, rect);
            expected16 = MeanAt(RegionMean16, wide, rect);
        });
        EXPECT_EQ(MeanAt(RegionMean8, image, rect), expected8) << w;
        EXPECT_EQ(MeanAt(RegionMean16, wide, rect), expected16) << w;
    }
}

// A frame whose green, blue and red sites hold the given values (mode 1: R G / G B).
TestImage ColourSites(int w, int h, int green, int blue, int red) {
    TestImage image(w, h, 1);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int rowPhase = 1 ^ (y & 1);
            const int columnPhase = x & 1;
            const int value = rowPhase == columnPhase ? green : (rowPhase == 1 ? red : blue);
            image.Set8(x, y, value);
        }
    }
    return image;
}

BalanceGains Balance(const TestImage& frame) {
    TestImage unused(1, 1, 1);
    return test::Run(WhiteBalance8, unused, frame, BalanceParams{1});
}

TEST(WhiteBalance, GainsBringBlueAndRedToGreen) {
    BalanceGains p = Balance(ColourSites(16, 12, 120, 120, 120));
    EXPECT_EQ(p.red, 100);
    EXPECT_EQ(p.blue, 100);
    EXPECT_EQ(p.green, 100);
    p = Balance(ColourSites(16, 12, 200, 200, 100));
    EXPECT_EQ(p.red, 200);
    EXPECT_EQ(p.blue, 100);
    p = Balance(ColourSites(16, 12, 200, 200, 50));
    EXPECT_EQ(p.red, 400);
}

TEST(WhiteBalance, SixteenBitFramesAndOddSizes) {
    TestImage wide(17, 9, 2);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 17; ++x) {
            const int rowPhase = 1 ^ (y & 1);
            const int columnPhase = x & 1;
            wide.Set16(x, y, rowPhase == columnPhase ? 800 : (rowPhase == 1 ? 400 : 800));
        }
    }
    TestImage unused(1, 1, 2);
    const BalanceGains gains = test::Run(WhiteBalance16, unused, wide, BalanceParams{1});
    EXPECT_EQ(gains.red, 200);
    EXPECT_EQ(gains.blue, 100);
}

TEST(WhiteBalance, FramesWithoutSomeColourOrBlackColoursStayDefined) {
    const BalanceGains tiny = Balance(ColourSites(1, 1, 0, 0, 90));
    EXPECT_EQ(tiny.red, 100);
    EXPECT_EQ(tiny.blue, 100);
    const BalanceGains noBlue = Balance(ColourSites(8, 8, 100, 0, 100));
    EXPECT_NEAR(noBlue.red, 100, 1);  // the double arithmetic lands just below 100
    EXPECT_EQ(noBlue.blue, INT32_MAX);
    const BalanceGains black = Balance(ColourSites(8, 8, 0, 0, 0));
    EXPECT_EQ(black.red, 100);
}

TEST(GrayAutoGain, DarkCellGetsTheLargerGain) {
    TestImage frame(8, 6, 1);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int rowPhase = y & 1;  // mode 0
            const int columnPhase = x & 1;
            frame.Set8(x, y, rowPhase == 0 && columnPhase == 1 ? 100 : 200);
        }
    }
    const GrayParams params = test::Run(GrayAutoGain, frame, frame, GrayParams{0, 1, 2, 3, 4, 5, 6, 7, 8, 8});
    EXPECT_EQ(params.gainR, 256);
    EXPECT_EQ(params.gainG1, 128);
    EXPECT_EQ(params.gainG2, 128);
    EXPECT_EQ(params.gainB, 128);
    EXPECT_EQ(params.offsetR, 5);  // offsets are neither read nor written
}

TEST(GrayAutoGain, SaturatedCellLeavesTheGains) {
    TestImage frame(8, 6, 1);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x)
            frame.Set8(x, y, (y & 1) == 0 && (x & 1) == 1 ? 255 : 100);
    }
    const GrayParams params = test::Run(GrayAutoGain, frame, frame, GrayParams{0, 11, 12, 13, 14, 0, 0, 0, 0, 8});
    EXPECT_EQ(params.gainR, 11);
    EXPECT_EQ(params.gainG1, 12);
    EXPECT_EQ(params.gainG2, 13);
    EXPECT_EQ(params.gainB, 14);
}

TEST(GrayAutoGain, TenBitFramesSkipBlackAndSaturatedSamples) {
    TestImage frame(4, 4, 2);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            frame.Set16(x, y, 400);
    }
    frame.Set16(0, 0, 1023);  // left out
    frame.Set16(2, 0, 0);     // adds nothing, not counted
    frame.Set16(1, 1, 200);   // cell (1,1) mean (400 + 400 + 400 + 200) / 4 = 350
    const GrayParams params = test::Run(GrayAutoGain, frame, frame, GrayParams{0, 0, 0, 0, 0, 0, 0, 0, 0, 10});
    EXPECT_EQ(params.gainG1, 128);
    EXPECT_EQ(params.gainG2, static_cast<int32_t>(400.0 / 350.0 * 128));
}

// The row sums of each vector path against the references, exactly, on rows
// of every length around the vector steps that end at the allocation's end.
using RowSumsFast = test::PerPathTest;

TEST_P(RowSumsFast, MatchTheReferences) {
    const KernelIsa previous = SetKernelIsaForTesting(GetParam());
    const KernelTable path = Kernels();
    SetKernelIsaForTesting(previous);
    std::mt19937 rng(31);
    std::vector<int32_t> counts = {656, 1030, 4000};
    for (int32_t count = 0; count <= 200; ++count)
        counts.push_back(count);
    for (const int32_t count : counts) {
        TestImage row(count, 1, 2);
        row.FillRandom(rng);
        const uint8_t* bytes = row.bits.get() + count;  // the last `count` bytes
        ASSERT_EQ(path.sumBytes(bytes, count), SumBytes_C(bytes, count)) << count;
        ASSERT_EQ(path.sumWords8BitForm(row.bits.get(), count), SumWords8BitForm_C(row.bits.get(), count)) << count;
        for (const bool wide : {false, true}) {
            const uint8_t* samples = wide ? row.bits.get() : bytes;
            uint64_t expected[2] = {1, 2};
            uint64_t actual[2] = {1, 2};
            ParitySums_C(samples, count, wide, expected);
            path.paritySums(samples, count, wide, actual);
            ASSERT_EQ(actual[0], expected[0]) << count << (wide ? " wide" : "");
            ASSERT_EQ(actual[1], expected[1]) << count << (wide ? " wide" : "");
        }
    }
}

TAVRIN_FOR_EACH_VECTOR_PATH(RowSumsFast);

}  // namespace
}  // namespace tavrin

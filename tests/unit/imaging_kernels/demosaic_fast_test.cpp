// The vectorised demosaic against the reference, byte for byte: every mode,
// both sample widths, every destination layout, many sizes around the vector
// widths, random gains, destinations holding random bytes beforehand.
#include <gtest/gtest.h>

#include "imaging/kernels/demosaic.h"
#include "imaging/kernels/demosaic_rows.h"
#include "imaging/kernels/dispatch.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

using RowsFn = void (*)(const demosaic::Frame&, int32_t, int32_t, bool, int32_t, demosaic::Gains);

struct Size {
    int32_t width;
    int32_t height;
};

std::vector<Size> Sizes() {
    std::vector<Size> sizes;
    for (int32_t w : {1,  2,  3,  4,  5,  6,  7,  8,  9,  15, 16, 17, 18, 19, 20,  21,  22,  23,  24,  33,
                      34, 35, 36, 37, 38, 39, 40, 41, 67, 68, 69, 70, 71, 99, 127, 128, 129, 130, 131, 197}) {
        for (int32_t h : {1, 4, 5, 6, 7, 10})
            sizes.push_back({w, h});
    }
    sizes.push_back({656, 494});
    sizes.push_back({655, 493});
    return sizes;
}

demosaic::Frame FrameFor(TestImage& dst, const TestImage& src) {
    return demosaic::Frame{dst.bits.get(), src.bits.get(), 0, 0, dst.bytesPerPixel, dst.stride, src.stride, 0, 0,
                           src.width,      src.height};
}

// Runs `fast` and the reference on copies of one random destination: the
// inner rows, then (with substituted rows) the middle of the border rows.
void CompareRows(int sampleBytes, int dstBytes, RowsFn fast, const char* name) {
    std::mt19937 rng(1234 + dstBytes);
    for (const Size size : Sizes()) {
        for (int mode = 0; mode < 4; ++mode) {
            TestImage src(size.width, size.height, sampleBytes);
            if (sampleBytes == 1) {
                src.FillRandom(rng);
            } else {
                // Mostly sensor values, every fifth frame the whole 16-bit range.
                src.FillRandom16(rng, mode == 3 ? 65536 : 1024);
            }
            TestImage expected(size.width, size.height, dstBytes);
            expected.FillRandom(rng);
            TestImage actual = expected.Clone();
            const int32_t gainRed = static_cast<int32_t>(rng() % 420);
            const int32_t gainBlue = static_cast<int32_t>(rng() % 420);
            BayerParams params{mode, gainRed, 100, gainBlue};
            test::WithScalarKernels(
                [&] { test::Run(sampleBytes == 1 ? Demosaic8Inner : Demosaic16Inner, expected, src, params); });
            const demosaic::Gains gains{demosaic::GainQ7(gainRed), demosaic::GainQ7(gainBlue)};
            if (size.width > 4 && size.height > 4)
                fast(FrameFor(actual, src), 2, size.height - 2, false, mode, gains);
            ASSERT_TRUE(actual.SameBytes(expected))
                << name << " " << size.width << "x" << size.height << " mode " << mode << " dst " << dstBytes;

            // The border pass with the reference rows, then the border rows'
            // middle again with `fast` over a scrambled copy.
            SetFastKernelsForTesting(false);
            test::Run(sampleBytes == 1 ? Demosaic8Border : Demosaic16Border, expected, src, params);
            SetFastKernelsForTesting(true);
            if (size.width <= 4)
                continue;
            TestImage scrambled = expected.Clone();
            for (int32_t y : {0, 1, size.height - 2, size.height - 1}) {
                if (y < 0 || y >= size.height)
                    continue;
                for (int32_t i = 2 * dstBytes; i < (size.width - 2) * dstBytes; ++i) {
                    if (i % dstBytes < 3 * sampleBytes)
                        scrambled.Pixel(0, y)[i] = static_cast<uint8_t>(rng());
                }
            }
            for (int32_t y : {0, 1, size.height - 2, size.height - 1}) {
                if (y >= 0 && y < size.height)
                    fast(FrameFor(scrambled, src), y, y + 1, true, mode, gains);
            }
            ASSERT_TRUE(scrambled.SameBytes(expected))
                << name << " border " << size.width << "x" << size.height << " mode " << mode << " dst " << dstBytes;
        }
    }
}

TEST(DemosaicFast, Sse2MatchesReference) {
    CompareRows(1, 3, demosaic::Rows8_SSE2, "8-bit sse2");
    CompareRows(1, 4, demosaic::Rows8_SSE2, "8-bit sse2");
    CompareRows(2, 6, demosaic::Rows16_SSE2, "16-bit sse2");
    CompareRows(2, 8, demosaic::Rows16_SSE2, "16-bit sse2");
}

TEST(DemosaicFast, Avx2MatchesReference) {
    if (StartupKernelIsa() < KernelIsa::kAvx2)
        GTEST_SKIP() << "AVX2 is not on this path";
    CompareRows(1, 3, demosaic::Rows8_AVX2, "8-bit avx2");
    CompareRows(1, 4, demosaic::Rows8_AVX2, "8-bit avx2");
    CompareRows(2, 6, demosaic::Rows16_AVX2, "16-bit avx2");
    CompareRows(2, 8, demosaic::Rows16_AVX2, "16-bit avx2");
}

TEST(DemosaicFast, Avx512MatchesReference) {
    if (StartupKernelIsa() < KernelIsa::kAvx512)
        GTEST_SKIP() << "AVX-512 (F, BW, VL, VBMI) is not on this path";
    const KernelIsa previous = SetKernelIsaForTesting(KernelIsa::kAvx512);
    const RowsFn rows8 = Kernels().demosaicRows8;
    const RowsFn rows16 = Kernels().demosaicRows16;
    SetKernelIsaForTesting(previous);
    CompareRows(1, 3, rows8, "8-bit avx512");
    CompareRows(1, 4, rows8, "8-bit avx512");
    CompareRows(2, 6, rows16, "16-bit avx512");
    CompareRows(2, 8, rows16, "16-bit avx512");
}

// The public kernels (whatever path they choose) over a source rectangle
// placed inside larger images, with padded rows, at an offset destination.
// The whole public border pass, fast rows against reference rows.
TEST(DemosaicFast, BorderPassMatches) {
    std::mt19937 rng(45);
    for (const Size size : Sizes()) {
        for (int mode = 0; mode < 4; ++mode) {
            for (int dstBytes : {3, 8}) {
                const int sampleBytes = dstBytes == 3 ? 1 : 2;
                TestImage src(size.width, size.height, sampleBytes);
                src.FillRandom(rng);
                TestImage expected(size.width, size.height, dstBytes);
                expected.FillRandom(rng);
                TestImage actual = expected.Clone();
                BayerParams params{mode, 150, 100, 70};
                const DemosaicKernel border = sampleBytes == 1 ? Demosaic8Border : Demosaic16Border;
                SetFastKernelsForTesting(false);
                test::Run(border, expected, src, params);
                SetFastKernelsForTesting(true);
                test::Run(border, actual, src, params);
                ASSERT_TRUE(actual.SameBytes(expected)) << size.width << "x" << size.height << " mode " << mode;
            }
        }
    }
}

TEST(DemosaicFast, SubRectangleAtAnOffset) {
    std::mt19937 rng(99);
    for (int mode = 0; mode < 4; ++mode) {
        TestImage src(90, 40, 1, false);
        src.FillRandom(rng);
        TestImage expected(100, 50, 3, false);
        expected.FillRandom(rng);
        TestImage actual = expected.Clone();
        // Source columns 3..79 of rows 5..36, landing at (7, 9).
        const auto area = [&](TestImage& dst) {
            return KernelArea{dst.bits.get(), src.bits.get(), 3, 5, 77, 32, 7, 9, 3, 1, dst.stride, src.stride};
        };
        const BayerParams params{mode, 130, 100, 170};
        test::WithScalarKernels([&] { Demosaic8Inner(area(expected), params); });
        Demosaic8Inner(area(actual), params);
        ASSERT_TRUE(actual.SameBytes(expected)) << mode;
    }
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// 16-bit rows run in 16-bit lanes while every sample is below 4096 and fall
// back to 32-bit lanes otherwise: single samples of 4095, 4096 and 65535
// dropped anywhere in otherwise 10-bit frames, with the largest gains the
// kernels accept (and more), must come out as the reference has them; the
// widths from 64 on take the AVX-512 rows' rolling steps.
TEST(DemosaicFast, SixteenBitLanesAndTheirFallbackMatch) {
    std::mt19937 rng(4096);
    for (const int32_t width : {5, 17, 18, 19, 33, 34, 35, 50, 64, 65, 97, 98, 129}) {
        for (const int32_t dstBytes : {6, 8}) {
            for (int32_t round = 0; round < 12; ++round) {
                const int32_t height = 5 + round % 4;
                const int32_t mode = round % 4;
                TestImage src(width, height, 2);
                src.FillRandom16(rng, 1024);
                const int32_t big[] = {4095, 4096, 65535, 1024};
                for (int32_t k = 0; k < round % 3 + 1; ++k) {
                    src.Set16(static_cast<int32_t>(rng() % static_cast<uint32_t>(width)),
                              static_cast<int32_t>(rng() % static_cast<uint32_t>(height)), big[(round + k) % 4]);
                }
                TestImage expected(width, height, dstBytes);
                expected.FillRandom(rng);
                TestImage actual = expected.Clone();
                const int32_t gains[] = {0, 100, 400, 1599, 5000, -20};
                BayerParams params{mode, gains[round % 6], 100, gains[(round + 3) % 6]};
                SetFastKernelsForTesting(false);
                test::Run(Demosaic16Inner, expected, src, params);
                test::Run(Demosaic16Border, expected, src, params);
                SetFastKernelsForTesting(true);
                test::Run(Demosaic16Inner, actual, src, params);
                test::Run(Demosaic16Border, actual, src, params);
                ASSERT_TRUE(actual.SameBytes(expected))
                    << width << "x" << height << " mode " << mode << " dst " << dstBytes << " round " << round;
            }
        }
    }
}

// The 8-bit demosaic with a table after it, on every set up to this CPU's:
// the reference passes and then the table over the colour samples.
TEST(DemosaicFast, TableAfterTheDemosaicMatchesTheSteps) {
    std::mt19937 rng(256);
    uint8_t table[256];
    for (uint8_t& entry : table)
        entry = static_cast<uint8_t>(rng());
    for (int32_t isa = 0; isa <= static_cast<int32_t>(StartupKernelIsa()); ++isa) {
        for (const Size size : {Size{3, 3}, Size{7, 5}, Size{37, 9}, Size{131, 6}, Size{197, 10}, Size{150, 300}}) {
            for (const int32_t dstBytes : {3, 4}) {
                const int32_t mode = (size.width + dstBytes) % 4;
                TestImage src(size.width, size.height, 1);
                src.FillRandom(rng);
                TestImage expected(size.width, size.height, dstBytes);
                expected.FillRandom(rng);
                TestImage actual = expected.Clone();
                BayerTableParams params{{mode, 90 + isa, 100, 130}, table};
                test::WithScalarKernels([&] {
                    test::Run(Demosaic8Inner, expected, src, params.bayer);
                    test::Run(Demosaic8Border, expected, src, params.bayer);
                });
                for (int32_t y = 0; y < size.height; ++y) {
                    for (int32_t i = 0; i < size.width * dstBytes; ++i) {
                        if (i % dstBytes < 3)
                            expected.Pixel(0, y)[i] = table[expected.Pixel(0, y)[i]];
                    }
                }
                const KernelIsa previous = SetKernelIsaForTesting(static_cast<KernelIsa>(isa));
                test::Run(Demosaic8Table, actual, src, params);
                SetKernelIsaForTesting(previous);
                ASSERT_TRUE(actual.SameBytes(expected))
                    << "isa " << isa << " " << size.width << "x" << size.height << " dst " << dstBytes;
            }
        }
    }
}

// Extreme and out-of-range gains on 8-bit frames, every width around the
// 32-pixel step, both destination layouts.
TEST(DemosaicFast, EightBitExtremeGainsMatch) {
    std::mt19937 rng(808);
    for (int32_t width = 5; width <= 72; ++width) {
        for (const int32_t dstBytes : {3, 4}) {
            const int32_t mode = width % 4;
            TestImage src(width, 6, 1);
            src.FillRandom(rng);
            TestImage expected(width, 6, dstBytes);
            expected.FillRandom(rng);
            TestImage actual = expected.Clone();
            const int32_t gains[] = {0, 1, 1599, 1600, 100000, -5};
            BayerParams params{mode, gains[width % 6], 100, gains[(width / 6) % 6]};
            SetFastKernelsForTesting(false);
            test::Run(Demosaic8Inner, expected, src, params);
            test::Run(Demosaic8Border, expected, src, params);
            SetFastKernelsForTesting(true);
            test::Run(Demosaic8Inner, actual, src, params);
            test::Run(Demosaic8Border, actual, src, params);
            ASSERT_TRUE(actual.SameBytes(expected)) << "width " << width << " dst " << dstBytes;
        }
    }
}

}  // namespace
}  // namespace tavrin

// The vectorised tone, gray and measurement kernels against their references
// (the same kernels with the fast paths switched off), byte for byte, on
// random frames of many sizes and every pixel layout they take.
#include <gtest/gtest.h>

#include "imaging/kernels/balance.h"
#include "imaging/kernels/bright.h"
#include "imaging/kernels/contrast.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/gamma.h"
#include "imaging/kernels/gray.h"
#include "imaging/kernels/huesat.h"
#include "imaging/kernels/sharpen.h"
#include "imaging/kernels/tone_lut.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

const int32_t kWidths[] = {1, 2, 3, 5, 7, 8, 9, 10, 11, 15, 16, 17, 31, 32, 33, 34, 63, 64, 65, 97, 331, 656};
const int32_t kHeights[] = {1, 3, 5, 6, 9};

// Runs `kernel` with the fast paths on and off over copies of `source`.
template <typename Params>
bool SameWithFastPaths(StepKernel<Params> kernel, const TestImage& source, const std::type_identity_t<Params>& params,
                       bool separateSource) {
    TestImage expected = source.Clone();
    TestImage actual = source.Clone();
    SetFastKernelsForTesting(false);
    test::Run(kernel, expected, separateSource ? source : expected, params);
    SetFastKernelsForTesting(true);
    test::Run(kernel, actual, separateSource ? source : actual, params);
    return actual.SameBytes(expected);
}

// The same over random frames of every size in kWidths x kHeights and 656x494.
template <typename Params>
void Compare(StepKernel<Params> kernel, int bytesPerPixel, bool sixteenBit, const std::type_identity_t<Params>& params,
             bool separateSource, const char* name) {
    std::mt19937 rng(77 + bytesPerPixel);
    std::vector<std::pair<int32_t, int32_t>> sizes;
    for (int32_t w : kWidths) {
        for (int32_t h : kHeights)
            sizes.emplace_back(w, h);
    }
    sizes.emplace_back(656, 494);
    for (const auto& [w, h] : sizes) {
        TestImage source(w, h, bytesPerPixel);
        if (sixteenBit) {
            source.FillRandom16(rng, (w + h) % 3 == 0 ? 65536 : 1024);
        } else {
            source.FillRandom(rng);
        }
        ASSERT_TRUE(SameWithFastPaths(kernel, source, params, separateSource))
            << name << " " << w << "x" << h << " bpp " << bytesPerPixel;
    }
}

TEST(ToneFast, LookupTablesMatch) {
    for (int32_t value : {-127, -64, 0, 30, 64, 127}) {
        ToneParams params{value, 10};
        Compare(Contrast8Mono, 1, false, params, false, "contrast8 mono");
        Compare(Contrast8Rgb, 3, false, params, false, "contrast8 rgb");
        Compare(Contrast8Rgb, 4, false, params, false, "contrast8 rgb32");
        Compare(Contrast16Rgb, 8, true, params, false, "contrast16 rgb64");
    }
    for (int32_t value : {0, 50, 99, 150, 200}) {
        ToneParams params{value, 10};
        Compare(Gamma8Mono, 1, false, params, false, "gamma8 mono");
        Compare(Gamma8Rgb, 3, false, params, false, "gamma8 rgb");
        Compare(Gamma8Rgb, 4, false, params, false, "gamma8 rgb32");
        Compare(Gamma16Mono, 2, true, params, false, "gamma16 mono");
        Compare(Gamma16Rgb, 6, true, params, false, "gamma16 rgb48");
    }
}

// Any table, not only the monotone ones the steps build, on the AVX-512 path.
TEST(ToneFast, Avx512ByteTableMatchesReference) {
    if (StartupKernelIsa() < KernelIsa::kAvx512)
        GTEST_SKIP() << "AVX-512 (F, BW, VL, VBMI) is not on this path";
    const KernelIsa previous = SetKernelIsaForTesting(KernelIsa::kAvx512);
    const auto applyTable8 = Kernels().applyTable8;
    SetKernelIsaForTesting(previous);
    std::mt19937 rng(5);
    uint8_t table[256];
    for (uint8_t& entry : table)
        entry = static_cast<uint8_t>(rng());
    for (const auto& [bpp, channels] : {std::pair{1, 1}, {3, 3}, {4, 3}}) {
        for (int32_t w : kWidths) {
            TestImage expected(w, 3, bpp);
            expected.FillRandom(rng);
            TestImage actual = expected.Clone();
            const auto area = [&, bpp = bpp](TestImage& image) {
                return KernelArea{image.bits.get(), image.bits.get(), 0, 0, w, 3, 0, 0, bpp, bpp,
                                  image.stride,     image.stride};
            };
            ApplyTable8_C(area(expected), channels, table);
            applyTable8(area(actual), channels, table);
            ASSERT_TRUE(actual.SameBytes(expected)) << "width " << w << " bpp " << bpp;
        }
    }
}

// Any 16-bit table of every size a depth gives, on each vector path the CPU
// has, over samples of the whole 16-bit range (most past the table's end).
TEST(ToneFast, WordTablesMatchReference) {
    std::mt19937 rng(16);
    std::vector<uint16_t> table(65536);
    for (uint16_t& entry : table)
        entry = static_cast<uint16_t>(rng());
    for (const KernelIsa isa : {KernelIsa::kAvx2, KernelIsa::kAvx512}) {
        if (StartupKernelIsa() < isa)
            continue;
        const KernelIsa previous = SetKernelIsaForTesting(isa);
        const auto applyTable16 = Kernels().applyTable16;
        SetKernelIsaForTesting(previous);
        for (const int32_t size : {256, 1024, 4096}) {
            for (const auto& [bpp, channels] : {std::pair{2, 1}, {6, 3}, {8, 3}}) {
                for (const int32_t w : {1, 15, 16, 17, 33, 65, 331}) {
                    TestImage expected(w, 3, bpp);
                    expected.FillRandom16(rng, w % 2 == 0 ? 1100 : 65536);
                    TestImage actual = expected.Clone();
                    const auto area = [&, bpp = bpp](TestImage& image) {
                        return KernelArea{image.bits.get(), image.bits.get(), 0, 0, w, 3, 0, 0, bpp, bpp,
                                          image.stride,     image.stride};
                    };
                    ApplyTable16_C(area(expected), channels, table.data(), size);
                    applyTable16(area(actual), channels, table.data(), size);
                    ASSERT_TRUE(actual.SameBytes(expected))
                        << KernelIsaName(isa) << " size " << size << " width " << w << " bpp " << bpp;
                }
            }
        }
    }
}

TEST(ToneFast, BrightnessMatches) {
    for (int32_t value : {-255, -100, -1, 1, 37, 255, 100000}) {
        ToneParams params{value, 10};
        Compare(Bright8Mono, 1, false, params, false, "bright8 mono");
        Compare(Bright8Rgb, 3, false, params, false, "bright8 rgb");
        Compare(Bright8Rgb, 4, false, params, false, "bright8 rgb32");
        Compare(Bright16Mono, 2, true, params, false, "bright16 mono");
        Compare(Bright16Rgb, 6, true, params, false, "bright16 rgb48");
        Compare(Bright16Rgb, 8, true, params, false, "bright16 rgb64");
    }
}

TEST(ToneFast, SharpnessMatches) {
    for (int32_t value : {1, 10, 17, 30}) {
        ToneParams params{value, 10};
        Compare(Sharpen8Mono, 1, false, params, true, "sharpen8 mono");
        Compare(Sharpen8Rgb, 3, false, params, true, "sharpen8 rgb");
        Compare(Sharpen8Rgb, 4, false, params, true, "sharpen8 rgb32");
        Compare(Sharpen16Mono, 2, true, params, true, "sharpen16 mono");
        Compare(Sharpen16Rgb, 6, true, params, true, "sharpen16 rgb48");
        Compare(Sharpen16Rgb, 8, true, params, true, "sharpen16 rgb64");
    }
}

// 16-bit sharpening at other depths, and sensor frames with a few samples
// too large for 16-bit lanes: only the row segments that hold one may leave
// the lanes, and the result is the reference's either way.
TEST(ToneFast, Sharpness16OutliersAndDepthsMatch) {
    std::mt19937 rng(16);
    for (const auto& [bits, value] : {std::pair{10, 30}, {8, 30}, {12, 5}, {16, 30}, {16, 0}, {10, 8}}) {
        ToneParams params{value, bits};
        for (const int32_t bpp : {2, 6, 8}) {
            for (const int32_t w : {5, 21, 400, 656}) {
                TestImage source(w, 7, bpp);
                source.FillRandom16(rng, 1024);
                for (int32_t k = 0; k < 3; ++k) {
                    const int32_t outlier[] = {1024, 4096, 65535};
                    source.Set16(static_cast<int32_t>(rng() % static_cast<uint32_t>(w)), 2 + k % 4, outlier[k],
                                 static_cast<int32_t>(rng() % static_cast<uint32_t>(bpp / 2)));
                }
                ASSERT_TRUE(SameWithFastPaths(bpp == 2 ? Sharpen16Mono : Sharpen16Rgb, source, params, true))
                    << "bits " << bits << " strength " << value << " bpp " << bpp << " width " << w;
            }
        }
    }
}

TEST(ToneFast, HueSaturationMatches) {
    for (const auto& [hue, saturation] : {std::pair{0, 10}, {120, 0}, {-120, -255}, {33, 200}, {-359, 255}}) {
        HueSatParams params{hue, 0, saturation, 10};
        Compare(HueSat8, 3, false, params, false, "huesat8 rgb24");
        Compare(HueSat8, 4, false, params, false, "huesat8 rgb32");
        Compare(HueSat16, 6, true, params, false, "huesat16 rgb48");
    }
}

TEST(ToneFast, GrayGainsMatch) {
    for (int mode = 0; mode < 4; ++mode) {
        GrayParams params{mode, 0, 128, 200, 300, -20, 0, 255, -255, 8};
        Compare(GrayGain8, 1, false, params, false, "graygain8");
        params.bits = 10;
        Compare(GrayGain16, 2, true, params, false, "graygain16");
        GrayParams extreme{mode, 32767, 1, 255, 60000, 70000, -70000, 3, 0, 12};
        Compare(GrayGain8, 1, false, extreme, false, "graygain8 extreme");
        Compare(GrayGain16, 2, true, extreme, false, "graygain16 extreme");
    }
}

TEST(ToneFast, WhiteBalanceMatches) {
    std::mt19937 rng(31);
    for (int32_t w : kWidths) {
        for (int mode = 0; mode < 4; ++mode) {
            TestImage frame(w, 7, 1);
            frame.FillRandom(rng);
            TestImage wide(w, 7, 2);
            wide.FillRandom(rng);
            const BalanceParams params{mode};
            for (const auto& [kernel, image] : {std::pair{&WhiteBalance8, &frame}, {&WhiteBalance16, &wide}}) {
                SetFastKernelsForTesting(false);
                const BalanceGains slow = test::Run(kernel, *image, *image, params);
                SetFastKernelsForTesting(true);
                const BalanceGains fast = test::Run(kernel, *image, *image, params);
                EXPECT_EQ(fast.red, slow.red);
                EXPECT_EQ(fast.blue, slow.blue);
            }
        }
    }
}

}  // namespace
}  // namespace tavrin

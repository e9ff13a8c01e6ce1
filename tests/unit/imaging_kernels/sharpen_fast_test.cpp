// Each vectorised 8-bit sharpening against the reference, byte for byte:
// every strength, with and without a table after it, content that reaches
// the largest corrections (runs of 0 and 255), widths around the vector
// steps and the row segments, frames too small to sharpen, and a
// destination that differs from the source, so that bytes the step must
// leave alone (the frame, the fourth byte of 32-bit pixels) are checked too.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/sharpen.h"
#include "imaging/kernels/tone_lut.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

using Sharpen8Fast = test::PerPathTest;

// Random bytes, a third of them pushed to 0 or 255.
void FillHarsh(TestImage& image, std::mt19937& rng) {
    image.FillRandom(rng);
    for (size_t i = 0; i < image.Size(); ++i) {
        if (rng() % 3 == 0)
            image.bits[i] = rng() % 2 == 0 ? 0 : 255;
    }
}

struct SharpenLayout {
    int32_t bpp;
    ToneKernel kernel;
    StepKernel<SharpenTableParams> withTable;
};

// Sharpens `source` into `image` with the kernel that takes the table when
// there is one (only 8-bit samples have one), with the plain one otherwise.
void SharpenFromCopy(ToneKernel kernel, StepKernel<SharpenTableParams> withTable, TestImage& image,
                     const TestImage& source, int32_t strength, int32_t bits, const uint8_t* table256) {
    if (table256 != nullptr) {
        test::Run(withTable, image, source, SharpenTableParams{strength, table256});
    } else {
        test::Run(kernel, image, source, ToneParams{strength, bits});
    }
}

// Every other strength with a table after the sharpening: on the path the
// kernel that takes it, on the reference the two steps one after another.
TEST_P(Sharpen8Fast, MatchesReference) {
    std::mt19937 rng(808);
    uint8_t table[256];
    for (uint8_t& entry : table)
        entry = static_cast<uint8_t>(rng());
    const int32_t widths[] = {1, 4, 5, 6, 13, 36, 37, 38, 68, 69, 70, 100, 131, 340, 341, 342, 343, 346, 656, 1029};
    for (const SharpenLayout& layout :
         {SharpenLayout{1, Sharpen8Mono, SharpenTable8Mono}, SharpenLayout{3, Sharpen8Rgb, SharpenTable8Rgb},
          SharpenLayout{4, Sharpen8Rgb, SharpenTable8Rgb}}) {
        for (const int32_t width : widths) {
            for (int32_t strength = 0; strength <= 30; strength += width % 2 == 0 ? 1 : 7) {
                const int32_t height = strength % 5 == 4 ? 4 : 5 + width % 3;
                const bool withTable = strength % 2 == 1;
                const int32_t bpp = layout.bpp;
                TestImage source(width, height, bpp);
                FillHarsh(source, rng);
                TestImage expected(width, height, bpp);
                expected.FillRandom(rng);
                TestImage actual = expected.Clone();
                const KernelIsa previous = SetKernelIsaForTesting(KernelIsa::kScalar);
                test::Run(layout.kernel, expected, source, ToneParams{strength, 8});
                if (withTable) {
                    uint8_t* p = expected.bits.get();
                    ApplyTable8_C(
                        KernelArea{p, p, 0, 0, width, height, 0, 0, bpp, bpp, expected.stride, expected.stride},
                        bpp == 1 ? 1 : 3, table);
                }
                SetKernelIsaForTesting(GetParam());
                SharpenFromCopy(layout.kernel, layout.withTable, actual, source, strength, 8,
                                withTable ? table : nullptr);
                SetKernelIsaForTesting(previous);
                ASSERT_TRUE(actual.SameBytes(expected)) << "bpp " << bpp << " " << width << "x" << height
                                                        << " strength " << strength << (withTable ? " with table" : "");
            }
        }
    }
}

TAVRIN_FOR_EACH_VECTOR_PATH(Sharpen8Fast);

// In place with a ring of three rows against the same path reading a copy,
// byte for byte, on every path and layout: 8-bit with and without a table,
// 16-bit with samples too large for 16-bit lanes in some rows. The ring is
// exactly as large as asked for, so a read or write past it faults under
// AddressSanitizer.
using SharpenInPlace = test::PerPathTest;

TEST_P(SharpenInPlace, MatchesCopy) {
    std::mt19937 rng(909);
    uint8_t table[256];
    for (uint8_t& entry : table)
        entry = static_cast<uint8_t>(rng());
    struct Case {
        int32_t bpp;
        bool wide;
        ToneKernel fromCopy;
        StepKernel<SharpenTableParams> fromCopyWithTable;
        StepKernel<SharpenInPlaceParams> inPlace;
    };
    const Case cases[] = {{1, false, Sharpen8Mono, SharpenTable8Mono, SharpenInPlace8Mono},
                          {3, false, Sharpen8Rgb, SharpenTable8Rgb, SharpenInPlace8Rgb},
                          {4, false, Sharpen8Rgb, SharpenTable8Rgb, SharpenInPlace8Rgb},
                          {2, true, Sharpen16Mono, nullptr, SharpenInPlace16Mono},
                          {6, true, Sharpen16Rgb, nullptr, SharpenInPlace16Rgb},
                          {8, true, Sharpen16Rgb, nullptr, SharpenInPlace16Rgb}};
    const KernelIsa previous = SetKernelIsaForTesting(GetParam());
    for (const Case& c : cases) {
        for (const int32_t width : {4, 5, 6, 37, 70, 343, 656, 1029}) {
            const int32_t strength = static_cast<int32_t>(rng() % 31);
            const int32_t height = 4 + width % 7;
            const bool withTable = !c.wide && width % 2 == 1;
            TestImage image(width, height, c.bpp, width % 3 == 0);
            if (c.wide) {
                image.FillRandom16(rng, width % 2 == 0 ? 1024 : 65536);
            } else {
                FillHarsh(image, rng);
            }
            TestImage expected = image.Clone();
            const TestImage copy = image.Clone();
            SharpenFromCopy(c.fromCopy, c.fromCopyWithTable, expected, copy, strength, 10, withTable ? table : nullptr);
            std::vector<uint8_t> ring(static_cast<size_t>(SharpenRingBytes(width, c.bpp)));
            SharpenInPlaceParams inPlace{strength, 10, withTable ? table : nullptr, ring.data()};
            test::RunInPlace(c.inPlace, image, inPlace);
            ASSERT_TRUE(image.SameBytes(expected)) << "bpp " << c.bpp << " " << width << "x" << height << " strength "
                                                   << strength << (withTable ? " with table" : "");
        }
    }
    SetKernelIsaForTesting(previous);
}

INSTANTIATE_TEST_SUITE_P(Paths, SharpenInPlace,
                         ::testing::Values(KernelIsa::kScalar, KernelIsa::kSse2, KernelIsa::kAvx2, KernelIsa::kAvx512),
                         test::PathName);

}  // namespace
}  // namespace tavrin

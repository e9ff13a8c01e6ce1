// Each vectorised 8-bit sharpening against the reference, byte for byte:
// every strength, content that reaches the largest corrections (runs of 0
// and 255), widths around the vector steps and the row segments, and a
// destination that differs from the source, so that bytes the step must
// leave alone (the frame, the fourth byte of 32-bit pixels) are checked too.
#include <gtest/gtest.h>

#include <random>

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/sharpen.h"
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

TEST_P(Sharpen8Fast, MatchesReference) {
    std::mt19937 rng(808);
    const int32_t widths[] = {5, 6, 13, 36, 37, 38, 68, 69, 70, 100, 131, 340, 341, 342, 343, 346, 656, 1029};
    for (const auto& [bpp, kernel] :
         {std::pair<int32_t, PixelKernel>{1, Sharpen8Mono}, {3, Sharpen8Rgb}, {4, Sharpen8Rgb}}) {
        for (const int32_t width : widths) {
            for (int32_t strength = 0; strength <= 30; strength += width % 2 == 0 ? 1 : 7) {
                const int32_t height = 5 + width % 3;
                TestImage source(width, height, bpp);
                FillHarsh(source, rng);
                TestImage expected(width, height, bpp);
                expected.FillRandom(rng);
                TestImage actual = expected.Clone();
                ToneParams params{strength, 8};
                const KernelIsa previous = SetKernelIsaForTesting(KernelIsa::kScalar);
                test::Run(kernel, expected, source, &params);
                SetKernelIsaForTesting(GetParam());
                test::Run(kernel, actual, source, &params);
                SetKernelIsaForTesting(previous);
                ASSERT_TRUE(actual.SameBytes(expected))
                    << "bpp " << bpp << " width " << width << " strength " << strength;
            }
        }
    }
}

TAVRIN_FOR_EACH_VECTOR_PATH(Sharpen8Fast);

}  // namespace
}  // namespace tavrin

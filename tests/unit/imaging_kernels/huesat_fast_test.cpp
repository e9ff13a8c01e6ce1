// The vectorised hue and saturation transform against the reference over
// every 24-bit colour, and on rows of every width around its vector steps
// (in place and into another image), with rows ending at the allocation's end.
#include <gtest/gtest.h>

#include <random>

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/huesat.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

// One image per blue value: green along the rows, red down the columns.
void CompareAllColours(HueSatParams params, int32_t blueStep) {
    for (int32_t blue = 0; blue < 256; blue += blueStep) {
        TestImage image(256, 256, 3);
        for (int32_t red = 0; red < 256; ++red) {
            for (int32_t green = 0; green < 256; ++green) {
                uint8_t* p = image.Pixel(green, red);
                p[0] = static_cast<uint8_t>(blue);
                p[1] = static_cast<uint8_t>(green);
                p[2] = static_cast<uint8_t>(red);
            }
        }
        TestImage expected = image.Clone();
        SetFastKernelsForTesting(false);
        test::RunInPlace(HueSat8, expected, &params);
        SetFastKernelsForTesting(true);
        test::RunInPlace(HueSat8, image, &params);
        for (int32_t red = 0; red < 256; ++red) {
            for (int32_t green = 0; green < 256; ++green) {
                for (int32_t c = 0; c < 3; ++c) {
                    ASSERT_EQ(image.Get8(green, red, c), expected.Get8(green, red, c))
                        << "hue " << params.hue << " saturation " << params.saturation << " colour (" << blue << ", "
                        << green << ", " << red << ") channel " << c;
                }
            }
        }
    }
}

TEST(HueSatFast, EveryColourMatches) {
    CompareAllColours(HueSatParams{77, 0, 130, 10}, 1);
    CompareAllColours(HueSatParams{-200, 0, -90, 10}, 5);
    CompareAllColours(HueSatParams{359, 0, 255, 10}, 7);
    CompareAllColours(HueSatParams{0, 0, -255, 10}, 11);
    CompareAllColours(HueSatParams{-360, 0, 9999, 10}, 13);
}

TEST(HueSatFast, RowsOfEveryWidthMatch) {
    std::mt19937 rng(515);
    for (const int32_t bpp : {3, 4}) {
        for (int32_t width = 1; width <= 100; ++width) {
            for (const bool inPlace : {true, false}) {
                HueSatParams params{static_cast<int32_t>(rng() % 721) - 360, 0, static_cast<int32_t>(rng() % 511) - 255,
                                    10};
                TestImage source(width, 3, bpp);
                source.FillRandom(rng);
                TestImage expected = source.Clone();
                TestImage actual = source.Clone();
                SetFastKernelsForTesting(false);
                test::Run(HueSat8, expected, inPlace ? expected : source, &params);
                SetFastKernelsForTesting(true);
                test::Run(HueSat8, actual, inPlace ? actual : source, &params);
                ASSERT_TRUE(actual.SameBytes(expected))
                    << "bpp " << bpp << " width " << width << (inPlace ? " in place" : " copied");
            }
        }
    }
}

}  // namespace
}  // namespace tavrin

// Each vectorised hue and saturation transform against the reference over
// every 24-bit colour, over every hue and every saturation on edge colours
// (grays, primaries, 0/255 extremes), and on rows of every width around its
// vector steps (in place and into another image), with rows ending at the
// allocation's end. A path the processor (or the cap) lacks is skipped.
#include <gtest/gtest.h>

#include <random>

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/huesat.h"
#include "imaging/kernels/kernel_area.h"
#include "imaging/kernels/tone_lut.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

class HueSatFast : public test::PerPathTest {
public:
    // `kernel` from `source` (nullptr: in place) into `expected` on the
    // reference and into `actual` on the path under test. With a table,
    // HueSatTable8 on the path against HueSat8 and then the table.
    void RunBoth(HueSatKernel kernel, TestImage& expected, TestImage& actual, const TestImage* source,
                 HueSatParams params, const uint8_t* table256 = nullptr) const {
        const KernelIsa previous = SetKernelIsaForTesting(KernelIsa::kScalar);
        test::Run(kernel, expected, source != nullptr ? *source : expected, params);
        if (table256 != nullptr) {
            uint8_t* p = expected.bits.get();
            const int32_t bpp = expected.bytesPerPixel;
            ApplyTable8_C(KernelArea{p, p, 0, 0, expected.width, expected.height, 0, 0, bpp, bpp, expected.stride,
                                     expected.stride},
                          3, table256);
        }
        SetKernelIsaForTesting(GetParam());
        if (table256 != nullptr) {
            test::Run(HueSatTable8, actual, source != nullptr ? *source : actual, HueSatTableParams{params, table256});
        } else {
            test::Run(kernel, actual, source != nullptr ? *source : actual, params);
        }
        SetKernelIsaForTesting(previous);
    }
};

// One image per blue value: green along the rows, red down the columns.
void CompareAllColours(const HueSatFast& fixture, HueSatParams params, int32_t blueStep) {
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
        fixture.RunBoth(HueSat8, expected, image, nullptr, params);
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

TEST_P(HueSatFast, EveryColourMatches) {
    CompareAllColours(*this, HueSatParams{77, 0, 130, 10}, 1);
    CompareAllColours(*this, HueSatParams{-200, 0, -90, 10}, 5);
    CompareAllColours(*this, HueSatParams{359, 0, 255, 10}, 7);
    CompareAllColours(*this, HueSatParams{0, 0, -255, 10}, 11);
    CompareAllColours(*this, HueSatParams{-360, 0, 9999, 10}, 13);
}

// Every combination of 0, 1, 128, 254 and 255 (grays, primaries and their
// mixes among them), more grays, then random pixels: 197 of them, three
// vector steps of 64 and a tail.
TestImage EdgeColours() {
    TestImage image(197, 1, 3);
    std::mt19937 rng(3);
    image.FillRandom(rng);
    const int32_t levels[] = {0, 1, 128, 254, 255};
    int32_t x = 0;
    for (const int32_t b : levels) {
        for (const int32_t g : levels) {
            for (const int32_t r : levels) {
                image.Set8(x, 0, b, 0), image.Set8(x, 0, g, 1), image.Set8(x++, 0, r, 2);
            }
        }
    }
    for (int32_t k = 2; k < 256; k += 17) {
        for (int32_t c = 0; c < 3; ++c)
            image.Set8(x, 0, k, c);
        ++x;
    }
    return image;
}

TEST_P(HueSatFast, EveryHueAndSaturationMatches) {
    const TestImage source = EdgeColours();
    const auto check = [&](int32_t hue, int32_t saturation) {
        TestImage expected = source.Clone();
        TestImage actual = source.Clone();
        RunBoth(HueSat8, expected, actual, nullptr, HueSatParams{hue, 0, saturation, 10});
        ASSERT_TRUE(actual.SameBytes(expected)) << "hue " << hue << " saturation " << saturation;
    };
    // Each hue with a saturation that walks the range, and the other way round.
    for (int32_t hue = -360; hue <= 360; ++hue)
        check(hue, (hue + 360) * 97 % 511 - 255);
    for (int32_t saturation = -255; saturation <= 255; ++saturation)
        check((saturation + 255) * 131 % 721 - 360, saturation);
}

// 8-bit pixels of 3 and 4 bytes, every other width with a table after the
// transform, and 16-bit ones of 6 and 8 bytes with every sample size (and
// samples above it, which the transform limits).
TEST_P(HueSatFast, RowsOfEveryWidthMatch) {
    std::mt19937 rng(515);
    uint8_t table[256];
    for (uint8_t& entry : table)
        entry = static_cast<uint8_t>(rng());
    for (const int32_t bpp : {3, 4, 6, 8}) {
        for (int32_t width = 1; width <= 140; ++width) {
            for (const bool inPlace : {true, false}) {
                const HueSatParams params{static_cast<int32_t>(rng() % 721) - 360, 0,
                                          static_cast<int32_t>(rng() % 511) - 255, 8 + width % 10};
                TestImage source(width, 3, bpp);
                if (bpp > 4) {
                    source.FillRandom16(rng, width % 3 == 0 ? 65536 : 1u << SignificantBits(params.bits));
                } else {
                    source.FillRandom(rng);
                }
                TestImage expected = source.Clone();
                TestImage actual = source.Clone();
                const uint8_t* table256 = bpp <= 4 && width % 2 == 1 ? table : nullptr;
                RunBoth(bpp > 4 ? HueSat16 : HueSat8, expected, actual, inPlace ? nullptr : &source, params, table256);
                ASSERT_TRUE(actual.SameBytes(expected))
                    << "bpp " << bpp << " width " << width << " bits " << params.bits
                    << (table256 != nullptr ? " with table" : "") << (inPlace ? " in place" : " copied");
            }
        }
    }
}

TAVRIN_FOR_EACH_VECTOR_PATH(HueSatFast);

}  // namespace
}  // namespace tavrin

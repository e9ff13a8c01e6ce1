#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "imaging/kernels/huesat.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

// One 24-bit pixel through HueSat8; returns blue, green, red.
std::array<int, 3> Transform(int blue, int green, int red, int hue, int saturation) {
    TestImage image(1, 1, 3);
    image.Set8(0, 0, blue, 0);
    image.Set8(0, 0, green, 1);
    image.Set8(0, 0, red, 2);
    HueSatParams params{hue, 0, saturation, 10};
    test::RunInPlace(HueSat8, image, params);
    return {image.Get8(0, 0, 0), image.Get8(0, 0, 1), image.Get8(0, 0, 2)};
}

TEST(HueSat, HueRotatesPureRed) {
    EXPECT_EQ(Transform(0, 0, 255, 120, 0), (std::array<int, 3>{0, 255, 2}));
    EXPECT_EQ(Transform(0, 0, 255, -120, 0), (std::array<int, 3>{255, 0, 0}));
}

TEST(HueSat, FullDesaturationGivesGray) {
    EXPECT_EQ(Transform(0, 0, 255, 0, -255), (std::array<int, 3>{127, 127, 128}));
    std::mt19937 rng(2);
    for (int i = 0; i < 500; ++i) {
        const auto out = Transform(rng() % 256, rng() % 256, rng() % 256, 0, -255);
        EXPECT_LE(std::abs(out[0] - out[1]), 1);
        EXPECT_LE(std::abs(out[1] - out[2]), 1);
    }
}

TEST(HueSat, NeutralSettingsKeepPixelsWithinOneStep) {
    std::mt19937 rng(4);
    for (int i = 0; i < 2000; ++i) {
        const int b = rng() % 256, g = rng() % 256, r = rng() % 256;
        const auto out = Transform(b, g, r, 0, 0);
        EXPECT_LE(std::abs(out[0] - b), 1);
        EXPECT_LE(std::abs(out[1] - g), 1);
        EXPECT_LE(std::abs(out[2] - r), 1);
    }
}

TEST(HueSat, FourthByteIsKept) {
    std::mt19937 rng(8);
    TestImage image(45, 7, 4);
    image.FillRandom(rng);
    const TestImage before = image.Clone();
    HueSatParams params{77, 0, 40, 10};
    test::RunInPlace(HueSat8, image, params);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 45; ++x)
            ASSERT_EQ(image.Get8(x, y, 3), before.Get8(x, y, 3));
    }
}

// The 16-bit kernel works on the top eight of ten bits and stores them back.
TEST(HueSat, SixteenBitWorksOnTheTopEightBits) {
    TestImage wide(1, 1, 6);
    wide.Set16(0, 0, 3, 0);
    wide.Set16(0, 0, 2, 1);
    wide.Set16(0, 0, 1023, 2);
    HueSatParams params{120, 0, 0, 10};
    test::RunInPlace(HueSat16, wide, params);
    EXPECT_EQ(wide.Get16(0, 0, 0), 0);
    EXPECT_EQ(wide.Get16(0, 0, 1), 255 << 2);
    EXPECT_EQ(wide.Get16(0, 0, 2), 2 << 2);
}

// Settings from a stored value may lie outside their ranges: the hue goes
// round the circle, saturation and depth are limited (and so the tables are
// never read outside).
TEST(HueSat, OutOfRangeSettingsActAsTheirInRangeEquivalents) {
    std::mt19937 rng(6);
    TestImage narrow(19, 5, 3);
    narrow.FillRandom(rng);
    TestImage wide(19, 5, 8);
    wide.FillRandom(rng);
    for (const int32_t value : {INT32_MIN, -70000, -256, 256, 70000, INT32_MAX}) {
        SCOPED_TRACE(value);
        HueSatParams outside{value, 0, value, value};
        HueSatParams inside{value % 360, 0, std::clamp(value, -255, 255), std::clamp(value, 8, 16)};
        for (const auto& [kernel, source] : {std::pair{&HueSat8, &narrow}, {&HueSat16, &wide}}) {
            TestImage got = source->Clone();
            TestImage want = source->Clone();
            test::RunInPlace(kernel, got, outside);
            test::RunInPlace(kernel, want, inside);
            EXPECT_TRUE(got.SameBytes(want));
        }
    }
}

// Cameras converting at once with different saturations get the results they
// would get alone (the tables are not shared between threads).
TEST(HueSat, ConcurrentCamerasDoNotShareTables) {
    std::mt19937 rng(12);
    TestImage frame(64, 32, 3);
    frame.FillRandom(rng);
    TestImage expectedA = frame.Clone();
    TestImage expectedB = frame.Clone();
    HueSatParams a{30, 0, 120, 10};
    HueSatParams b{-45, 0, -200, 10};
    test::RunInPlace(HueSat8, expectedA, a);
    test::RunInPlace(HueSat8, expectedB, b);
    bool sameA = true;
    bool sameB = true;
    const auto run = [&frame](HueSatParams params, const TestImage& expected, bool& same) {
        for (int i = 0; i < 200 && same; ++i) {
            TestImage image = frame.Clone();
            test::RunInPlace(HueSat8, image, params);
            same = image.SameBytes(expected);
        }
    };
    std::thread first(run, a, std::cref(expectedA), std::ref(sameA));
    std::thread second(run, b, std::cref(expectedB), std::ref(sameB));
    first.join();
    second.join();
    EXPECT_TRUE(sameA);
    EXPECT_TRUE(sameB);
}

}  // namespace
}  // namespace tavrin

#include <gtest/gtest.h>

#include "imaging/kernels/demosaic.h"
#include "kernel_test_support.h"

namespace tavrin {
namespace {

using test::TestImage;

// Colour of a mosaic site for a mode: 0 green, 1 blue, 2 red.
int SiteColour(int mode, int x, int y) {
    const int rowPhase = (mode & 1) ^ (y & 1);
    const int columnPhase = ((mode >> 1) & 1) ^ (x & 1);
    if (rowPhase == columnPhase)
        return 0;
    return rowPhase == 1 ? 2 : 1;
}

void Demosaic8(TestImage& dst, const TestImage& src, BayerParams params) {
    test::Run(Demosaic8Inner, dst, src, params);
    test::Run(Demosaic8Border, dst, src, params);
}

void Demosaic16(TestImage& dst, const TestImage& src, BayerParams params) {
    test::Run(Demosaic16Inner, dst, src, params);
    test::Run(Demosaic16Border, dst, src, params);
}

TEST(Demosaic, FlatFieldStaysFlatEverywhere) {
    for (int mode = 0; mode < 4; ++mode) {
        for (int bpp : {3, 4}) {
            TestImage src(20, 14, 1);
            src.Fill(100);
            TestImage dst(20, 14, bpp);
            Demosaic8(dst, src, {mode, 100, 100, 100});
            for (int y = 0; y < 14; ++y) {
                for (int x = 0; x < 20; ++x) {
                    for (int c = 0; c < 3; ++c)
                        ASSERT_EQ(dst.Get8(x, y, c), 100) << mode << " " << x << "," << y;
                }
            }
        }
    }
}

TEST(Demosaic, RedGainSaturatesAndZeroGainBlanks) {
    TestImage src(16, 12, 1);
    src.Fill(200);
    TestImage dst(16, 12, 3);
    Demosaic8(dst, src, {1, 200, 100, 100});
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(dst.Get8(x, y, 2), 255);
            EXPECT_EQ(dst.Get8(x, y, 1), 200);
            EXPECT_EQ(dst.Get8(x, y, 0), 200);
        }
    }
    Demosaic8(dst, src, {1, 0, 100, 100});
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(dst.Get8(x, y, 2), 0);
    }
}

TEST(Demosaic, GreenGainHasNoEffect) {
    std::mt19937 rng(7);
    TestImage src(33, 21, 1);
    src.FillRandom(rng);
    TestImage unity(33, 21, 3);
    TestImage strong(33, 21, 3);
    Demosaic8(unity, src, {2, 120, 100, 80});
    Demosaic8(strong, src, {2, 120, 400, 80});
    EXPECT_TRUE(unity.SameBytes(strong));
}

TEST(Demosaic, RedSitesGiveRedEverywhereInEveryMode) {
    for (int mode = 0; mode < 4; ++mode) {
        TestImage src(24, 10, 1);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 24; ++x)
                src.Set8(x, y, SiteColour(mode, x, y) == 2 ? 255 : 0);
        }
        TestImage dst(24, 10, 3);
        Demosaic8(dst, src, {mode, 100, 100, 100});
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 24; ++x) {
                ASSERT_EQ(dst.Get8(x, y, 2), 255) << mode << " " << x << "," << y;
                ASSERT_EQ(dst.Get8(x, y, 1), 0);
                ASSERT_EQ(dst.Get8(x, y, 0), 0);
            }
        }
    }
}

TEST(Demosaic, SixteenBitFlatFieldSaturatesBlue) {
    TestImage src(18, 12, 2);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 18; ++x)
            src.Set16(x, y, 1023);
    }
    for (int bpp : {6, 8}) {
        TestImage dst(18, 12, bpp);
        Demosaic16(dst, src, {1, 100, 100, 150});
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 18; ++x) {
                EXPECT_EQ(dst.Get16(x, y, 0), 1023);
                EXPECT_EQ(dst.Get16(x, y, 1), 1023);
                EXPECT_EQ(dst.Get16(x, y, 2), 1023);
            }
        }
    }
}

// On a horizontal ramp (sample = column) the block centre lies half a pixel to
// the left, so every channel of an inner pixel is column - 1 (truncated).
TEST(Demosaic, InnerPixelsSitAtTheBlockCentre) {
    for (int mode = 0; mode < 4; ++mode) {
        TestImage src(40, 9, 1);
        TestImage vertical(9, 40, 1);
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 40; ++x) {
                src.Set8(x, y, x);
                vertical.Set8(y, x, x);
            }
        }
        TestImage dst(40, 9, 3);
        TestImage dstVertical(9, 40, 3);
        BayerParams params{mode, 100, 100, 100};
        test::Run(Demosaic8Inner, dst, src, params);
        test::Run(Demosaic8Inner, dstVertical, vertical, params);
        for (int y = 2; y <= 6; ++y) {
            for (int x = 2; x <= 37; ++x) {
                for (int c = 0; c < 3; ++c) {
                    ASSERT_EQ(dst.Get8(x, y, c), x - 1) << mode << " " << x << "," << y << " " << c;
                    ASSERT_EQ(dstVertical.Get8(y, x, c), x - 1) << mode << " " << y << "," << x << " " << c;
                }
            }
        }
    }
}

// Mode 1 (R G / G B): the blue sum of the red pixel (0, 0) reads (3, 3) in
// place of (-1, -1), (1, 3) in place of (1, -1) and (3, 1) in place of (-1, 1).
TEST(Demosaic, BorderTakesTheSameColourFromTheOtherSide) {
    TestImage src(8, 8, 1);
    src.Set8(3, 3, 160);
    TestImage dst(8, 8, 3);
    Demosaic8(dst, src, {1, 100, 100, 100});
    EXPECT_EQ(dst.Get8(0, 0, 0), 9 * 160 / 16);
    src.Fill(0);
    src.Set8(1, 3, 160);
    Demosaic8(dst, src, {1, 100, 100, 100});
    EXPECT_EQ(dst.Get8(0, 0, 0), 3 * 160 / 16);
    src.Fill(0);
    src.Set8(3, 1, 160);
    Demosaic8(dst, src, {1, 100, 100, 100});
    EXPECT_EQ(dst.Get8(0, 0, 0), 3 * 160 / 16);
}

TEST(Demosaic, FourByFourComesFromTheBorderPassAlone) {
    TestImage src(4, 4, 1);
    src.Fill(90);
    TestImage dst(4, 4, 3);
    BayerParams params{0, 100, 100, 100};
    test::Run(Demosaic8Inner, dst, src, params);
    TestImage untouched(4, 4, 3);
    EXPECT_TRUE(dst.SameBytes(untouched));
    test::Run(Demosaic8Border, dst, src, params);
    for (int i = 0; i < 16 * 3; ++i)
        EXPECT_EQ(dst.bits[i], 90);
}

TEST(Demosaic, FourthChannelIsKept) {
    std::mt19937 rng(3);
    TestImage src(37, 11, 1);
    src.FillRandom(rng);
    TestImage dst(37, 11, 4);
    dst.Fill(0xAB);
    Demosaic8(dst, src, {3, 140, 100, 90});
    TestImage src16(37, 11, 2);
    src16.FillRandom16(rng, 1024);
    TestImage dst16(37, 11, 8);
    dst16.Fill(0xCD);
    Demosaic16(dst16, src16, {3, 140, 100, 90});
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 37; ++x) {
            ASSERT_EQ(dst.Get8(x, y, 3), 0xAB);
            ASSERT_EQ(dst16.Get16(x, y, 3), 0xCDCD);
        }
    }
}

// Frames below five pixels in either direction: the substituted neighbours are
// clamped into the frame, so a flat field stays flat and nothing is read or
// written outside the images (the test images end exactly at their last byte).
TEST(Demosaic, TinyFramesStayInsideAndKeepFlatFields) {
    for (int h = 1; h <= 6; ++h) {
        for (int w = 1; w <= 6; ++w) {
            for (int mode = 0; mode < 4; ++mode) {
                TestImage src(w, h, 1);
                src.Fill(77);
                TestImage dst(w, h, 3);
                Demosaic8(dst, src, {mode, 100, 100, 100});
                TestImage src16(w, h, 2);
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x)
                        src16.Set16(x, y, 700);
                }
                TestImage dst16(w, h, 6);
                Demosaic16(dst16, src16, {mode, 100, 100, 100});
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) {
                        for (int c = 0; c < 3; ++c) {
                            ASSERT_EQ(dst.Get8(x, y, c), 77) << w << "x" << h << " mode " << mode;
                            ASSERT_EQ(dst16.Get16(x, y, c), 700) << w << "x" << h << " mode " << mode;
                        }
                    }
                }
            }
        }
    }
}

// In a 3 x 3 frame the colours of the red field survive wherever the frame
// holds a sample of the needed colour: mode 1 has red at (0, 0), (2, 0),
// (0, 2), (2, 2) and blue at (1, 1) only.
TEST(Demosaic, TinyFramesKeepTheColourWherePossible) {
    TestImage src(3, 3, 1);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            src.Set8(x, y, SiteColour(1, x, y) == 2 ? 255 : 0);
    }
    TestImage dst(3, 3, 3);
    Demosaic8(dst, src, {1, 100, 100, 100});
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(dst.Get8(x, y, 2), 255) << x << "," << y;
            EXPECT_EQ(dst.Get8(x, y, 1), 0) << x << "," << y;
            EXPECT_EQ(dst.Get8(x, y, 0), 0) << x << "," << y;
        }
    }
}

// Five by five and more: the substitution is exactly "four pixels away", so
// the clamping for tiny frames changes nothing there. Row H-1 reads dy = -3
// in place of +1: in mode 1 on a 6 x 6 frame, pixel (1, 5) is blue and its red
// sum reads P(-1,1) -> (0, 2) with weight 3.
TEST(Demosaic, LastRowReadsThreeRowsUp) {
    TestImage src(6, 6, 1);
    src.Set8(0, 2, 160);
    TestImage dst(6, 6, 3);
    Demosaic8(dst, src, {1, 100, 100, 100});
    EXPECT_EQ(dst.Get8(1, 5, 2), 3 * 160 / 16);
}

}  // namespace
}  // namespace tavrin

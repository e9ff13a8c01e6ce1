#include "imaging/dib_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "test_images.h"

namespace tavrin {
namespace {

bool AllZero(const CDibImage& image) {
    return std::all_of(image.Bits(), image.Bits() + image.ImageBytes(), [](uint8_t b) { return b == 0; });
}

TEST(DibImage, StrideRoundsRowBytesUpToFour) {
    CDibImage image;
    ASSERT_EQ(image.Create(655, 2, 24), 1);
    EXPECT_EQ(image.Stride(), 1968);
    EXPECT_EQ(image.ImageBytes(), 2u * 1968u);
    EXPECT_EQ(CDibImage::StrideFor(1, 8), 4);
    EXPECT_EQ(CDibImage::StrideFor(3, 16), 8);
    EXPECT_EQ(CDibImage::StrideFor(5, 48), 32);
    EXPECT_EQ(CDibImage::StrideFor(10, 48), 60);
}

TEST(DibImage, EightBitImageGetsGrayTableAndHeader) {
    CDibImage image;
    ASSERT_EQ(image.Create(656, 494, 8), 1);
    EXPECT_EQ(image.Stride(), 656);
    const BitmapInfoHeader& header = image.Header();
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 656);
    EXPECT_EQ(header.biHeight, 494);  // positive: bottom-up for bitmap readers
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, kBiRgb);
    EXPECT_EQ(header.biSizeImage, 0u);
    EXPECT_EQ(header.biClrUsed, 0u);
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<uint8_t>(i);
        EXPECT_EQ(image.Info().colors[i], (RgbQuad{level, level, level, 0}));
        EXPECT_EQ(image.Palette()[i], (RgbQuad{level, level, level, 0}));
    }
    EXPECT_TRUE(image.HasDeviceContext());
    EXPECT_TRUE(AllZero(image));
}

TEST(DibImage, ColourImagesHaveEmptyTable) {
    CDibImage image;
    ASSERT_EQ(image.Create(7, 3, 24), 1);
    EXPECT_EQ(image.Info().colors[200], RgbQuad{});
    EXPECT_TRUE(AllZero(image));
}

TEST(DibImage, FortyEightBitImageLivesOnHeapWithoutDeviceContext) {
    CDibImage image;
    ASSERT_EQ(image.Create(10, 10, 48), 1);
    EXPECT_EQ(image.Stride(), 60);
    EXPECT_FALSE(image.HasDeviceContext());
    EXPECT_TRUE(AllZero(image));
    CDibImage target;
    ASSERT_EQ(target.Create(10, 10, 24), 1);
    testing::FillRandom(image, 1);
    EXPECT_EQ(target.DrawTo(image, nullptr, 0, 0), 0);
    EXPECT_TRUE(AllZero(target));
    EXPECT_EQ(target.StretchDraw(image, 0, 0, 10, 10, 0, 10, 10, -10), 0);
    EXPECT_TRUE(AllZero(target));
    CDibImage wide;
    ASSERT_EQ(wide.Create(3, 3, 64), 1);
    EXPECT_FALSE(wide.HasDeviceContext());
}

TEST(DibImage, FailedCreateLeavesImageAsItWas) {
    CDibImage image;
    ASSERT_EQ(image.Create(4, 4, 8), 1);
    image.Bits()[5] = 77;
    EXPECT_EQ(image.Create(0, 10, 8), 0);
    EXPECT_EQ(image.Create(10, -1, 8), 0);
    EXPECT_EQ(image.Create(10, 10, 0), 0);
    EXPECT_EQ(image.Create(10, 10, 12), 0);  // not whole bytes: its stride could not hold a row
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Bits()[5], 77);
}

TEST(DibImage, ImpossibleSizeFailsAndLeavesImageEmpty) {
    CDibImage image;
    ASSERT_EQ(image.Create(4, 4, 8), 1);
    EXPECT_EQ(image.Create(0x7FFFFFFF, 0x7FFFFFFF, 64), 0);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Width(), 0);
}

TEST(DibImage, ReleaseEmptiesAndIsSafeTwice) {
    CDibImage image;
    image.Release();
    ASSERT_EQ(image.Create(5, 5, 32), 1);
    image.Release();
    image.Release();
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.Stride(), 0);
    EXPECT_EQ(image.BitCount(), 0);
    EXPECT_EQ(image.Header().biSize, 40u);
    EXPECT_EQ(image.Header().biWidth, 0);
    EXPECT_EQ(image.Header().biBitCount, 0);
    EXPECT_FALSE(image.HasDeviceContext());
}

TEST(DibImage, CreateLikeCopiesGeometryNotPixels) {
    CDibImage source;
    ASSERT_EQ(source.Create(9, 4, 64), 1);
    testing::FillRandom(source, 2);
    CDibImage copy;
    ASSERT_EQ(copy.CreateLike(source), 1);
    EXPECT_EQ(copy.Width(), 9);
    EXPECT_EQ(copy.Height(), 4);
    EXPECT_EQ(copy.Stride(), source.Stride());
    EXPECT_EQ(copy.BitCount(), 64);
    EXPECT_EQ(std::memcmp(&copy.Header(), &source.Header(), sizeof(BitmapInfoHeader)), 0);
    EXPECT_TRUE(AllZero(copy));
    CDibImage empty;
    EXPECT_EQ(copy.CreateLike(empty), 0);
    EXPECT_EQ(copy.Width(), 9);
    EXPECT_EQ(copy.CreateLike(copy), 1);  // from itself: same geometry, fresh pixels
    EXPECT_EQ(copy.Width(), 9);
}

TEST(DibImage, MoveTransfersPixels) {
    CDibImage a;
    ASSERT_EQ(a.Create(3, 3, 8), 1);
    a.Bits()[0] = 9;
    CDibImage b(std::move(a));
    EXPECT_TRUE(a.IsEmpty());  // NOLINT: moved-from state is defined
    EXPECT_EQ(b.Bits()[0], 9);
    EXPECT_EQ(b.Palette()[17], (RgbQuad{17, 17, 17, 0}));
}

TEST(DibImage, SetPaletteSelectors) {
    CDibImage image;
    ASSERT_EQ(image.Create(2, 2, 8), 1);
    const RgbQuad red[2] = {{0, 0, 255, 0}, {0, 0, 128, 0}};
    EXPECT_EQ(image.SetPalette(kPaletteEntries, red, 10, 2), 1);
    EXPECT_EQ(image.Palette()[10], red[0]);
    EXPECT_EQ(image.Palette()[11], red[1]);
    EXPECT_EQ(image.Info().colors[10], (RgbQuad{10, 10, 10, 0}));  // the header's table stays
    EXPECT_EQ(image.SetPalette(kPaletteEntries, red, 255, 2), 1);  // the part beyond 255 is dropped
    EXPECT_EQ(image.Palette()[255], red[0]);
    EXPECT_EQ(image.SetPalette(kPaletteEntries, red, -5, 2), 1);
    EXPECT_EQ(image.SetPalette(7, red, 0, 2), 1);  // unknown selector: nothing
    EXPECT_EQ(image.Palette()[0], (RgbQuad{0, 0, 0, 0}));
    EXPECT_EQ(image.SetGrayPalette(), 1);
    EXPECT_EQ(image.Palette()[10], (RgbQuad{10, 10, 10, 0}));
}

TEST(DibImage, DrawToExpandsEightBitsThroughColourTable) {
    CDibImage gray;
    ASSERT_EQ(gray.Create(5, 3, 8), 1);
    testing::FillRandom(gray, 3);
    const RgbQuad tinted{1, 2, 3, 0};
    gray.SetPalette(kPaletteEntries, &tinted, gray.Bits()[0], 1);
    CDibImage colour;
    ASSERT_EQ(colour.Create(5, 3, 24), 1);
    ASSERT_EQ(colour.DrawTo(gray, nullptr, 0, 0), 1);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const RgbQuad& entry = gray.Palette()[gray.Row(y)[x]];
            const uint8_t* pixel = colour.Row(y) + 3 * x;
            EXPECT_EQ(pixel[0], entry.blue);
            EXPECT_EQ(pixel[1], entry.green);
            EXPECT_EQ(pixel[2], entry.red);
        }
    }
}

TEST(DibImage, DrawToThirtyTwoBitsWritesFourthByteZero) {
    CDibImage gray, colour;
    ASSERT_EQ(gray.Create(6, 2, 8), 1);
    ASSERT_EQ(colour.Create(6, 2, 32), 1);
    testing::FillRandom(gray, 21);
    testing::FillRandom(colour, 22);
    ASSERT_EQ(colour.DrawTo(gray, nullptr, 0, 0), 1);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 6; ++x) {
            const uint8_t level = gray.Row(y)[x];
            const uint8_t expected[4] = {level, level, level, 0};
            EXPECT_EQ(std::memcmp(colour.Row(y) + 4 * x, expected, 4), 0);
        }
    }
}

TEST(DibImage, DrawToUsesBottomUpCoordinates) {
    // Graphics line 0 is the last memory row: a 1-line area at line 0 of the
    // source lands on line 1 of the destination, i.e. memory row H - 2.
    CDibImage source, target;
    ASSERT_EQ(source.Create(4, 4, 24), 1);
    ASSERT_EQ(target.Create(4, 4, 24), 1);
    testing::FillRandom(source, 4);
    const ImageRect area{1, 0, 3, 1};
    ASSERT_EQ(target.DrawTo(source, &area, 0, 1), 1);
    EXPECT_EQ(std::memcmp(target.Row(2), source.Row(3) + 3, 6), 0);
    EXPECT_EQ(target.Row(2)[6], 0);
    EXPECT_TRUE(std::all_of(target.Row(0), target.Row(2), [](uint8_t b) { return b == 0; }));
}

TEST(DibImage, DrawToClipsAtBothImages) {
    CDibImage source, target;
    ASSERT_EQ(source.Create(3, 3, 32), 1);
    ASSERT_EQ(target.Create(2, 2, 24), 1);
    testing::FillRandom(source, 5);
    EXPECT_EQ(target.DrawTo(source, nullptr, -1, -1), 1);
    const ImageRect outside{-50, -50, 80, 80};
    EXPECT_EQ(target.DrawTo(source, &outside, 5, 5), 1);
    EXPECT_EQ(target.DrawTo(source, &outside, -100, 1), 1);
    // Whole 3x3 source at (-1, -1): destination line 0 (memory row 1) takes
    // source line 1 (memory row 1) from column 1; 32 bits drop the fourth byte.
    EXPECT_EQ(std::memcmp(target.Row(1), source.Row(1) + 4, 3), 0);
}

TEST(DibImage, DrawToWithinOneImageCopiesFromTheOldPixels) {
    CDibImage image;
    ASSERT_EQ(image.Create(6, 6, 24), 1);
    testing::FillRandom(image, 23);
    const auto before = testing::BytesOf(image);
    const ImageRect area{0, 0, 6, 5};
    ASSERT_EQ(image.DrawTo(image, &area, 0, 1), 1);  // everything one line down
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(std::memcmp(image.Row(row), before.data() + (row + 1) * image.Stride(), 18), 0) << row;
    }
}

TEST(DibImage, DrawToConvertsGrayToSixteenAndBackToEight) {
    CDibImage gray, rgb555, back;
    ASSERT_EQ(gray.Create(3, 1, 8), 1);
    ASSERT_EQ(rgb555.Create(3, 1, 16), 1);
    ASSERT_EQ(back.Create(3, 1, 8), 1);
    gray.Bits()[0] = 0;
    gray.Bits()[1] = 255;
    gray.Bits()[2] = 8;
    ASSERT_EQ(rgb555.DrawTo(gray, nullptr, 0, 0), 1);
    EXPECT_EQ(testing::WordAt(rgb555, 1, 0), 0x7FFF);
    EXPECT_EQ(testing::WordAt(rgb555, 2, 0), 0x0421);
    ASSERT_EQ(back.DrawTo(rgb555, nullptr, 0, 0), 1);  // nearest gray level
    EXPECT_EQ(back.Bits()[0], 0);
    EXPECT_EQ(back.Bits()[1], 255);
    EXPECT_EQ(back.Bits()[2], 8);
}

TEST(DibImage, StretchDrawWithNegativeSourceHeightTurnsImageUpsideDown) {
    CDibImage source, target;
    ASSERT_EQ(source.Create(5, 4, 32), 1);
    ASSERT_EQ(target.Create(5, 4, 24), 1);
    testing::FillRandom(source, 6);
    ASSERT_EQ(target.StretchDraw(source, 0, 0, 5, 4, 0, 4, 5, -4), 1);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(std::memcmp(target.Row(3 - y) + 3 * x, source.Row(y) + 4 * x, 3), 0);
        }
    }
}

TEST(DibImage, StretchDrawScalesByNearestNeighbour) {
    CDibImage source, target;
    ASSERT_EQ(source.Create(2, 2, 8), 1);
    ASSERT_EQ(target.Create(4, 4, 8), 1);
    source.Bits()[0] = 10;
    source.Bits()[1] = 20;
    source.Row(1)[0] = 30;
    source.Row(1)[1] = 40;
    ASSERT_EQ(target.StretchDraw(source, 0, 0, 4, 4, 0, 0, 2, 2), 1);
    EXPECT_EQ(target.Row(0)[0], 10);
    EXPECT_EQ(target.Row(1)[3], 20);
    EXPECT_EQ(target.Row(2)[1], 30);
    EXPECT_EQ(target.Row(3)[2], 40);
    // Areas far outside either image do nothing and do not loop for ever.
    EXPECT_EQ(target.StretchDraw(source, 0x7FFFFF00, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 2, 2), 1);
}

}  // namespace
}  // namespace tavrin

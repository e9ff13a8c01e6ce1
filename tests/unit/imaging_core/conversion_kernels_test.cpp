// The mechanical conversion kernels, through the conversion driver as the
// consumers call them, on small images with known values.
#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <vector>

#include "imaging/dib_image.h"
#include "imaging/kernels/convert_kernels.h"
#include "test_images.h"

namespace tavrin {
namespace {

using testing::SetWord;
using testing::WordAt;

TEST(Respace, SixteenBitRowsMoveToTheirStride) {
    CDibImage frame;
    ASSERT_EQ(frame.Create(3, 2, 16), 1);  // stride 8, packed rows 6 bytes apart
    ASSERT_EQ(frame.Stride(), 8);
    const uint8_t packed[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::memcpy(frame.Bits(), packed, sizeof(packed));
    ASSERT_EQ(frame.Convert(Respace16, frame), 1);
    const uint8_t expected[16] = {1, 2, 3, 4, 5, 6, 7, 8, 7, 8, 9, 10, 11, 12, 0, 0};
    EXPECT_EQ(std::memcmp(frame.Bits(), expected, 16), 0);
}

TEST(Respace, EightBitFrameOfOddWidth) {
    CDibImage frame;
    ASSERT_EQ(frame.Create(5, 4, 8), 1);
    std::vector<uint8_t> packed(20);
    for (int i = 0; i < 20; ++i)
        packed[i] = static_cast<uint8_t>(i + 1);
    std::memcpy(frame.Bits(), packed.data(), packed.size());
    ASSERT_EQ(frame.Convert(Respace8, frame), 1);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(std::memcmp(frame.Row(y), packed.data() + 5 * y, 5), 0) << y;
    }
}

TEST(Respace, WrongDepthDoesNothing) {
    CDibImage frame;
    ASSERT_EQ(frame.Create(3, 2, 24), 1);
    testing::FillRandom(frame, 1);
    const auto before = testing::BytesOf(frame);
    EXPECT_EQ(frame.Convert(Respace16, frame), 0);
    EXPECT_EQ(testing::BytesOf(frame), before);
}

TEST(DepthKernels, GrayWordsToBytes) {
    CDibImage src, dst;
    ASSERT_EQ(src.Create(3, 2, 16), 1);
    ASSERT_EQ(dst.Create(3, 2, 8), 1);
    const uint16_t values[6] = {1023, 4, 1024, 0x3FC, 0xFFFF, 7};
    for (int i = 0; i < 6; ++i)
        SetWord(src, i % 3, i / 3, 0, values[i]);
    ASSERT_EQ(dst.Convert(Gray16To8, src), 1);
    EXPECT_EQ(dst.Row(0)[0], 255);
    EXPECT_EQ(dst.Row(0)[1], 1);
    EXPECT_EQ(dst.Row(0)[2], 0);  // the low 8 bits of 256
    EXPECT_EQ(dst.Row(1)[0], 255);
    EXPECT_EQ(dst.Row(1)[1], 255);
    ASSERT_EQ(dst.Convert(Gray16To8Flip, src), 1);
    EXPECT_EQ(dst.Row(1)[0], 255);  // row 0 of the source is now last
    EXPECT_EQ(dst.Row(0)[0], 255);
    EXPECT_EQ(dst.Row(0)[2], 1);
    EXPECT_EQ(dst.Row(1)[2], 0);
    ASSERT_EQ(dst.Convert(Gray12To8Flip, src), 1);
    EXPECT_EQ(dst.Row(1)[0], 63);   // 1023 >> 4
    EXPECT_EQ(dst.Row(1)[2], 64);   // 1024 >> 4
    EXPECT_EQ(dst.Row(0)[1], 255);  // 0xFFFF >> 4 keeps its low byte
}

TEST(DepthKernels, Rgb48And64To24) {
    for (int bits : {48, 64}) {
        CDibImage src, dst;
        ASSERT_EQ(src.Create(2, 2, bits), 1);
        ASSERT_EQ(dst.Create(2, 2, 24), 1);
        SetWord(src, 0, 0, 0, 1023);
        SetWord(src, 0, 0, 1, 512);
        SetWord(src, 0, 0, 2, 4);
        if (bits == 64)
            SetWord(src, 0, 0, 3, 0xFFFF);
        SetWord(src, 1, 1, 2, 40);
        ASSERT_EQ(dst.Convert(Rgb48To24, src), 1);
        EXPECT_EQ(dst.Row(0)[0], 255);
        EXPECT_EQ(dst.Row(0)[1], 128);
        EXPECT_EQ(dst.Row(0)[2], 1);
        EXPECT_EQ(dst.Row(0)[3], 0);  // the next pixel, not the fourth word
        EXPECT_EQ(dst.Row(1)[5], 10);
        ASSERT_EQ(dst.Convert(Rgb48To24Flip, src), 1);
        EXPECT_EQ(dst.Row(1)[0], 255);
        EXPECT_EQ(dst.Row(0)[5], 10);
    }
}

TEST(DepthKernels, Rgb32To24AndRgb24Flip) {
    CDibImage src32, src24, dst;
    ASSERT_EQ(src32.Create(3, 2, 32), 1);
    ASSERT_EQ(src24.Create(3, 2, 24), 1);
    ASSERT_EQ(dst.Create(3, 2, 24), 1);
    testing::FillRandom(src32, 5);
    testing::FillRandom(src24, 6);
    ASSERT_EQ(dst.Convert(Rgb32To24, src32), 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(std::memcmp(dst.Row(y) + 3 * x, src32.Row(y) + 4 * x, 3), 0);
    ASSERT_EQ(dst.Convert(Rgb24Flip, src32), 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(std::memcmp(dst.Row(1 - y) + 3 * x, src32.Row(y) + 4 * x, 3), 0);
    ASSERT_EQ(dst.Convert(Rgb24Flip, src24), 1);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(std::memcmp(dst.Row(1 - y), src24.Row(y), 9), 0);
}

TEST(FlipKernels, FlipCopyCopiesWholeRowsReversed) {
    CDibImage src, dst;
    ASSERT_EQ(src.Create(5, 3, 8), 1);
    testing::FillRandom(src, 7);
    ASSERT_EQ(dst.CreateLike(src), 1);
    ASSERT_EQ(dst.Convert(FlipCopy, src), 1);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(dst.Row(2 - y), src.Row(y), 8), 0);  // padding included
}

TEST(ShiftKernels, ScaleToSixteenBits) {
    CDibImage gray, gray2;
    ASSERT_EQ(gray.Create(2, 1, 16), 1);
    ASSERT_EQ(gray2.CreateLike(gray), 1);
    SetWord(gray, 0, 0, 0, 1023);
    SetWord(gray, 1, 0, 0, 4095);
    ASSERT_EQ(gray2.Convert(Gray16Shift6, gray), 1);
    EXPECT_EQ(WordAt(gray2, 0, 0), 0xFFC0);
    EXPECT_EQ(WordAt(gray2, 1, 0), 0xFFC0);  // 4095 << 6 keeps its low 16 bits
    ASSERT_EQ(gray2.Convert(Gray16Shift4, gray), 1);
    EXPECT_EQ(WordAt(gray2, 1, 0), 0xFFF0);

    CDibImage rgb48, out48;
    ASSERT_EQ(rgb48.Create(1, 1, 48), 1);
    ASSERT_EQ(out48.CreateLike(rgb48), 1);
    SetWord(rgb48, 0, 0, 0, 1);
    SetWord(rgb48, 0, 0, 1, 2);
    SetWord(rgb48, 0, 0, 2, 3);
    ASSERT_EQ(out48.Convert(Rgb48Shift6, rgb48), 1);
    EXPECT_EQ(WordAt(out48, 0, 0, 0), 64);
    EXPECT_EQ(WordAt(out48, 0, 0, 2), 192);
    ASSERT_EQ(out48.Convert(Rgb48SwapShift4, rgb48), 1);
    EXPECT_EQ(WordAt(out48, 0, 0, 0), 48);
    EXPECT_EQ(WordAt(out48, 0, 0, 1), 32);
    EXPECT_EQ(WordAt(out48, 0, 0, 2), 16);

    CDibImage rgb64, out64;
    ASSERT_EQ(rgb64.Create(3, 1, 64), 1);
    ASSERT_EQ(out64.CreateLike(rgb64), 1);
    SetWord(rgb64, 2, 0, 0, 1);
    SetWord(rgb64, 2, 0, 2, 1023);
    ASSERT_EQ(out64.Convert(Rgb64Shift4, rgb64), 1);
    EXPECT_EQ(WordAt(out64, 2, 0, 0), 16);
    EXPECT_EQ(WordAt(out64, 2, 0, 2), 16368);
    EXPECT_EQ(WordAt(out64, 0, 0, 3), 0xFFFF);
    ASSERT_EQ(out64.Convert(Rgb64SwapShift6, rgb64), 1);
    EXPECT_EQ(WordAt(out64, 2, 0, 0), 0xFFC0);
    EXPECT_EQ(WordAt(out64, 2, 0, 2), 64);
    EXPECT_EQ(WordAt(out64, 2, 0, 3), 0xFFFF);
}

TEST(ChannelKernels, SwapAndAlpha) {
    CDibImage rgb32, out32;
    ASSERT_EQ(rgb32.Create(2, 1, 32), 1);
    ASSERT_EQ(out32.CreateLike(rgb32), 1);
    const uint8_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 0};
    std::memcpy(rgb32.Bits(), pixels, 8);
    out32.Bits()[3] = 99;
    ASSERT_EQ(out32.Convert(Rgb24Swap, rgb32), 1);
    const uint8_t swapped[8] = {3, 2, 1, 99, 7, 6, 5, 0};  // a fourth byte is not written
    EXPECT_EQ(std::memcmp(out32.Bits(), swapped, 8), 0);
    ASSERT_EQ(out32.Convert(Rgb32InvertAlpha, rgb32), 1);
    const uint8_t opaque[8] = {1, 2, 3, 251, 5, 6, 7, 255};
    EXPECT_EQ(std::memcmp(out32.Bits(), opaque, 8), 0);
    ASSERT_EQ(rgb32.Convert(Rgb24Swap, rgb32), 1);  // in place
    EXPECT_EQ(rgb32.Bits()[0], 3);
    EXPECT_EQ(rgb32.Bits()[2], 1);

    CDibImage rgb24;
    ASSERT_EQ(rgb24.Create(1, 1, 24), 1);
    rgb24.Bits()[0] = 10;
    rgb24.Bits()[2] = 30;
    ASSERT_EQ(rgb24.Convert(Rgb24Swap, rgb24), 1);
    EXPECT_EQ(rgb24.Bits()[0], 30);
    EXPECT_EQ(rgb24.Bits()[2], 10);
}

TEST(ConversionKernels, MismatchedPixelSizesTouchNothing) {
    // A kernel handed images too small for its pixels must not read or write
    // past them (under AddressSanitizer this would fault).
    CDibImage narrow, wide;
    ASSERT_EQ(narrow.Create(3, 3, 8), 1);
    ASSERT_EQ(wide.Create(3, 3, 64), 1);
    const ConvertKernel wideSource[] = {Gray16To8, Gray16To8Flip,    Gray12To8Flip,   Rgb48To24,      Rgb48To24Flip,
                                        Rgb32To24, Rgb24Flip,        Gray16Shift4,    Rgb48Shift6,    Rgb64Shift4,
                                        Rgb24Swap, Rgb32InvertAlpha, Rgb48SwapShift4, Rgb64SwapShift6};
    for (ConvertKernel kernel : wideSource) {
        EXPECT_EQ(narrow.Convert(kernel, narrow), 0);
    }
    EXPECT_EQ(wide.Convert(Rgb64Shift4, narrow), 0);
}

TEST(ScaleKernels, EqualSizesFlipVertically) {
    CDibImage src, dst;
    ASSERT_EQ(src.Create(5, 3, 24), 1);
    ASSERT_EQ(dst.Create(5, 3, 24), 1);
    testing::FillRandom(src, 8);
    ASSERT_EQ(dst.ConvertScaled(ScaleRgb24, src), 1);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(dst.Row(y), src.Row(2 - y), 15), 0);
}

TEST(ScaleKernels, NearestNeighbourWithLimits) {
    CDibImage src, dst;
    ASSERT_EQ(src.Create(4, 4, 8), 1);
    ASSERT_EQ(dst.Create(2, 3, 8), 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.Row(y)[x] = static_cast<uint8_t>(10 * y + x);
    ASSERT_EQ(dst.ConvertScaled(ScaleGray8, src), 1);
    // fx = 2, fy = 4/3: rows 0, 1, 2 take sy 0, 1, 2 -> memory rows 3, 2, 1.
    EXPECT_EQ(dst.Row(0)[0], 30);
    EXPECT_EQ(dst.Row(0)[1], 32);
    EXPECT_EQ(dst.Row(1)[1], 22);
    EXPECT_EQ(dst.Row(2)[0], 10);
}

// The preview's sampling written out plainly: display row r and column c
// take source column trunc(c * fx) from memory row SH - 1 - trunc(r * fy).
TEST(ScaleKernels, MatchPlainSamplingAtManySizes) {
    const struct {
        int32_t sw, sh, dw, dh;
    } cases[] = {{656, 494, 800, 600}, {656, 494, 320, 240}, {655, 493, 3001, 7}, {1, 1, 5, 3}, {7, 5, 1, 1}};
    for (const auto& c : cases) {
        for (int bits : {8, 24}) {
            CDibImage src, dst;
            ASSERT_EQ(src.Create(c.sw, c.sh, bits), 1);
            ASSERT_EQ(dst.Create(c.dw, c.dh, bits == 8 ? 8 : 32), 1);
            testing::FillRandom(src, static_cast<uint32_t>(c.dw));
            ASSERT_EQ(dst.ConvertScaled(bits == 8 ? ScaleGray8 : ScaleRgb24, src), 1);
            const float fx = static_cast<float>(c.sw) / static_cast<float>(c.dw);
            const float fy = static_cast<float>(c.sh) / static_cast<float>(c.dh);
            for (int32_t r = 0; r < c.dh; ++r) {
                const int32_t sy = std::min(static_cast<int32_t>(static_cast<float>(r) * fy), c.sh - 1);
                for (int32_t col = 0; col < c.dw; ++col) {
                    const int32_t sx = std::min(static_cast<int32_t>(static_cast<float>(col) * fx), c.sw - 1);
                    const uint8_t* from = src.Row(c.sh - 1 - sy) + sx * src.BytesPerPixel();
                    const uint8_t* to = dst.Row(r) + col * dst.BytesPerPixel();
                    ASSERT_EQ(std::memcmp(from, to, bits / 8), 0) << c.dw << "x" << c.dh << " at " << col << "," << r;
                }
            }
        }
    }
}

TEST(ScaleKernels, RectanglesOutsideTheImagesStayInside) {
    CDibImage src, dst;
    ASSERT_EQ(src.Create(3, 3, 24), 1);
    ASSERT_EQ(dst.Create(4, 4, 32), 1);
    testing::FillRandom(src, 9);
    const ImageRect bigSource{0, 0, 100, 100}, bigDestination{-3, -3, 50, 50};
    EXPECT_EQ(dst.ConvertScaled(ScaleRgb24, src, &bigSource, &bigDestination), 1);
    const ImageRect backwards{3, 3, -7, -7};
    EXPECT_EQ(dst.ConvertScaled(ScaleRgb24, src, &backwards, nullptr), 1);
    EXPECT_EQ(dst.ConvertScaled(ScaleGray8, src, &bigSource, &bigDestination), 1);
    CDibImage gray;
    ASSERT_EQ(gray.Create(2, 2, 8), 1);
    EXPECT_EQ(dst.ConvertScaled(ScaleRgb24, gray), 0);  // gray pixels cannot feed three bytes
}

}  // namespace
}  // namespace tavrin

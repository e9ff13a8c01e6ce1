#include <gtest/gtest.h>

#include <cstring>

#include "imaging/convert.h"
#include "imaging/dib_image.h"

namespace tavrin {
namespace {

// What the last kernel call received.
struct KernelCall {
    int calls = 0;
    uint8_t* dst = nullptr;
    const uint8_t* src = nullptr;
    KernelRect rect{0, 0, 0, 0};
    int32_t dstX = -1, dstY = -1;
    uint16_t dstBpp = 0, srcBpp = 0;
    int32_t dstStride = 0, srcStride = 0;
    void* params = nullptr;
    void* extra = nullptr;
};
KernelCall lastCall;

TAVRIN_PIXEL_KERNEL(RecordingKernel) {
    lastCall = KernelCall{lastCall.calls + 1, dst,       src,       rect,   dstX, dstY, dstBytesPerPixel,
                          srcBytesPerPixel,   dstStride, srcStride, params, extra};
    return 7;
}

class ConvertDriver : public ::testing::Test {
protected:
    void SetUp() override { lastCall = KernelCall{}; }
};

TEST_F(ConvertDriver, WholeImageReachesKernelAsIs) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(20, 10, 24), 1);
    ASSERT_EQ(src.Create(20, 10, 8), 1);
    int record = 0, extra = 0;
    EXPECT_EQ(dst.Convert(RecordingKernel, src, nullptr, 0, 0, &record, &extra), 7);
    EXPECT_EQ(lastCall.calls, 1);
    EXPECT_EQ(lastCall.rect, (KernelRect{0, 0, 20, 10}));
    EXPECT_EQ(lastCall.dstX, 0);
    EXPECT_EQ(lastCall.dstY, 0);
    EXPECT_EQ(lastCall.dst, dst.Bits());
    EXPECT_EQ(lastCall.src, src.Bits());
    EXPECT_EQ(lastCall.dstBpp, 3);
    EXPECT_EQ(lastCall.srcBpp, 1);
    EXPECT_EQ(lastCall.dstStride, 60);
    EXPECT_EQ(lastCall.srcStride, 20);
    EXPECT_EQ(lastCall.params, &record);
    EXPECT_EQ(lastCall.extra, &extra);
}

TEST_F(ConvertDriver, RectangleBecomesMemoryRowsFromTheBottomUpEnd) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(20, 20, 8), 1);
    ASSERT_EQ(src.Create(20, 20, 8), 1);
    const ImageRect area{0, 0, 10, 5};
    EXPECT_EQ(dst.Convert(RecordingKernel, src, &area, 0, 0), 7);
    EXPECT_EQ(lastCall.rect, (KernelRect{0, 15, 10, 20}));
    EXPECT_EQ(lastCall.dstX, 0);
    EXPECT_EQ(lastCall.dstY, 15);
}

TEST_F(ConvertDriver, PositionAtOrBeyondTheEdgeCallsNothing) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(20, 10, 8), 1);
    ASSERT_EQ(src.Create(20, 10, 8), 1);
    EXPECT_EQ(dst.Convert(RecordingKernel, src, nullptr, 20, 0), 0);
    EXPECT_EQ(dst.Convert(RecordingKernel, src, nullptr, 0, 10), 0);
    EXPECT_EQ(dst.Convert(RecordingKernel, src, nullptr, -20, 0), 0);
    EXPECT_EQ(dst.Convert(RecordingKernel, src, nullptr, 0, -10), 0);
    const ImageRect outside{25, 0, 30, 5};
    EXPECT_EQ(dst.Convert(RecordingKernel, src, &outside, 0, 0), 0);
    EXPECT_EQ(lastCall.calls, 0);
    EXPECT_EQ(dst.Convert(nullptr, src), 0);
}

TEST_F(ConvertDriver, EmptyImagesCallNothing) {
    CDibImage empty, image;
    ASSERT_EQ(image.Create(4, 4, 8), 1);
    EXPECT_EQ(empty.Convert(RecordingKernel, image), 0);
    EXPECT_EQ(image.Convert(RecordingKernel, empty), 0);
    EXPECT_EQ(empty.Convert(RecordingKernel, empty), 0);
    EXPECT_EQ(lastCall.calls, 0);
}

TEST_F(ConvertDriver, ClipsToTheDestination) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(8, 8, 8), 1);
    ASSERT_EQ(src.Create(16, 16, 8), 1);
    // 16x16 at (-3, 2): destination area (0, 2, 8, 8), source columns 3..11,
    // graphics lines 0..6, i.e. memory rows 10..16.
    EXPECT_EQ(dst.Convert(RecordingKernel, src, nullptr, -3, 2), 7);
    EXPECT_EQ(lastCall.rect, (KernelRect{3, 10, 11, 16}));
    EXPECT_EQ(lastCall.dstX, 0);
    EXPECT_EQ(lastCall.dstY, 0);
}

TEST_F(ConvertDriver, SourceClippingMovesTheDestinationAlong) {
    // A rectangle reaching past the source: only its existing lines are
    // converted, and each lands where it belongs (graphics line t + j of the
    // source on line y + j of the destination).
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(40, 40, 8), 1);
    ASSERT_EQ(src.Create(20, 20, 8), 1);
    const ImageRect area{-5, 10, 10, 30};
    EXPECT_EQ(dst.Convert(RecordingKernel, src, &area, 0, 0), 7);
    // Source columns 0..9 and lines 10..19 (memory rows 0..9) land at
    // destination column 5 and lines 0..9 (memory rows 30..39).
    EXPECT_EQ(lastCall.rect, (KernelRect{0, 0, 10, 10}));
    EXPECT_EQ(lastCall.dstX, 5);
    EXPECT_EQ(lastCall.dstY, 30);
}

TEST(ClipConversion, ExtremeValuesDoNotOverflow) {
    ConversionPlacement placement;
    const KernelRect huge{-2147483647, -2147483647, 2147483647, 2147483647};
    EXPECT_FALSE(ClipConversion(ImageSize{10, 10}, ImageSize{10, 10}, &huge, 0, 0, placement));
    EXPECT_TRUE(ClipConversion(ImageSize{10, 10}, ImageSize{10, 10}, &huge, -2147483647, -2147483647, placement));
    EXPECT_EQ(placement.rect, (KernelRect{0, 0, 10, 10}));
    EXPECT_EQ(placement.dstX, 0);
    EXPECT_EQ(placement.dstY, 0);
    EXPECT_FALSE(ClipConversion(ImageSize{10, 10}, ImageSize{10, 10}, nullptr, 2147483647, 0, placement));
    EXPECT_EQ(placement.rect, (KernelRect{0, 0, 0, 0}));
    const KernelRect inverted{5, 5, 2, 2};
    EXPECT_FALSE(ClipConversion(ImageSize{10, 10}, ImageSize{10, 10}, &inverted, 0, 0, placement));
}

// What the last scale kernel call received.
KernelRect scaledDst{0, 0, 0, 0}, scaledSrc{0, 0, 0, 0};
ImageSize scaledDstSize{0, 0}, scaledSrcSize{0, 0};

TAVRIN_SCALE_KERNEL(RecordingScaler) {
    scaledDst = dstRect;
    scaledSrc = srcRect;
    scaledDstSize = dstSize;
    scaledSrcSize = srcSize;
    return 3;
}

TEST(ConvertScaledDriver, PassesBothRectanglesUnclipped) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(30, 20, 24), 1);
    ASSERT_EQ(src.Create(10, 5, 8), 1);
    EXPECT_EQ(dst.ConvertScaled(RecordingScaler, src), 3);
    EXPECT_EQ(scaledDst, (KernelRect{0, 0, 30, 20}));
    EXPECT_EQ(scaledSrc, (KernelRect{0, 0, 10, 5}));
    EXPECT_EQ(scaledDstSize.width, 30);
    EXPECT_EQ(scaledSrcSize.height, 5);
    const ImageRect a{1, 2, 300, 400}, b{-1, -2, 3, 4};
    EXPECT_EQ(dst.ConvertScaled(RecordingScaler, src, &a, &b), 3);
    EXPECT_EQ(scaledSrc, a);
    EXPECT_EQ(scaledDst, b);
    EXPECT_EQ(dst.ConvertScaled(nullptr, src), 0);
}

}  // namespace
}  // namespace tavrin

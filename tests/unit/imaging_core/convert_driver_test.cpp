#include <gtest/gtest.h>

#include <cstring>

#include "imaging/convert.h"
#include "imaging/dib_image.h"

namespace tavrin {
namespace {

// What the last kernel call received.
struct KernelCall {
    int calls = 0;
    KernelArea area{};
    const int* params = nullptr;
    KernelRect rect{0, 0, 0, 0};  // the area's source rectangle
};
KernelCall lastCall;

void Record(const KernelArea& area, const int* params) {
    lastCall = KernelCall{lastCall.calls + 1, area, params,
                          KernelRect{area.left, area.top, area.left + area.width, area.top + area.height}};
}
bool RecordingKernel(const KernelArea& area) {
    Record(area, nullptr);
    return true;
}
bool RecordingStep(const KernelArea& area, const int& params) {
    Record(area, &params);
    return true;
}
bool RefusingKernel(const KernelArea&) { return false; }
int RecordingMeasure(const KernelArea& area, const int& params) {
    Record(area, &params);
    return params + 1;
}

class ConvertDriver : public ::testing::Test {
protected:
    void SetUp() override { lastCall = KernelCall{}; }
};

TEST_F(ConvertDriver, WholeImageReachesKernelAsIs) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(20, 10, 24), 1);
    ASSERT_EQ(src.Create(20, 10, 8), 1);
    const int record = 0;
    EXPECT_TRUE(dst.Convert(RecordingStep, src, record));
    EXPECT_EQ(lastCall.calls, 1);
    EXPECT_EQ(lastCall.rect, (KernelRect{0, 0, 20, 10}));
    EXPECT_EQ(lastCall.area.dstX, 0);
    EXPECT_EQ(lastCall.area.dstY, 0);
    EXPECT_EQ(lastCall.area.dst, dst.Bits());
    EXPECT_EQ(lastCall.area.src, src.Bits());
    EXPECT_EQ(lastCall.area.dstBytesPerPixel, 3);
    EXPECT_EQ(lastCall.area.srcBytesPerPixel, 1);
    EXPECT_EQ(lastCall.area.dstStride, 60);
    EXPECT_EQ(lastCall.area.srcStride, 20);
    EXPECT_EQ(lastCall.params, &record);
    EXPECT_FALSE(dst.Convert(RefusingKernel, src));
}

TEST_F(ConvertDriver, MeasurementReadsItsRectangleOfTheImage) {
    CDibImage image;
    ASSERT_EQ(image.Create(20, 20, 8), 1);
    const ImageRect area{2, 3, 12, 8};
    EXPECT_EQ(image.Measure(RecordingMeasure, 41, &area), 42);
    // Graphics lines 3..7 are memory rows 12..16; a measurement has no destination.
    EXPECT_EQ(lastCall.rect, (KernelRect{2, 12, 12, 17}));
    EXPECT_EQ(lastCall.area.src, image.Bits());
    EXPECT_EQ(lastCall.area.dst, nullptr);
    EXPECT_EQ(image.Measure(RecordingMeasure, 0), 1);
    EXPECT_EQ(lastCall.rect, (KernelRect{0, 0, 20, 20}));
    const ImageRect outside{25, 0, 30, 5};
    EXPECT_EQ(image.Measure(RecordingMeasure, 0, &outside), std::nullopt);
    EXPECT_EQ(CDibImage().Measure(RecordingMeasure, 0), std::nullopt);
    EXPECT_EQ(lastCall.calls, 2);
}

TEST_F(ConvertDriver, RectangleBecomesMemoryRowsFromTheBottomUpEnd) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(20, 20, 8), 1);
    ASSERT_EQ(src.Create(20, 20, 8), 1);
    const ImageRect area{0, 0, 10, 5};
    EXPECT_TRUE(dst.Convert(RecordingKernel, src, &area, 0, 0));
    EXPECT_EQ(lastCall.rect, (KernelRect{0, 15, 10, 20}));
    EXPECT_EQ(lastCall.area.dstX, 0);
    EXPECT_EQ(lastCall.area.dstY, 15);
}

TEST_F(ConvertDriver, PositionAtOrBeyondTheEdgeCallsNothing) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(20, 10, 8), 1);
    ASSERT_EQ(src.Create(20, 10, 8), 1);
    EXPECT_FALSE(dst.Convert(RecordingKernel, src, nullptr, 20, 0));
    EXPECT_FALSE(dst.Convert(RecordingKernel, src, nullptr, 0, 10));
    EXPECT_FALSE(dst.Convert(RecordingKernel, src, nullptr, -20, 0));
    EXPECT_FALSE(dst.Convert(RecordingKernel, src, nullptr, 0, -10));
    const ImageRect outside{25, 0, 30, 5};
    EXPECT_FALSE(dst.Convert(RecordingKernel, src, &outside, 0, 0));
    EXPECT_EQ(lastCall.calls, 0);
    EXPECT_FALSE(dst.Convert(nullptr, src));
}

TEST_F(ConvertDriver, EmptyImagesCallNothing) {
    CDibImage empty, image;
    ASSERT_EQ(image.Create(4, 4, 8), 1);
    EXPECT_FALSE(empty.Convert(RecordingKernel, image));
    EXPECT_FALSE(image.Convert(RecordingKernel, empty));
    EXPECT_FALSE(empty.Convert(RecordingKernel, empty));
    EXPECT_EQ(lastCall.calls, 0);
}

TEST_F(ConvertDriver, ClipsToTheDestination) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(8, 8, 8), 1);
    ASSERT_EQ(src.Create(16, 16, 8), 1);
    // 16x16 at (-3, 2): destination area (0, 2, 8, 8), source columns 3..11,
    // graphics lines 0..6, i.e. memory rows 10..16.
    EXPECT_TRUE(dst.Convert(RecordingKernel, src, nullptr, -3, 2));
    EXPECT_EQ(lastCall.rect, (KernelRect{3, 10, 11, 16}));
    EXPECT_EQ(lastCall.area.dstX, 0);
    EXPECT_EQ(lastCall.area.dstY, 0);
}

TEST_F(ConvertDriver, SourceClippingMovesTheDestinationAlong) {
    // A rectangle reaching past the source: only its existing lines are
    // converted, and each lands where it belongs (graphics line t + j of the
    // source on line y + j of the destination).
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(40, 40, 8), 1);
    ASSERT_EQ(src.Create(20, 20, 8), 1);
    const ImageRect area{-5, 10, 10, 30};
    EXPECT_TRUE(dst.Convert(RecordingKernel, src, &area, 0, 0));
    // Source columns 0..9 and lines 10..19 (memory rows 0..9) land at
    // destination column 5 and lines 0..9 (memory rows 30..39).
    EXPECT_EQ(lastCall.rect, (KernelRect{0, 0, 10, 10}));
    EXPECT_EQ(lastCall.area.dstX, 5);
    EXPECT_EQ(lastCall.area.dstY, 30);
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

bool RecordingScaler(const ScaleArea& area) {
    scaledDst = area.dstRect;
    scaledSrc = area.srcRect;
    scaledDstSize = area.dstSize;
    scaledSrcSize = area.srcSize;
    return true;
}

TEST(ConvertScaledDriver, PassesBothRectanglesUnclipped) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Create(30, 20, 24), 1);
    ASSERT_EQ(src.Create(10, 5, 8), 1);
    EXPECT_TRUE(dst.ConvertScaled(RecordingScaler, src));
    EXPECT_EQ(scaledDst, (KernelRect{0, 0, 30, 20}));
    EXPECT_EQ(scaledSrc, (KernelRect{0, 0, 10, 5}));
    EXPECT_EQ(scaledDstSize.width, 30);
    EXPECT_EQ(scaledSrcSize.height, 5);
    const ImageRect a{1, 2, 300, 400}, b{-1, -2, 3, 4};
    EXPECT_TRUE(dst.ConvertScaled(RecordingScaler, src, &a, &b));
    EXPECT_EQ(scaledSrc, a);
    EXPECT_EQ(scaledDst, b);
    EXPECT_FALSE(dst.ConvertScaled(nullptr, src));
}

}  // namespace
}  // namespace tavrin

// The per-frame transfers around the chain: mirroring in place, the copy into
// a caller's buffer and the recorder's 24-bit frame, against plain
// expectations and against the conversions they stand for.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/dib_image.h"
#include "imaging/kernels/convert_kernels.h"
#include "imaging/kernels/copy_out.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/mirror.h"
#include "imaging/recording_frame.h"
#include "test_images.h"

namespace tavrin {
namespace {

using testing::BytesOf;
using testing::FillRandom;

TEST(KernelDispatch, ReportsItsPathAndStaysWithinTheCpu) {
    ::testing::Test::RecordProperty("kernel_isa", KernelIsaName(ActiveKernelIsa()));
    std::printf("kernel path: %s (processor: %s)\n", KernelIsaName(ActiveKernelIsa()), KernelIsaName(CpuKernelIsa()));
    EXPECT_LE(StartupKernelIsa(), CpuKernelIsa());
    EXPECT_EQ(SetKernelIsaForTesting(KernelIsa::kAvx512), StartupKernelIsa());
    EXPECT_EQ(ActiveKernelIsa(), StartupKernelIsa()) << "a test may not widen the start-up path";
}

TEST(MirrorInPlace, ReversesRowsColumnsOrBoth) {
    for (const int32_t bits : {8, 16, 24, 32, 48, 64}) {
        for (const int32_t size : {1, 2, 5, 6}) {
            CDibImage original;
            ASSERT_TRUE(original.Create(size + 2, size, bits));
            FillRandom(original, static_cast<uint32_t>(bits + size));
            const int32_t bpp = original.BytesPerPixel();
            for (const auto& [horizontal, vertical] : {std::pair{true, false}, {false, true}, {true, true}}) {
                CDibImage image;
                ASSERT_TRUE(image.CreateLike(original));
                std::memcpy(image.Bits(), original.Bits(), original.ImageBytes());
                MirrorInPlace(image.Bits(), image.Width(), image.Height(), image.Stride(), bpp, horizontal, vertical);
                for (int32_t y = 0; y < image.Height(); ++y) {
                    const int32_t fromY = vertical ? image.Height() - 1 - y : y;
                    for (int32_t x = 0; x < image.Width(); ++x) {
                        const int32_t fromX = horizontal ? image.Width() - 1 - x : x;
                        ASSERT_EQ(std::memcmp(image.Row(y) + x * bpp, original.Row(fromY) + fromX * bpp, bpp), 0)
                            << bits << " bits, " << size << " rows, h " << horizontal << " v " << vertical;
                    }
                }
            }
        }
    }
}

TEST(CopyRowsOut, CopiesEitherRowOrderIntoABufferLargeEnough) {
    CDibImage image;
    ASSERT_TRUE(image.Create(5, 3, 24));
    FillRandom(image, 7);
    const int32_t stride = image.Stride();
    const auto bytes = static_cast<int64_t>(image.ImageBytes());
    std::vector<uint8_t> buffer(image.ImageBytes() + 4, 0xEE);
    EXPECT_FALSE(CopyRowsOut(image.Bits(), 3, stride, buffer.data(), bytes - 1, 0));
    EXPECT_FALSE(CopyRowsOut(image.Bits(), 3, stride, nullptr, bytes, 0));
    EXPECT_EQ(buffer, std::vector<uint8_t>(buffer.size(), 0xEE)) << "a refused copy writes nothing";
    for (const int32_t rowOrder : {0, 1}) {
        ASSERT_TRUE(CopyRowsOut(image.Bits(), 3, stride, buffer.data(), bytes + 4, rowOrder));
        for (int32_t y = 0; y < 3; ++y) {
            const int32_t from = rowOrder == 0 ? 2 - y : y;
            EXPECT_EQ(std::memcmp(buffer.data() + y * stride, image.Row(from), static_cast<size_t>(stride)), 0);
        }
        EXPECT_EQ(buffer.back(), 0xEE);
    }
}

// The frame the recorder built before, in two steps through scratch images.
CDibImage FrameInSteps(const CDibImage& output) {
    CDibImage frame, scratch, gray;
    const int32_t w = output.Width(), h = output.Height();
    EXPECT_TRUE(frame.Create(w, h, 24) && scratch.Create(w, h, 24) && gray.Create(w, h, 8));
    switch (output.BitCount()) {
    case 8:
        scratch.DrawTo(output, nullptr, 0, 0);
        frame.Convert(Rgb24Flip, scratch);
        return frame;
    case 16:
        gray.Convert(Gray16To8Flip, output);
        frame.DrawTo(gray, nullptr, 0, 0);
        return frame;
    case 24:
    case 32:
        frame.Convert(Rgb24Flip, output);
        return frame;
    default:
        scratch.Convert(Rgb48To24Flip, output);
        return scratch;
    }
}

TEST(RecordingFrame, MatchesTheStepwiseConversionOfEveryDepth) {
    const RgbQuad tinted[3] = {{1, 2, 3, 0}, {200, 100, 50, 0}, {9, 8, 7, 0}};
    for (const int32_t bits : {8, 16, 24, 32, 48, 64}) {
        for (const int32_t width : {1, 7, 8, 16, 17, 33}) {
            CDibImage output;
            ASSERT_TRUE(output.Create(width, 5, bits));
            FillRandom(output, static_cast<uint32_t>(bits * 100 + width));
            if (bits == 8)
                output.SetPalette(kPaletteEntries, tinted, 0, 3);
            CDibImage frame;
            ASSERT_TRUE(frame.Create(width, 5, 24));
            ASSERT_TRUE(ConvertToRecordingFrame(output, frame));
            EXPECT_EQ(BytesOf(frame), BytesOf(FrameInSteps(output))) << bits << " bits, width " << width;
        }
    }
}

TEST(RecordingFrame, RefusesAFrameOfAnotherSizeOrDepth) {
    CDibImage output, small, deep;
    ASSERT_TRUE(output.Create(4, 4, 24) && small.Create(3, 4, 24) && deep.Create(4, 4, 32));
    EXPECT_FALSE(ConvertToRecordingFrame(output, small));
    EXPECT_FALSE(ConvertToRecordingFrame(output, deep));
}

}  // namespace
}  // namespace tavrin

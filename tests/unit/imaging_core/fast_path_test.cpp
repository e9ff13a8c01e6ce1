// The fast (SIMD) paths of the conversion kernels against their scalar
// references, byte for byte, on random data of many sizes: 1x1 up to the
// full frame, widths of N and N+1 around every vector width. Buffers are
// sized exactly, so AddressSanitizer faults on any access past them.
#include <gtest/gtest.h>

#include <cstring>

#include <memory>
#include <vector>

#include "imaging/dib_image.h"
#include "imaging/kernels/convert_kernels.h"
#include "imaging/kernels/depth_rows.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/shift_rows.h"
#include "test_images.h"

namespace tavrin {
namespace {

// Sample counts around the vector widths in play (8, 16, 32 and 64 samples).
std::vector<int32_t> RowLengths() {
    std::vector<int32_t> lengths;
    for (int32_t n = 0; n <= 70; ++n)
        lengths.push_back(n);
    for (int32_t n : {127, 128, 129, 255, 256, 257, 655, 656, 657, 1968})
        lengths.push_back(n);
    return lengths;
}

// An exactly sized heap block holding `bytes` random bytes.
std::unique_ptr<uint8_t[]> RandomBlock(size_t bytes, uint32_t seed) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[bytes == 0 ? 1 : bytes]);
    testing::FillRandom(block.get(), bytes, seed);
    return block;
}

template <typename Row, typename... Shift>
void ExpectRowsEqual(Row reference, Row fast, int srcBytesPerSample, int dstBytesPerSample, Shift... shift) {
    for (int32_t n : RowLengths()) {
        const size_t srcBytes = static_cast<size_t>(n) * srcBytesPerSample;
        const size_t dstBytes = static_cast<size_t>(n) * dstBytesPerSample;
        auto src = RandomBlock(srcBytes, 100 + n);
        auto expected = RandomBlock(dstBytes, 200 + n);
        auto actual = RandomBlock(dstBytes, 200 + n);
        reference(expected.get(), src.get(), n, shift...);
        fast(actual.get(), src.get(), n, shift...);
        ASSERT_EQ(std::memcmp(expected.get(), actual.get(), dstBytes), 0) << "length " << n;
    }
}

TEST(FastRows, SseMatchesReference) {
    for (int shift : {2, 4}) {
        ExpectRowsEqual(rows::Words16ToBytes_C, rows::Words16ToBytes_SSE2, 2, 1, shift);
    }
    for (int shift : {4, 6}) {
        ExpectRowsEqual(rows::ShiftWordsLeft_C, rows::ShiftWordsLeft_SSE2, 2, 2, shift);
        ExpectRowsEqual(rows::Rgb64ShiftOpaque_C, rows::Rgb64ShiftOpaque_SSE2, 8, 8, shift);
    }
}

TEST(FastRows, Avx2MatchesReference) {
    if (StartupKernelIsa() < KernelIsa::kAvx2) {
        GTEST_SKIP() << "AVX2 is not on this path";
    }
    for (int shift : {2, 4}) {
        ExpectRowsEqual(rows::Words16ToBytes_C, rows::Words16ToBytes_AVX2, 2, 1, shift);
    }
    ExpectRowsEqual(rows::Rgb64ToRgb24_C, rows::Rgb64ToRgb24_AVX2, 8, 3);
    ExpectRowsEqual(rows::Rgb32ToRgb24_C, rows::Rgb32ToRgb24_AVX2, 4, 3);
}

struct KernelCase {
    const char* name;
    ConvertKernel kernel;
    int dstBits;
    int srcBits;
};

const KernelCase kKernels[] = {
    {"Gray16To8", Gray16To8, 8, 16},
    {"Gray16To8Flip", Gray16To8Flip, 8, 16},
    {"Gray12To8Flip", Gray12To8Flip, 8, 16},
    {"Rgb48To24 48", Rgb48To24, 24, 48},
    {"Rgb48To24 64", Rgb48To24, 24, 64},
    {"Rgb48To24Flip 48", Rgb48To24Flip, 24, 48},
    {"Rgb48To24Flip 64", Rgb48To24Flip, 24, 64},
    {"Rgb32To24", Rgb32To24, 24, 32},
    {"Rgb24Flip 24", Rgb24Flip, 24, 24},
    {"Rgb24Flip 32", Rgb24Flip, 24, 32},
    {"FlipCopy 8", FlipCopy, 8, 8},
    {"FlipCopy 48", FlipCopy, 48, 48},
    {"Gray16Shift4", Gray16Shift4, 16, 16},
    {"Gray16Shift6", Gray16Shift6, 16, 16},
    {"Rgb48Shift6", Rgb48Shift6, 48, 48},
    {"Rgb64Shift4", Rgb64Shift4, 64, 64},
    {"Rgb64Shift6", Rgb64Shift6, 64, 64},
    {"Rgb24Swap 32", Rgb24Swap, 32, 32},
    {"Rgb48SwapShift6", Rgb48SwapShift6, 48, 48},
};

struct Size {
    int32_t width, height;
};
const Size kSizes[] = {{1, 1},  {1, 5},   {2, 2},   {3, 3},   {5, 2},   {7, 3},    {8, 2},  {9, 2},
                       {15, 2}, {16, 2},  {17, 3},  {31, 2},  {32, 2},  {33, 2},   {63, 2}, {64, 2},
                       {65, 3}, {127, 2}, {129, 2}, {655, 3}, {656, 4}, {656, 494}};

class FastKernels : public ::testing::Test {
protected:
    void TearDown() override { SetFastKernelsForTesting(true); }
};

// One kernel over a whole image, through the driver, with the chosen path.
std::vector<uint8_t> RunKernel(const KernelCase& c, const CDibImage& src, Size size, bool fast) {
    CDibImage dst;
    EXPECT_EQ(dst.Create(size.width, size.height, c.dstBits), 1);
    testing::FillRandom(dst, 7);  // what a kernel leaves alone must stay as it was
    SetFastKernelsForTesting(fast);
    EXPECT_EQ(dst.Convert(c.kernel, src), 1) << c.name;
    return testing::BytesOf(dst);
}

TEST_F(FastKernels, MatchReferenceOnRandomFrames) {
    for (const KernelCase& c : kKernels) {
        for (Size size : kSizes) {
            CDibImage src;
            ASSERT_EQ(src.Create(size.width, size.height, c.srcBits), 1);
            testing::FillRandom(src, static_cast<uint32_t>(size.width * 1000 + size.height));
            const auto reference = RunKernel(c, src, size, false);
            const auto fast = RunKernel(c, src, size, true);
            ASSERT_EQ(reference, fast) << c.name << " at " << size.width << "x" << size.height;
        }
    }
}

TEST_F(FastKernels, RespaceMatchesReference) {
    for (Size size : kSizes) {
        for (int bits : {8, 16}) {
            CDibImage frame;
            ASSERT_EQ(frame.Create(size.width, size.height, bits), 1);
            testing::FillRandom(frame, static_cast<uint32_t>(size.width + bits));
            CDibImage other;
            ASSERT_EQ(other.CreateLike(frame), 1);
            std::memcpy(other.Bits(), frame.Bits(), frame.ImageBytes());
            const ConvertKernel kernel = bits == 8 ? Respace8 : Respace16;
            SetFastKernelsForTesting(false);
            ASSERT_EQ(frame.Convert(kernel, frame), 1);
            SetFastKernelsForTesting(true);
            ASSERT_EQ(other.Convert(kernel, other), 1);
            ASSERT_EQ(testing::BytesOf(frame), testing::BytesOf(other)) << size.width << "x" << size.height;
        }
    }
}

TEST_F(FastKernels, RespacedRowsHoldThePackedRows) {
    for (Size size : kSizes) {
        CDibImage frame;
        ASSERT_EQ(frame.Create(size.width, size.height, 16), 1);
        const size_t packedBytes = static_cast<size_t>(size.width) * size.height * 2;
        auto packed = RandomBlock(packedBytes, 5);
        std::memcpy(frame.Bits(), packed.get(), packedBytes);
        ASSERT_EQ(frame.Convert(Respace16, frame), 1);
        for (int32_t y = 0; y < size.height; ++y) {
            ASSERT_EQ(std::memcmp(frame.Row(y), packed.get() + static_cast<size_t>(y) * size.width * 2,
                                  static_cast<size_t>(size.width) * 2),
                      0);
        }
    }
}

}  // namespace
}  // namespace tavrin

// Golden files: the bytes written for fixed test images must not change, and
// must be the same on every platform we ship (natively and under Wine). A
// changed hash means a changed file format: check the new file with the
// independent readers before updating the table.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "output/avi_recorder.h"
#include "output/save_image.h"
#include "output_test_support.h"

namespace tavrin {
namespace {

struct GoldenStill {
    const char* name;
    int32_t code;
    int32_t width;
    int32_t height;
    int32_t bits;
    uint64_t size;
    uint64_t hash;
};

constexpr GoldenStill kGoldenStills[] = {
    {"gray8.bmp", kStillBmp, 9, 5, 8, 1138, 0xb52e133e1059d058ull},
    {"rgb24.bmp", kStillBmp, 13, 7, 24, 334, 0xfac78a7de42b17abull},
    {"rgb32.bmp", kStillBmp, 13, 7, 32, 418, 0x3f42e9220018b5ebull},
    {"gray16.raw", kStillRaw, 7, 3, 16, 48, 0x906ea1751d5ff90dull},
    {"rgb48.raw", kStillRaw, 7, 3, 48, 132, 0x7bea7ad5f850b5caull},
    {"gray8.png", kStillPng, 11, 6, 8, 85, 0xaf10a917520458d2ull},
    {"gray16.png", kStillPng, 11, 6, 16, 98, 0xfa44528e2251b3f5ull},
    {"rgb24.png", kStillPng, 11, 6, 24, 99, 0x3ee3ceacf532bb57ull},
    {"rgb32.png", kStillPng, 11, 6, 32, 104, 0x59ea5f76a50eed83ull},
    {"rgb48.png", kStillPng, 11, 6, 48, 127, 0x686966f8d7b7053dull},
    {"rgb64.png", kStillPng, 11, 6, 64, 142, 0x7f6a4f9140d31ffcull},
    {"gray8.tif", kStillTiff, 11, 6, 8, 188, 0x5c5666eb9d73fa28ull},
    {"gray16.tif", kStillTiff, 11, 6, 16, 254, 0xf2ab4b7bb9544ffbull},
    {"rgb24.tif", kStillTiff, 11, 6, 24, 326, 0x6d8b8625ea284ecaull},
    {"rgb32.tif", kStillTiff, 11, 6, 32, 406, 0xaa3e4d68092c3606ull},
    {"rgb48.tif", kStillTiff, 11, 6, 48, 524, 0xeaab9d861390bed2ull},
    {"rgb64.tif", kStillTiff, 11, 6, 64, 670, 0xab413cc235deaf1eull},
};

constexpr uint64_t kGoldenAviSize = 1152;
constexpr uint64_t kGoldenAviHash = 0xde3d5210e3987b8dull;

std::string Describe(uint64_t size, uint64_t hash) {
    char text[64];
    std::snprintf(text, sizeof text, "%" PRIu64 ", 0x%016" PRIx64 "ull", size, hash);
    return text;
}

class GoldenFileTest : public ::testing::Test {
protected:
    test::ScratchDirectory dir_{"golden"};
};

TEST_F(GoldenFileTest, StillImagesMatchTheirGoldenBytes) {
    for (const GoldenStill& golden : kGoldenStills) {
        const CDibImage image = test::MakeCameraImage(golden.width, golden.height, golden.bits, 17);
        const std::string path = dir_.File(golden.name);
        ASSERT_EQ(SaveImage(path.c_str(), image, golden.code, 10), 1) << golden.name;
        const auto bytes = test::ReadFileBytes(path);
        EXPECT_EQ(Describe(bytes.size(), test::Fnv1a64(bytes)), Describe(golden.size, golden.hash)) << golden.name;
    }
}

TEST_F(GoldenFileTest, RecordingMatchesItsGoldenBytes) {
    AviRecorder recorder;
    recorder.SetWidth(13);
    recorder.SetHeight(7);
    recorder.SetBitsPerPixel(24);
    recorder.SetRate(30);
    recorder.SetFrameCount(0);
    const std::string path = dir_.File("recording.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    for (uint32_t frame = 0; frame < 3; ++frame) {
        const CDibImage picture = test::MakeCameraImage(13, 7, 24, frame);
        ASSERT_EQ(recorder.AddFrame(picture.Bits()), AviRecorder::kOk);
        recorder.SetFrameCount(frame + 1);
    }
    recorder.SetRate(2997);
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);
    const auto bytes = test::ReadFileBytes(path);
    EXPECT_EQ(Describe(bytes.size(), test::Fnv1a64(bytes)), Describe(kGoldenAviSize, kGoldenAviHash));
}

}  // namespace
}  // namespace tavrin

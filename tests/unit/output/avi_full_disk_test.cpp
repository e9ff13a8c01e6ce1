// A recording that meets a full disk. The test runs with the process's file
// size limit lowered (TAVRIN_FILE_SIZE_LIMIT says to how many bytes), so
// writes past it fail as they would on a full file system.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "output/avi_recorder.h"
#include "output_test_support.h"

namespace tavrin {
namespace {

using test::FourCCAt;
using test::ReadFileBytes;
using test::U32At;

class AviFullDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* limit = std::getenv("TAVRIN_FILE_SIZE_LIMIT");
        if (limit == nullptr) {
            GTEST_SKIP() << "run through its ctest case, which lowers the file size limit";
        }
        limit_ = std::strtoull(limit, nullptr, 10);
    }

    // Records frames until a write fails; returns the frames written.
    static uint32_t RecordUntilFailure(AviRecorder& recorder) {
        std::vector<uint8_t> pixels(static_cast<size_t>(recorder.FrameBytes()), 0x5A);
        for (uint32_t frame = 0; frame < 1000; ++frame) {
            const int32_t status = recorder.AddFrame(pixels.data());
            if (status != AviRecorder::kOk) {
                EXPECT_EQ(status, AviRecorder::kWriteFailed);
                return frame;
            }
            recorder.SetFrameCount(recorder.FrameCount() + 1);
        }
        ADD_FAILURE() << "the file size limit never stopped the recording";
        return 0;
    }

    static void Prepare(AviRecorder& recorder, int32_t width, int32_t height) {
        recorder.SetWidth(width);
        recorder.SetHeight(height);
        recorder.SetBitsPerPixel(24);
        recorder.SetRate(30);
        recorder.SetFrameCount(0);
    }

    test::ScratchDirectory dir_{"avi_full_disk"};
    uint64_t limit_ = 0;
};

TEST_F(AviFullDiskTest, FailedFrameIsReportedAndCloseKeepsEveryCompleteFrame) {
    AviRecorder recorder;
    Prepare(recorder, 100, 300);  // F = 90,000
    const std::string path = dir_.File("full.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    const uint32_t frames = RecordUntilFailure(recorder);
    const uint64_t chunk = 8 + recorder.FrameBytes();
    EXPECT_EQ(frames, (limit_ - 232) / chunk);
    recorder.SetRate(2000);
    // The index goes where the failed frame began, inside the limit.
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);

    const auto bytes = ReadFileBytes(path);
    const size_t indexAt = 232 + frames * chunk;
    EXPECT_EQ(U32At(bytes, 4), indexAt + 8 + 16 * frames - 8);
    EXPECT_EQ(U32At(bytes, 48), frames);
    EXPECT_EQ(U32At(bytes, 44), 0x00010010u);
    EXPECT_EQ(FourCCAt(bytes, indexAt), "idx1");
    EXPECT_EQ(U32At(bytes, indexAt + 4), 16 * frames);
    EXPECT_EQ(U32At(bytes, indexAt + 8 + 16 * (frames - 1) + 8), 4 + (frames - 1) * chunk);
}

TEST_F(AviFullDiskTest, IndexThatNoLongerFitsStillLeavesSizesAndCountsPatched) {
    AviRecorder recorder;
    // Two frames end 24 bytes before the limit: too little for the index of 40.
    const uint64_t frameBytes = (limit_ - 232 - 24) / 2 - 8;
    Prepare(recorder, static_cast<int32_t>(frameBytes / 3), 1);
    ASSERT_EQ(recorder.FrameBytes(), frameBytes);
    const std::string path = dir_.File("no_index.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    EXPECT_EQ(RecordUntilFailure(recorder), 2u);
    recorder.SetRate(1000);
    EXPECT_EQ(recorder.Close(), AviRecorder::kWriteFailed);

    const auto bytes = ReadFileBytes(path);
    EXPECT_EQ(U32At(bytes, 4), 224 + 2 * (8 + frameBytes));  // the movi list, no index
    EXPECT_EQ(U32At(bytes, 224), 4 + 2 * (8 + frameBytes));
    EXPECT_EQ(U32At(bytes, 48), 2u);
    EXPECT_EQ(U32At(bytes, 140), 2u);
    EXPECT_EQ(U32At(bytes, 44), 0x00010000u);  // no longer claims an index
    EXPECT_EQ(U32At(bytes, 32), 100000u);
}

}  // namespace
}  // namespace tavrin

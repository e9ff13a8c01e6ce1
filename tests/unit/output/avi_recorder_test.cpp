// The AVI recorder's file, byte by byte: headers at open, running sizes, the
// index, the fields patched at close, and what happens at the edges (no
// frames, no rate, the size limit, a file that cannot be written).
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "output/avi_recorder.h"
#include "output_test_support.h"

namespace tavrin {
namespace {

using test::FourCCAt;
using test::ReadFileBytes;
using test::U16At;
using test::U32At;

class AviRecorderTest : public ::testing::Test {
protected:
    test::ScratchDirectory dir_{"avi_recorder"};

    // The caller's side of a recording, as the recording thread does it.
    static void Prepare(AviRecorder& recorder, int32_t width, int32_t height) {
        recorder.SetWidth(width);
        recorder.SetHeight(height);
        recorder.SetBitsPerPixel(24);
        recorder.SetRate(30);
        recorder.SetFrameCount(0);
    }

    static std::vector<uint8_t> Frame(const AviRecorder& recorder, uint8_t seed) {
        std::vector<uint8_t> pixels(static_cast<size_t>(recorder.FrameBytes()));
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = static_cast<uint8_t>(i * 7 + seed);
        }
        return pixels;
    }

    static void Record(AviRecorder& recorder, int frames) {
        for (int i = 0; i < frames; ++i) {
            ASSERT_EQ(recorder.AddFrame(Frame(recorder, static_cast<uint8_t>(i)).data()), AviRecorder::kOk);
            recorder.SetFrameCount(recorder.FrameCount() + 1);
        }
    }
};

TEST_F(AviRecorderTest, HeadersAtOpenDescribeA656x494StreamAt30Fps) {
    AviRecorder recorder;
    Prepare(recorder, 656, 494);
    const std::string path = dir_.File("open.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    EXPECT_EQ(recorder.FrameBytes(), 972192u);
    EXPECT_EQ(recorder.RiffSize(), 224u);
    EXPECT_EQ(recorder.MoviSize(), 4u);

    // Everything up to "movi" is on disk right after Open.
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 232u);
    EXPECT_EQ(U32At(bytes, 4), 224u);
    EXPECT_EQ(U32At(bytes, 48), 0u);
    EXPECT_EQ(U32At(bytes, 140), 0u);
    EXPECT_EQ(U32At(bytes, 224), 4u);
    EXPECT_EQ(FourCCAt(bytes, 0), "RIFF");
    EXPECT_EQ(FourCCAt(bytes, 8), "AVI ");
    EXPECT_EQ(FourCCAt(bytes, 12), "LIST");
    EXPECT_EQ(U32At(bytes, 16), 200u);
    EXPECT_EQ(FourCCAt(bytes, 20), "hdrl");
    EXPECT_EQ(FourCCAt(bytes, 24), "avih");
    EXPECT_EQ(U32At(bytes, 28), 56u);
    EXPECT_EQ(U32At(bytes, 32), 33333u);  // 1,000,000 / 30
    EXPECT_EQ(U32At(bytes, 36), (972192u + 8u) * 30u);
    EXPECT_EQ(U32At(bytes, 40), 0u);
    EXPECT_EQ(U32At(bytes, 44), 0x00010000u);  // no index yet: a file cut short now has none
    EXPECT_EQ(U32At(bytes, 52), 0u);
    EXPECT_EQ(U32At(bytes, 56), 1u);
    EXPECT_EQ(U32At(bytes, 60), 972200u);
    EXPECT_EQ(U32At(bytes, 64), 656u);
    EXPECT_EQ(U32At(bytes, 68), 494u);
    for (size_t offset = 72; offset < 88; offset += 4) {
        EXPECT_EQ(U32At(bytes, offset), 0u) << offset;
    }
    EXPECT_EQ(FourCCAt(bytes, 88), "LIST");
    EXPECT_EQ(U32At(bytes, 92), 124u);
    EXPECT_EQ(FourCCAt(bytes, 96), "strl");
    EXPECT_EQ(FourCCAt(bytes, 100), "strh");
    EXPECT_EQ(U32At(bytes, 104), 64u);
    EXPECT_EQ(FourCCAt(bytes, 108), "vids");
    EXPECT_EQ(FourCCAt(bytes, 112), "DIB ");
    EXPECT_EQ(U32At(bytes, 116), 0u);
    EXPECT_EQ(U32At(bytes, 120), 0u);  // priority and language
    EXPECT_EQ(U32At(bytes, 124), 0u);
    EXPECT_EQ(U32At(bytes, 128), 333333u);  // 10,000,000 / 30
    EXPECT_EQ(U32At(bytes, 132), 10000000u);
    EXPECT_EQ(U32At(bytes, 136), 0u);
    EXPECT_EQ(U32At(bytes, 144), 972200u);
    for (size_t offset = 148; offset < 172; offset += 4) {
        EXPECT_EQ(U32At(bytes, offset), 0u) << offset;
    }
    EXPECT_EQ(FourCCAt(bytes, 172), "strf");
    EXPECT_EQ(U32At(bytes, 176), 40u);
    EXPECT_EQ(U32At(bytes, 180), 40u);
    EXPECT_EQ(U32At(bytes, 184), 656u);
    EXPECT_EQ(U32At(bytes, 188), 494u);  // positive: bottom-up rows
    EXPECT_EQ(U16At(bytes, 192), 1u);
    EXPECT_EQ(U16At(bytes, 194), 24u);
    for (size_t offset = 196; offset < 220; offset += 4) {
        EXPECT_EQ(U32At(bytes, offset), 0u) << offset;
    }
    EXPECT_EQ(FourCCAt(bytes, 220), "LIST");
    EXPECT_EQ(FourCCAt(bytes, 228), "movi");
    recorder.SetRate(0);
    EXPECT_EQ(recorder.Close(), AviRecorder::kOk);
}

TEST_F(AviRecorderTest, FramesIndexAndPatchedFieldsAfterClose) {
    AviRecorder recorder;
    Prepare(recorder, 656, 494);
    const std::string path = dir_.File("three.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    Record(recorder, 3);
    const uint32_t f = 972192;
    EXPECT_EQ(recorder.RiffSize(), 224u + 3 * (8 + f));
    EXPECT_EQ(recorder.MoviSize(), 4u + 3 * (8 + f));
    recorder.SetRate(1500);  // 15.00 frames per second
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);

    const auto bytes = ReadFileBytes(path);
    const size_t indexAt = 232 + 3 * (8 + size_t{f});
    ASSERT_EQ(bytes.size(), indexAt + 8 + 3 * 16);
    EXPECT_EQ(U32At(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(U32At(bytes, 224), 4u + 3 * (8 + f));
    EXPECT_EQ(U32At(bytes, 32), 66666u);    // 100,000,000 / 1500
    EXPECT_EQ(U32At(bytes, 128), 666666u);  // 1,000,000,000 / 1500
    EXPECT_EQ(U32At(bytes, 48), 3u);
    EXPECT_EQ(U32At(bytes, 140), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        const size_t chunk = 232 + i * (8 + size_t{f});
        EXPECT_EQ(FourCCAt(bytes, chunk), "00db");
        EXPECT_EQ(U32At(bytes, chunk + 4), f);
        EXPECT_EQ(bytes[chunk + 8 + 1000], static_cast<uint8_t>(1000 * 7 + i));
        const size_t entry = indexAt + 8 + i * 16;
        EXPECT_EQ(FourCCAt(bytes, entry), "00db");
        EXPECT_EQ(U32At(bytes, entry + 4), 0x10u);
        EXPECT_EQ(U32At(bytes, entry + 8), 4u + i * (8 + f));  // counted from "movi"
        EXPECT_EQ(U32At(bytes, entry + 12), f);
        EXPECT_EQ(chunk - 228, U32At(bytes, entry + 8));
    }
    EXPECT_EQ(FourCCAt(bytes, indexAt), "idx1");
    EXPECT_EQ(U32At(bytes, indexAt + 4), 48u);
}

TEST_F(AviRecorderTest, FiveColumnsMakeSixteenByteRows) {
    AviRecorder recorder;
    Prepare(recorder, 5, 7);
    EXPECT_EQ(recorder.FrameBytes(), 16u * 7u);
    const std::string path = dir_.File("narrow.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    Record(recorder, 2);
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);
    const auto bytes = ReadFileBytes(path);
    EXPECT_EQ(U32At(bytes, 236), 112u);
    EXPECT_EQ(U32At(bytes, 60), 120u);
    EXPECT_EQ(bytes.size(), 232u + 2 * 120 + 8 + 32);
}

TEST_F(AviRecorderTest, EmptyRecordingHasAnEmptyIndex) {
    AviRecorder recorder;
    Prepare(recorder, 64, 48);
    const std::string path = dir_.File("empty.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    recorder.SetRate(0);  // no frame, no measured rate
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 240u);
    EXPECT_EQ(FourCCAt(bytes, 232), "idx1");
    EXPECT_EQ(U32At(bytes, 236), 0u);
    EXPECT_EQ(U32At(bytes, 48), 0u);
    EXPECT_EQ(U32At(bytes, 140), 0u);
    EXPECT_EQ(U32At(bytes, 4), 232u);
    EXPECT_EQ(U32At(bytes, 224), 4u);
}

TEST_F(AviRecorderTest, RateZeroAtCloseKeepsTheRateWrittenAtOpen) {
    AviRecorder recorder;
    Prepare(recorder, 16, 16);
    const std::string path = dir_.File("rate0.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    Record(recorder, 1);
    recorder.SetRate(0);
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);
    const auto bytes = ReadFileBytes(path);
    EXPECT_EQ(U32At(bytes, 32), 33333u);
    EXPECT_EQ(U32At(bytes, 128), 333333u);
    EXPECT_EQ(U32At(bytes, 48), 1u);
}

TEST_F(AviRecorderTest, SizeLimitRefusesTheFrameThatWouldPassItAndCloseLeavesAValidFile) {
    AviRecorder recorder;
    Prepare(recorder, 8, 8);  // F = 192, chunk 200
    // Room for exactly two frames with their index: 224 + 2 * 200 + 8 + 2 * 16 = 664.
    recorder.SetSizeLimit(664 + 215);
    const std::string path = dir_.File("limit.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    Record(recorder, 2);
    const auto third = Frame(recorder, 9);
    EXPECT_EQ(recorder.AddFrame(third.data()), AviRecorder::kSizeLimit);
    EXPECT_EQ(recorder.AddFrame(third.data()), AviRecorder::kSizeLimit);
    EXPECT_EQ(recorder.FramesWritten(), 2u);
    recorder.SetRate(2500);
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 664u + 8);
    EXPECT_EQ(U32At(bytes, 4), 664u);
    EXPECT_EQ(U32At(bytes, 48), 2u);
    EXPECT_EQ(FourCCAt(bytes, 632), "idx1");
    EXPECT_EQ(U32At(bytes, 636), 32u);
}

TEST_F(AviRecorderTest, SizeLimitCountsTheIndexStillToBeWritten) {
    AviRecorder recorder;
    Prepare(recorder, 8, 8);
    recorder.SetSizeLimit(663);  // one byte short of two frames and their index
    const std::string path = dir_.File("limit_index.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    Record(recorder, 1);
    EXPECT_EQ(recorder.AddFrame(Frame(recorder, 1).data()), AviRecorder::kSizeLimit);
    EXPECT_EQ(recorder.Close(), AviRecorder::kOk);
    EXPECT_EQ(U32At(ReadFileBytes(path), 4), 224u + 200 + 8 + 16);
}

TEST_F(AviRecorderTest, AddFrameAndCloseWithoutAFileReportNotOpen) {
    AviRecorder recorder;
    Prepare(recorder, 4, 4);
    std::vector<uint8_t> pixels(static_cast<size_t>(recorder.FrameBytes()));
    EXPECT_EQ(recorder.AddFrame(pixels.data()), AviRecorder::kNotOpen);
    EXPECT_EQ(recorder.Close(), AviRecorder::kNotOpen);
}

TEST_F(AviRecorderTest, OpenRefusesSettingsThatDescribeNoFile) {
    AviRecorder recorder;
    const std::string path = dir_.File("refused.avi");
    Prepare(recorder, 0, 10);
    EXPECT_FALSE(recorder.Open(path.c_str()));
    Prepare(recorder, 10, -1);
    EXPECT_FALSE(recorder.Open(path.c_str()));
    Prepare(recorder, 10, 10);
    recorder.SetRate(0);
    EXPECT_FALSE(recorder.Open(path.c_str()));
    Prepare(recorder, 10, 10);
    recorder.SetSizeLimit(100);
    EXPECT_FALSE(recorder.Open(path.c_str()));
    EXPECT_FALSE(test::Exists(path));
    Prepare(recorder, 10, 10);
    recorder.SetSizeLimit(avi::kRiffSizeLimit);
    EXPECT_FALSE(recorder.Open(dir_.File("no/such/folder.avi").c_str()));
    EXPECT_FALSE(recorder.Open(nullptr));
}

TEST_F(AviRecorderTest, AddFrameRefusesMissingPixels) {
    AviRecorder recorder;
    Prepare(recorder, 4, 4);
    ASSERT_TRUE(recorder.Open(dir_.File("null.avi").c_str()));
    EXPECT_EQ(recorder.AddFrame(nullptr), AviRecorder::kInvalidFrame);
    EXPECT_EQ(recorder.Close(), AviRecorder::kOk);
}

TEST_F(AviRecorderTest, OpenOnAnOpenRecorderAbandonsTheFirstFile) {
    AviRecorder recorder;
    Prepare(recorder, 4, 4);
    const std::string first = dir_.File("first.avi");
    const std::string second = dir_.File("second.avi");
    ASSERT_TRUE(recorder.Open(first.c_str()));
    Record(recorder, 2);
    ASSERT_TRUE(recorder.Open(second.c_str()));
    EXPECT_EQ(recorder.FramesWritten(), 0u);
    Record(recorder, 1);
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);
    EXPECT_EQ(U32At(ReadFileBytes(first), 4), 224u);  // never finished
    EXPECT_EQ(U32At(ReadFileBytes(second), 48), 1u);
}

TEST_F(AviRecorderTest, RecorderIsReusedForTheNextRecording) {
    AviRecorder recorder;
    for (int round = 0; round < 2; ++round) {
        Prepare(recorder, 6, 3);
        const std::string path = dir_.File("again" + std::to_string(round) + ".avi");
        ASSERT_TRUE(recorder.Open(path.c_str()));
        Record(recorder, round + 1);
        recorder.SetRate(3000);
        ASSERT_EQ(recorder.Close(), AviRecorder::kOk);
        const auto bytes = ReadFileBytes(path);
        EXPECT_EQ(U32At(bytes, 48), static_cast<uint32_t>(round + 1));
        EXPECT_EQ(U32At(bytes, 4), bytes.size() - 8);
        EXPECT_EQ(U32At(bytes, 32), 33333u);
    }
}

TEST_F(AviRecorderTest, OpenOnAFullDiskFails) {
    if (!test::HaveFullDevice()) {
        GTEST_SKIP() << "needs Linux's /dev/full";
    }
    AviRecorder recorder;
    Prepare(recorder, 4, 4);
    EXPECT_FALSE(recorder.Open(test::kFullDevice));
    EXPECT_FALSE(recorder.IsOpen());
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

class AviRefreshTest : public AviRecorderTest {
protected:
    // The file a recording of the first `frames` frames leaves when closed at
    // 30.00 frames per second, the rate the header holds while recording.
    std::vector<uint8_t> ClosedRecording(uint32_t frames) {
        AviRecorder recorder;
        Prepare(recorder, kWidth, kHeight);
        recorder.SetRefreshInterval(0xFFFFFFFFu);
        const std::string path = dir_.File("closed.avi");
        EXPECT_TRUE(recorder.Open(path.c_str()));
        Record(recorder, static_cast<int>(frames));
        recorder.SetRate(3000);
        EXPECT_EQ(recorder.Close(), AviRecorder::kOk);
        return ReadFileBytes(path);
    }

    static constexpr int32_t kWidth = 64;  // F = 1,536: frames outweigh the index by far
    static constexpr int32_t kHeight = 8;
};

TEST_F(AviRefreshTest, AfterEachRefreshTheFileIsTheClosedRecordingOfItsFrames) {
    AviRecorder recorder;
    Prepare(recorder, kWidth, kHeight);
    recorder.SetRefreshInterval(0);
    const std::string path = dir_.File("refreshed.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    for (uint32_t frames = 1; frames <= 4; ++frames) {
        ASSERT_EQ(recorder.AddFrame(Frame(recorder, static_cast<uint8_t>(frames - 1)).data()), AviRecorder::kOk);
        EXPECT_EQ(ReadFileBytes(path), ClosedRecording(frames)) << frames;
    }
    // The normal close gives the same bytes as a recording never refreshed.
    recorder.SetRate(3000);
    ASSERT_EQ(recorder.Close(), AviRecorder::kOk);
    EXPECT_EQ(ReadFileBytes(path), ClosedRecording(4));
}

TEST_F(AviRefreshTest, FramesAfterARefreshWithdrawTheIndexTheyOverwrite) {
    AviRecorder recorder;
    Prepare(recorder, kWidth, kHeight);
    recorder.SetRefreshInterval(0);
    const std::string path = dir_.File("withdrawn.avi");
    ASSERT_TRUE(recorder.Open(path.c_str()));
    Record(recorder, 2);
    recorder.SetRefreshInterval(0xFFFFFFFFu);
    Record(recorder, 3);

    // The header still describes the two refreshed frames, now without an
    // index and with the RIFF list ending after them; all five are on disk.
    const uint32_t chunk = 8 + 1536;
    const auto bytes = ReadFileBytes(path);
    EXPECT_EQ(U32At(bytes, 4), 224 + 2 * chunk);
    EXPECT_EQ(U32At(bytes, 224), 4 + 2 * chunk);
    EXPECT_EQ(U32At(bytes, 44), 0x00010000u);
    EXPECT_EQ(U32At(bytes, 48), 2u);
    EXPECT_EQ(U32At(bytes, 140), 2u);
    EXPECT_EQ(FourCCAt(bytes, 232 + 4 * chunk), "00db");
    EXPECT_GE(bytes.size(), 232 + 5 * chunk);
}

// Frames of 120 bytes or less bring no more frame bytes than index bytes,
// so a refresh that waits for frame bytes alone never comes: time brings it.
TEST_F(AviRefreshTest, TinyFramesAreRefreshedToo) {
    for (const auto& [width, height] : {std::pair{4, 2}, std::pair{40, 1}}) {
        AviRecorder recorder;
        Prepare(recorder, width, height);
        recorder.SetRefreshInterval(0);
        const std::string path = dir_.File("tiny.avi");
        ASSERT_TRUE(recorder.Open(path.c_str()));
        Record(recorder, 3);
        const auto bytes = ReadFileBytes(path);
        const uint64_t chunk = 8 + recorder.FrameBytes();
        EXPECT_EQ(U32At(bytes, 48), 3u) << width << " x " << height;
        EXPECT_EQ(U32At(bytes, 44), 0x00010010u) << width << " x " << height;
        EXPECT_EQ(FourCCAt(bytes, static_cast<size_t>(232 + 3 * chunk)), "idx1") << width << " x " << height;
        EXPECT_EQ(recorder.Close(), AviRecorder::kOk);
    }
}

}  // namespace
}  // namespace tavrin

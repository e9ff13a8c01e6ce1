// The acquisition state table through the exports: what each operation does
// in the idle, streaming and capture states (the trigger column is in
// trigger_test.cpp), and the single-frame paths.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "acquisition_fixture.h"

namespace tavrin::test {
namespace {

using Codes = std::vector<int>;

class StateTableTest : public AcquisitionTest {
protected:
    // Streaming is running when frames keep crossing the camera's pipe.
    void ExpectStreaming() {
        const int before = TavrinSim_GetFrameCount(0);
        EXPECT_TRUE(CameraSendsMoreThan(0, before + 2)) << "no frames are streaming";
    }
    // Idle: nothing streams, and a start from idle (Capture) is accepted.
    void ExpectIdle() {
        EXPECT_TRUE(CameraQuiet(0)) << "frames still stream";
        EXPECT_EQ(Tavrin_Capture(handle), 1);
        EXPECT_EQ(TakeErrors(), Codes{});
        EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    }
    // The command blocks sent on pipe 0 other than frame requests.
    static int CommandsOtherThanFrameRequests() {
        std::vector<TavrinSimRecord> records(4096);
        const int count = TavrinSim_GetLog(0, records.data(), static_cast<int>(records.size()));
        int commands = 0;
        for (int i = 0; i < count; ++i) {
            if (records[i].pipe == 0 && records[i].data[0] != 0x02) {
                ++commands;
            }
        }
        return commands;
    }
    std::vector<BYTE> buffer = std::vector<BYTE>(Stride(kSensorWidth, 24) * kSensorHeight);
};

TEST_F(StateTableTest, IdleStartsAndStopsEveryKind) {
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);  // StopPreview when nothing runs
    EXPECT_EQ(TakeErrors(), Codes{});
    EXPECT_TRUE(CameraQuiet(0));

    EXPECT_EQ(Tavrin_StartPreview(handle), 1);
    ExpectStreaming();
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    ExpectIdle();

    EXPECT_EQ(Tavrin_Preview(handle), 1);
    ExpectStreaming();
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    ExpectIdle();

    EXPECT_EQ(Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_FALSE(Collect(window, 2, 3000).records.empty());
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    ExpectIdle();
    EXPECT_EQ(TakeErrors(), Codes{});
}

TEST_F(StateTableTest, StartPreviewTwiceStartsOneStream) {
    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    ExpectStreaming();
    TavrinSim_ClearLog(0);
    // The second start neither prepares nor starts a transfer: nothing but
    // the running stream's frame requests reaches the camera.
    EXPECT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
    EXPECT_EQ(CommandsOtherThanFrameRequests(), 0);
    ExpectStreaming();
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_TRUE(CameraQuiet(0));
    ExpectIdle();
}

TEST_F(StateTableTest, StreamingRefusesCaptureSnapShotAndTrigger) {
    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_EQ(Tavrin_Capture(handle), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    EXPECT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 11) & 1, 0) << "the refused trigger reached the camera";
    ExpectStreaming();  // still streaming after the refusals
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    ExpectIdle();
}

// A callback preview while streaming keeps the stream and redirects its
// frames to the new window and buffer.
TEST_F(StateTableTest, CallBackPreviewWhileStreamingRedirectsTheFrames) {
    ASSERT_EQ(Tavrin_Preview(handle), 1);
    EXPECT_TRUE(Collect(window, 1, 300).records.empty()) << "Preview posts no frame records";
    // A buffer the caller has just written: handing it over must order those
    // writes before the library's (a race for ThreadSanitizer otherwise).
    std::vector<BYTE> fresh(buffer.size(), 0x5A);
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, fresh.data(), static_cast<int>(fresh.size()), 1), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
    const Posted posted = Collect(window, 3, 3000);
    ASSERT_GE(posted.records.size(), 3u);
    EXPECT_EQ(posted.records.back().buffer, fresh.data());
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
}

TEST_F(StateTableTest, CaptureStateCell) {
    ASSERT_EQ(Tavrin_Capture(handle), 1);
    EXPECT_TRUE(CameraQuiet(0)) << "capture does not stream";
    EXPECT_EQ(Tavrin_Capture(handle), 1);  // already capturing
    EXPECT_EQ(TakeErrors(), Codes{});

    EXPECT_EQ(Tavrin_StartPreview(handle), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    EXPECT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});

    // Snapshots in capture state, twice.
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
    EXPECT_TRUE(CameraQuiet(0));

    // StopPreview: capture -> idle.
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
    ExpectStreaming();
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
}

// Preview and CallBackPreview in capture state: StartPreview reports 1,
// the object is closed, and 8 follows; the object is idle afterwards.
TEST_F(StateTableTest, PreviewInCaptureStateClosesAndReportsFrameError) {
    for (int callback = 0; callback < 2; ++callback) {
        SCOPED_TRACE(callback != 0 ? "CallBackPreview" : "Preview");
        ASSERT_EQ(Tavrin_Capture(handle), 1);
        const int result =
            callback != 0 ? Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0)
                          : Tavrin_Preview(handle);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(TakeErrors(), (Codes{8, 1}));
        ExpectIdle();
    }
    // Both codes were posted too, the inner one first.
    const Posted posted = CollectFor(100);
    EXPECT_EQ(posted.errors, (Codes{1, 8, 1, 8}));
    EXPECT_TRUE(posted.records.empty());
}

TEST_F(StateTableTest, RecordInCaptureStateClosesAndReportsFileError) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("acquisition_capture_record_" + ProcessTag() + ".avi")).string();
    std::filesystem::remove(path);
    ASSERT_EQ(Tavrin_Capture(handle), 1);
    EXPECT_EQ(Tavrin_Record(handle, path.c_str(), 1000, 0), 0);
    EXPECT_EQ(TakeErrors(), (Codes{12, 1}));
    EXPECT_FALSE(std::filesystem::exists(path)) << "no file is opened for a refused recording";
    ExpectIdle();
}

// (GetStatus answers 0 in every state.)
TEST_F(StateTableTest, StopPreviewReturnsOneInEveryStateAndLeavesIdle) {
    EXPECT_EQ(Tavrin_GetStatus(handle, nullptr), 0);
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_EQ(Tavrin_GetStatus(handle, &handle), 0);
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);  // twice
    ExpectIdle();
    ASSERT_EQ(Tavrin_Capture(handle), 1);
    EXPECT_EQ(Tavrin_GetStatus(handle, nullptr), 0);
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    ExpectIdle();
    EXPECT_EQ(TakeErrors(), Codes{});
}

// A snapshot from idle prepares, takes one frame and closes the device
// again; in capture state the device stays open from one snapshot to the
// next. The simulator shows both: handles opened before an unplug no longer
// reach the camera once it is plugged in again.
TEST_F(StateTableTest, SnapShotFromIdleClosesTheDeviceAndCaptureKeepsItOpen) {
    TavrinSim_ClearLog(0);
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_GT(CommandsOtherThanFrameRequests(), 4) << "a snapshot from idle programs the camera first";
    ASSERT_EQ(TavrinSim_SetPresent(0, 0), 1);
    ASSERT_EQ(TavrinSim_SetPresent(0, 1), 1);
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 1)
        << "the first snapshot left its handle open";
    EXPECT_EQ(TakeErrors(), Codes{});
    ExpectIdle();  // and the snapshot stayed in idle

    ASSERT_EQ(Tavrin_Capture(handle), 1);
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    TavrinSim_ClearLog(0);
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
    // Capture's snapshots send the prepare and the frame request, nothing else.
    EXPECT_EQ(CommandsOtherThanFrameRequests(), 1);
    // The handle of the first snapshot is still the one in use: after an
    // unplug it fails, the grab is closed, and the next snapshot opens anew.
    ASSERT_EQ(TavrinSim_SetPresent(0, 0), 1);
    ASSERT_EQ(TavrinSim_SetPresent(0, 1), 1);
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{8});
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
}

TEST_F(StateTableTest, SnapShotWithoutBufferProcessesTheFrameForGetImageAndSaveImage) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("acquisition_null_snapshot_" + ProcessTag() + ".bmp")).string();
    std::filesystem::remove(path);
    // Before any frame there is no image to give or save.
    EXPECT_EQ(Tavrin_GetImage(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{5});
    EXPECT_EQ(Tavrin_SaveImage(handle, path.c_str(), 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});

    ASSERT_EQ(Tavrin_SetColorMode(handle, 24), 1);
    EXPECT_EQ(Tavrin_SnapShot(handle, nullptr, 0, 0), 1);
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), 0, 0), 1);  // size 0: nothing copied
    EXPECT_EQ(TakeErrors(), Codes{});
    EXPECT_EQ(Tavrin_GetImage(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(Tavrin_SaveImage(handle, path.c_str(), 0), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
    // A bottom-up 24-bit BMP: header, then exactly the bottom-up buffer.
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 54 + buffer.size());
    std::vector<BYTE> file(std::filesystem::file_size(path));
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fread(file.data(), 1, file.size(), f), file.size());
    std::fclose(f);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), file.begin() + 54));
    std::filesystem::remove(path);

    // GetImage refuses a null buffer and one a byte short.
    EXPECT_EQ(Tavrin_GetImage(handle, nullptr, static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{5});
    EXPECT_EQ(Tavrin_GetImage(handle, buffer.data(), static_cast<int>(buffer.size()) - 1, 0), 0);
    EXPECT_EQ(TakeErrors(), (Codes{5, 5}));
}

// Close stops streaming, returns to idle and makes the current image
// invalid for SaveImage; the handle stays usable.
TEST_F(StateTableTest, CloseEndsStreamingAndInvalidatesTheImage) {
    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    ExpectStreaming();
    EXPECT_EQ(Tavrin_Close(handle), 1);
    EXPECT_TRUE(CameraQuiet(0));
    const std::string path =
        (std::filesystem::temp_directory_path() / ("acquisition_after_close_" + ProcessTag() + ".bmp")).string();
    EXPECT_EQ(Tavrin_SaveImage(handle, path.c_str(), 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    ExpectIdle();
}

}  // namespace
}  // namespace tavrin::test

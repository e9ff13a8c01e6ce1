// Trigger mode through the exports: the trigger column of the state table,
// one frame record per trigger pulse, and StopPreview while the driver waits
// for a trigger that never comes.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "acquisition_fixture.h"

namespace tavrin::test {
namespace {

using Codes = std::vector<int>;

constexpr uint32_t kDriverWaitMs = 3000;
// Scheduling slack on a loaded machine (sanitizers, Wine) on top of it.
constexpr uint32_t kStopSlackMs = 1500;

class TriggerTest : public AcquisitionTest {
protected:
    // Stops and checks that the stop came within the driver's wait.
    void StopWithinDriverWait() {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Tavrin_StopPreview(handle), 1);
        EXPECT_LT(MillisecondsSince(start), kDriverWaitMs + kStopSlackMs);
        EXPECT_EQ(TavrinSim_GetControlRegister(0, 11) & 1, 0) << "trigger mode left on";
    }
    std::vector<BYTE> buffer = std::vector<BYTE>(Stride(kSensorWidth, 24) * kSensorHeight);
};

TEST_F(TriggerTest, EachTriggerDeliversOneFrameRecordWithoutRate) {
    ASSERT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 11) & 1, 1) << "trigger mode on";
    EXPECT_TRUE(CollectFor(300).records.empty()) << "no frame without a trigger";

    const int sent = TavrinSim_GetFrameCount(0);
    ASSERT_EQ(TavrinSim_FireTrigger(0), 1);
    Posted posted = Collect(window, 1, 3000);
    posted.Append(CollectFor(300));
    ASSERT_EQ(posted.records.size(), 1u);
    const TavrinFrameInfo& record = posted.records[0];
    EXPECT_EQ(record.size, 32);
    EXPECT_EQ(record.width, kSensorWidth);
    EXPECT_EQ(record.height, kSensorHeight);
    EXPECT_EQ(record.bitsPerPixel, 24);
    EXPECT_EQ(record.frameRate, 0);
    EXPECT_EQ(record.buffer, buffer.data());
    EXPECT_EQ(TavrinSim_GetFrameCount(0), sent + 1);

    ASSERT_EQ(TavrinSim_FireTrigger(0), 1);
    EXPECT_EQ(Collect(window, 1, 3000).records.size(), 1u);
    StopWithinDriverWait();
    EXPECT_EQ(TakeErrors(), Codes{});
}

// The trigger column: every start is refused with 1, a second Trigger
// included (no second loop on the same buffers); the running loop goes on.
TEST_F(TriggerTest, TriggerStateRefusesEveryStart) {
    ASSERT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    std::vector<BYTE> other(buffer.size());
    EXPECT_EQ(Tavrin_Trigger(handle, window, other.data(), static_cast<int>(other.size()), 1), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    EXPECT_EQ(Tavrin_StartPreview(handle), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    EXPECT_EQ(Tavrin_Capture(handle), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 1), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});

    // The first loop still runs, with the first call's buffer.
    ASSERT_EQ(TavrinSim_FireTrigger(0), 1);
    Posted posted = Collect(window, 1, 3000);
    posted.Append(CollectFor(200));
    ASSERT_EQ(posted.records.size(), 1u);
    EXPECT_EQ(posted.records[0].buffer, buffer.data());
    EXPECT_EQ(Tavrin_GetImage(handle, other.data(), static_cast<int>(other.size()), 1), 1);
    StopWithinDriverWait();
    EXPECT_EQ(other, buffer) << "GetImage gives the frame the trigger loop copied out";
    EXPECT_EQ(TakeErrors(), Codes{});
}

// Preview and Record in trigger state: StartPreview reports 1, the object
// is closed (the trigger loop ends) and 8 or 12 follows.
TEST_F(TriggerTest, PreviewAndRecordInTriggerStateCloseAndReport) {
    ASSERT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    EXPECT_EQ(Tavrin_Preview(handle), 0);
    EXPECT_EQ(TakeErrors(), (Codes{8, 1}));
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 11) & 1, 0);
    EXPECT_EQ(Tavrin_Capture(handle), 1) << "idle after the close";
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);

    const std::string path =
        (std::filesystem::temp_directory_path() / ("acquisition_trigger_record_" + ProcessTag() + ".avi")).string();
    std::filesystem::remove(path);
    ASSERT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    EXPECT_EQ(Tavrin_Record(handle, path.c_str(), 1000, 0), 0);
    EXPECT_EQ(TakeErrors(), (Codes{12, 1}));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Tavrin_Capture(handle), 1) << "idle after the close";
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
}

// A buffer a byte short in trigger mode: 5 per triggered frame, no record.
TEST_F(TriggerTest, BufferOneByteShortReportsFivePerTriggeredFrame) {
    ASSERT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()) - 1, 0), 1);
    ASSERT_EQ(TavrinSim_FireTrigger(0), 1);
    Posted posted = Collect(window, 0, 3000, 1);
    posted.Append(CollectFor(200));
    EXPECT_TRUE(posted.records.empty());
    EXPECT_EQ(posted.frameCodes, Codes{5});
    EXPECT_EQ(posted.errors, Codes{5});
    StopWithinDriverWait();
    EXPECT_EQ(TakeErrors(), Codes{5});
}

// Grabs that fail at once (a camera whose transfers fail, or one unplugged)
// are retried at a modest pace, not in a busy loop; triggers work again once
// the transfers do.
TEST_F(TriggerTest, FailingGrabsAreRetriedWithoutSpinning) {
    // Failing from the first read on: a read already waiting for a trigger
    // would wait out the driver's three seconds first.
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 100000), 1);
    ASSERT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    TavrinSim_ClearLog(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // Each grab sends the prepare and the frame request and reads pipe 2.
    std::vector<TavrinSimRecord> records(4096);
    int reads = 0;
    const int count = TavrinSim_GetLog(0, records.data(), static_cast<int>(records.size()));
    for (int i = 0; i < count; ++i) {
        reads += records[i].pipe == 2 ? 1 : 0;
    }
    EXPECT_GE(reads, 1);
    EXPECT_LE(reads, 60) << "grabs in 300 ms";
    EXPECT_TRUE(CollectFor(50).records.empty());
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(TavrinSim_FireTrigger(0), 1);
    EXPECT_EQ(Collect(window, 1, 3000).records.size(), 1u);
    StopWithinDriverWait();
    EXPECT_EQ(TakeErrors(), Codes{});
}

}  // namespace
}  // namespace tavrin::test

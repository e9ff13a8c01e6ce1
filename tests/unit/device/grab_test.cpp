// The single-frame grab used by snapshots and trigger mode.
#include "device_test_support.h"

#include "device/device_status.h"

using namespace tavrin::device;
using tavrin::testing::IsCommand;
using tavrin::testing::ModelTest;
using tavrin::testing::SimLog;

namespace {

class GrabTest : public ModelTest {
protected:
    GrabTest() : ModelTest("0;interval=0;settle=0") {}
};

}  // namespace

TEST_F(GrabTest, GrabsOneFrameOfTheLoadedMosaic) {
    std::vector<unsigned short> mosaic(656 * 494);
    for (size_t i = 0; i < mosaic.size(); ++i) {
        mosaic[i] = static_cast<unsigned short>((i * 7) & 0x3FF);
    }
    ASSERT_EQ(TavrinSim_LoadFrame(0, mosaic.data(), 656, 494), 1);
    ASSERT_EQ(model_->GrabFrame(), kStatusOk);
    std::vector<uint8_t> frame(656 * 494);
    ASSERT_EQ(model_->CopyGrabbedFrame(frame.data()), kStatusOk);
    for (size_t i = 0; i < frame.size(); i += 997) {
        ASSERT_EQ(frame[i], mosaic[i] >> 2) << i;
    }
    // Prepare, request (with the "in" code here), frame data.
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_PREPARE}));
    EXPECT_TRUE(IsCommand(log[1], {CMD_FRAME_REQUEST}));
    EXPECT_EQ(log[2].ioctl, IOCTL_PIPE_IN_DIRECT);
    EXPECT_EQ(log[2].pipe, 2u);
    EXPECT_EQ(log[2].length, 324608u);
}

TEST_F(GrabTest, SixteenBitGrabCarriesTenBitWords) {
    model_->SetBitDepth(1);
    TavrinSim_SetPattern(0, 1, 0x2A5);
    ASSERT_EQ(model_->GrabFrame(), kStatusOk);
    std::vector<uint8_t> frame(2 * 656 * 494);
    ASSERT_EQ(model_->CopyGrabbedFrame(frame.data()), kStatusOk);
    EXPECT_EQ(frame[0], 0xA5);
    EXPECT_EQ(frame[1], 0x02);
    EXPECT_EQ(frame[frame.size() - 1], 0x02);
}

TEST_F(GrabTest, FailedGrabClosesTheHandleAndTheNextOpensAfresh) {
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 1);
    EXPECT_EQ(model_->GrabFrame(), kStatusFrameTransfer);
    EXPECT_EQ(model_->GrabEndCode(), kStatusFrameTransfer);
    // Had the handle stayed open, the unplug and plug below would leave it
    // dead; a fresh open works.
    TavrinSim_SetPresent(0, 0);
    TavrinSim_SetPresent(0, 1);
    model_->SetImageArea(0, 0, 656, 494, 0);
    EXPECT_EQ(model_->GrabFrame(), kStatusOk);
}

TEST_F(GrabTest, HandleStaysOpenBetweenGoodGrabsUntilCloseGrab) {
    ASSERT_EQ(model_->GrabFrame(), kStatusOk);
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_OPEN_FAILS, 1);
    EXPECT_EQ(model_->GrabFrame(), kStatusOk);  // no new open was needed
    model_->CloseGrab();
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_OPEN_FAILS, 1);
    EXPECT_EQ(model_->GrabFrame(), kStatusFrameTransfer);  // the invalid handle fails the transfer
}

TEST_F(GrabTest, TriggeredGrabWaitsForThePulseOrTheDriverWait) {
    model_->SetTriggerMode(1);
    model_->SetDriverWait(100);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(model_->GrabFrame(), kStatusFrameTransfer);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(95));

    model_->SetDriverWait(3000);
    std::thread pulse([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        TavrinSim_FireTrigger(0);
    });
    EXPECT_EQ(model_->GrabFrame(), kStatusOk);
    pulse.join();
}

TEST_F(GrabTest, CopyOutNeedsADestination) {
    ASSERT_EQ(model_->GrabFrame(), kStatusOk);
    EXPECT_EQ(model_->CopyGrabbedFrame(nullptr), kStatusNullBuffer);
}

TEST_F(GrabTest, ResetDeviceClosesTheGrabHandle) {
    ASSERT_EQ(model_->GrabFrame(), kStatusOk);
    ASSERT_EQ(model_->ResetDevice(0), kStatusOk);
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_OPEN_FAILS, 1);
    model_->SetImageArea(0, 0, 656, 494, 0);  // the open fault hit this command
    EXPECT_EQ(model_->GrabFrame(), kStatusOk);
}

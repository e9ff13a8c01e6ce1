// Six seconds without a frame: the reader gives up, and the run can still be
// stopped once the driver lets go of the stalled transfer.
#include "device_test_support.h"

#include "device/device_status.h"

using namespace tavrin::device;
using tavrin::testing::ModelTest;

TEST_F(ModelTest, WaitFrameGivesUpAfterSixSecondsWithoutFrames) {
    model_->SetDriverWait(0);  // the driver itself never gives up
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_STALLS, 1);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(model_->WaitFrame().result, WaitResult::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5900));
    EXPECT_TRUE(model_->Streaming());
    TavrinSim_SetPresent(0, 0);  // the transfer ends with the camera
    EXPECT_EQ(model_->StopTransfer(), kStatusFrameTransfer);
}

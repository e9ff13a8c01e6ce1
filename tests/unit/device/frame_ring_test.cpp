// The frame ring and the transfer thread against the simulated camera. In
// trigger mode every pulse makes exactly one frame, so the tests step the
// writer slot by slot.
#include "device_test_support.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "device/device_status.h"

using namespace tavrin::device;
using tavrin::testing::ModelTest;
using tavrin::testing::WaitFor;

namespace {

constexpr size_t kFrameBytes = 656 * 494;

class FrameRingTest : public ModelTest {
protected:
    FrameRingTest() : ModelTest("0;pattern=1;interval=2") {}

    // Trigger mode without a driver time-out: frames come only when asked.
    void StartStepping() {
        ASSERT_TRUE(model_->SetTriggerMode(1));
        model_->SetDriverWait(0);
        ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    }

    // One frame of flat level 40 x n, the n-th of the run.
    void Step(uint32_t n) {
        TavrinSim_SetPattern(0, 1, static_cast<int>(40 * n));
        TavrinSim_FireTrigger(0);
        ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() == n; })) << "frame " << n;
    }

    // The thread waits in the driver for the next pulse; pulses until it
    // has seen the stop flag.
    int StopStepping() {
        std::atomic<bool> stopped{false};
        std::thread pulses([&] {
            while (!stopped.load()) {
                TavrinSim_FireTrigger(0);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        const int code = model_->StopTransfer();
        stopped = true;
        pulses.join();
        return code;
    }

    // The level of the frame ReadFrame copies out (flat frames only).
    int ReadLevel() {
        std::vector<uint8_t> frame(kFrameBytes, 0xEE);
        EXPECT_EQ(model_->ReadFrame(frame.data()), kStatusOk);
        return frame[kFrameBytes / 2] * 4;
    }
};

}  // namespace

TEST_F(FrameRingTest, BothIndicesStartAtZero) {
    StartStepping();
    EXPECT_EQ(model_->WriteIndex(), 0);
    EXPECT_EQ(model_->ReadIndex(), 0);
    // Nothing yet: the first wait sleeps until the frame event, then asks
    // the caller to come again.
    std::thread pulse([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        TavrinSim_FireTrigger(0);
    });
    EXPECT_EQ(model_->WaitFrame(), WaitResult::Again);
    pulse.join();
    EXPECT_EQ(model_->WaitFrame(), WaitResult::Frame);
    EXPECT_EQ(model_->ReadIndex(), 0);
    EXPECT_EQ(ReadLevel(), 512);
    EXPECT_EQ(model_->ReadIndex(), 1);
    EXPECT_EQ(StopStepping(), 0);
}

TEST_F(FrameRingTest, WriterSkipsTheSlotUnderCopy) {
    StartStepping();
    for (uint32_t n = 1; n <= 3; ++n) {
        Step(n);
    }
    EXPECT_EQ(model_->WriteIndex(), 3);
    ASSERT_EQ(model_->WaitFrame(), WaitResult::Frame);
    ASSERT_EQ(model_->ReadIndex(), 2);  // the reader holds slot 2 (frame 3)

    Step(4);  // slot 3
    Step(5);  // slot 0
    EXPECT_EQ(model_->WriteIndex(), 1);
    Step(6);  // slot 1; slot 2 is skipped
    EXPECT_EQ(model_->WriteIndex(), 3);
    EXPECT_EQ(ReadLevel(), 120);  // frame 3 untouched

    Step(7);  // slot 3
    EXPECT_EQ(model_->WriteIndex(), 0);
    ASSERT_EQ(model_->WaitFrame(), WaitResult::Frame);
    EXPECT_EQ(model_->ReadIndex(), 3);
    EXPECT_EQ(ReadLevel(), 280);
    EXPECT_EQ(StopStepping(), 0);
}

TEST_F(FrameRingTest, ReaderJumpsToTheNewestFrame) {
    StartStepping();
    Step(1);
    Step(2);
    ASSERT_EQ(model_->WaitFrame(), WaitResult::Frame);
    EXPECT_EQ(ReadLevel(), 80);  // frame 1 is dropped
    EXPECT_EQ(StopStepping(), 0);
}

TEST_F(FrameRingTest, SecondStartIsRefusedAndChangesNothing) {
    StartStepping();
    Step(1);
    EXPECT_EQ(model_->StartTransfer(), kStatusStreaming);
    EXPECT_EQ(model_->WriteIndex(), 1);
    EXPECT_EQ(model_->ReadIndex(), 0);
    EXPECT_EQ(model_->FramesTransferred(), 1u);
    EXPECT_EQ(StopStepping(), 0);
}

TEST_F(FrameRingTest, StopOnAStoppedObjectDoesNothing) {
    EXPECT_FALSE(model_->Streaming());
    EXPECT_EQ(model_->StopTransfer(), 0);
    EXPECT_EQ(model_->WaitFrame(), WaitResult::Stopped);
    EXPECT_EQ(model_->ReadFrame(nullptr), kStatusNullBuffer);
}

TEST_F(FrameRingTest, StreamsAtThePaceOfTheCamera) {
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 5; }));
    WaitResult result{};
    ASSERT_TRUE(WaitFor([&] { return (result = model_->WaitFrame()) == WaitResult::Frame; }));
    EXPECT_EQ(ReadLevel(), 512);
    EXPECT_EQ(model_->StopTransfer(), 0);
    EXPECT_FALSE(model_->Streaming());
    EXPECT_GT(model_->LastRunDuration(), 0u);
    // Every frame the camera sent went into a slot.
    EXPECT_EQ(static_cast<uint32_t>(TavrinSim_GetFrameCount(0)), model_->FramesTransferred());
}

TEST_F(FrameRingTest, FirstShortFrameIsAskedForAgain) {
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_SHORT, 1);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 3; }));
    EXPECT_TRUE(model_->Streaming());
    EXPECT_EQ(model_->StopTransfer(), 0);
    // The short one reached the host but never a reader.
    EXPECT_EQ(static_cast<uint32_t>(TavrinSim_GetFrameCount(0)), model_->FramesTransferred() + 1);
}

TEST_F(FrameRingTest, SecondShortFrameEndsTheRun) {
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_SHORT, 2);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return !model_->Streaming(); }));
    // The failed slot is handed over, but the error comes first.
    EXPECT_EQ(model_->FramesTransferred(), 1u);
    EXPECT_EQ(model_->WriteIndex(), 1);
    EXPECT_EQ(model_->WaitFrame(), WaitResult::Failed);
    EXPECT_EQ(model_->WaitFrame(), WaitResult::Failed);
    EXPECT_EQ(model_->StopTransfer(), kStatusFrameTransfer);
    EXPECT_EQ(model_->WaitFrame(), WaitResult::Stopped);
}

TEST_F(FrameRingTest, FailedTransferEndsTheRunAndAStartAfterItStreamsAgain) {
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 1);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->WaitFrame() == WaitResult::Failed; }));
    EXPECT_EQ(model_->StopTransfer(), kStatusFrameTransfer);

    // A new run starts clean: its end code is its own.
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 2; }));
    WaitResult result{};
    ASSERT_TRUE(WaitFor([&] { return (result = model_->WaitFrame()) == WaitResult::Frame; }));
    EXPECT_EQ(model_->StopTransfer(), 0);
}

TEST_F(FrameRingTest, StartAfterAnErrorWithoutStopIsAccepted) {
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 1);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->WaitFrame() == WaitResult::Failed; }));
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 1; }));
    EXPECT_EQ(model_->StopTransfer(), 0);
}

TEST_F(FrameRingTest, StopDuringAStalledTransferReturnsWhenTheDriverGivesUp) {
    model_->SetDriverWait(300);
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_STALLS, 1);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(model_->StopTransfer(), kStatusFrameTransfer);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_FALSE(model_->Streaming());
}

TEST_F(FrameRingTest, UnpluggedCameraEndsTheRun) {
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 1; }));
    TavrinSim_SetPresent(0, 0);
    ASSERT_TRUE(WaitFor([&] { return model_->WaitFrame() == WaitResult::Failed; }));
    EXPECT_EQ(model_->StopTransfer(), kStatusFrameTransfer);
}

TEST_F(FrameRingTest, CreationFailureLeavesItStopped) {
    for (auto fault :
         {TransferCreationFault::kEndEvent, TransferCreationFault::kFrameEvent, TransferCreationFault::kThread}) {
        FailNextTransferCreation(fault);
        EXPECT_EQ(model_->StartTransfer(), kStatusNoThread);
        EXPECT_FALSE(model_->Streaming());
        EXPECT_EQ(model_->WaitFrame(), WaitResult::Stopped);
        // Nothing to wait for: returns at once.
        EXPECT_EQ(model_->StopTransfer(), 0);
    }
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 1; }));
    EXPECT_EQ(model_->StopTransfer(), 0);
}

TEST_F(FrameRingTest, GeometryStaysWhileStreaming) {
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    EXPECT_EQ(model_->SetImageArea(0, 0, 320, 240, 0), kStatusStreaming);
    EXPECT_EQ(model_->TransferLength(), 324608);
    EXPECT_EQ(model_->StopTransfer(), 0);
    EXPECT_EQ(model_->SetImageArea(0, 0, 320, 240, 0), kStatusOk);
}

TEST_F(FrameRingTest, SixteenBitFramesFillTwiceTheBytes) {
    model_->SetBitDepth(1);
    TavrinSim_SetPattern(0, 1, 1000);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    WaitResult result{};
    ASSERT_TRUE(WaitFor([&] { return (result = model_->WaitFrame()) == WaitResult::Frame; }));
    std::vector<uint8_t> frame(2 * kFrameBytes);
    ASSERT_EQ(model_->ReadFrame(frame.data()), kStatusOk);
    EXPECT_EQ(frame[2 * kFrameBytes - 2] | frame[2 * kFrameBytes - 1] << 8, 1000);
    EXPECT_EQ(model_->StopTransfer(), 0);
    const auto log = tavrin::testing::SimLog(0);
    bool sawFrameRead = false;
    for (const auto& record : log) {
        if (record.pipe == 2) {
            EXPECT_EQ(record.length, 2u * 324608u);
            EXPECT_EQ(record.ioctl, IOCTL_PIPE_IN_DIRECT);
            sawFrameRead = true;
        }
    }
    EXPECT_TRUE(sawFrameRead);
}

TEST_F(FrameRingTest, EachFrameIsARequestThenARead) {
    TavrinSim_ClearLog(0);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 2; }));
    EXPECT_EQ(model_->StopTransfer(), 0);
    const auto log = tavrin::testing::SimLog(0);
    ASSERT_GE(log.size(), 5u);
    EXPECT_TRUE(tavrin::testing::IsCommand(log[0], {CMD_PREPARE}));
    // The streaming request goes out with the "out" code, unlike all others.
    EXPECT_TRUE(tavrin::testing::IsCommand(log[1], {CMD_FRAME_REQUEST}, IOCTL_PIPE_OUT_DIRECT));
    EXPECT_EQ(log[2].pipe, 2u);
    EXPECT_EQ(log[2].ioctl, IOCTL_PIPE_IN_DIRECT);
    EXPECT_EQ(log[2].length, 324608u);
    EXPECT_TRUE(tavrin::testing::IsCommand(log[3], {CMD_FRAME_REQUEST}, IOCTL_PIPE_OUT_DIRECT));
}

TEST_F(FrameRingTest, DestroyingWhileStreamingStopsTheThreadFirst) {
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 1; }));
    model_.reset();
    SUCCEED();
}

namespace {

// Frames as fast as the simulated camera can make them.
class FastRingTest : public tavrin::testing::ModelTest {};

}  // namespace

// The reader may keep the chosen slot while it reads the frame in place:
// the writer, going round the ring meanwhile, never writes into it.
TEST_F(FastRingTest, HeldSlotIsNeverWrittenWhileTheWriterGoesRound) {
    TavrinSim_SetPattern(0, 1, 512);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        WaitResult result{};
        ASSERT_TRUE(WaitFor([&] { return (result = model_->WaitFrame()) == WaitResult::Frame; }));
        const CQDXSdkLib::HeldFrame held = model_->HoldFrame();
        ASSERT_NE(held.bits, nullptr);
        EXPECT_EQ(held.stride, 656);
        EXPECT_EQ(held.bits[kFrameBytes / 2], 128);  // a whole frame
        std::memset(held.bits, 0xEE, kFrameBytes);   // any write of the writer shows
        const uint32_t before = model_->FramesTransferred();
        ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= before + 2 * 4; }));
        EXPECT_EQ(std::count(held.bits, held.bits + kFrameBytes, uint8_t{0xEE}), static_cast<ptrdiff_t>(kFrameBytes));
        model_->ReleaseFrame();
    }
    EXPECT_EQ(model_->StopTransfer(), 0);
}

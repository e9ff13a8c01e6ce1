// The frame ring on its own, and the frame stream with its transfer thread
// against the simulated camera. In trigger mode every pulse makes exactly
// one frame, so the stream tests step the writer frame by frame.
#include "device_test_support.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "device/device_status.h"
#include "platform/time.h"

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

    // The newest frame, which must be there.
    FrameLease Take() {
        FrameWait waited = model_->WaitFrame(2000);
        EXPECT_EQ(waited.result, WaitResult::Frame);
        return std::move(waited.lease);
    }

    // The level of the frame ReadFrame copies out (flat frames only).
    int ReadLevel(const FrameLease& frame) {
        std::vector<uint8_t> bytes(kFrameBytes, 0xEE);
        EXPECT_EQ(model_->ReadFrame(bytes.data(), frame), kStatusOk);
        return bytes[kFrameBytes / 2] * 4;
    }
};

}  // namespace

// The ring alone: which slot the writer gets, which frame the reader gets.
TEST(FrameRing, NewestWholeFrameIsNextAndAHeldSlotIsNeverWritten) {
    for (int slots : {2, 3, 4}) {
        SCOPED_TRACE(std::to_string(slots) + " slots");
        FrameRing ring;
        ASSERT_TRUE(ring.Allocate(slots, 16));
        uint64_t number = 0;
        auto publish = [&] {
            const int slot = ring.BeginWrite();
            EXPECT_GE(slot, 0);
            ring.SlotBits(slot)[0] = static_cast<uint8_t>(++number);
            ring.Publish(slot, FrameRecord{number, number * 1000, 0});
        };
        EXPECT_FALSE(ring.TakeReady());  // nothing yet
        publish();
        publish();
        FrameLease held = ring.TakeReady();
        ASSERT_TRUE(held);
        EXPECT_EQ(held.Record().number, 2u);  // frame 1 was dropped
        // The writer laps the ring many times round the held slot, which
        // keeps its frame; the frame after is the newest one, not one that
        // waits for the next transfer.
        for (int i = 0; i < 10; ++i) {
            publish();
        }
        EXPECT_EQ(held.Bits()[0], 2);
        FrameLease newest = ring.TakeReady();
        ASSERT_TRUE(newest);
        EXPECT_EQ(newest.Record().number, 12u);
        EXPECT_EQ(newest.Bits()[0], 12);
        EXPECT_FALSE(ring.TakeReady());  // taken once only
        held = std::move(newest);        // the move gives frame 2's slot back
        EXPECT_EQ(ring.HeldCount(), 1);
        held.Release();
        EXPECT_EQ(ring.HeldCount(), 0);
    }
}

TEST(FrameRing, LeaseGivesItsSlotBackWhenItGoesOutOfScope) {
    FrameRing ring;
    ASSERT_TRUE(ring.Allocate(2, 16));
    for (int i = 0; i < 5; ++i) {
        const int slot = ring.BeginWrite();
        ASSERT_GE(slot, 0);
        ring.Publish(slot, FrameRecord{static_cast<uint64_t>(i + 1), 0, 0});
        {
            FrameLease lease = ring.TakeReady();
            ASSERT_TRUE(lease);
            EXPECT_EQ(ring.HeldCount(), 1);
        }
        EXPECT_EQ(ring.HeldCount(), 0);
    }
    // Every slot held: the writer gets none instead of one in use.
    FrameLease first = (ring.Publish(ring.BeginWrite(), {}), ring.TakeReady());
    FrameLease second = (ring.Publish(ring.BeginWrite(), {}), ring.TakeReady());
    EXPECT_EQ(ring.BeginWrite(), -1);
}

TEST_F(FrameRingTest, FirstWaitWaitsForTheFirstFrame) {
    StartStepping();
    std::thread pulse([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        TavrinSim_FireTrigger(0);
    });
    FrameLease frame = Take();
    pulse.join();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame.Record().number, 1u);
    EXPECT_EQ(frame.Record().status, 0);
    EXPECT_EQ(ReadLevel(frame), 512);
    frame.Release();
    EXPECT_EQ(model_->WaitFrame(0).result, WaitResult::TimedOut);  // frame 1 was taken
    EXPECT_EQ(StopStepping(), 0);
}

TEST_F(FrameRingTest, HeldFrameStaysWhileTheWriterGoesOnAndTheNewestComesNext) {
    StartStepping();
    for (uint32_t n = 1; n <= 3; ++n) {
        Step(n);
    }
    FrameLease held = Take();
    EXPECT_EQ(held.Record().number, 3u);  // frames 1 and 2 are dropped
    for (uint32_t n = 4; n <= 9; ++n) {
        Step(n);  // twice round a ring of four
    }
    EXPECT_EQ(ReadLevel(held), 120);  // frame 3 untouched
    held.Release();
    const FrameLease newest = Take();
    EXPECT_EQ(newest.Record().number, 9u);
    EXPECT_EQ(ReadLevel(newest), 360);
    EXPECT_EQ(StopStepping(), 0);
}

// A frame ready before the hold-off's end waits for it, and a newer one that
// comes meanwhile is the one taken; a stop ends the hold-off at once.
TEST_F(FrameRingTest, HoldOffTakesTheNewestFrameAtItsEnd) {
    StartStepping();
    Step(1);
    const uint64_t notBefore = tavrin::platform::MonotonicNanoseconds() + 150'000'000u;
    std::thread newer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Step(2);
    });
    FrameWait waited = model_->WaitFrame(2000, notBefore);
    newer.join();
    ASSERT_EQ(waited.result, WaitResult::Frame);
    EXPECT_GE(tavrin::platform::MonotonicNanoseconds(), notBefore);
    EXPECT_EQ(waited.lease.Record().number, 2u);
    waited.lease.Release();

    Step(3);
    std::thread stop([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        StopStepping();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(model_->WaitFrame(2000, tavrin::platform::MonotonicNanoseconds() + 60'000'000'000u).result,
              WaitResult::Stopped);
    stop.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
TEST_F(FrameRingTest, SecondStartIsRefusedAndChangesNothing) {
    StartStepping();
    Step(1);
    EXPECT_EQ(model_->StartTransfer(), kStatusStreaming);
    EXPECT_EQ(model_->FramesTransferred(), 1u);
    EXPECT_EQ(Take().Record().number, 1u);
    EXPECT_EQ(StopStepping(), 0);
}

TEST_F(FrameRingTest, StopOnAStoppedObjectDoesNothing) {
    EXPECT_FALSE(model_->Streaming());
    EXPECT_EQ(model_->StopTransfer(), 0);
    EXPECT_EQ(model_->WaitFrame().result, WaitResult::Stopped);
    EXPECT_EQ(model_->ReadFrame(nullptr, FrameLease()), kStatusNullBuffer);
}

TEST_F(FrameRingTest, StreamsAtThePaceOfTheCamera) {
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 5; }));
    // Frames are numbered from 1 and timed in order, one frame period apart.
    uint64_t lastNumber = 0;
    uint64_t lastTime = 0;
    for (int i = 0; i < 5; ++i) {
        const FrameLease frame = Take();
        EXPECT_EQ(ReadLevel(frame), 512);
        EXPECT_GT(frame.Record().number, lastNumber);
        EXPECT_GT(frame.Record().captureTimeNs, lastTime);
        lastNumber = frame.Record().number;
        lastTime = frame.Record().captureTimeNs;
    }
    EXPECT_GE(lastNumber, 5u);
    EXPECT_EQ(model_->StopTransfer(), 0);
    EXPECT_FALSE(model_->Streaming());
    EXPECT_GT(model_->LastRunDuration(), 0u);
    // Every frame the camera sent went into a slot, and making them cost
    // the simulator some CPU time of its own (Windows counts thread time in
    // steps of 10 ms or more, which a few frames may not reach).
    EXPECT_EQ(static_cast<uint32_t>(TavrinSim_GetFrameCount(0)), model_->FramesTransferred());
    unsigned long long fill = 0;
    EXPECT_EQ(TavrinSim_GetFillTime(0, &fill), 1);
#ifndef _WIN32
    EXPECT_GT(fill, 0u);
#endif
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
    // The short frame is never handed out; the error comes first.
    EXPECT_EQ(model_->FramesTransferred(), 0u);
    EXPECT_EQ(model_->WaitFrame().result, WaitResult::Failed);
    EXPECT_EQ(model_->WaitFrame().result, WaitResult::Failed);
    EXPECT_EQ(model_->StopTransfer(), kStatusFrameTransfer);
    EXPECT_EQ(model_->WaitFrame().result, WaitResult::Stopped);
}

TEST_F(FrameRingTest, FailedTransferEndsTheRunAndAStartAfterItStreamsAgain) {
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 1);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->WaitFrame().result == WaitResult::Failed; }));
    EXPECT_EQ(model_->StopTransfer(), kStatusFrameTransfer);

    // A new run starts clean: its end code is its own.
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= 2; }));
    EXPECT_TRUE(Take());
    EXPECT_EQ(model_->StopTransfer(), 0);
}

TEST_F(FrameRingTest, StartAfterAnErrorWithoutStopIsAccepted) {
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 1);
    ASSERT_EQ(model_->StartTransfer(), kStatusOk);
    ASSERT_TRUE(WaitFor([&] { return model_->WaitFrame().result == WaitResult::Failed; }));
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
    ASSERT_TRUE(WaitFor([&] { return model_->WaitFrame().result == WaitResult::Failed; }));
    EXPECT_EQ(model_->StopTransfer(), kStatusFrameTransfer);
}

TEST_F(FrameRingTest, CreationFailureLeavesItStopped) {
    for (auto fault :
         {TransferCreationFault::kEndEvent, TransferCreationFault::kFrameEvent, TransferCreationFault::kThread}) {
        FailNextTransferCreation(fault);
        EXPECT_EQ(model_->StartTransfer(), kStatusNoThread);
        EXPECT_FALSE(model_->Streaming());
        EXPECT_EQ(model_->WaitFrame().result, WaitResult::Stopped);
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
    const FrameLease lease = model_->WaitFrame().lease;
    std::vector<uint8_t> frame(2 * kFrameBytes);
    ASSERT_EQ(model_->ReadFrame(frame.data(), lease), kStatusOk);
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
    // The thread is gone: the camera is asked for nothing more.
    const int sent = TavrinSim_GetFrameCount(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(TavrinSim_GetFrameCount(0), sent);
}

namespace {

// Trigger mode with a short driver wait, through a triggered run.
class TriggeredStreamTest : public ModelTest {
protected:
    TriggeredStreamTest() : ModelTest("0;pattern=1;interval=2") {}
    void SetUp() override {
        ModelTest::SetUp();
        ASSERT_TRUE(model_->SetTriggerMode(1));
        model_->SetDriverWait(50);
        TavrinSim_ClearLog(0);
        ASSERT_EQ(model_->StartTransfer(TransferMode::Triggered), kStatusOk);
    }
};

}  // namespace

// A burst of triggers while nobody reads leaves the frame of the last one
// next, and reads that give up for want of a trigger do not end the run.
TEST_F(TriggeredStreamTest, BurstLeavesTheLastTriggersFrameNextAndMissingTriggersAreNoError) {
    std::this_thread::sleep_for(std::chrono::milliseconds(120));  // two driver waits without a trigger
    EXPECT_TRUE(model_->Streaming());
    EXPECT_EQ(model_->WaitFrame(0).result, WaitResult::TimedOut);
    for (int i = 0; i < 5; ++i) {
        TavrinSim_FireTrigger(0);
    }
    ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() == 5; }));
    EXPECT_EQ(model_->WaitFrame(0).lease.Record().number, 5u);
    EXPECT_EQ(model_->StopTransfer(), 0);
    // Each frame is the single-frame exchange: prepare, request, read.
    const auto log = tavrin::testing::SimLog(0);
    size_t reads = 0;
    size_t prepares = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        prepares += tavrin::testing::IsCommand(log[i], {CMD_PREPARE}) ? 1 : 0;
        if (log[i].pipe == 2) {
            ++reads;
            EXPECT_TRUE(i > 0 && tavrin::testing::IsCommand(log[i - 1], {CMD_FRAME_REQUEST}));
        }
    }
    EXPECT_GE(reads, 5u);
    EXPECT_EQ(prepares, reads);
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
        FrameLease lease = model_->WaitFrame().lease;
        const CQDXSdkLib::HeldFrame held = model_->FrameView(lease);
        ASSERT_NE(held.bits, nullptr);
        EXPECT_EQ(held.stride, 656);
        EXPECT_EQ(held.bits[kFrameBytes / 2], 128);  // a whole frame
        std::memset(held.bits, 0xEE, kFrameBytes);   // any write of the writer shows
        const uint32_t before = model_->FramesTransferred();
        ASSERT_TRUE(WaitFor([&] { return model_->FramesTransferred() >= before + 2 * 4; }));
        EXPECT_EQ(std::count(held.bits, held.bits + kFrameBytes, uint8_t{0xEE}), static_cast<ptrdiff_t>(kFrameBytes));
        lease.Release();
    }
    EXPECT_EQ(model_->HeldSlots(), 0);
    EXPECT_EQ(model_->StopTransfer(), 0);
}

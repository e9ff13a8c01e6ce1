// FrameStream: acquisition through a ring of frame slots. A transfer thread
// of its own reads frame after frame into the ring; the reader waits for the
// newest whole frame and holds it through a FrameLease, so older frames are
// dropped and the slot it reads is never written meanwhile (frame_ring.h).
//
// Two kinds of run:
//  - continuous: frame request after frame request on one device handle; a
//    failed or second short transfer ends the run in error;
//  - triggered: the camera sends a frame only after a trigger, so each frame
//    is the single-frame exchange (prepare, request, read) and a read that
//    gives up after the driver wait is no error: the thread asks again, on a
//    fresh handle after a failure, until stopped.
// The stop and error flags and the run's statistics are atomics published
// with release/acquire; the ring keeps its own lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "device/device_paths.h"
#include "device/driver_protocol.h"
#include "device/frame_ring.h"
#include "platform/sync.h"
#include "platform/thread.h"

namespace tavrin::device {

enum class TransferMode { Continuous, Triggered };

// What the reader learns from one WaitFrame.
enum class WaitResult {
    Frame,     // a whole frame is held by the lease
    Failed,    // the run ended in error (a transfer failed or came short, or the device did not open)
    TimedOut,  // no frame arrived within the wait, or the wait itself failed
    Stopped,   // the stream is stopped
};

struct FrameWait {
    WaitResult result = WaitResult::Stopped;
    FrameLease lease;  // held only with WaitResult::Frame
};

class FrameStream {
public:
    static constexpr uint32_t kFrameWaitMs = 6000;

    FrameStream() = default;
    ~FrameStream();
    FrameStream(const FrameStream&) = delete;
    FrameStream& operator=(const FrameStream&) = delete;

    // The slots, allocated once per frame geometry; false when the memory
    // is not there. Never while running: the thread writes into them.
    bool AllocateSlots(int slotCount, int64_t slotLength) { return ring_.Allocate(slotCount, slotLength); }
    void ReleaseSlots() { ring_.Release(); }
    int SlotCount() const { return ring_.SlotCount(); }

    // Frames of this length or more travel with the large transfer code.
    void SetLargeFrame(bool large) { shared_.largeFlag.store(large ? 1 : 0, std::memory_order_relaxed); }
    bool LargeFrame() const { return shared_.largeFlag.load(std::memory_order_relaxed) != 0; }

    // Starts the thread on the device path, reading transferLength bytes per
    // frame: 0, 14 without slots, 23 when the thread or an event could not
    // be created (the stream then stays stopped). The caller checks Running.
    int Start(const DevicePathBuffer& path, uint32_t transferLength, TransferMode mode = TransferMode::Continuous);
    // Stops the thread and waits for it: the frame in flight ends first, in
    // the driver's own time. Returns the run's end code.
    int Stop();
    // Waits up to timeoutMs (or kInfinite) for the newest whole frame not yet
    // taken. An error or a stop is reported before any frame left ready.
    // With notBeforeNs (monotonic nanoseconds), a frame that is ready earlier
    // is taken only then, or a newer one that replaced it: the same frame a
    // reader would get by sleeping until then and waiting after, without
    // waking twice per frame.
    FrameWait WaitFrame(uint32_t timeoutMs = kFrameWaitMs, uint64_t notBeforeNs = 0);

    bool Running() const { return shared_.stopFlag.load(std::memory_order_acquire) == 0; }
    uint32_t FramesTransferred() const { return shared_.frameCount.load(std::memory_order_relaxed); }
    uint32_t LastRunDuration() const { return lastRunDuration_; }
    // Slots held by leases (for tests: a lease must give its slot back).
    int HeldSlots() const { return ring_.HeldCount(); }

private:
    // The block shared between the reader and the transfer thread.
    struct Shared {
        std::atomic<uint32_t> transferLength{0};      // bytes per frame, doubled for 16-bit samples
        std::unique_ptr<platform::Event> frameEvent;  // auto reset: set after each frame and at the end
        std::unique_ptr<platform::Event> endEvent;    // manual reset: set when the thread ends
        std::unique_ptr<platform::Event> takenEvent;  // auto reset: set when the reader takes a frame
        std::atomic<uint32_t> elapsedMs{0};
        std::atomic<uint32_t> frameCount{0};
        std::atomic<int64_t> endCode{0};  // 0 stopped, 10 path did not open, 19 transfer failed or short
        std::atomic<uint32_t> stopFlag{1};
        std::atomic<uint32_t> errorFlag{0};
        std::atomic<uint32_t> largeFlag{0};
        TransferMode mode = TransferMode::Continuous;
        DevicePathBuffer devicePath{};
    };

    bool CreateEvents(bool failEndEvent, bool failFrameEvent);
    // The thread's side (frame_stream_transfer.cpp).
    void RunTransfer();
    void StreamFrames(DeviceHandle handle);
    void GrabTriggeredFrames();
    int WritableSlot();
    int ReadFrameData(DeviceHandle handle, uint8_t* slot);
    void PublishFrame(int slot, uint64_t number);
    bool StopAsked() const { return shared_.stopFlag.load(std::memory_order_acquire) == 1; }
    bool ReaderTookLastFrame();
    uint32_t HoldOff(uint64_t notBeforeNs) const;

    FrameRing ring_;
    Shared shared_;
    std::unique_ptr<platform::Thread> thread_;
    uint32_t lastRunDuration_ = 0;
};

// Test hook: the next Start finds the named object impossible to create, as
// when the system is out of threads or handles.
enum class TransferCreationFault { kNone, kEndEvent, kFrameEvent, kThread };
void FailNextTransferCreation(TransferCreationFault fault);

}  // namespace tavrin::device

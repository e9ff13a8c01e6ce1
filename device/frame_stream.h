// FrameStream: continuous acquisition through a ring of frame slots. A
// transfer thread of its own requests frame after frame and reads each into
// the next slot; the reader takes the newest complete slot and drops older
// ones. Reader and thread share only the atomics and the two events of
// Shared, without a lock:
//  - the write index is stored with release after a slot is complete and
//    loaded with acquire by the reader, so the slot's bytes are visible;
//  - the read index is stored with release by the reader and loaded with
//    acquire by the thread, which never writes the slot the reader names;
//  - the stop and error flags publish the run's statistics the same way.
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

// What the reader learns from one WaitFrame.
enum class WaitResult {
    Frame,     // a new frame is ready and chosen: read it
    Again,     // the frame event fired but nothing new is there yet: ask again
    Failed,    // the run ended in error (a transfer failed or came short, or the device did not open)
    TimedOut,  // no frame arrived within the frame wait, or the wait itself failed
    Stopped,   // streaming is stopped
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
    int Start(const DevicePathBuffer& path, uint32_t transferLength);
    // Stops the thread and waits for it: the frame in flight ends first, in
    // the driver's own time. Returns the run's end code.
    int Stop();
    // The reader's poll: see WaitResult.
    WaitResult WaitFrame();
    // The slot WaitFrame chose (null when none is valid), and the step past
    // it once the reader is done with it. From WaitFrame to FinishRead the
    // reader holds the slot, for a copy or to read the frame where it lies:
    // the thread skips it however long that takes.
    uint8_t* ChosenSlot();
    void FinishRead();

    bool Running() const { return shared_.stopFlag.load(std::memory_order_acquire) == 0; }
    int32_t WriteIndex() const { return shared_.writeIndex.load(std::memory_order_acquire); }
    int32_t ReadIndex() const { return shared_.readIndex.load(std::memory_order_acquire); }
    uint32_t FramesTransferred() const { return shared_.frameCount.load(std::memory_order_relaxed); }
    uint32_t LastRunDuration() const { return lastRunDuration_; }

private:
    // The block shared between the reader and the transfer thread.
    struct Shared {
        std::atomic<uint32_t> transferLength{0};      // bytes per frame, doubled for 16-bit samples
        std::unique_ptr<platform::Event> frameEvent;  // auto reset: set after each completed slot
        std::unique_ptr<platform::Event> endEvent;    // manual reset: set when the thread ends
        std::atomic<uint32_t> elapsedMs{0};
        std::atomic<uint32_t> frameCount{0};
        std::atomic<int64_t> endCode{0};  // 0 stopped, 10 path did not open, 19 transfer failed or short
        std::atomic<uint32_t> stopFlag{1};
        std::atomic<uint32_t> errorFlag{0};
        int32_t slotCount = 0;
        std::atomic<int32_t> writeIndex{0};
        std::atomic<int32_t> readIndex{0};
        std::atomic<uint32_t> largeFlag{0};
        DevicePathBuffer devicePath{};
    };

    bool CreateEvents(bool failEndEvent, bool failFrameEvent);
    // The thread's side (frame_stream_transfer.cpp).
    void RunTransfer();
    void StreamFrames(DeviceHandle handle);
    int ReadOneFrame(DeviceHandle handle);
    void AdvanceWriteIndex();

    FrameRing ring_;
    Shared shared_;
    std::unique_ptr<platform::Thread> thread_;
    uint32_t lastRunDuration_ = 0;
};

// The slot after index, wrapping to 0 at slotCount.
inline int32_t NextSlot(int32_t index, int32_t slotCount) { return index + 1 >= slotCount ? 0 : index + 1; }

// Test hook: the next Start finds the named object impossible to create, as
// when the system is out of threads or handles.
enum class TransferCreationFault { kNone, kEndEvent, kFrameEvent, kThread };
void FailNextTransferCreation(TransferCreationFault fault);

}  // namespace tavrin::device

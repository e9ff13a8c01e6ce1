// The reader's side of the frame stream: start, stop, and picking the newest
// complete slot.
#include "device/frame_stream.h"

#include "device/device_status.h"

namespace tavrin::device {

namespace {

std::atomic<TransferCreationFault> pendingCreationFault{TransferCreationFault::kNone};

}  // namespace

void FailNextTransferCreation(TransferCreationFault fault) {
    pendingCreationFault.store(fault, std::memory_order_relaxed);
}

FrameStream::~FrameStream() { Stop(); }

bool FrameStream::CreateEvents(bool failEndEvent, bool failFrameEvent) {
    // Events stay until the next start or destruction, so that a reader still
    // inside WaitFrame never waits on an event that has gone.
    auto endEvent = failEndEvent ? nullptr : platform::Event::Create(platform::Event::ResetMode::Manual, false);
    auto frameEvent = failFrameEvent ? nullptr : platform::Event::Create(platform::Event::ResetMode::Auto, false);
    if (!endEvent || !frameEvent) {
        return false;
    }
    shared_.endEvent = std::move(endEvent);
    shared_.frameEvent = std::move(frameEvent);
    return true;
}

int FrameStream::Start(const DevicePathBuffer& path, uint32_t transferLength) {
    // A run that ended in error has set its flags but may not have returned
    // yet; it must be gone before its events are replaced.
    thread_.reset();
    shared_.transferLength.store(transferLength, std::memory_order_relaxed);
    if (ring_.SlotCount() < 2) {
        return kStatusNullBuffer;  // no geometry, so nowhere to put frames
    }
    const TransferCreationFault fault =
        pendingCreationFault.exchange(TransferCreationFault::kNone, std::memory_order_relaxed);
    if (!CreateEvents(fault == TransferCreationFault::kEndEvent, fault == TransferCreationFault::kFrameEvent)) {
        return kStatusNoThread;
    }
    shared_.errorFlag.store(0, std::memory_order_relaxed);
    shared_.writeIndex.store(0, std::memory_order_relaxed);
    shared_.readIndex.store(0, std::memory_order_relaxed);
    shared_.slotCount = ring_.SlotCount();
    shared_.devicePath = path;
    shared_.stopFlag.store(0, std::memory_order_release);

    if (fault != TransferCreationFault::kThread) {
        thread_ = platform::Thread::Start([this] { RunTransfer(); }, platform::ThreadPriority::Highest);
    }
    if (!thread_) {
        // Nothing runs: back to stopped, so Stop waits for nobody.
        shared_.stopFlag.store(1, std::memory_order_release);
        return kStatusNoThread;
    }
    return kStatusOk;
}

int FrameStream::Stop() {
    const bool stopped = shared_.stopFlag.load(std::memory_order_acquire) == 1;
    if (stopped && shared_.errorFlag.load(std::memory_order_acquire) == 0) {
        thread_.reset();
        return static_cast<int>(shared_.endCode.load(std::memory_order_relaxed));
    }
    if (!stopped) {
        shared_.stopFlag.store(1, std::memory_order_release);
        // The thread looks at the flag between frames.
        shared_.endEvent->Wait(platform::kInfinite);
    }
    thread_.reset();
    lastRunDuration_ = shared_.elapsedMs.load(std::memory_order_relaxed);
    shared_.stopFlag.store(1, std::memory_order_release);
    shared_.errorFlag.store(0, std::memory_order_release);
    return static_cast<int>(shared_.endCode.load(std::memory_order_relaxed));
}

namespace {

int32_t SlotBefore(int32_t slot, int32_t slotCount) { return slot == 0 ? slotCount - 1 : slot - 1; }

}  // namespace

WaitResult FrameStream::WaitFrame() {
    if (shared_.errorFlag.load(std::memory_order_acquire) == 1) {
        return WaitResult::Failed;
    }
    if (shared_.stopFlag.load(std::memory_order_acquire) == 1) {
        return WaitResult::Stopped;
    }
    const int32_t slotCount = shared_.slotCount;
    int32_t written = shared_.writeIndex.load(std::memory_order_acquire);
    const int32_t read = shared_.readIndex.load(std::memory_order_relaxed);
    if (written < read) {
        written += slotCount;
    }
    if (written - read < 1) {
        // Nothing new: wait for the next slot, then let the caller ask again.
        switch (shared_.frameEvent->Wait(kFrameWaitMs)) {
        case platform::WaitResult::Signalled:
            return WaitResult::Again;
        case platform::WaitResult::Timeout:
        case platform::WaitResult::Failed:
            break;
        }
        return WaitResult::TimedOut;
    }
    // The newest complete slot is the one before the write index; older
    // ones are dropped. Should the writer have come round to that slot
    // meanwhile, the one before its new position is taken instead.
    int32_t newest = SlotBefore(written % slotCount, slotCount);
    for (;;) {
        shared_.readIndex.store(newest, std::memory_order_seq_cst);
        const int32_t writing = shared_.writeIndex.load(std::memory_order_seq_cst);
        if (writing != newest) {
            return WaitResult::Frame;
        }
        newest = SlotBefore(writing, slotCount);
    }
}

uint8_t* FrameStream::ChosenSlot() {
    const int32_t read = shared_.readIndex.load(std::memory_order_relaxed);
    return read >= 0 && read < ring_.SlotCount() ? ring_.Slot(read) : nullptr;
}

void FrameStream::FinishRead() {
    const int32_t read = shared_.readIndex.load(std::memory_order_relaxed);
    shared_.readIndex.store(NextSlot(read, ring_.SlotCount()), std::memory_order_release);
}

}  // namespace tavrin::device

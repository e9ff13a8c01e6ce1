// The reader's side of the frame stream: start, stop, and waiting for the
// newest whole frame.
#include "device/frame_stream.h"

#include <algorithm>

#include "device/device_status.h"
#include "platform/time.h"

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
    auto takenEvent = platform::Event::Create(platform::Event::ResetMode::Auto, false);
    if (!endEvent || !frameEvent || !takenEvent) {
        return false;
    }
    shared_.endEvent = std::move(endEvent);
    shared_.frameEvent = std::move(frameEvent);
    shared_.takenEvent = std::move(takenEvent);
    return true;
}

int FrameStream::Start(const DevicePathBuffer& path, uint32_t transferLength, TransferMode mode) {
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
    // A frame of the last run that nobody took is not this run's.
    ring_.ForgetReady();
    shared_.errorFlag.store(0, std::memory_order_relaxed);
    shared_.mode = mode;
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

// How long a frame that is ready already waits to be taken: until
// notBeforeNs, in whole milliseconds rounded up; 0 when it may go now.
uint32_t FrameStream::HoldOff(uint64_t notBeforeNs) const {
    const uint64_t now = platform::MonotonicNanoseconds();
    if (notBeforeNs <= now || !ring_.HasReady()) {
        return 0;
    }
    return static_cast<uint32_t>(std::min<uint64_t>((notBeforeNs - now + 999999) / 1000000, platform::kInfinite - 1));
}

FrameWait FrameStream::WaitFrame(uint32_t timeoutMs, uint64_t notBeforeNs) {
    const uint32_t start = platform::TickCount();
    for (;;) {
        if (shared_.errorFlag.load(std::memory_order_acquire) == 1) {
            return {WaitResult::Failed, {}};
        }
        if (StopAsked()) {
            return {WaitResult::Stopped, {}};
        }
        const uint32_t holdOff = HoldOff(notBeforeNs);
        if (holdOff == 0) {
            if (FrameLease lease = ring_.TakeReady()) {
                shared_.takenEvent->Set();
                return {WaitResult::Frame, std::move(lease)};
            }
        }
        // Nothing to take yet: wait for the next frame (or the run's end, or
        // the hold-off's end), then look again. The event may still be set
        // for a frame taken earlier.
        uint32_t remaining = platform::kInfinite;
        if (timeoutMs != platform::kInfinite) {
            const uint32_t elapsed = platform::TickCount() - start;
            if (elapsed >= timeoutMs) {
                return {WaitResult::TimedOut, {}};
            }
            remaining = timeoutMs - elapsed;
        }
        if (holdOff != 0) {
            remaining = std::min(remaining, holdOff);
        }
        if (shared_.frameEvent->Wait(remaining) == platform::WaitResult::Failed) {
            return {WaitResult::TimedOut, {}};
        }
    }
}

}  // namespace tavrin::device

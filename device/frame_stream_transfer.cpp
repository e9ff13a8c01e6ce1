// The transfer thread's side of the frame stream: take a slot, read a frame
// into it, publish it as the newest, until stopped or (continuous runs) a
// transfer fails.
#include "device/camera_commands.h"
#include "device/device_status.h"
#include "device/frame_stream.h"
#include "platform/driver.h"
#include "platform/time.h"

namespace tavrin::device {
namespace {

// A failed single-frame exchange that returned at once (the camera is gone,
// transfers fail) is asked again after this pause, not in a busy loop.
constexpr uint32_t kFailedGrabPauseMs = 10;
// A transfer thread waiting for the reader looks at the stop flag this often.
constexpr uint32_t kReaderPollMs = 10;

}  // namespace

// A slot to read into. A reader holds at most one slot, so with two or more
// slots there is always one; should every slot be held, the thread waits for
// one to come back.
int FrameStream::WritableSlot() {
    for (;;) {
        const int slot = ring_.BeginWrite();
        if (slot >= 0 || StopAsked()) {
            return slot;
        }
        platform::Sleep(1);
    }
}

// Reads one frame into the slot: 0 whole, 1 short, -1 failed.
int FrameStream::ReadFrameData(DeviceHandle handle, uint8_t* slot) {
    const uint32_t length = shared_.transferLength.load(std::memory_order_relaxed);
    uint32_t moved = 0;
    const int result = shared_.largeFlag.load(std::memory_order_relaxed) != 0
                           ? PipeTransferLarge(handle, kPipeFrame, length, slot, moved, 1)
                           : PipeTransfer(handle, kPipeFrame, length, slot, moved, 1);
    if (result != 0) {
        return -1;
    }
    return moved == length ? 0 : 1;
}

// The frame is timed when its transfer has completed, before the reader can
// see it.
void FrameStream::PublishFrame(int slot, uint64_t number) {
    ring_.Publish(slot, FrameRecord{number, platform::MonotonicNanoseconds(), kStatusOk});
    shared_.frameCount.fetch_add(1, std::memory_order_relaxed);
    shared_.frameEvent->Set();
}

// With a camera that waits for its reader, the next frame is asked for only
// once the reader has taken the last one; false when a stop came first.
bool FrameStream::ReaderTookLastFrame() {
    while (ring_.HasReady()) {
        if (StopAsked()) {
            return false;
        }
        shared_.takenEvent->Wait(kReaderPollMs);
    }
    return !StopAsked();
}

void FrameStream::StreamFrames(DeviceHandle handle) {
    bool shortForgiven = false;
    uint64_t number = 0;
    const bool waitForReader = platform::DriverWaitsForReader();
    while (!StopAsked()) {
        if (waitForReader && !ReaderTookLastFrame()) {
            break;
        }
        const int slot = WritableSlot();
        if (slot < 0) {
            break;
        }
        CommandBlock request = FrameRequestBlock();
        uint32_t moved = 0;
        // Only the data transfer decides; the request's own result is not looked at.
        PipeTransfer(handle, kPipeCommand, kCommandBlockSize, request.data(), moved, 0);
        const int outcome = ReadFrameData(handle, ring_.SlotBits(slot));
        if (outcome == 0) {
            PublishFrame(slot, ++number);
            continue;
        }
        ring_.Abandon(slot);
        if (outcome == 1 && !shortForgiven) {
            shortForgiven = true;  // one short frame per run is forgiven and asked again
            continue;
        }
        // A failed frame is never handed out; the reader learns of the
        // error from the error flag.
        shared_.endCode.store(kStatusFrameTransfer, std::memory_order_relaxed);
        break;
    }
}

// Each frame is the single-frame exchange: prepare (its own short exchange),
// the frame request, the read, which returns when the triggered frame has
// arrived or the driver wait has passed. A failed exchange closes the handle
// so that the next one opens the device afresh.
void FrameStream::GrabTriggeredFrames() {
    const char* path = shared_.devicePath.data();
    DeviceHandle handle = kNullDeviceHandle;
    uint64_t number = 0;
    while (!StopAsked()) {
        const uint32_t started = platform::TickCount();
        bool whole = false;
        if ((handle != kNullDeviceHandle && handle != kInvalidDeviceHandle) || DeviceOpen(path, handle) != 0) {
            const int slot = WritableSlot();
            if (slot < 0) {
                break;
            }
            CommandPrepare(path);
            CommandBlock request = FrameRequestBlock();
            uint32_t moved = 0;
            PipeTransfer(handle, kPipeCommand, kCommandBlockSize, request.data(), moved, 1);
            whole = ReadFrameData(handle, ring_.SlotBits(slot)) == 0;
            if (whole) {
                PublishFrame(slot, ++number);
            } else {
                ring_.Abandon(slot);
            }
        }
        if (!whole) {
            DeviceClose(handle);
            if (platform::TickCount() - started < kFailedGrabPauseMs && !StopAsked()) {
                platform::Sleep(kFailedGrabPauseMs);
            }
        }
    }
    DeviceClose(handle);
}

void FrameStream::RunTransfer() {
    shared_.endCode.store(kStatusOk, std::memory_order_relaxed);
    shared_.frameCount.store(0, std::memory_order_relaxed);
    shared_.elapsedMs.store(0, std::memory_order_relaxed);

    const uint32_t start = platform::TickCount();
    if (shared_.mode == TransferMode::Triggered) {
        GrabTriggeredFrames();
        shared_.elapsedMs.store(platform::TickCount() - start, std::memory_order_relaxed);
    } else {
        DeviceHandle handle = kNullDeviceHandle;
        if (DeviceOpen(shared_.devicePath.data(), handle) == 0) {
            shared_.endCode.store(kStatusNoDevice, std::memory_order_relaxed);
        } else {
            if (handle != kNullDeviceHandle) {
                StreamFrames(handle);
            }
            shared_.elapsedMs.store(platform::TickCount() - start, std::memory_order_relaxed);
            DeviceClose(handle);
        }
    }

    // A run that could not stream at all counts as an error, so the reader
    // learns of it instead of waiting for frames that never come.
    shared_.errorFlag.store(shared_.endCode.load(std::memory_order_relaxed) != kStatusOk ? 1 : 0,
                            std::memory_order_release);
    shared_.stopFlag.store(1, std::memory_order_release);
    shared_.frameEvent->Set();  // a reader waiting for a frame looks at the flags again
    shared_.endEvent->Set();
}

}  // namespace tavrin::device

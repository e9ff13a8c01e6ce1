// The transfer thread's side of the frame stream: request a frame, read it
// into the slot at the write index, hand the slot over, until stopped or a
// transfer fails.
#include "device/camera_commands.h"
#include "device/device_status.h"
#include "device/frame_stream.h"
#include "platform/time.h"

namespace tavrin::device {

// Moves past the slot just completed. The slot the reader names is skipped,
// so the reader's copy is never overwritten while it runs.
void FrameStream::AdvanceWriteIndex() {
    int32_t next = NextSlot(shared_.writeIndex.load(std::memory_order_relaxed), shared_.slotCount);
    if (next == shared_.readIndex.load(std::memory_order_acquire)) {
        next = NextSlot(next, shared_.slotCount);
    }
    shared_.writeIndex.store(next, std::memory_order_release);
}

// Reads one frame into the slot at the write index: 0 complete, 1 short,
// -1 failed.
int FrameStream::ReadOneFrame(DeviceHandle handle) {
    uint8_t* slot = ring_.Slot(shared_.writeIndex.load(std::memory_order_relaxed));
    CommandBlock request = FrameRequestBlock();
    uint32_t moved = 0;
    // Only the data transfer decides; the request's own result is not looked at.
    PipeTransfer(handle, kPipeCommand, kCommandBlockSize, request.data(), moved, 0);

    const uint32_t length = shared_.transferLength.load(std::memory_order_relaxed);
    moved = 0;
    const int result = shared_.largeFlag.load(std::memory_order_relaxed) != 0
                           ? PipeTransferLarge(handle, kPipeFrame, length, slot, moved, 1)
                           : PipeTransfer(handle, kPipeFrame, length, slot, moved, 1);
    if (result != 0) {
        return -1;
    }
    return moved == length ? 0 : 1;
}

void FrameStream::StreamFrames(DeviceHandle handle) {
    bool shortForgiven = false;
    while (shared_.endCode.load(std::memory_order_relaxed) != kStatusFrameTransfer) {
        const int outcome = ReadOneFrame(handle);
        if (outcome == 1 && !shortForgiven) {
            // One short frame per run is forgiven: the same slot is asked again.
            shortForgiven = true;
        } else {
            if (outcome != 0) {
                shared_.endCode.store(kStatusFrameTransfer, std::memory_order_relaxed);
            }
            // A failed slot is still handed over; the reader sees the error
            // flag at its next WaitFrame.
            AdvanceWriteIndex();
            shared_.frameEvent->Set();
            shared_.frameCount.fetch_add(1, std::memory_order_relaxed);
        }
        if (shared_.stopFlag.load(std::memory_order_acquire) == 1) {
            break;
        }
    }
}

void FrameStream::RunTransfer() {
    shared_.endCode.store(kStatusOk, std::memory_order_relaxed);
    shared_.frameCount.store(0, std::memory_order_relaxed);
    shared_.elapsedMs.store(0, std::memory_order_relaxed);

    DeviceHandle handle = kNullDeviceHandle;
    if (DeviceOpen(shared_.devicePath.data(), handle) == 0) {
        shared_.endCode.store(kStatusNoDevice, std::memory_order_relaxed);
    } else {
        const uint32_t start = platform::TickCount();
        if (handle != kNullDeviceHandle && shared_.stopFlag.load(std::memory_order_acquire) == 0) {
            StreamFrames(handle);
        }
        shared_.elapsedMs.store(platform::TickCount() - start, std::memory_order_relaxed);
        DeviceClose(handle);
    }

    // A run that could not stream at all counts as an error, so the reader
    // learns of it instead of waiting for frames that never come.
    shared_.errorFlag.store(shared_.endCode.load(std::memory_order_relaxed) != kStatusOk ? 1 : 0,
                            std::memory_order_release);
    shared_.stopFlag.store(1, std::memory_order_release);
    shared_.endEvent->Set();
}

}  // namespace tavrin::device

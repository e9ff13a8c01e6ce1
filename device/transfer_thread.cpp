#include "device/transfer_thread.h"

#include "device/camera_commands.h"
#include "device/device_status.h"
#include "device/driver_protocol.h"
#include "platform/time.h"

namespace tavrin::device {

namespace {

std::atomic<TransferCreationFault> pendingCreationFault{TransferCreationFault::kNone};

// Moves past the slot just completed. The slot the reader names is skipped,
// so the reader's copy is never overwritten while it runs.
void AdvanceWriteIndex(TransferBlock& block) {
    int32_t next = NextSlot(block.writeIndex.load(std::memory_order_relaxed), block.slotCount);
    if (next == block.readIndex.load(std::memory_order_acquire)) {
        next = NextSlot(next, block.slotCount);
    }
    block.writeIndex.store(next, std::memory_order_release);
}

// Reads one frame into the slot at the write index: 0 complete, 1 short,
// -1 failed.
int ReadOneFrame(TransferBlock& block, DeviceHandle handle) {
    uint8_t* slot = block.ring->Slot(block.writeIndex.load(std::memory_order_relaxed));
    CommandBlock request = FrameRequestBlock();
    uint32_t moved = 0;
    // Only the data transfer decides; the request's own result is not looked at.
    PipeTransfer(handle, kPipeCommand, kCommandBlockSize, request.data(), moved, 0);

    const uint32_t length = block.transferLength.load(std::memory_order_relaxed);
    moved = 0;
    const int result = block.largeFlag.load(std::memory_order_relaxed) != 0
                           ? PipeTransferLarge(handle, kPipeFrame, length, slot, moved, 1)
                           : PipeTransfer(handle, kPipeFrame, length, slot, moved, 1);
    if (result != 0) {
        return -1;
    }
    return moved == length ? 0 : 1;
}

void StreamFrames(TransferBlock& block, DeviceHandle handle) {
    bool shortForgiven = false;
    while (block.endCode.load(std::memory_order_relaxed) != kStatusFrameTransfer) {
        const int outcome = ReadOneFrame(block, handle);
        if (outcome == 1 && !shortForgiven) {
            // One short frame per run is forgiven: the same slot is asked again.
            shortForgiven = true;
        } else {
            if (outcome != 0) {
                block.endCode.store(kStatusFrameTransfer, std::memory_order_relaxed);
            }
            // A failed slot is still handed over; the reader sees the error
            // flag at its next WaitFrame.
            AdvanceWriteIndex(block);
            block.frameEvent->Set();
            block.frameCount.fetch_add(1, std::memory_order_relaxed);
        }
        if (block.stopFlag.load(std::memory_order_acquire) == 1) {
            break;
        }
    }
}

}  // namespace

void RunFrameTransfer(TransferBlock& block) {
    block.endCode.store(kStatusOk, std::memory_order_relaxed);
    block.frameCount.store(0, std::memory_order_relaxed);
    block.elapsedMs.store(0, std::memory_order_relaxed);

    DeviceHandle handle = kNullDeviceHandle;
    if (DeviceOpen(block.devicePath.data(), handle) == 0) {
        block.endCode.store(kStatusNoDevice, std::memory_order_relaxed);
    } else {
        const uint32_t start = platform::TickCount();
        if (handle != kNullDeviceHandle && block.stopFlag.load(std::memory_order_acquire) == 0) {
            StreamFrames(block, handle);
        }
        block.elapsedMs.store(platform::TickCount() - start, std::memory_order_relaxed);
        DeviceClose(handle);
    }

    // A run that could not stream at all counts as an error, so the reader
    // learns of it instead of waiting for frames that never come.
    block.errorFlag.store(block.endCode.load(std::memory_order_relaxed) != kStatusOk ? 1 : 0,
                          std::memory_order_release);
    block.stopFlag.store(1, std::memory_order_release);
    block.endEvent->Set();
}

void FailNextTransferCreation(TransferCreationFault fault) {
    pendingCreationFault.store(fault, std::memory_order_relaxed);
}

TransferCreationFault TakeTransferCreationFault() {
    return pendingCreationFault.exchange(TransferCreationFault::kNone, std::memory_order_relaxed);
}

}  // namespace tavrin::device

// The frame transfer thread and the parameter block it shares with the
// device library object. The thread requests frame after frame and reads each
// into the next ring slot; the reader takes the newest complete slot. They
// share only the atomics and the two events below, without a lock:
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
#include "device/frame_ring.h"
#include "platform/sync.h"

namespace tavrin::device {

struct TransferBlock {
    std::atomic<uint32_t> transferLength{0};  // bytes per frame, doubled for 16-bit samples
    std::unique_ptr<platform::Event> frameEvent;  // auto reset: set after each completed slot
    std::unique_ptr<platform::Event> endEvent;    // manual reset: set when the thread ends
    std::atomic<uint32_t> elapsedMs{0};
    std::atomic<uint32_t> frameCount{0};
    std::atomic<int64_t> endCode{0};  // 0 stopped, 10 path did not open, 19 transfer failed or short
    std::atomic<uint32_t> stopFlag{1};
    std::atomic<uint32_t> errorFlag{0};
    int32_t slotCount = 0;
    FrameRing* ring = nullptr;
    std::atomic<int32_t> writeIndex{0};
    std::atomic<int32_t> readIndex{0};
    std::atomic<uint32_t> largeFlag{0};
    DevicePathBuffer devicePath{};
};

// The slot after index, wrapping to 0 at slotCount.
inline int32_t NextSlot(int32_t index, int32_t slotCount) { return index + 1 >= slotCount ? 0 : index + 1; }

// The thread's body: runs until the stop flag is set or a transfer fails.
void RunFrameTransfer(TransferBlock& block);

// Test hook: the next StartTransfer finds the named object impossible to
// create, as when the system is out of threads or handles.
enum class TransferCreationFault { kNone, kEndEvent, kFrameEvent, kThread };
void FailNextTransferCreation(TransferCreationFault fault);
TransferCreationFault TakeTransferCreationFault();

}  // namespace tavrin::device

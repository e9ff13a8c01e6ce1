// Continuous acquisition: the transfer thread fills the ring, the reader
// picks the newest complete slot.
#include "device/device_status.h"
#include "device/qdx_sdk_lib.h"

namespace tavrin::device {

bool CQDXSdkLib::CreateTransferEvents(TransferCreationFault fault) {
    // Events stay until the next start or destruction, so that a reader still
    // inside WaitFrame never waits on an event that has gone.
    auto endEvent = fault == TransferCreationFault::kEndEvent
                        ? nullptr
                        : platform::Event::Create(platform::Event::ResetMode::Manual, false);
    auto frameEvent = fault == TransferCreationFault::kFrameEvent
                          ? nullptr
                          : platform::Event::Create(platform::Event::ResetMode::Auto, false);
    if (!endEvent || !frameEvent) {
        return false;
    }
    transfer_.endEvent = std::move(endEvent);
    transfer_.frameEvent = std::move(frameEvent);
    return true;
}

int CQDXSdkLib::StartTransfer() {
    if (transfer_.stopFlag.load(std::memory_order_acquire) == 0) {
        return kStatusStreaming;
    }
    // A run that ended in error has set its flags but may not have returned
    // yet; it must be gone before its events are replaced.
    transferThread_.reset();

    const uint32_t length = static_cast<uint32_t>(transferLength_) * (SixteenBit() != 0 ? 2u : 1u);
    transfer_.transferLength.store(length, std::memory_order_relaxed);
    SendPrepare();
    if (ring_.SlotCount() < 2) {
        return kStatusNullBuffer;  // no geometry, so nowhere to put frames
    }
    const TransferCreationFault fault = TakeTransferCreationFault();
    if (!CreateTransferEvents(fault)) {
        return kStatusNoThread;
    }
    transfer_.errorFlag.store(0, std::memory_order_relaxed);
    transfer_.writeIndex.store(0, std::memory_order_relaxed);
    transfer_.readIndex.store(0, std::memory_order_relaxed);
    transfer_.slotCount = ring_.SlotCount();
    transfer_.ring = &ring_;
    transfer_.devicePath = DevicePath();
    transfer_.stopFlag.store(0, std::memory_order_release);

    if (fault != TransferCreationFault::kThread) {
        transferThread_ = platform::Thread::Start([this] { RunFrameTransfer(transfer_); },
                                                  platform::ThreadPriority::Highest);
    }
    if (!transferThread_) {
        // Nothing runs: back to stopped, so StopTransfer waits for nobody.
        transfer_.stopFlag.store(1, std::memory_order_release);
        return kStatusNoThread;
    }
    return kStatusOk;
}

int CQDXSdkLib::StopTransfer() {
    const bool stopped = transfer_.stopFlag.load(std::memory_order_acquire) == 1;
    if (stopped && transfer_.errorFlag.load(std::memory_order_acquire) == 0) {
        transferThread_.reset();
        return static_cast<int>(transfer_.endCode.load(std::memory_order_relaxed));
    }
    if (!stopped) {
        transfer_.stopFlag.store(1, std::memory_order_release);
        // The thread looks at the flag between frames: the frame in flight
        // ends first, in the driver's own time.
        transfer_.endEvent->Wait(platform::kInfinite);
    }
    transferThread_.reset();
    lastRunDuration_ = transfer_.elapsedMs.load(std::memory_order_relaxed);
    transfer_.stopFlag.store(1, std::memory_order_release);
    transfer_.errorFlag.store(0, std::memory_order_release);
    return static_cast<int>(transfer_.endCode.load(std::memory_order_relaxed));
}

int CQDXSdkLib::WaitFrame() {
    if (transfer_.errorFlag.load(std::memory_order_acquire) == 1) {
        return 1;
    }
    if (transfer_.stopFlag.load(std::memory_order_acquire) == 1) {
        return 0;
    }
    const int32_t slotCount = transfer_.slotCount;
    int32_t written = transfer_.writeIndex.load(std::memory_order_acquire);
    const int32_t read = transfer_.readIndex.load(std::memory_order_relaxed);
    if (written < read) {
        written += slotCount;
    }
    if (written - read < 1) {
        // Nothing new: wait for the next slot, then let the caller ask again.
        return transfer_.frameEvent->Wait(kFrameWaitMs) == platform::WaitResult::Signalled ? 2 : 1;
    }
    // The newest complete slot is the one before the write index; older
    // ones are dropped.
    int32_t newest = written - 1;
    if (newest < 0) {
        newest += slotCount;
    } else if (newest >= slotCount) {
        newest -= slotCount;
    }
    transfer_.readIndex.store(newest, std::memory_order_release);
    return 3;
}

int CQDXSdkLib::ReadFrame(uint8_t* destination) {
    if (destination == nullptr) {
        return kStatusNullBuffer;
    }
    const int32_t read = transfer_.readIndex.load(std::memory_order_relaxed);
    if (read < 0 || read >= ring_.SlotCount()) {
        return kStatusNullBuffer;
    }
    const int status = CopyRawFrame(destination, ring_.Slot(read));
    transfer_.readIndex.store(NextSlot(read, ring_.SlotCount()), std::memory_order_release);
    return status;
}

}  // namespace tavrin::device

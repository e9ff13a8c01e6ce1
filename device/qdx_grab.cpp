// The single-frame grab for trigger mode and snapshots: one frame per call,
// in the caller's thread, on a handle kept open between grabs.
#include "device/camera_commands.h"
#include "device/device_status.h"
#include "device/qdx_sdk_lib.h"

namespace tavrin::device {

bool CQDXSdkLib::ReadFrameData(DeviceHandle handle, uint8_t* buffer, uint32_t length, uint32_t& moved) {
    moved = 0;
    const int result = grabLargeFlag_.load(std::memory_order_relaxed) != 0
                           ? PipeTransferLarge(handle, kPipeFrame, length, buffer, moved, 1)
                           : PipeTransfer(handle, kPipeFrame, length, buffer, moved, 1);
    return result == 0 && moved == length;
}

int CQDXSdkLib::GrabFrame() {
    const uint32_t length = static_cast<uint32_t>(transferLength_) * (SixteenBit() == 1 ? 2u : 1u);
    if (grabHandle_ == kNullDeviceHandle || grabHandle_ == kInvalidDeviceHandle) {
        if (DeviceOpen(DevicePath().data(), grabHandle_) == 0) {
            DeviceClose(grabHandle_);
            grabEndCode_ = kStatusFrameTransfer;
            return kStatusNoDevice;
        }
    }
    SendPrepare();
    CommandBlock request = FrameRequestBlock();
    uint32_t moved = 0;
    // Only the data transfer decides; the request's own result is not looked at.
    PipeTransfer(grabHandle_, kPipeCommand, kCommandBlockSize, request.data(), moved, 1);
    if (ReadFrameData(grabHandle_, grabBuffer_.get(), length, moved)) {
        return kStatusOk;
    }
    // A failed grab closes the handle, so the next grab opens the device afresh.
    grabEndCode_ = kStatusFrameTransfer;
    DeviceClose(grabHandle_);
    return kStatusFrameTransfer;
}

int CQDXSdkLib::CopyGrabbedFrame(uint8_t* destination) {
    if (destination == nullptr) {
        return kStatusNullBuffer;
    }
    return CopyRawFrame(destination, grabBuffer_.get());
}

void CQDXSdkLib::CloseGrab() { DeviceClose(grabHandle_); }

}  // namespace tavrin::device

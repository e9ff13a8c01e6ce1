#include "device/driver_protocol.h"

namespace tavrin::device {

namespace {

void PutLittleEndian32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

int IssuePipeRequest(uint32_t code, DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                     uint32_t& bytesReturned) {
    if (buffer == nullptr) {
        return -2;
    }
    if (handle == kNullDeviceHandle) {
        return -3;
    }
    uint8_t pipeRecord[kPipeRecordSize];
    PutLittleEndian32(pipeRecord, pipe);
    uint32_t moved = 0;
    const int result = platform::DriverIoControl(handle, code, pipeRecord, sizeof pipeRecord, buffer, length, &moved);
    bytesReturned = moved;
    return result == 1 ? 0 : -1;
}

int ExchangeBlock(DeviceHandle handle, uint32_t pipe, CommandBlock& block, int direction) {
    if (handle == kNullDeviceHandle) {
        return 10;
    }
    uint32_t moved = 0;
    const int result = PipeTransfer(handle, pipe, kCommandBlockSize, block.data(), moved, direction);
    return result == 0 && moved == kCommandBlockSize ? 0 : 12;
}

}  // namespace

bool IsLargeFrame(int64_t transferLength, bool sixteenBit) {
    const int64_t bytes = sixteenBit ? transferLength * 2 : transferLength;
    return bytes >= kLargeFrameBytes;
}

int DeviceOpen(const char* path, DeviceHandle& handle) {
    if (path == nullptr) {
        return 0;
    }
    handle = platform::DriverOpen(path);
    return 1;
}

int DeviceClose(DeviceHandle& handle) {
    if (handle == kNullDeviceHandle) {
        return 0;
    }
    platform::DriverClose(handle);
    handle = kNullDeviceHandle;
    return 1;
}

int PipeTransfer(DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t& bytesReturned,
                 int direction) {
    const uint32_t code = direction != 0 ? IOCTL_PIPE_IN_DIRECT : IOCTL_PIPE_OUT_DIRECT;
    return IssuePipeRequest(code, handle, pipe, length, buffer, bytesReturned);
}

int PipeTransferLarge(DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t& bytesReturned,
                      int /*direction: always in*/) {
    return IssuePipeRequest(IOCTL_PIPE_IN_DIRECT_LARGE, handle, pipe, length, buffer, bytesReturned);
}

// Command blocks travel on pipe 0 with the "in" code and replies on pipe 1
// with the "out" code: the driver names its codes from its own side.
int SendCommand(DeviceHandle handle, CommandBlock& block) { return ExchangeBlock(handle, kPipeCommand, block, 1); }

int ReceiveReply(DeviceHandle handle, CommandBlock& block) { return ExchangeBlock(handle, kPipeReply, block, 0); }

int SetDriverParameter(DeviceHandle handle, uint32_t selector, uint32_t value) {
    if (handle == kNullDeviceHandle) {
        return 0;
    }
    uint8_t record[kParameterRecordSize] = {};
    PutLittleEndian32(record, selector);
    PutLittleEndian32(record + 4, value);
    uint32_t moved = 0;
    return platform::DriverIoControl(handle, IOCTL_SET_PARAMETER, record, sizeof record, nullptr, 0, &moved);
}

}  // namespace tavrin::device

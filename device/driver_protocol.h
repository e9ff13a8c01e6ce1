// The driver protocol: the I/O control codes, the pipe and parameter records,
// the 64-byte command block and the plain transfer functions over a device
// handle. Nothing here keeps state; every function says what the driver did.
#pragma once

#include <array>
#include <cstdint>

#include "platform/driver.h"

namespace tavrin::device {

using platform::DeviceHandle;
using platform::kInvalidDeviceHandle;
using platform::kNullDeviceHandle;

// CTL_CODE(device type, function, method, access) as the driver defines it.
constexpr uint32_t CtlCode(uint32_t deviceType, uint32_t function, uint32_t method, uint32_t access) {
    return (deviceType << 16) | (access << 14) | (function << 2) | method;
}
inline constexpr uint32_t kFileDeviceUnknown = 0x22;
inline constexpr uint32_t kMethodBuffered = 0;
inline constexpr uint32_t kMethodInDirect = 1;
inline constexpr uint32_t kMethodOutDirect = 2;
inline constexpr uint32_t kFileAnyAccess = 0;

inline constexpr uint32_t IOCTL_PIPE_OUT_DIRECT = CtlCode(kFileDeviceUnknown, 0x813, kMethodOutDirect, kFileAnyAccess);
inline constexpr uint32_t IOCTL_PIPE_IN_DIRECT = CtlCode(kFileDeviceUnknown, 0x814, kMethodInDirect, kFileAnyAccess);
inline constexpr uint32_t IOCTL_PIPE_IN_DIRECT_LARGE =
    CtlCode(kFileDeviceUnknown, 0x82A, kMethodInDirect, kFileAnyAccess);
inline constexpr uint32_t IOCTL_SET_PARAMETER = CtlCode(kFileDeviceUnknown, 0x828, kMethodBuffered, kFileAnyAccess);
static_assert(IOCTL_PIPE_OUT_DIRECT == 0x0022204E && IOCTL_PIPE_IN_DIRECT == 0x00222051);
static_assert(IOCTL_PIPE_IN_DIRECT_LARGE == 0x002220A9 && IOCTL_SET_PARAMETER == 0x002220A0);

// Pipe 0 carries command blocks to the camera, pipe 1 reply blocks back,
// pipe 2 the frame data.
enum Pipe : uint32_t { kPipeCommand = 0, kPipeReply = 1, kPipeFrame = 2 };

inline constexpr uint32_t kCommandBlockSize = 64;
inline constexpr uint32_t kParameterRecordSize = 44;
inline constexpr uint32_t kPipeRecordSize = 4;
using CommandBlock = std::array<uint8_t, kCommandBlockSize>;

// The first byte of a command block.
enum CommandCode : uint8_t {
    CMD_PREPARE = 0x01,
    CMD_FRAME_REQUEST = 0x02,
    CMD_SENSOR_WRITE = 0x04,
    CMD_SET_TRANSFER_SIZE = 0x09,
    CMD_SET_BIT_DEPTH = 0x0A,
    CMD_CONTROL_WRITE = 0x25,
    CMD_CONTROL_READ = 0x26,
    CMD_SROM_WRITE = 0x40,
    CMD_SROM_READ = 0x41,
};

// The driver's parameter selector for its transfer wait, in milliseconds.
inline constexpr uint32_t kParameterDriverWait = 1;

// Frames of this many bytes or more travel with IOCTL_PIPE_IN_DIRECT_LARGE.
inline constexpr uint32_t kLargeFrameBytes = 3072000;

// True when a frame of transferLength 8-bit bytes, doubled when the 16-bit
// flag is set, needs the large transfer code.
bool IsLargeFrame(int64_t transferLength, bool sixteenBit);

// Opens a device path (CreateFileA for writing). 0 only when no path was
// given; any handle the driver returns, the invalid one included, counts as
// opened, and an invalid handle makes the following transfer fail instead.
int DeviceOpen(const char* path, DeviceHandle& handle);

// Closes a non-null handle and clears it: 1 if one was closed, 0 if none.
int DeviceClose(DeviceHandle& handle);

// One synchronous pipe transfer: IOCTL_PIPE_IN_DIRECT with a non-zero
// direction, IOCTL_PIPE_OUT_DIRECT with zero. bytesReturned always receives
// the driver's count. -2 null buffer, -3 null handle (nothing issued),
// 0 success, -1 the driver failed.
int PipeTransfer(DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t& bytesReturned,
                 int direction);

// The same with IOCTL_PIPE_IN_DIRECT_LARGE, for frames of kLargeFrameBytes
// and more.
int PipeTransferLarge(DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t& bytesReturned,
                      int direction);

// A command block on pipe 0, or a reply block from pipe 1 into block:
// 0 success, 10 no handle, 12 failed or moved other than 64 bytes.
int SendCommand(DeviceHandle handle, CommandBlock& block);
int ReceiveReply(DeviceHandle handle, CommandBlock& block);

// IOCTL_SET_PARAMETER with the 44-byte parameter record (selector, value,
// 36 zero bytes). The driver's result; 0 when the handle is null.
int SetDriverParameter(DeviceHandle handle, uint32_t selector, uint32_t value);

}  // namespace tavrin::device

// The camera's commands, each one short exchange on a device path of its own:
// open the path, send the 64-byte block, receive the replies if the command
// has them, close the handle, and keep the pauses the camera needs.
#pragma once

#include <cstdint>

#include "device/driver_protocol.h"

namespace tavrin::device {

// Success means the path opened and the block (and, for reads, the second
// reply) moved; a failed command is never retried.
bool CommandPrepare(const char* path);
bool CommandSetTransferSize(const char* path, uint32_t transferLength);
bool CommandSetBitDepth(const char* path, uint8_t sixteenBit);
bool CommandControlWrite(const char* path, uint32_t reg, uint32_t value);
// value is the second reply's byte [0] on success, else 0.
bool CommandControlRead(const char* path, uint32_t reg, uint8_t& value);
bool CommandSensorWrite(const char* path, uint32_t reg, uint32_t value);
// value receives byte [0] of the exchange buffer whatever happened.
bool CommandSromRead(const char* path, uint32_t address, uint8_t& value);
bool CommandSromWrite(const char* path, uint32_t address, uint32_t value);
// IOCTL_SET_PARAMETER with the driver wait; the driver's result.
int CommandSetDriverWait(const char* path, uint32_t milliseconds);

// A frame request block ([0] = CMD_FRAME_REQUEST, the rest zero).
CommandBlock FrameRequestBlock();

// Pauses, in milliseconds, that the camera needs around its slow commands.
inline constexpr uint32_t kSensorWriteSettleMs = 20;
inline constexpr uint32_t kSensorWriteAfterCloseMs = 2;
inline constexpr uint32_t kSromReadPauseMs = 6;
inline constexpr uint32_t kSromWritePauseMs = 10;

}  // namespace tavrin::device

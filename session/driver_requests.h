// What session files need to know of the camera's driver requests: which
// pipe a request is on, so that frame reads become frame chunks, replies
// keep only what came back, and the driver's wait tells a time-out from a
// plain failure. The protocol itself lives with the device library.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tavrin::session {

inline constexpr uint32_t kIoctlPipeOutDirect = 0x0022204E;
inline constexpr uint32_t kIoctlPipeInDirect = 0x00222051;
inline constexpr uint32_t kIoctlPipeInDirectLarge = 0x002220A9;
inline constexpr uint32_t kIoctlSetParameter = 0x002220A0;

inline constexpr uint32_t kPipeCommand = 0;
inline constexpr uint32_t kPipeReply = 1;
inline constexpr uint32_t kPipeFrame = 2;
inline constexpr uint32_t kNoPipe = 0xFFFFFFFF;

inline constexpr uint32_t kParameterDriverWait = 1;
inline constexpr uint32_t kDefaultDriverWaitMs = 3000;

// The pipe of a pipe request (the 4-byte input record), or kNoPipe.
inline uint32_t PipeOf(uint32_t code, std::span<const uint8_t> input) {
    if ((code != kIoctlPipeOutDirect && code != kIoctlPipeInDirect && code != kIoctlPipeInDirectLarge) ||
        input.size() != 4) {
        return kNoPipe;
    }
    return input[0] | input[1] << 8 | input[2] << 16 | static_cast<uint32_t>(input[3]) << 24;
}

// The driver wait an IOCTL_SET_PARAMETER record sets, if it sets it.
inline std::optional<uint32_t> DriverWaitOf(uint32_t code, std::span<const uint8_t> input) {
    if (code != kIoctlSetParameter || input.size() < 8) {
        return std::nullopt;
    }
    const uint32_t selector = input[0] | input[1] << 8 | input[2] << 16 | static_cast<uint32_t>(input[3]) << 24;
    const uint32_t value = input[4] | input[5] << 8 | input[6] << 16 | static_cast<uint32_t>(input[7]) << 24;
    return selector == kParameterDriverWait ? std::optional(value) : std::nullopt;
}

}  // namespace tavrin::session

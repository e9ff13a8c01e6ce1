// Requests in words, for the report of a strict replay: the control code,
// the pipe and what a command block asks the camera to do.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tavrin::sim {

// e.g. "IOCTL_PIPE_IN_DIRECT pipe 0, 64 bytes: sensor write register 0x0004
// = 0x0190 [04 20 00 04 01 90 00 ...]". block is the data sent, or for a
// reply read the bytes asked for (empty).
std::string DescribeRequest(uint32_t code, std::span<const uint8_t> input, uint32_t outputLength,
                            std::span<const uint8_t> block);

}  // namespace tavrin::sim

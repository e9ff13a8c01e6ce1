#include "sim/request_text.h"

#include <cstdio>

#include "session/driver_requests.h"

namespace tavrin::sim {

namespace {

std::string CodeName(uint32_t code) {
    switch (code) {
    case session::kIoctlPipeOutDirect: return "IOCTL_PIPE_OUT_DIRECT";
    case session::kIoctlPipeInDirect: return "IOCTL_PIPE_IN_DIRECT";
    case session::kIoctlPipeInDirectLarge: return "IOCTL_PIPE_IN_DIRECT_LARGE";
    case session::kIoctlSetParameter: return "IOCTL_SET_PARAMETER";
    default: break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "control code 0x%08X", static_cast<unsigned>(code));
    return text;
}

std::string Hex(std::span<const uint8_t> bytes, size_t shown) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < bytes.size() && i < shown; ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += byte;
    }
    return text + (bytes.size() > shown ? " ..." : "");
}

// What a command block asks of the camera.
std::string CommandMeaning(std::span<const uint8_t> b) {
    if (b.size() < 6) {
        return "a short block";
    }
    char text[96];
    switch (b[0]) {
    case 0x01: return "prepare";
    case 0x02: return "frame request";
    case 0x04:
        std::snprintf(text, sizeof text, "sensor write register 0x%04X = 0x%04X", b[2] << 8 | b[3], b[4] << 8 | b[5]);
        return text;
    case 0x09:
        std::snprintf(text, sizeof text, "transfer size %u",
                      static_cast<unsigned>(b[1] | b[2] << 8 | b[3] << 16 | static_cast<uint32_t>(b[4]) << 24));
        return text;
    case 0x0A: return b[1] != 0 ? "16-bit transfers" : "8-bit transfers";
    case 0x25:
        std::snprintf(text, sizeof text, "control write register %u = 0x%02X", b[1], b[2]);
        return text;
    case 0x26:
        std::snprintf(text, sizeof text, "control read register %u", b[1]);
        return text;
    case 0x40:
        std::snprintf(text, sizeof text, "serial ROM write 0x%04X = 0x%02X", 0x1800 + b[4], b[5]);
        return text;
    case 0x41:
        std::snprintf(text, sizeof text, "serial ROM read 0x%04X", b[4] << 8 | b[5]);
        return text;
    default:
        std::snprintf(text, sizeof text, "command 0x%02X", b[0]);
        return text;
    }
}

}  // namespace

std::string DescribeRequest(uint32_t code, std::span<const uint8_t> input, uint32_t outputLength,
                            std::span<const uint8_t> block) {
    const uint32_t pipe = session::PipeOf(code, input);
    std::string text = CodeName(code);
    if (const auto wait = session::DriverWaitOf(code, input)) {
        return text + ": driver wait " + std::to_string(*wait) + " ms";
    }
    if (pipe == session::kNoPipe) {
        return text + ", input [" + Hex(input, 16) + "]";
    }
    text += " pipe " + std::to_string(pipe) + ", " + std::to_string(outputLength) + " bytes";
    switch (pipe) {
    case session::kPipeCommand: return text + ": " + CommandMeaning(block) + " [" + Hex(block, 8) + "]";
    case session::kPipeReply: return text + ": reply read";
    case session::kPipeFrame: return text + ": frame read";
    default: return text;
    }
}

}  // namespace tavrin::sim

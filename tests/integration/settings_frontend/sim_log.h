// The command blocks a simulated camera received, read from its I/O log.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "TavrinSim.h"

namespace tavrin::test {

// The first bytes of every block sent on pipe 0 (which carries nothing but
// command blocks) since the log was cleared.
inline std::vector<std::array<uint8_t, 6>> SentCommands(int slot) {
    std::vector<TavrinSimRecord> records(4096);
    const int count = TavrinSim_GetLog(slot, records.data(), static_cast<int>(records.size()));
    std::vector<std::array<uint8_t, 6>> commands;
    for (int i = 0; i < count; ++i) {
        if (records[i].pipe == 0) {
            std::array<uint8_t, 6> head{};
            for (size_t b = 0; b < head.size(); ++b) {
                head[b] = records[i].data[b];
            }
            commands.push_back(head);
        }
    }
    return commands;
}

// The transfer length the camera was given, from its control registers 0-3
// (least significant first).
inline int TransferLengthRegisters(int slot) {
    int length = 0;
    for (int reg = 3; reg >= 0; --reg) {
        length = length << 8 | TavrinSim_GetControlRegister(slot, reg);
    }
    return length;
}

// A sensor register write as the camera receives it: bus address 0x20,
// register and value big-endian.
inline std::array<uint8_t, 6> SensorWrite(int reg, int value) {
    return {0x04,
            0x20,
            static_cast<uint8_t>(reg >> 8),
            static_cast<uint8_t>(reg),
            static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value)};
}

inline std::array<uint8_t, 6> ControlWrite(int reg, int value) {
    return {0x25, static_cast<uint8_t>(reg), static_cast<uint8_t>(value), 0, 0, 0};
}

}  // namespace tavrin::test

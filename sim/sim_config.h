// The simulated camera's configuration, read from the TAVRIN_SIM setting:
// the occupied slots, then ";key=value" items (see include/TavrinSim.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tavrin::sim {

inline constexpr int kSlotCount = 32;

struct SimConfig {
    std::array<bool, kSlotCount> occupied{};
    int pattern = 0;
    int level = 512;
    int intervalMs = -1;  // -1: the sensor's own pace
    int lightPercent = 100;
    int variant = 1;
    int logCapacity = 4096;
    int settle = 1;  // 0: the library may skip the protocol's settle pauses
};

// Reads a setting such as "0,2;pattern=1;level=700". Malformed items and
// unknown keys are left out; what can be read is used.
SimConfig ParseSimConfig(const std::string& setting);

}  // namespace tavrin::sim

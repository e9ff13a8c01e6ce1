// The simulated camera's configuration, read from the TAVRIN_SIM setting:
// the occupied slots, then ";key=value" items (see include/TavrinSim.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tavrin::sim {

inline constexpr int kSlotCount = 32;

// How a replayed session keeps time: frames at their recorded pace, or each
// as soon as it is read.
enum class ReplayPace { kRecorded, kFast };
// What the replayed camera does once its recorded frames are used up.
enum class ReplayEnd { kStall, kUnplug, kLoop };

struct ReplaySettings {
    std::string path;  // empty: no replay
    ReplayPace pace = ReplayPace::kRecorded;
    ReplayEnd end = ReplayEnd::kStall;
    bool strict = false;
};

struct SimConfig {
    std::array<bool, kSlotCount> occupied{};
    int pattern = 0;
    int level = 512;
    int intervalMs = -1;  // -1: the sensor's own pace
    int lightPercent = 100;
    int variant = 1;
    int logCapacity = 4096;
    int settle = 1;  // 0: the library may skip the protocol's settle pauses
    ReplaySettings replay;  // the recorded camera in slot 0
};

// Reads a setting such as "0,2;pattern=1;level=700" or
// "0;replay=/tmp/a.tvs;pace=fast". Malformed items and unknown keys are left
// out; what can be read is used. A replay path runs to the next ';'.
SimConfig ParseSimConfig(const std::string& setting);

}  // namespace tavrin::sim

// Device paths: "\\.\" + model name + "-" + one suffix character per device
// index. The driver names its devices from a suffix table in which N stands
// before M, so index 22 is "-N" and index 23 is "-M".
#pragma once

#include <array>
#include <cstddef>

namespace tavrin::device {

inline constexpr int kDeviceCount = 32;
inline constexpr size_t kDevicePathCapacity = 128;
using DevicePathBuffer = std::array<char, kDevicePathCapacity>;

// The suffix character of a device index 0 to 31.
char DeviceSuffix(int index);

// The path of a device index 0 to 31 for the given model name; an empty
// path for any other index.
DevicePathBuffer FormDevicePath(const char* modelName, int index);

}  // namespace tavrin::device

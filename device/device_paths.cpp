#include "device/device_paths.h"

#include <cstdio>

namespace tavrin::device {

namespace {

// The driver's table is 16-bit characters; each suffix is one of them.
constexpr char16_t kSuffixTable[] = u"0123456789ABCDEFGHIJKLNMOPQRSTUVWXYZ";

}  // namespace

char DeviceSuffix(int index) {
    if (index < 0 || index >= kDeviceCount) {
        return '\0';
    }
    return static_cast<char>(kSuffixTable[index]);
}

DevicePathBuffer FormDevicePath(const char* modelName, int index) {
    DevicePathBuffer path{};
    const char suffix[2] = {DeviceSuffix(index), '\0'};
    if (suffix[0] != '\0') {
        std::snprintf(path.data(), path.size(), "\\\\.\\%s-%s", modelName, suffix);
    }
    return path;
}

}  // namespace tavrin::device

// The register configuration file: a flat sequence of 8-byte records, each
// two little-endian 32-bit values, no header and no trailer. Bytes after the
// last whole record are ignored. A load replaces the camera object's
// register configuration list as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <vector>

#include "platform/sync.h"

namespace tavrin {

struct RegisterConfigEntry {
    uint32_t first;
    uint32_t second;
};
using RegisterConfigList = std::vector<RegisterConfigEntry>;

// A file that would need more memory than this is refused rather than read:
// the list holds as many bytes again as the file.
inline constexpr uint64_t kMaxFileImageBytes = uint64_t{1} << 30;

// The whole file's bytes, or nothing when it cannot be opened, cannot be
// read whole or is too large to hold in memory.
std::optional<std::vector<uint8_t>> LoadFileImage(const char* fileName);
// The same for an open stream, from its start to the end it reports.
std::optional<std::vector<uint8_t>> LoadFileImage(std::istream& stream);

// The records of a file image, in file order.
RegisterConfigList ParseRegisterConfig(const std::vector<uint8_t>& image);

// Reads the file and replaces the list under the settings lock: 1 when the
// file was read, 0 (the list kept) when it could not be read. Never throws.
int LoadConfigFile(const char* fileName, platform::CriticalSection& settingsLock, RegisterConfigList& list) noexcept;

}  // namespace tavrin

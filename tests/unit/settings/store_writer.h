// A writer that the concurrency tests run in several threads and processes
// at once: it writes its own values and one value that every writer shares,
// and reads each back at once.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace tavrin::test {

inline constexpr uint32_t kSharedPatternA = 0xAAAAAAAAu;
inline constexpr uint32_t kSharedPatternB = 0x55555555u;

inline uint32_t WriterValue(const std::string& prefix, int index) {
    return static_cast<uint32_t>(index) * 2654435761u ^ static_cast<uint32_t>(prefix.size() * 7919 + prefix[0]);
}

// Writes count values "<prefix><i>" (count 0: until killed) and the shared
// value "Shared" with the given pattern. False with a reason on the first
// value that does not read back as written.
inline bool WriteAndCheck(const std::string& keyPath, const std::string& prefix, int count, uint32_t pattern,
                          std::string& error) {
    auto key = platform::RegistryKey::Create(nullptr, keyPath);
    if (!key) {
        error = "cannot create " + keyPath;
        return false;
    }
    for (int i = 0; count == 0 || i < count; ++i) {
        const std::string name = prefix + std::to_string(count == 0 ? i % 64 : i);
        const uint32_t value = WriterValue(prefix, i);
        int32_t back = 0;
        if (!key->WriteDword(name, value) || !key->ReadDword(name, back) || static_cast<uint32_t>(back) != value) {
            error = "own value " + name + " lost";
            return false;
        }
        int32_t shared = 0;
        if (!key->WriteDword("Shared", pattern) || !key->ReadDword("Shared", shared) ||
            (static_cast<uint32_t>(shared) != kSharedPatternA && static_cast<uint32_t>(shared) != kSharedPatternB)) {
            error = "shared value torn: " + std::to_string(static_cast<uint32_t>(shared));
            return false;
        }
    }
    return true;
}

}  // namespace tavrin::test

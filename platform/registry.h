// Keys and 32-bit values below HKEY_CURRENT_USER, with Win32 meaning. On
// Windows this is the registry itself; on POSIX one SQLite database holds the
// same tree: at $TAVRIN_REGISTRY, else $XDG_CONFIG_HOME/Quenor/registry.sqlite3
// (~/.config/Quenor/... when XDG_CONFIG_HOME is unset); TAVRIN_REGISTRY=none
// is a store in memory that starts empty and keeps nothing after the
// process (Windows keeps its registry). Keys exist on their
// own, with or without values. Every write is a transaction of its own, so a
// value is never torn, and several processes may use the store at once.
//
// Paths are relative to the parent key (HKEY_CURRENT_USER when the parent is
// null), with backslashes between components: "Software\\Quenor\\...".
// Names of keys and values compare without regard to ASCII case.
//
// A key or value that cannot be opened or read looks missing, and a write
// that fails returns false; which of them failed because the store itself
// could not be read or written, and why, a RegistryScope tells
// (platform/registry_scope.h). While another process writes, a POSIX writer
// waits for it at most one busy time-out (10 s, TAVRIN_REGISTRY_TIMEOUT_MS in
// milliseconds), inside a scope at most one for the whole scope.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrin::platform {

inline constexpr uint32_t kRegistryTypeBinary = 3;  // REG_BINARY
inline constexpr uint32_t kRegistryTypeDword = 4;   // REG_DWORD

class RegistryKey {
public:
    // Opens an existing key for reading; null when it does not exist.
    static std::unique_ptr<RegistryKey> Open(const RegistryKey* parent, const std::string& path);
    // Creates the key (and every missing key above it) or opens it, with full
    // access; null when that fails.
    static std::unique_ptr<RegistryKey> Create(const RegistryKey* parent, const std::string& path);
    // Whether the key exists (and can be opened for reading).
    static bool Exists(const RegistryKey* parent, const std::string& path);
    // Deletes the key with everything below it. For tests.
    static bool DeleteTree(const RegistryKey* parent, const std::string& path);

    ~RegistryKey();  // closes the key
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Reads a value into a 32-bit field, whatever type it was stored with: a
    // value of up to four bytes replaces as many low-order bytes of the field
    // (little-endian); a missing or longer value leaves the field as it is
    // and returns false.
    bool ReadDword(const std::string& name, int32_t& field) const;
    // Writes a REG_DWORD (four bytes, little-endian; signed values in two's
    // complement). Fails on a key opened for reading.
    bool WriteDword(const std::string& name, uint32_t value);
    // Writes a value of any type and length, as other programs may have.
    bool WriteValue(const std::string& name, uint32_t type, const void* data, size_t size);

    // The names of the key's direct subkeys and of its values, in no
    // particular order.
    std::vector<std::string> SubKeyNames() const;
    std::vector<std::string> ValueNames() const;

private:
    struct Impl;
    explicit RegistryKey(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace tavrin::platform

// Each test starts from an empty settings store: on POSIX a database file of
// its own (TAVRIN_REGISTRY), on Windows the real registry with the settings
// tree removed (the test program runs in a Wine prefix of its own).
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "platform/environment.h"
#include "platform/registry.h"

namespace tavrin::test {

inline constexpr const char* kBaseKey = "Software\\Quenor\\Tavrin860VXRUXSdk";

class FreshStore {
public:
    FreshStore() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        directory_ = std::filesystem::temp_directory_path() /
                     ("tavrin-registry-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        path_ = (directory_ / "registry.sqlite3").string();
        platform::SetEnvironment("TAVRIN_REGISTRY", path_.c_str());
        platform::RegistryKey::DeleteTree(nullptr, kBaseKey);
    }
    ~FreshStore() {
        platform::RegistryKey::DeleteTree(nullptr, kBaseKey);
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    FreshStore(const FreshStore&) = delete;
    FreshStore& operator=(const FreshStore&) = delete;

    const std::string& path() const { return path_; }

private:
    std::filesystem::path directory_;
    std::string path_;
};

// Everything below a key: "sub\\key" -> value name -> value, keys without
// values included, so that a whole tree can be compared at once.
using KeyTree = std::map<std::string, std::map<std::string, int32_t>>;

inline void CollectTree(const platform::RegistryKey& key, const std::string& path, KeyTree& tree) {
    auto& values = tree[path];
    for (const std::string& name : key.ValueNames()) {
        int32_t value = 0;
        key.ReadDword(name, value);
        values[name] = value;
    }
    for (const std::string& name : key.SubKeyNames()) {
        auto sub = platform::RegistryKey::Open(&key, name);
        if (sub)
            CollectTree(*sub, path.empty() ? name : path + "\\" + name, tree);
    }
}

inline KeyTree DumpTree(const std::string& path) {
    KeyTree tree;
    if (auto key = platform::RegistryKey::Open(nullptr, path))
        CollectTree(*key, "", tree);
    return tree;
}

// A value below the settings tree (e.g. "Camera_00\\Gain", "Exposure"); a
// missing one fails the test and reads as 0x5A5A5A5A.
inline int32_t StoredDword(const std::string& relativeKey, const char* name) {
    auto key = platform::RegistryKey::Open(nullptr, std::string(kBaseKey) + "\\" + relativeKey);
    int32_t value = 0x5A5A5A5A;
    if (!key || !key->ReadDword(name, value))
        ADD_FAILURE() << relativeKey << " " << name << " missing";
    return value;
}

}  // namespace tavrin::test

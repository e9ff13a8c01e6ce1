// What every benchmark program does around its measurements: it counts the
// CPU time of the whole process, and it keeps a settings store and shared
// block of its own, so that a run neither reads nor leaves the user's
// settings and never meets another program's cameras.
#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/environment.h"

namespace tavrin::bench {

inline double ProcessCpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// The processor's name as Linux reports it ("model name" in /proc/cpuinfo),
// so that every table says which machine its figures come from; "unknown"
// where there is no such file.
inline std::string CpuModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        const size_t colon = line.find(':');
        if (line.rfind("model name", 0) == 0 && colon != std::string::npos) {
            const size_t start = line.find_first_not_of(" \t", colon + 1);
            return start != std::string::npos ? line.substr(start) : "unknown";
        }
    }
    return "unknown";
}

// Sets TAVRIN_REGISTRY and TAVRIN_SHARED_MEMORY_NAME to names of this run
// (before the library first reads them) and removes the store at the end.
class OwnSettings {
public:
    explicit OwnSettings(const std::string& program) {
        const std::string tag = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
        registry_ = (std::filesystem::temp_directory_path() / (program + "_" + tag + ".sqlite3")).string();
        platform::SetEnvironment("TAVRIN_REGISTRY", registry_.c_str());
        platform::SetEnvironment("TAVRIN_SHARED_MEMORY_NAME", (program + "_" + tag).c_str());
    }
    ~OwnSettings() {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            std::error_code ignored;
            std::filesystem::remove(registry_ + suffix, ignored);
        }
    }
    OwnSettings(const OwnSettings&) = delete;
    OwnSettings& operator=(const OwnSettings&) = delete;

private:
    std::string registry_;
};

}  // namespace tavrin::bench

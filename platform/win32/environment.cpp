#include "platform/environment.h"

#include <windows.h>

#include <cstdlib>

namespace tavrin::platform {

std::optional<std::string> GetEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnvironment(const char* name, const char* value) {
    // The C runtime keeps its own copy of the environment beside the system's.
    _putenv_s(name, value != nullptr ? value : "");
    SetEnvironmentVariableA(name, value);
}

HostDescription DescribeHost() {
    HostDescription host;
    host.system = "Windows";
    // The machine's own architecture, also when the program runs emulated.
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    switch (system.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64: host.architecture = "x86_64"; break;
    case PROCESSOR_ARCHITECTURE_ARM64: host.architecture = "arm64"; break;
    case PROCESSOR_ARCHITECTURE_INTEL: host.architecture = "x86"; break;
    default: host.architecture = "unknown"; break;
    }
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    if (GetComputerNameA(name, &length)) {
        host.name.assign(name, length);
    }
    return host;
}

}  // namespace tavrin::platform

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

}  // namespace tavrin::platform

#include "platform/environment.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>

namespace tavrin::platform {

std::optional<std::string> GetEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnvironment(const char* name, const char* value) {
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

HostDescription DescribeHost() {
    HostDescription host;
    struct utsname names{};
    if (uname(&names) == 0) {
        host.system = std::string(names.sysname) + " " + names.release;
        host.architecture = names.machine;
    }
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0) {
        host.name = name;
    }
    return host;
}

}  // namespace tavrin::platform

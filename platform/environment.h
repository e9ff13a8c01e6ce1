// The process environment, for the switches the library reads
// (TAVRIN_SIM, TAVRIN_REGISTRY, ...) and for tests and tools that set them.
#pragma once

#include <optional>
#include <string>

namespace tavrin::platform {

std::optional<std::string> GetEnvironment(const char* name);

// Sets (or, with null, removes) a variable so that both getenv and the
// system's own environment of this process see it.
void SetEnvironment(const char* name, const char* value);

// What a recording says about the machine it was made on: the operating
// system, the processor architecture and the computer's name ("" when the
// system does not tell).
struct HostDescription {
    std::string system;
    std::string architecture;
    std::string name;
};
HostDescription DescribeHost();

}  // namespace tavrin::platform

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

}  // namespace tavrin::platform

// The calling program's identity.
#pragma once

#include <cstdint>

namespace tavrin::platform {

// What the owner table stores to name the program that streams from a
// camera: the executable's module instance (GetModuleHandleA(NULL)) on
// Windows, the process id on POSIX.
uint64_t ProgramInstance();

// True while the program that ProgramInstance() returned the value for still
// runs (always true on Windows, where module instances are not unique across
// processes and the owner's window tells instead).
bool ProgramAlive(uint64_t instance);

}  // namespace tavrin::platform

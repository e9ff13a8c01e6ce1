// The calling program's identity.
#pragma once

#include <cstdint>

namespace tavrin::platform {

// The executable's module instance (GetModuleHandleA(NULL)) on Windows; the
// process id on POSIX, where it tells whose entry an owner-table slot is.
uint64_t ProgramInstance();

// Whether the program that registered a window still runs: on Windows the
// window must still exist; on POSIX, where a window value means nothing to
// other processes, the process named by instance must still exist.
bool OwnerAlive(uint64_t window, uint64_t instance);

}  // namespace tavrin::platform

#include "platform/module.h"

#include <windows.h>

namespace tavrin::platform {

uint64_t ProgramInstance() { return reinterpret_cast<uint64_t>(GetModuleHandleA(nullptr)); }

bool ProgramAlive(uint64_t) { return true; }

}  // namespace tavrin::platform

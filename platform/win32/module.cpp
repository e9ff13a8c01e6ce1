#include "platform/module.h"

#include <windows.h>

namespace tavrin::platform {

uint64_t ProgramInstance() { return reinterpret_cast<uint64_t>(GetModuleHandleA(nullptr)); }

bool OwnerAlive(uint64_t window, uint64_t) { return IsWindow(reinterpret_cast<HWND>(window)) != FALSE; }

}  // namespace tavrin::platform

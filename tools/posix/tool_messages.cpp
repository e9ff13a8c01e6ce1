#include <cstdlib>

#include "TavrinPosix.h"
#include "tools/tool_messages.h"

namespace tavrin::tool {

HWND CreateToolWindow() { return TavrinPosix_CreateMessageWindow(); }

void DestroyToolWindow(HWND window) { TavrinPosix_DestroyWindow(window); }

bool WaitSdkMessage(HWND, SdkMessage& out, int timeoutMs) {
    TavrinMsg msg{};
    if (!TavrinPosix_GetMessage(nullptr, &msg, timeoutMs)) {
        return false;
    }
    out = SdkMessage{msg.message, msg.wParam, msg.lParam};
    return true;
}

void SetToolEnvironment(const char* name, const char* value) { setenv(name, value, 1); }

}  // namespace tavrin::tool

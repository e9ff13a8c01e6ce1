// What a wait on a Win32 handle means to the platform layer.
#pragma once

#include <windows.h>

#include "platform/sync.h"

namespace tavrin::platform {

inline WaitResult WaitOnHandle(HANDLE handle, uint32_t timeoutMs) {
    switch (WaitForSingleObject(handle, timeoutMs)) {
    case WAIT_OBJECT_0:
        return WaitResult::Signalled;
    case WAIT_TIMEOUT:
        return WaitResult::Timeout;
    default:
        return WaitResult::Failed;
    }
}

}  // namespace tavrin::platform

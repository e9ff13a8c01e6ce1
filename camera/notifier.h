// How the camera object tells its caller what went wrong: the error codes
// it queues, the two window messages, and the notifier that queues a code
// and posts it to the window given at initialization.
#pragma once

#include <atomic>
#include <cstdint>

#include "camera/error_queue.h"
#include "platform/messages.h"

namespace tavrin {

// The public header's SDKERR_* numbers (the exports check that they agree).
enum ErrorCode : int32_t {
    kErrNotReady = 1,
    kErrDevice = 2,
    kErrThread = 3,
    kErrWindow = 4,
    kErrBuffer = 5,
    kErrDeviceIo = 6,
    kErrCaptureWindow = 7,
    kErrFrame = 8,
    kErrParameter = 9,
    kErrUnsupported = 11,
    kErrFile = 12,
    kErrTransfer = 13,
};

// The code's name as the public header spells it ("SDKERR_FRAME"), or null
// for a number that is no error code.
const char* ErrorCodeName(int32_t code);

// The public header's WM_SDK_FRAME and WM_SDK_ERROR.
inline constexpr uint32_t kMessageFrame = 0x8002;
inline constexpr uint32_t kMessageError = 0x8003;

class Notifier {
public:
    void SetWindow(platform::WindowHandle window) { window_.store(window, std::memory_order_relaxed); }
    platform::WindowHandle Window() const { return window_.load(std::memory_order_relaxed); }

    // Queues the code and posts it to the notification window when there is
    // one.
    void Report(int32_t code);
    // Only posts, to the stored window even when it is null (the calling
    // thread's own queue).
    void Notify(int32_t code);
    // The newest queued code, or 0.
    int32_t TakeLastError() { return errors_.Pop(); }

private:
    ErrorQueue errors_;
    std::atomic<platform::WindowHandle> window_{nullptr};
};

}  // namespace tavrin

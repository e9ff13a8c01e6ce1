#include "camera/notifier.h"

namespace tavrin {

const char* ErrorCodeName(int32_t code) {
    switch (code) {
    case kErrNotReady:
        return "SDKERR_NOT_READY";
    case kErrDevice:
        return "SDKERR_DEVICE";
    case kErrThread:
        return "SDKERR_THREAD";
    case kErrWindow:
        return "SDKERR_WINDOW";
    case kErrBuffer:
        return "SDKERR_BUFFER";
    case kErrDeviceIo:
        return "SDKERR_DEVICE_IO";
    case kErrCaptureWindow:
        return "SDKERR_CAPTURE_WINDOW";
    case kErrFrame:
        return "SDKERR_FRAME";
    case kErrParameter:
        return "SDKERR_PARAMETER";
    case kErrUnsupported:
        return "SDKERR_UNSUPPORTED";
    case kErrFile:
        return "SDKERR_FILE";
    case kErrTransfer:
        return "SDKERR_TRANSFER";
    }
    return nullptr;
}

void Notifier::Report(int32_t code) {
    errors_.Push(code);
    const platform::WindowHandle window = Window();
    if (window != nullptr) {
        platform::PostWindowMessage(window, kMessageError, 0, code);
    }
}

void Notifier::Notify(int32_t code) { platform::PostWindowMessage(Window(), kMessageError, 0, code); }

}  // namespace tavrin

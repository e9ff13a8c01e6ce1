// The SDK's error codes by name, as the status bar shows them.
#pragma once

#include "TavrinSdk.h"

namespace tavrin::viewer {

inline const char* ErrorName(int code) {
    switch (code) {
    case 0:
        return "";
    case SDKERR_NOT_READY:
        return "SDKERR_NOT_READY";
    case SDKERR_DEVICE:
        return "SDKERR_DEVICE";
    case SDKERR_THREAD:
        return "SDKERR_THREAD";
    case SDKERR_WINDOW:
        return "SDKERR_WINDOW";
    case SDKERR_BUFFER:
        return "SDKERR_BUFFER";
    case SDKERR_DEVICE_IO:
        return "SDKERR_DEVICE_IO";
    case SDKERR_CAPTURE_WINDOW:
        return "SDKERR_CAPTURE_WINDOW";
    case SDKERR_FRAME:
        return "SDKERR_FRAME";
    case SDKERR_PARAMETER:
        return "SDKERR_PARAMETER";
    case SDKERR_UNSUPPORTED:
        return "SDKERR_UNSUPPORTED";
    case SDKERR_FILE:
        return "SDKERR_FILE";
    case SDKERR_TRANSFER:
        return "SDKERR_TRANSFER";
    default:
        return "unknown error";
    }
}

}  // namespace tavrin::viewer

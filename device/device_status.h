// Status values that the device library returns to the camera object.
// 0 is success; every other value names what went wrong.
#pragma once

namespace tavrin::device {

enum DeviceStatus : int {
    kStatusOk = 0,
    kStatusRefused = 1,         // fewer than 2 ring slots, or an image area the model refuses
    kStatusBadWidth = 3,        // total width or width not positive, or width above total width
    kStatusBadHeight = 4,       // total height or height not positive, or the lines do not fit
    kStatusOutsideFrame = 5,    // region outside the frame
    kStatusOutOfMemory = 7,     // the geometry's buffers could not be allocated
    kStatusNoDevice = 10,       // the device did not open, or there is no device handle
    kStatusCommandFailed = 12,  // a command or reply transfer failed or moved other than 64 bytes
    kStatusNullBuffer = 14,     // a copy-out without destination or source
    kStatusFrameTransfer = 19,  // a frame transfer failed or came short
    kStatusStreaming = 21,      // streaming already runs
    kStatusBadIndex = 22,       // device index outside 0 to 31
    kStatusNoThread = 23,       // the transfer thread or one of its events could not be created
};

}  // namespace tavrin::device

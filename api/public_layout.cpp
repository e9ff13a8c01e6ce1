// Compile-time ties between the camera object's own numbers and records and
// the public header's: the camera layer cannot see the public header, so
// this is where a change on either side stops the build.
#include <cstddef>

#include "TavrinEx.h"
#include "TavrinSdk.h"
#include "camera/CTavrin.h"
#include "records/frame_meta.h"

namespace tavrin {
namespace {

static_assert(kErrNotReady == SDKERR_NOT_READY);
static_assert(kErrDevice == SDKERR_DEVICE);
static_assert(kErrThread == SDKERR_THREAD);
static_assert(kErrWindow == SDKERR_WINDOW);
static_assert(kErrBuffer == SDKERR_BUFFER);
static_assert(kErrDeviceIo == SDKERR_DEVICE_IO);
static_assert(kErrCaptureWindow == SDKERR_CAPTURE_WINDOW);
static_assert(kErrFrame == SDKERR_FRAME);
static_assert(kErrParameter == SDKERR_PARAMETER);
static_assert(kErrUnsupported == SDKERR_UNSUPPORTED);
static_assert(kErrFile == SDKERR_FILE);
static_assert(kErrTransfer == SDKERR_TRANSFER);
static_assert(kMessageFrame == WM_SDK_FRAME);
static_assert(kMessageError == WM_SDK_ERROR);

// The frame messages hand the caller a pointer to the camera's own record.
static_assert(sizeof(FrameInfo) == sizeof(TavrinFrameInfo));
static_assert(offsetof(FrameInfo, size) == offsetof(TavrinFrameInfo, size));
static_assert(offsetof(FrameInfo, width) == offsetof(TavrinFrameInfo, width));
static_assert(offsetof(FrameInfo, height) == offsetof(TavrinFrameInfo, height));
static_assert(offsetof(FrameInfo, bitsPerPixel) == offsetof(TavrinFrameInfo, bitsPerPixel));
static_assert(offsetof(FrameInfo, frameRate) == offsetof(TavrinFrameInfo, frameRate));
static_assert(offsetof(FrameInfo, reserved) == offsetof(TavrinFrameInfo, reserved));
static_assert(offsetof(FrameInfo, buffer) == offsetof(TavrinFrameInfo, buffer));

// TavrinEx_GetFrameMeta copies the camera's record as it stands.
static_assert(sizeof(FrameMeta) == sizeof(TavrinFrameMeta));
static_assert(offsetof(FrameMeta, status) == offsetof(TavrinFrameMeta, status));
static_assert(offsetof(FrameMeta, frameNumber) == offsetof(TavrinFrameMeta, frameNumber));
static_assert(offsetof(FrameMeta, captureTimeNs) == offsetof(TavrinFrameMeta, captureTimeNs));
static_assert(offsetof(FrameMeta, droppedFrames) == offsetof(TavrinFrameMeta, droppedFrames));
static_assert(offsetof(FrameMeta, exposureLines) == offsetof(TavrinFrameMeta, exposureLines));
static_assert(offsetof(FrameMeta, gain) == offsetof(TavrinFrameMeta, gain));

}  // namespace
}  // namespace tavrin

// The preparation that every start runs: check the camera, size the images
// for the colour mode and program the sensor.
#include <mutex>

#include "camera/acquisition_engine.h"
#include "camera/capture_window.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "platform/driver.h"

namespace tavrin {
namespace {

constexpr uint32_t kClockSettleMs = 100;

}  // namespace

// A stored mode outside 0..5 has no images to size: it must never pick a
// buffer, so the preparation fails as an allocation would.
bool AcquisitionEngine::PrepareImages() {
    const int32_t mode = context_.format.colorMode.load(std::memory_order_relaxed);
    std::lock_guard frame(frameLock_);
    TakeBackCallerOutput();
    if (!IsValidColorMode(mode) || !AllocateFrameImages(imageSet_, mode, context_.Width(), context_.Height())) {
        return false;
    }
    preparedMode_ = mode;
    return true;
}

bool AcquisitionEngine::Prepare(bool claimOwner) {
    device::CTavrin860VXRUXSdk& device = *context_.device;
    const int index = device.GetDeviceIndex();
    // Checking and claiming are one step, so that of several programs
    // starting this camera together only one streams.
    if (!device.IsDevicePresent(index) || (claimOwner ? !ClaimOwner(index) : InUse(index))) {
        context_.Report(kErrDevice);
        return false;
    }
    const auto fail = [&](int32_t code) {
        if (claimOwner) {
            ReleaseOwner(index);
        }
        context_.Report(code);
        return false;
    };
    if (!IsCaptureWindowValid(context_.capture, context_.SubSample())) {
        return fail(kErrCaptureWindow);
    }
    if (!PrepareImages()) {
        return fail(kErrBuffer);
    }
    // Frame numbers and the frames given count from each start.
    framesGiven_ = 0;
    snapshotNumber_ = 0;
    device.SetBitDepth(RawBitsOf(preparedMode_) == 16 ? 1 : 0);
    const int32_t clock = context_.format.clock.load(std::memory_order_relaxed);
    uint8_t current = 0;
    device.GetClock(current);
    if (current != static_cast<uint8_t>(clock)) {
        device.SetClock(static_cast<uint32_t>(clock));
        platform::DriverSettle(kClockSettleMs);
        device.ApplyDefaults();
    }
    const CaptureWindow& capture = context_.capture;
    device.SetImageArea(capture.EHS, capture.EVS, capture.EH, capture.EV, static_cast<uint32_t>(context_.SubSample()));
    analog_.ProgramMirrors();
    device.SetTriggerMode(0);
    analog_.ProgramGainAndExposure();
    std::lock_guard frame(frameLock_);
    previewWindow_.PrepareDisplayImage(imageSet_, preparedMode_);
    return true;
}

}  // namespace tavrin

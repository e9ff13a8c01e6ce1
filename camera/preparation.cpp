// The preparation that every start runs: check the camera, size the images
// for the colour mode and program the sensor.
#include "camera/CTavrin.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "platform/time.h"

namespace tavrin {
namespace {

constexpr uint32_t kClockSettleMs = 100;

}  // namespace

bool CTavrin::Prepare(bool claimOwner) {
    const int index = device_->GetDeviceIndex();
    // Checking and claiming are one step, so that of several programs
    // starting this camera together only one streams.
    if (!device_->IsDevicePresent(index) || (claimOwner ? RegisterOwner(index) == 0 : InUse(index))) {
        Report(kErrDevice);
        return false;
    }
    const auto fail = [&](int32_t code) {
        if (claimOwner) {
            ReleaseOwner(index);
        }
        Report(code);
        return false;
    };
    if (!IsCaptureWindowValid(capture_, SubSample())) {
        return fail(kErrCaptureWindow);
    }
    // A stored mode outside 0..5 has no images to size: it must never pick
    // a buffer, so the preparation fails as an allocation would.
    const int32_t mode = format_.colorMode.load(std::memory_order_relaxed);
    {
        std::lock_guard frame(frameLock_);
        if (!IsValidColorMode(mode) || !AllocateFrameImages(imageSet_, mode, Width(), Height())) {
            return fail(kErrBuffer);
        }
        preparedMode_ = mode;
    }
    device_->SetBitDepth(RawBitsOf(mode) == 16 ? 1 : 0);
    uint8_t clock = 0;
    device_->GetClock(clock);
    if (clock != static_cast<uint8_t>(format_.clock.load(std::memory_order_relaxed))) {
        device_->SetClock(static_cast<uint32_t>(format_.clock.load(std::memory_order_relaxed)));
        platform::Sleep(kClockSettleMs);
        device_->ApplyDefaults();
    }
    device_->SetImageArea(capture_.EHS, capture_.EVS, capture_.EH, capture_.EV,
                          static_cast<uint32_t>(SubSample()));
    device_->SetMirrorV(static_cast<uint32_t>(analog_.Get(AnalogRecord::kMirrorV)));
    device_->SetMirrorH(static_cast<uint32_t>(analog_.Get(AnalogRecord::kMirrorH)));
    device_->SetTriggerMode(0);
    device_->SetGain(static_cast<uint32_t>(analog_.Get(AnalogRecord::kGlobalGain)));
    device_->SetExposure(static_cast<uint32_t>(analog_.Get(AnalogRecord::kExposure)));
    realExposure_.Update(analog_.Get(AnalogRecord::kExposure));
    std::lock_guard frame(frameLock_);
    previewWindow_.PrepareDisplayImage(imageSet_, mode);
    return true;
}

}  // namespace tavrin

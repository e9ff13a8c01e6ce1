// The readout region (capture window) and the preview window's placement.
#include "camera/CTavrin.h"
#include "device/device_status.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "settings/registry_store.h"

namespace tavrin {

namespace {

void StoreIfWanted(int* out, const std::atomic<int32_t>& field) {
    if (out != nullptr) {
        *out = field.load(std::memory_order_relaxed);
    }
}

}  // namespace

// Hands out the stored window as it is, valid or not; needs no camera.
int CTavrin::GetCaptureWindowEx(int* th, int* ehs, int* eh, int* tv, int* evs, int* ev) const {
    StoreIfWanted(th, capture_.TH);
    StoreIfWanted(ehs, capture_.EHS);
    StoreIfWanted(eh, capture_.EH);
    StoreIfWanted(tv, capture_.TV);
    StoreIfWanted(evs, capture_.EVS);
    StoreIfWanted(ev, capture_.EV);
    return 1;
}

// Nothing is created here: the preview window takes its parent and
// rectangle when an acquisition creates it.
int CTavrin::SetPreviewWindow(platform::WindowHandle parent, int x, int y, int width, int height) {
    if (!RequireDevice()) {
        return 0;
    }
    preview_.parent.store(parent, std::memory_order_relaxed);
    preview_.SetRectangle(x, y, width, height);
    return 1;
}

// Stores first and validates afterwards: an invalid window stays stored, so
// the next preparation reports it too, until a valid one is set.
int CTavrin::SetCaptureWindowEx(int th, int ehs, int eh, int tv, int evs, int ev) {
    if (!RequireDevice()) {
        return 0;
    }
    capture_.TH.store(th, std::memory_order_relaxed);
    capture_.EHS.store(ehs, std::memory_order_relaxed);
    capture_.EH.store(eh, std::memory_order_relaxed);
    capture_.TV.store(tv, std::memory_order_relaxed);
    capture_.EVS.store(evs, std::memory_order_relaxed);
    capture_.EV.store(ev, std::memory_order_relaxed);
    if (!IsCaptureWindowValid(capture_, SubSample())) {
        Report(kErrCaptureWindow);
        return 0;
    }
    return ApplyImageArea();
}

// One of the readout windows stored in the registry, chosen by its size.
int CTavrin::SetCaptureWindow(int width, int height) {
    if (!RequireDevice()) {
        return 0;
    }
    const auto stored = FindStoredSize(width, height, DeviceIndex());
    if (!stored) {
        Report(kErrWindow);
        return 0;
    }
    capture_.Restore(*stored);
    if (!IsCaptureWindowValid(capture_, SubSample())) {
        Report(kErrCaptureWindow);
        ResetCaptureWindow(capture_);
    }
    return ApplyImageArea();
}

// Programs the stored window into the camera. While an acquisition runs the
// camera keeps its area (a new one would free the buffers the acquisition
// thread reads): the stored window takes effect at the next start. The model
// refuses areas the window rule lets through (narrower than 4 pixels or lower
// than 3 lines).
int CTavrin::ApplyImageArea() {
    std::lock_guard control(controlLock_);
    if (State() != AcquisitionState::Idle) {
        return 1;
    }
    const int status = device_->SetImageArea(capture_.EHS.load(std::memory_order_relaxed),
                                             capture_.EVS.load(std::memory_order_relaxed),
                                             capture_.EH.load(std::memory_order_relaxed),
                                             capture_.EV.load(std::memory_order_relaxed),
                                             static_cast<uint32_t>(SubSample()));
    if (status == device::kStatusOk) {
        return 1;
    }
    Report(status == device::kStatusOutOfMemory ? kErrBuffer : kErrCaptureWindow);
    return 0;
}

}  // namespace tavrin

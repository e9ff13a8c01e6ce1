// The readout region (capture window) and the preview window's placement.
#include "camera/acquisition_engine.h"
#include "camera/capture_window.h"
#include "camera/settings_front_end.h"
#include "device/device_status.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "platform/registry_scope.h"
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
int SettingsFrontEnd::GetCaptureWindowEx(int* th, int* ehs, int* eh, int* tv, int* evs, int* ev) const {
    StoreIfWanted(th, context_.capture.TH);
    StoreIfWanted(ehs, context_.capture.EHS);
    StoreIfWanted(eh, context_.capture.EH);
    StoreIfWanted(tv, context_.capture.TV);
    StoreIfWanted(evs, context_.capture.EVS);
    StoreIfWanted(ev, context_.capture.EV);
    return 1;
}

// Nothing is created here: the preview window takes its parent and
// rectangle when an acquisition creates it.
int SettingsFrontEnd::SetPreviewWindow(platform::WindowHandle parent, int x, int y, int width, int height) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    context_.preview.parent.store(parent, std::memory_order_relaxed);
    context_.preview.SetRectangle(x, y, width, height);
    return 1;
}

// Stores first and validates afterwards: an invalid window stays stored, so
// the next preparation reports it too, until a valid one is set.
int SettingsFrontEnd::SetCaptureWindowEx(int th, int ehs, int eh, int tv, int evs, int ev) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    context_.capture.TH.store(th, std::memory_order_relaxed);
    context_.capture.EHS.store(ehs, std::memory_order_relaxed);
    context_.capture.EH.store(eh, std::memory_order_relaxed);
    context_.capture.TV.store(tv, std::memory_order_relaxed);
    context_.capture.EVS.store(evs, std::memory_order_relaxed);
    context_.capture.EV.store(ev, std::memory_order_relaxed);
    if (!IsCaptureWindowValid(context_.capture, context_.SubSample())) {
        context_.Report(kErrCaptureWindow);
        return 0;
    }
    return ApplyImageArea();
}

// One of the readout windows stored in the registry, chosen by its size.
int SettingsFrontEnd::SetCaptureWindow(int width, int height) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    platform::RegistryScope store;
    const auto stored = FindStoredSize(width, height, context_.DeviceIndex());
    if (!stored) {
        context_.Report(store.Failed() ? kErrFile : kErrWindow);
        return 0;
    }
    context_.capture.Restore(*stored);
    if (!IsCaptureWindowValid(context_.capture, context_.SubSample())) {
        context_.Report(kErrCaptureWindow);
        ResetCaptureWindow(context_.capture);
    }
    return ApplyImageArea();
}

// Programs the stored window into the camera. While an acquisition runs the
// camera keeps its area (a new one would free the buffers the acquisition
// thread reads): the stored window takes effect at the next start. The model
// refuses areas the window rule lets through (narrower than 4 pixels or lower
// than 3 lines).
int SettingsFrontEnd::ApplyImageArea() {
    std::lock_guard control(acquisition_.ControlLock());
    if (acquisition_.State() != AcquisitionState::Idle) {
        return 1;
    }
    const int status = context_.device->SetImageArea(
        context_.capture.EHS.load(std::memory_order_relaxed), context_.capture.EVS.load(std::memory_order_relaxed),
        context_.capture.EH.load(std::memory_order_relaxed), context_.capture.EV.load(std::memory_order_relaxed),
        static_cast<uint32_t>(context_.SubSample()));
    if (status == device::kStatusOk) {
        return 1;
    }
    context_.Report(status == device::kStatusOutOfMemory ? kErrBuffer : kErrCaptureWindow);
    return 0;
}

}  // namespace tavrin

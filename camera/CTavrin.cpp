#include "camera/CTavrin.h"

#include <mutex>
#include <new>

#include "camera/capture_window.h"
#include "camera/text_out.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "platform/codepage.h"
#include "platform/driver.h"
#include "platform/registry_scope.h"
#include "settings/registry_store.h"

namespace tavrin {
namespace {

constexpr uint32_t kVariantSromAddress = 0x1EB0;

}  // namespace

CTavrin::CTavrin() = default;

// Resources go in reverse order of creation: acquisition stops and the
// device closes before the model object goes, and the model object before
// the images.
CTavrin::~CTavrin() {
    if (context_.HasDevice()) {
        // The handle and its error queue go now: a save that failed can
        // only be posted.
        platform::RegistryScope store;
        SaveSettingGroups(context_.DeviceIndex());
        if (store.Failed() && context_.notifier.Window() != nullptr) {
            context_.Notify(kErrFile);
        }
    }
    Close();
    // The close's own exchanges are the recording's last.
    session_.End(session::EndReason::kReleased);
    if (context_.HasDevice()) {
        acquisition_.ReleaseOwner(context_.device->GetDeviceIndex());
    }
    context_.device.reset();
}

int CTavrin::Initialize(platform::WindowHandle notifyWindow) {
    context_.owners = OwnerTable::Open();
    if (!context_.owners) {
        context_.Report(kErrBuffer);  // no window stored yet: queued, not posted
        return 0;
    }
    // Building the model object probes the 32 device paths and brings
    // device 0 to its defaults; it does not keep the camera open.
    try {
        context_.device = std::make_unique<device::CTavrin860VXRUXSdk>();
    } catch (const std::bad_alloc&) {
        context_.device.reset();
    }
    context_.notifier.SetWindow(notifyWindow);
    if (!context_.device) {
        context_.Report(kErrBuffer);
        return 0;
    }
    // A store that cannot be read leaves the settings at their defaults;
    // the caller is told, and nothing is written back unless changed.
    platform::RegistryScope store;
    CaptureWindow& capture = context_.capture;
    LoadSizeSettings(capture, context_.DeviceIndex());
    context_.device->ApplyDefaults();
    if (!IsCaptureWindowValid(capture, context_.SubSample())) {
        context_.Report(kErrCaptureWindow);
        ResetCaptureWindow(capture);
    }
    context_.device->SetImageArea(capture.EHS, capture.EVS, capture.EH, capture.EV,
                                  static_cast<uint32_t>(context_.SubSample()));
    context_.preview.SetRectangle(0, 0, Width(), Height());
    LoadSettingGroups(context_.DeviceIndex());
    analog_.ProgramRecord();
    LoadFormatSettings(context_.format, context_.DeviceIndex());
    if (store.Failed()) {
        context_.Report(kErrFile);
    }
    platform::DriverMarkPath(context_.device->DevicePath().data(), platform::DriverMark::kCameraInitialized);
    return 1;
}

// The three groups that follow the selected camera: image filter, gray and
// analog. A camera without stored groups gets their fallbacks (the analog
// group takes the device's mirror flags).
void CTavrin::LoadSettingGroups(int cameraNumber) {
    LoadFilterSettings(context_.filter, cameraNumber);
    LoadGraySettings(context_.filter, cameraNumber);
    const device::CTavrin860VXRUXSdk& device = *context_.device;
    const AnalogFallback fallback{static_cast<int32_t>(device.GetGainDefault()),
                                  static_cast<int32_t>(device.GetExposureMin()), device.GetMirrorV(),
                                  device.GetMirrorH()};
    LoadAnalogSettings(context_.analog, fallback, cameraNumber);
    std::lock_guard lock(storedGroupsLock_);
    storedGroups_ = {context_.analog.Snapshot(), context_.filter.Snapshot()};
}

int CTavrin::SaveSettings(char* reason, int reasonSize) {
    CopyTextOut("", reason, reasonSize);
    if (!context_.RequireDevice()) {
        return 0;
    }
    platform::RegistryScope store;
    SaveSettingGroups(context_.DeviceIndex());
    if (!store.Failed()) {
        return 1;
    }
    CopyTextOut(store.Problem(), reason, reasonSize);
    context_.Report(kErrFile);
    return 0;
}

void CTavrin::SaveSettingGroups(int cameraNumber) {
    std::lock_guard lock(storedGroupsLock_);
    SaveAnalogSettings(context_.analog, cameraNumber, &storedGroups_.analog);
    SaveFilterSettings(context_.filter, cameraNumber, &storedGroups_.filter);
    SaveGraySettings(context_.filter, cameraNumber, &storedGroups_.filter);
}

int CTavrin::SelectDevice(int index) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    std::lock_guard control(acquisition_.ControlLock());
    // Switching cameras under a running transfer would pull the device out
    // from under the acquisition thread.
    if (acquisition_.State() != AcquisitionState::Idle) {
        context_.Report(kErrNotReady);
        return 0;
    }
    // A store that cannot be read or written is reported; the switch
    // still happens.
    platform::RegistryScope store;
    SaveSettingGroups(context_.DeviceIndex());
    device::CTavrin860VXRUXSdk& device = *context_.device;
    if (index < 0 || index >= device::CTavrin860VXRUXSdk::GetDeviceCount() || !device.IsDevicePresent(index) ||
        device.SelectCamera(index) != 0) {
        if (store.Failed()) {
            context_.Report(kErrFile);
        }
        context_.Report(kErrDevice);
        return 0;
    }
    LoadSettingGroups(index);
    if (store.Failed()) {
        context_.Report(kErrFile);
    }
    analog_.ProgramRecord();
    uint8_t variant = 0;
    if (device.ReadSromByte(kVariantSromAddress, variant) && (variant == 1 || variant == 2)) {
        device.SetVariant(variant - 1u);
    }
    context_.deviceIndex.store(index, std::memory_order_relaxed);
    return 1;
}

int CTavrin::LoadConfigFile(const char* fileName) {
    return ::tavrin::LoadConfigFile(fileName, settingsLock_, configList_);
}

int CTavrin::LoadConfigFileW(const char16_t* fileName) {
    const auto ansiName = platform::Utf16ToAnsi(fileName);
    if (!ansiName) {
        context_.Report(kErrFile);
        return 0;
    }
    return LoadConfigFile(ansiName->c_str());
}

}  // namespace tavrin

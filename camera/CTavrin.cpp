#include "camera/CTavrin.h"

#include <new>

#include "device/tavrin_860vx_rux_sdk.h"
#include "platform/codepage.h"
#include "platform/module.h"
#include "settings/registry_store.h"

namespace tavrin {
namespace {

constexpr uint32_t kVariantSromAddress = 0x1EB0;

}  // namespace

CTavrin::CTavrin()
    : imageSet_{&images_[0], &images_[1], &images_[2], &images_[3],
                &images_[4], &images_[5], &images_[6], &images_[7]} {}

// Resources go in reverse order of creation: acquisition stops and the
// device closes before the model object goes, and the model object before
// the images.
CTavrin::~CTavrin() {
    if (HasDevice()) {
        SaveSettingGroups(DeviceIndex());
    }
    Close();
    if (HasDevice()) {
        ReleaseOwner(device_->GetDeviceIndex());
    }
    device_.reset();
}

int CTavrin::Initialize(platform::WindowHandle notifyWindow) {
    owners_ = OwnerTable::Open();
    if (!owners_) {
        Report(kErrBuffer);  // no window stored yet: queued, not posted
        return 0;
    }
    // Building the model object probes the 32 device paths and brings
    // device 0 to its defaults; it does not keep the camera open.
    try {
        device_ = std::make_unique<device::CTavrin860VXRUXSdk>();
    } catch (const std::bad_alloc&) {
        device_.reset();
    }
    notifyWindow_.store(notifyWindow, std::memory_order_relaxed);
    if (!device_) {
        Report(kErrBuffer);
        return 0;
    }
    LoadSizeSettings(capture_, DeviceIndex());
    device_->ApplyDefaults();
    if (!IsCaptureWindowValid(capture_, SubSample())) {
        Report(kErrCaptureWindow);
        ResetCaptureWindow(capture_);
    }
    device_->SetImageArea(capture_.EHS, capture_.EVS, capture_.EH, capture_.EV, static_cast<uint32_t>(SubSample()));
    preview_.SetRectangle(0, 0, Width(), Height());
    LoadSettingGroups(DeviceIndex());
    ProgramAnalogSettings();
    LoadFormatSettings(format_, DeviceIndex());
    return 1;
}

// The three groups that follow the selected camera: image filter, gray and
// analog. A camera without stored groups gets their fallbacks (the analog
// group takes the device's mirror flags).
void CTavrin::LoadSettingGroups(int cameraNumber) {
    LoadFilterSettings(filter_, cameraNumber);
    LoadGraySettings(filter_, cameraNumber);
    const AnalogFallback fallback{static_cast<int32_t>(device_->GetGainDefault()),
                                  static_cast<int32_t>(device_->GetExposureMin()), device_->GetMirrorV(),
                                  device_->GetMirrorH()};
    LoadAnalogSettings(analog_, fallback, cameraNumber);
}

void CTavrin::SaveSettingGroups(int cameraNumber) {
    SaveAnalogSettings(analog_, cameraNumber);
    SaveFilterSettings(filter_, cameraNumber);
    SaveGraySettings(filter_, cameraNumber);
}

// Gain, exposure and the mirror flags of the analog record into the device.
void CTavrin::ProgramAnalogSettings() {
    device_->SetGain(static_cast<uint32_t>(analog_.Get(AnalogRecord::kGlobalGain)));
    device_->SetExposure(static_cast<uint32_t>(analog_.Get(AnalogRecord::kExposure)));
    device_->SetMirrorV(static_cast<uint32_t>(analog_.Get(AnalogRecord::kMirrorV)));
    device_->SetMirrorH(static_cast<uint32_t>(analog_.Get(AnalogRecord::kMirrorH)));
}

int CTavrin::SelectDevice(int index) {
    if (!RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    // Switching cameras under a running transfer would pull the device out
    // from under the acquisition thread.
    if (State() != AcquisitionState::Idle) {
        Report(kErrNotReady);
        return 0;
    }
    SaveSettingGroups(DeviceIndex());
    if (index < 0 || index >= device::CTavrin860VXRUXSdk::GetDeviceCount() || !device_->IsDevicePresent(index) ||
        device_->SelectCamera(index) != 0) {
        Report(kErrDevice);
        return 0;
    }
    LoadSettingGroups(index);
    ProgramAnalogSettings();
    uint8_t variant = 0;
    if (device_->ReadSromByte(kVariantSromAddress, variant) && (variant == 1 || variant == 2)) {
        device_->SetVariant(variant - 1u);
    }
    deviceIndex_.store(index, std::memory_order_relaxed);
    return 1;
}

// Stops acquisition, removes the preview window and closes the grab handle;
// the object stays usable and the next start opens the device again.
int CTavrin::Close() {
    // One step for other threads' starts: the stream is stopped and the
    // window goes before another start can open either again.
    std::lock_guard control(controlLock_);
    StopPreview();
    previewWindow_.Close();
    imageValid_.store(0, std::memory_order_release);
    if (HasDevice()) {
        device_->CloseGrab();
    }
    return 1;
}

int CTavrin::LoadConfigFile(const char* fileName) {
    return ::tavrin::LoadConfigFile(fileName, settingsLock_, configList_);
}

int CTavrin::LoadConfigFileW(const char16_t* fileName) {
    const auto ansiName = platform::Utf16ToAnsi(fileName);
    if (!ansiName) {
        Report(kErrFile);
        return 0;
    }
    return LoadConfigFile(ansiName->c_str());
}

void CTavrin::Report(int32_t code) {
    errors_.Push(code);
    platform::WindowHandle window = notifyWindow_.load(std::memory_order_relaxed);
    if (window != nullptr) {
        platform::PostWindowMessage(window, kMessageError, 0, code);
    }
}

void CTavrin::Notify(int32_t code) {
    platform::PostWindowMessage(notifyWindow_.load(std::memory_order_relaxed), kMessageError, 0, code);
}

bool CTavrin::RequireDevice() {
    if (!HasDevice()) {
        Report(kErrNotReady);
        return false;
    }
    return true;
}

int CTavrin::RegisterOwner(int index) {
    if (owners_) {
        return owners_->Claim(index, reinterpret_cast<uint64_t>(notifyWindow_.load(std::memory_order_relaxed))) ? 1 : 0;
    }
    return 1;
}

int CTavrin::ReleaseOwner(int index) {
    if (owners_) {
        owners_->Release(index, reinterpret_cast<uint64_t>(notifyWindow_.load(std::memory_order_relaxed)));
    }
    return 1;
}

bool CTavrin::InUse(int index) const { return owners_ && owners_->InUse(index); }

int CTavrin::Unsupported() {
    Notify(kErrUnsupported);
    return 0;
}

int CTavrin::UnsupportedFilter() {
    Report(kErrUnsupported);
    return -1;
}

int CTavrin::UnsupportedQuery(int* value) {
    if (value != nullptr) {
        *value = 0;
    }
    return 0;
}

}  // namespace tavrin

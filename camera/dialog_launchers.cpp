// The three built-in dialogs as the camera object opens them: what each
// launcher saves and restores around the modal dialog, and how the
// acquisition thread reaches an open dialog.
#include <array>

#include "camera/CTavrin.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "dialogs/analog_dialog.h"
#include "dialogs/camera_dialog.h"
#include "dialogs/control_ids.h"
#include "dialogs/image_dialog.h"
#include "dialogs/modal_view.h"
#include "dialogs/open_dialog_slot.h"
#include "settings/registry_store.h"

namespace tavrin {
namespace {

using dialogs::Language;

Language DialogLanguage() { return dialogs::UseJapanese() ? Language::Japanese : Language::English; }
bool Japanese(Language language) { return language == Language::Japanese; }

// The analog gain dialog's view of the camera.
class AnalogDeviceOfCamera final : public dialogs::AnalogDevice {
public:
    AnalogDeviceOfCamera(device::CTavrin860VXRUXSdk& model, const RealExposureCache& timing)
        : model_(model), timing_(timing) {}

    int32_t MaximumGain() const override { return static_cast<int32_t>(model_.GetGainMax()); }
    int32_t DefaultGain() const override { return static_cast<int32_t>(model_.GetGainDefault()); }
    int32_t MinimumExposure() const override { return static_cast<int32_t>(model_.GetExposureMin()); }
    int32_t MaximumExposure() const override { return static_cast<int32_t>(model_.GetExposureMax()); }
    void SetGain(int32_t gain) override { model_.SetGain(static_cast<uint32_t>(gain)); }
    void SetExposure(int32_t lines) override { model_.SetExposure(static_cast<uint32_t>(lines)); }
    void SetMirrorV(bool on) override { model_.SetMirrorV(on ? 1 : 0); }
    void SetMirrorH(bool on) override { model_.SetMirrorH(on ? 1 : 0); }
    dialogs::ExposureTiming Timing() const override {
        return {timing_.lineLengthClocks.load(std::memory_order_relaxed),
                timing_.lineOffsetClocks.load(std::memory_order_relaxed),
                timing_.clockPeriodMs.load(std::memory_order_relaxed)};
    }

private:
    device::CTavrin860VXRUXSdk& model_;
    const RealExposureCache& timing_;
};

// Runs a modal dialog whose slot other threads may reach while it is open.
template <typename Dialog>
int RunRegistered(dialogs::OpenDialogSlot<Dialog>& slot, Dialog& dialog, int templateId,
                  platform::WindowHandle parent) {
    dialogs::CrossThreadWork work{[&slot](std::function<void()> wake) { slot.SetWake(std::move(wake)); },
                                  [&slot] { slot.RunPending(); }};
    const int result = dialogs::RunModalDialog(templateId, parent, dialog, &work);
    slot.Close(dialog);
    return result;
}

}  // namespace

int CTavrin::SetCameraDlg(platform::WindowHandle parent) {
    if (!RequireDevice()) return 0;
    const Language language = DialogLanguage();
    const int camera = device_->GetDeviceIndex();
    dialogs::CameraDialog dialog(camera, language);
    // A second camera dialog while one is open cannot be created: nothing
    // was paused, so nothing needs resuming.
    if (!dialogs::CameraDialogSlot().Open(dialog)) return 1;

    const AcquisitionState running = State();
    if (running == AcquisitionState::Streaming || running == AcquisitionState::Capture) {
        StopPreview();
    } else if (running == AcquisitionState::Trigger) {
        runFlag_.store(kPause, std::memory_order_release);
    }
    const int result = dialogs::RunModalDialog(dialogs::templates::kCamera.For(Japanese(language)), parent, dialog,
                                               nullptr);
    dialogs::CameraDialogSlot().Close(dialog);
    if (result == 1) {
        LoadSizeSettings(capture_, camera);
        LoadFormatSettings(format_, camera);
    }
    if (running == AcquisitionState::Streaming) {
        StartPreview();
    } else if (running == AcquisitionState::Capture) {
        Capture();
    } else if (running == AcquisitionState::Trigger) {
        runFlag_.store(kRun, std::memory_order_release);
    }
    return 1;
}

int CTavrin::SetAnalogDlg(platform::WindowHandle parent) {
    if (!RequireDevice()) return 0;
    const Language language = DialogLanguage();
    AnalogDeviceOfCamera camera(*device_, realExposure_);
    dialogs::AnalogDialog dialog(analog_, camera, language);
    if (!dialogs::AnalogDialogSlot().Open(dialog)) return 1;

    analog_.Set(AnalogRecord::kGlobalGain, static_cast<int32_t>(device_->GetGain()));
    for (auto field : {AnalogRecord::kColorGainG1, AnalogRecord::kColorGainR, AnalogRecord::kColorGainB,
                       AnalogRecord::kColorGainG2}) {
        analog_.Set(field, 0);
    }
    analog_.Set(AnalogRecord::kExposure, static_cast<int32_t>(device_->GetExposure()));
    const AnalogRecord::Values before = analog_.Snapshot();

    const int result = RunRegistered(dialogs::AnalogDialogSlot(), dialog,
                                     dialogs::templates::kAnalogFrame.For(Japanese(language)), parent);
    if (result != 1) {
        camera.SetGain(before[AnalogRecord::kGlobalGain]);
        camera.SetExposure(before[AnalogRecord::kExposure]);
        camera.SetMirrorV(before[AnalogRecord::kMirrorV] != 0);
        camera.SetMirrorH(before[AnalogRecord::kMirrorH] != 0);
        analog_.Restore(before);
    }
    return 1;
}

int CTavrin::SetImageDlg(platform::WindowHandle parent) {
    if (!RequireDevice()) return 0;
    const Language language = DialogLanguage();
    dialogs::ImageDialog dialog(filter_, format_.colorMode.load(std::memory_order_relaxed), language);
    if (!dialogs::ImageDialogSlot().Open(dialog)) return 1;

    const auto before = filter_.Snapshot();
    const int result = RunRegistered(dialogs::ImageDialogSlot(), dialog,
                                     dialogs::templates::kImageFrame.For(Japanese(language)), parent);
    if (result != 1) filter_.Restore(before);
    return 1;
}

// Acquisition thread, with no lock held: the automatic exposure control's
// choice goes into the analog page as if typed, and the image pages show
// what an automatic pass wrote. A stopping stream stops waiting.
void CTavrin::TellOpenDialogs() {
    DialogNotices notices = dialogNotices_;
    dialogNotices_ = {};
    auto stopping = [this] { return runFlag_.load(std::memory_order_acquire) != kRun; };
    if (notices.gain >= 0 || notices.exposure >= 0) {
        dialogs::AnalogDialogSlot().Run(
            [this, notices](dialogs::AnalogDialog& dialog) {
                if (&dialog.Record() != &analog_) return;  // another camera's dialog
                if (notices.gain >= 0) dialog.Page().ShowGain(notices.gain);
                if (notices.exposure >= 0) dialog.Page().ShowExposure(notices.exposure);
            },
            stopping);
    }
    if (notices.imagePass) {
        dialogs::ImageDialogSlot().Run(
            [this](dialogs::ImageDialog& dialog) {
                if (&dialog.Record() == &filter_) dialog.Refresh();
            },
            stopping);
    }
}

}  // namespace tavrin

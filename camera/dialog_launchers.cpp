#include "camera/dialog_launchers.h"

#include "camera/CTavrin.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "dialogs/analog_dialog.h"
#include "dialogs/camera_dialog.h"
#include "dialogs/control_ids.h"
#include "dialogs/image_dialog.h"
#include "dialogs/modal_view.h"
#include "dialogs/open_dialog_slot.h"
#include "platform/registry_scope.h"
#include "settings/registry_store.h"

namespace tavrin {
namespace {

using dialogs::Language;

Language DialogLanguage() { return dialogs::UseJapanese() ? Language::Japanese : Language::English; }
bool Japanese(Language language) { return language == Language::Japanese; }

// The analog gain dialog's view of the camera. Gain and exposure go to the
// camera only, through analog control: the dialog keeps the analog record
// itself, as typed.
class AnalogDeviceOfCamera final : public dialogs::AnalogDevice {
public:
    AnalogDeviceOfCamera(const device::CTavrin860VXRUXSdk& model, AnalogControl& analog,
                         const RealExposureCache& timing)
        : model_(model), analog_(analog), timing_(timing) {}

    int32_t MaximumGain() const override { return static_cast<int32_t>(model_.GetGainMax()); }
    int32_t DefaultGain() const override { return static_cast<int32_t>(model_.GetGainDefault()); }
    int32_t MinimumExposure() const override { return static_cast<int32_t>(model_.GetExposureMin()); }
    int32_t MaximumExposure() const override { return static_cast<int32_t>(model_.GetExposureMax()); }
    void SetGain(int32_t gain) override { analog_.ProgramGain(gain); }
    void SetExposure(int32_t lines) override { analog_.ProgramExposure(lines); }
    void SetMirrorV(bool on) override { analog_.SetMirrorV(on); }
    void SetMirrorH(bool on) override { analog_.SetMirrorH(on); }
    dialogs::ExposureTiming Timing() const override {
        return {timing_.lineLengthClocks.load(std::memory_order_relaxed),
                timing_.lineOffsetClocks.load(std::memory_order_relaxed),
                timing_.clockPeriodMs.load(std::memory_order_relaxed)};
    }

private:
    const device::CTavrin860VXRUXSdk& model_;
    AnalogControl& analog_;
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

std::string DialogProblem() { return dialogs::ScreenDialogProblem(); }

int SetCameraDlg(CTavrin& camera, platform::WindowHandle parent) {
    CameraContext& context = camera.Context();
    AcquisitionEngine& acquisition = camera.Acquisition();
    if (!context.RequireDevice())
        return 0;
    const Language language = DialogLanguage();
    const int number = context.device->GetDeviceIndex();
    dialogs::CameraDialog dialog(number, language);
    // A second camera dialog while one is open cannot be created: nothing
    // was paused, so nothing needs resuming.
    if (!dialogs::CameraDialogSlot().Open(dialog))
        return 1;

    const AcquisitionState running = acquisition.State();
    if (running == AcquisitionState::Streaming || running == AcquisitionState::Capture) {
        acquisition.StopPreview();
    } else if (running == AcquisitionState::Trigger) {
        acquisition.PauseTrigger(true);
    }
    const int result =
        dialogs::RunModalDialog(dialogs::templates::kCamera.For(Japanese(language)), parent, dialog, nullptr);
    dialogs::CameraDialogSlot().Close(dialog);
    platform::RegistryScope store;
    if (result == 1) {
        LoadSizeSettings(context.capture, number);
        LoadFormatSettings(context.format, number);
    }
    if (dialog.StoreFailed() || store.Failed()) {
        context.Report(kErrFile);
    }
    if (running == AcquisitionState::Streaming) {
        acquisition.StartPreview();
    } else if (running == AcquisitionState::Capture) {
        acquisition.Capture();
    } else if (running == AcquisitionState::Trigger) {
        acquisition.PauseTrigger(false);
    }
    return 1;
}

int SetAnalogDlg(CTavrin& camera, platform::WindowHandle parent) {
    CameraContext& context = camera.Context();
    if (!context.RequireDevice())
        return 0;
    const Language language = DialogLanguage();
    AnalogDeviceOfCamera device(*context.device, camera.Analog(), context.realExposure);
    AnalogRecord& analog = context.analog;
    dialogs::AnalogDialog dialog(analog, device, language);
    if (!dialogs::AnalogDialogSlot().Open(dialog))
        return 1;

    analog.Set(AnalogRecord::kGlobalGain, static_cast<int32_t>(context.device->GetGain()));
    for (auto field : {AnalogRecord::kColorGainG1, AnalogRecord::kColorGainR, AnalogRecord::kColorGainB,
                       AnalogRecord::kColorGainG2}) {
        analog.Set(field, 0);
    }
    analog.Set(AnalogRecord::kExposure, static_cast<int32_t>(context.device->GetExposure()));
    const AnalogRecord::Values before = analog.Snapshot();

    const int result = RunRegistered(dialogs::AnalogDialogSlot(), dialog,
                                     dialogs::templates::kAnalogFrame.For(Japanese(language)), parent);
    if (result != 1) {
        device.SetGain(before[AnalogRecord::kGlobalGain]);
        device.SetExposure(before[AnalogRecord::kExposure]);
        device.SetMirrorV(before[AnalogRecord::kMirrorV] != 0);
        device.SetMirrorH(before[AnalogRecord::kMirrorH] != 0);
        analog.Restore(before);
    }
    return 1;
}

int SetImageDlg(CTavrin& camera, platform::WindowHandle parent) {
    CameraContext& context = camera.Context();
    if (!context.RequireDevice())
        return 0;
    const Language language = DialogLanguage();
    dialogs::ImageDialog dialog(context.filter, context.format.colorMode.load(std::memory_order_relaxed), language);
    if (!dialogs::ImageDialogSlot().Open(dialog))
        return 1;

    const auto before = context.filter.Snapshot();
    const int result = RunRegistered(dialogs::ImageDialogSlot(), dialog,
                                     dialogs::templates::kImageFrame.For(Japanese(language)), parent);
    if (result != 1)
        context.filter.Restore(before);
    return 1;
}

void TellOpenDialogs(const CameraContext& context, const AnalogChange& change, bool imagePass,
                     const std::function<bool()>& stopping) {
    if (change.kind != AnalogChange::Kind::None) {
        dialogs::AnalogDialogSlot().Run(
            [&context, change](dialogs::AnalogDialog& dialog) {
                if (&dialog.Record() != &context.analog)
                    return;  // another camera's dialog
                if (change.kind == AnalogChange::Kind::Gain)
                    dialog.Page().ShowGain(change.value);
                if (change.kind == AnalogChange::Kind::Exposure)
                    dialog.Page().ShowExposure(change.value);
            },
            stopping);
    }
    if (imagePass) {
        dialogs::ImageDialogSlot().Run(
            [&context](dialogs::ImageDialog& dialog) {
                if (&dialog.Record() == &context.filter)
                    dialog.Refresh();
            },
            stopping);
    }
}

}  // namespace tavrin

// What the parts of one camera object share: the model object, the settings
// records, the notifier and the view of the machine-wide owner table. The
// camera object owns it and hands each part a reference.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "camera/analog_settings.h"
#include "camera/capture_settings.h"
#include "camera/notifier.h"
#include "camera/owner_table.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "records/filter_record.h"
#include "records/settings_records.h"

namespace tavrin {

struct CameraContext {
    std::unique_ptr<OwnerTable> owners;
    // Built by initialization; null before, or when building it failed.
    std::unique_ptr<device::CTavrin860VXRUXSdk> device;
    Notifier notifier;

    // The settings records. The caller's threads and the dialogs write
    // them; the acquisition thread reads them at the next frame.
    FilterRecord filter;
    AnalogRecord analog;
    CaptureWindow capture;
    FormatSettings format;
    PreviewPlacement preview;
    RealExposureCache realExposure;
    std::atomic<int32_t> deviceIndex{0};  // the camera number the settings groups belong to

    void Report(int32_t code) { notifier.Report(code); }
    void Notify(int32_t code) { notifier.Notify(code); }

    bool HasDevice() const { return device != nullptr; }
    // False, after reporting "not ready", when there is no model object.
    bool RequireDevice() {
        if (HasDevice()) {
            return true;
        }
        Report(kErrNotReady);
        return false;
    }

    int32_t Width() const { return capture.EH.load(std::memory_order_relaxed); }
    int32_t Height() const { return capture.EV.load(std::memory_order_relaxed); }
    int32_t SubSample() const { return format.subSample.load(std::memory_order_relaxed); }
    int32_t DeviceIndex() const { return deviceIndex.load(std::memory_order_relaxed); }
};

}  // namespace tavrin

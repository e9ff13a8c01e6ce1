// Analog values: exposure in time units, the mirror flags and the automatic
// exposure mode.
#include "camera/analog_settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "camera/settings_front_end.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "records/settings_catalogue.h"

namespace tavrin {

namespace {

void SetErrorOut(int* error, int value) {
    if (error != nullptr) {
        *error = value;
    }
}

}  // namespace

int64_t ExposureLinesForMicroseconds(int32_t microseconds) {
    return static_cast<int64_t>(std::floor(microseconds / 1000.0 / model::kLineTimeMs));
}

// The stored exposure may come from the registry unchecked, so the time is
// limited to what an int can carry.
int32_t MicrosecondsForExposureLines(int32_t lines) {
    const double time =
        std::floor((lines * model::kLineLengthClocks + model::kLineOffsetClocks) * model::kClockPeriodMs * 1000.0);
    const double limited = std::clamp(time, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                      static_cast<double>(std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(limited);
}

int32_t RealExposureCache::Update(int32_t lines) {
    lineLengthClocks.store(model::kLineLengthClocks, std::memory_order_relaxed);
    lineOffsetClocks.store(model::kLineOffsetClocks, std::memory_order_relaxed);
    clockPeriodMs.store(model::kClockPeriodMs, std::memory_order_relaxed);
    exposureLines.store(lines, std::memory_order_relaxed);
    const int32_t time = MicrosecondsForExposureLines(lines);
    microseconds.store(time, std::memory_order_relaxed);
    return time;
}

// 0 off, 1 automatic exposure, 2 automatic gain; the acquisition loop reads
// the mode for every frame. It needs no camera, and a bad mode is only
// posted.
int SettingsFrontEnd::SetAutoIris(int mode) {
    constexpr const catalogue::SettingEntry& kAutoIris = catalogue::Named("auto-iris");
    if (!catalogue::Accepts(kAutoIris, mode)) {
        context_.Notify(kErrParameter);
        return 0;
    }
    context_.analog.Set(AnalogRecord::kAutoIris, mode);
    return 1;
}

int SettingsFrontEnd::GetAutoIris(int* error) const {
    if (error != nullptr) {
        *error = 1;
    }
    return context_.analog.Get(AnalogRecord::kAutoIris);
}

// Exposure in time units. The stored exposure is what the next preparation
// programs, so it is stored even when the camera cannot be told at once.
int SettingsFrontEnd::SetRealExposureTime(int microseconds) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    const int64_t lines = ExposureLinesForMicroseconds(microseconds);
    using Model = device::CTavrin860VXRUXSdk;
    if (lines < Model::GetExposureMin() || lines > Model::GetExposureMax()) {
        context_.Report(kErrParameter);
        return 0;
    }
    context_.realExposure.Update(static_cast<int32_t>(lines));
    return analog_.SetExposureLines(static_cast<int32_t>(lines));
}

int SettingsFrontEnd::GetRealExposureTime(int* error) {
    SetErrorOut(error, 0);
    if (!context_.RequireDevice()) {
        return 0;
    }
    SetErrorOut(error, 1);
    return context_.realExposure.Update(context_.analog.Get(AnalogRecord::kExposure));
}

// The device library only keeps the mirror flags; the per-frame processing
// mirrors in software.
int SettingsFrontEnd::SetMirrorH(int flag) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    analog_.SetMirrorH(flag != 0);
    return 1;
}

int SettingsFrontEnd::GetMirrorH() {
    if (!context_.RequireDevice()) {
        return 0;
    }
    return context_.analog.Get(AnalogRecord::kMirrorH);
}

// The vertical pair only posts its "not ready".
int SettingsFrontEnd::SetMirrorV(int flag) {
    if (!context_.HasDevice()) {
        context_.Notify(kErrNotReady);
        return 0;
    }
    analog_.SetMirrorV(flag != 0);
    return 1;
}

int SettingsFrontEnd::GetMirrorV() {
    if (!context_.HasDevice()) {
        context_.Notify(kErrNotReady);
        return 0;
    }
    return context_.analog.Get(AnalogRecord::kMirrorV);
}

}  // namespace tavrin

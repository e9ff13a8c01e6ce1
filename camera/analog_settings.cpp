// Analog values: exposure in time units, the mirror flags and the automatic
// exposure mode.
#include "camera/analog_settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "camera/CTavrin.h"
#include "device/tavrin_860vx_rux_sdk.h"

namespace tavrin {

namespace {

void SetErrorOut(int* error, int value) {
    if (error != nullptr) {
        *error = value;
    }
}

}  // namespace

int64_t ExposureLinesForMicroseconds(int32_t microseconds) {
    return static_cast<int64_t>(std::floor(microseconds / 1000.0 / kLineTimeMs));
}

// The stored exposure may come from the registry unchecked, so the time is
// limited to what an int can carry.
int32_t MicrosecondsForExposureLines(int32_t lines) {
    const double time = std::floor((lines * kLineLengthClocks + kLineOffsetClocks) * kClockPeriodMs * 1000.0);
    const double limited = std::clamp(time, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                      static_cast<double>(std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(limited);
}

int32_t RealExposureCache::Update(int32_t lines) {
    lineLengthClocks.store(kLineLengthClocks, std::memory_order_relaxed);
    lineOffsetClocks.store(kLineOffsetClocks, std::memory_order_relaxed);
    clockPeriodMs.store(kClockPeriodMs, std::memory_order_relaxed);
    exposureLines.store(lines, std::memory_order_relaxed);
    const int32_t time = MicrosecondsForExposureLines(lines);
    microseconds.store(time, std::memory_order_relaxed);
    return time;
}

// 0 off, 1 automatic exposure, 2 automatic gain; the acquisition loop reads
// the mode for every frame. It needs no camera, and a bad mode is only
// posted.
int CTavrin::SetAutoIris(int mode) {
    if (mode < 0 || mode > 2) {
        Notify(kErrParameter);
        return 0;
    }
    analog_.Set(AnalogRecord::kAutoIris, mode);
    return 1;
}

int CTavrin::GetAutoIris(int* error) const {
    if (error != nullptr) {
        *error = 1;
    }
    return analog_.Get(AnalogRecord::kAutoIris);
}

// Exposure in time units. The stored exposure is what the next preparation
// programs, so it is stored even when the camera cannot be told at once.
int CTavrin::SetRealExposureTime(int microseconds) {
    if (!RequireDevice()) {
        return 0;
    }
    const int64_t lines = ExposureLinesForMicroseconds(microseconds);
    using Model = device::CTavrin860VXRUXSdk;
    if (lines < Model::GetExposureMin() || lines > Model::GetExposureMax()) {
        Report(kErrParameter);
        return 0;
    }
    analog_.Set(AnalogRecord::kExposure, static_cast<int32_t>(lines));
    realExposure_.Update(static_cast<int32_t>(lines));
    return ProgramExposure(static_cast<int32_t>(lines));
}

int CTavrin::GetRealExposureTime(int* error) {
    SetErrorOut(error, 0);
    if (!RequireDevice()) {
        return 0;
    }
    SetErrorOut(error, 1);
    return realExposure_.Update(analog_.Get(AnalogRecord::kExposure));
}

// The device library only keeps the mirror flags; the per-frame processing
// mirrors in software.
int CTavrin::SetMirrorH(int flag) {
    if (!RequireDevice()) {
        return 0;
    }
    const uint32_t on = flag != 0 ? 1 : 0;
    device_->SetMirrorH(on);
    analog_.Set(AnalogRecord::kMirrorH, static_cast<int32_t>(on));
    return 1;
}

int CTavrin::GetMirrorH() {
    if (!RequireDevice()) {
        return 0;
    }
    return analog_.Get(AnalogRecord::kMirrorH);
}

// The vertical pair only posts its "not ready".
int CTavrin::SetMirrorV(int flag) {
    if (!HasDevice()) {
        Notify(kErrNotReady);
        return 0;
    }
    const uint32_t on = flag != 0 ? 1 : 0;
    device_->SetMirrorV(on);
    analog_.Set(AnalogRecord::kMirrorV, static_cast<int32_t>(on));
    return 1;
}

int CTavrin::GetMirrorV() {
    if (!HasDevice()) {
        Notify(kErrNotReady);
        return 0;
    }
    return analog_.Get(AnalogRecord::kMirrorV);
}

// Gain and exposure reach the sensor at once. A failed transfer is reported;
// the stored value stays for the next preparation.
int CTavrin::ProgramGain(int32_t gain) {
    if (!device_->SetGain(static_cast<uint32_t>(gain))) {
        Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

int CTavrin::ProgramExposure(int32_t lines) {
    if (!device_->SetExposure(static_cast<uint32_t>(lines))) {
        Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

}  // namespace tavrin

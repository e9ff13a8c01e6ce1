// What the analog gain dialog needs from the camera: the model's limits and
// defaults, the settings it programs at once, and the timing its exposure
// label is computed from. The camera object implements it.
#pragma once

#include <cstdint>

namespace tavrin::dialogs {

// The camera's line timing in clocks and its clock period in milliseconds;
// zero lengths and a period of 1.0 until an acquisition has filled them.
struct ExposureTiming {
    double lineLengthClocks = 0.0;
    double lineOffsetClocks = 0.0;
    double clockPeriodMs = 1.0;
};

class AnalogDevice {
public:
    virtual ~AnalogDevice() = default;
    virtual int32_t MaximumGain() const = 0;
    virtual int32_t DefaultGain() const = 0;
    virtual int32_t MinimumExposure() const = 0;
    virtual int32_t MaximumExposure() const = 0;
    virtual void SetGain(int32_t gain) = 0;
    virtual void SetExposure(int32_t lines) = 0;  // the device caps it at its maximum
    virtual void SetMirrorV(bool on) = 0;
    virtual void SetMirrorH(bool on) = 0;
    virtual ExposureTiming Timing() const = 0;
};

}  // namespace tavrin::dialogs

// Analog control: the one place that writes gain, exposure and the mirror
// flags to the camera, keeping the analog record in step. The settings
// front-end, the acquisition preparation, automatic exposure and the
// lifecycle all go through it.
#pragma once

#include <cstdint>

#include "camera/camera_context.h"

namespace tavrin {

// A gain or exposure that automatic exposure chose for the camera, to be
// programmed once the frame lock is released (programming takes two
// command exchanges with their pauses).
struct AnalogChange {
    enum class Kind { None, Gain, Exposure };
    Kind kind = Kind::None;
    int32_t value = 0;
};

class AnalogControl {
public:
    explicit AnalogControl(CameraContext& context) : context_(context) {}

    // Stores the global gain (this model's only gain: it also stands for the
    // four colour gains) and programs it; a transfer the camera did not take
    // reports 6 and returns 0, the stored value staying for the next start.
    int SetGlobalGain(int32_t gain);
    // Stores the exposure in lines and programs it, as SetGlobalGain.
    int SetExposureLines(int32_t lines);
    void SetMirrorH(bool on);
    void SetMirrorV(bool on);
    // Gain or exposure into the camera alone, for the analog gain dialog,
    // which keeps the record itself as the user types it.
    void ProgramGain(int32_t gain);
    void ProgramExposure(int32_t lines);

    // What the sensor was last told.
    int32_t Gain() const;
    int32_t ExposureLines() const;

    // The whole analog record into the camera: gain, exposure, mirrors (at
    // initialization and after a camera switch).
    void ProgramRecord();
    // The two halves of a start's programming, between which the start
    // switches trigger mode off: the mirrors, then gain and exposure (which
    // also fills the real exposure cache).
    void ProgramMirrors();
    void ProgramGainAndExposure();

    // Automatic exposure: from the regions' correction factor, the new gain
    // (mode 2) or exposure (otherwise), stored in the record at once and
    // returned for Apply. Nothing when the factor is too small to act on.
    AnalogChange PlanAutoIris(int32_t irisMode, int32_t factor);
    void Apply(const AnalogChange& change);

private:
    void StoreGlobalGain(int32_t gain);

    CameraContext& context_;
};

}  // namespace tavrin

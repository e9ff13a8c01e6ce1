#include "camera/analog_control.h"

#include "camera/auto_iris.h"

namespace tavrin {

void AnalogControl::StoreGlobalGain(int32_t gain) {
    for (auto field : {AnalogRecord::kGlobalGain, AnalogRecord::kColorGainG1, AnalogRecord::kColorGainR,
                       AnalogRecord::kColorGainB, AnalogRecord::kColorGainG2}) {
        context_.analog.Set(field, gain);
    }
}

int AnalogControl::SetGlobalGain(int32_t gain) {
    StoreGlobalGain(gain);
    if (!context_.device->SetGain(static_cast<uint32_t>(gain))) {
        context_.Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

int AnalogControl::SetExposureLines(int32_t lines) {
    context_.analog.Set(AnalogRecord::kExposure, lines);
    if (!context_.device->SetExposure(static_cast<uint32_t>(lines))) {
        context_.Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

void AnalogControl::SetMirrorH(bool on) {
    context_.device->SetMirrorH(on ? 1 : 0);
    context_.analog.Set(AnalogRecord::kMirrorH, on ? 1 : 0);
}

void AnalogControl::SetMirrorV(bool on) {
    context_.device->SetMirrorV(on ? 1 : 0);
    context_.analog.Set(AnalogRecord::kMirrorV, on ? 1 : 0);
}

void AnalogControl::ProgramGain(int32_t gain) { context_.device->SetGain(static_cast<uint32_t>(gain)); }

void AnalogControl::ProgramExposure(int32_t lines) { context_.device->SetExposure(static_cast<uint32_t>(lines)); }

int32_t AnalogControl::Gain() const { return static_cast<int32_t>(context_.device->GetGain()); }

int32_t AnalogControl::ExposureLines() const { return static_cast<int32_t>(context_.device->GetExposure()); }

void AnalogControl::ProgramRecord() {
    const AnalogRecord& analog = context_.analog;
    context_.device->SetGain(static_cast<uint32_t>(analog.Get(AnalogRecord::kGlobalGain)));
    context_.device->SetExposure(static_cast<uint32_t>(analog.Get(AnalogRecord::kExposure)));
    ProgramMirrors();
}

void AnalogControl::ProgramMirrors() {
    context_.device->SetMirrorV(static_cast<uint32_t>(context_.analog.Get(AnalogRecord::kMirrorV)));
    context_.device->SetMirrorH(static_cast<uint32_t>(context_.analog.Get(AnalogRecord::kMirrorH)));
}

void AnalogControl::ProgramGainAndExposure() {
    const int32_t lines = context_.analog.Get(AnalogRecord::kExposure);
    context_.device->SetGain(static_cast<uint32_t>(context_.analog.Get(AnalogRecord::kGlobalGain)));
    context_.device->SetExposure(static_cast<uint32_t>(lines));
    context_.realExposure.Update(lines);
}

AnalogChange AnalogControl::PlanAutoIris(int32_t irisMode, int32_t factor) {
    if (AutoIrisSettled(factor)) {
        return {};
    }
    if (irisMode == 2) {
        const int32_t gain = AutoIrisGain(Gain(), factor);
        StoreGlobalGain(gain);
        return {AnalogChange::Kind::Gain, gain};
    }
    const int32_t lines = AutoIrisExposure(ExposureLines(), factor);
    context_.analog.Set(AnalogRecord::kExposure, lines);
    return {AnalogChange::Kind::Exposure, lines};
}

// Automatic exposure does not report: the next frame measures again.
void AnalogControl::Apply(const AnalogChange& change) {
    switch (change.kind) {
    case AnalogChange::Kind::Gain:
        context_.device->SetGain(static_cast<uint32_t>(change.value));
        break;
    case AnalogChange::Kind::Exposure:
        context_.device->SetExposure(static_cast<uint32_t>(change.value));
        break;
    case AnalogChange::Kind::None:
        break;
    }
}

}  // namespace tavrin

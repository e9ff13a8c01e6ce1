// The one place that decides whether an acquisition operation may run in
// the camera object's current state.
#pragma once

#include <cstdint>

namespace tavrin {

enum class AcquisitionState : int32_t { Idle = 0, Streaming = 1, Capture = 2, Trigger = 3 };

enum class StartOperation { StartPreview, Capture, SnapShot, Trigger };

enum class Admission {
    Proceed,         // do the operation's work for this state
    AlreadyRunning,  // nothing to do: succeed at once
    Refused,         // report "not ready" and fail
};

// Preview, CallBackPreview and Record go through StartPreview, so its row
// decides for them as well; StopPreview, GetImage and Close run in any state.
Admission Admit(StartOperation operation, AcquisitionState state);

}  // namespace tavrin

// The camera object's session recording: everything the camera says to its
// driver and hears back, from TavrinEx_StartSessionRecording until it is
// stopped or the handle is released, written by a tap at the driver port.
// The header holds what the driver port cannot see: the camera's identity
// and serial ROM, the SDK version, the settings in effect and the host.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "camera/camera_context.h"
#include "session/session_recorder.h"

namespace tavrin {

class SettingsFrontEnd;

class SessionRecording {
public:
    SessionRecording(CameraContext& context, SettingsFrontEnd& settings) : context_(context), settings_(settings) {}
    ~SessionRecording() { End(session::EndReason::kReleased); }
    SessionRecording(const SessionRecording&) = delete;
    SessionRecording& operator=(const SessionRecording&) = delete;

    // 1, or 0 after reporting: SDKERR_PARAMETER for a null or empty path,
    // SDKERR_NOT_READY without a model object or while a recording runs,
    // SDKERR_FILE when the file cannot be made.
    int Start(const char* path, bool compressFrames, uint32_t sdkVersion);
    // 1, or 0 after reporting: SDKERR_NOT_READY when none runs, SDKERR_FILE
    // when the recording had ended by a write error (a full disk) or its
    // end could not be written.
    int Stop();
    // Ends a running recording (the handle is going); nothing reported.
    void End(session::EndReason reason);

    // 1 while a recording runs, else 0; reason receives why the last one
    // ended ("" when none ran), cut to fit.
    int State(char* reason, int reasonSize);

private:
    session::HeaderRecord Header(uint32_t sdkVersion);
    std::string SettingsText();

    CameraContext& context_;
    SettingsFrontEnd& settings_;
    std::mutex mutex_;
    std::shared_ptr<session::SessionRecorder> recorder_;
    std::string lastEnd_;
    bool compressionMissing_ = false;  // asked for, and this build has no zstd
};

}  // namespace tavrin

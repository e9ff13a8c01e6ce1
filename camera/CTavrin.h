// The camera object behind one handle: a façade that owns the camera's
// shared context (model object, settings records, notifier, owner table)
// and its three parts, and runs the lifecycle that involves all of them.
// The exports reach the parts through it.
#pragma once

#include <cstdint>
#include <mutex>

#include "camera/acquisition_engine.h"
#include "camera/analog_control.h"
#include "camera/camera_context.h"
#include "camera/session_recording.h"
#include "camera/settings_front_end.h"
#include "platform/messages.h"
#include "platform/sync.h"
#include "settings/config_file.h"

namespace tavrin {

class CTavrin {
public:
    CTavrin();
    ~CTavrin();
    CTavrin(const CTavrin&) = delete;
    CTavrin& operator=(const CTavrin&) = delete;

    // Maps the owner table, builds the model object (which probes the
    // device paths) and restores the settings; does not open the camera.
    int Initialize(platform::WindowHandle notifyWindow);
    // Saves the settings groups under the current camera number, switches,
    // loads those of the new one and programs them.
    int SelectDevice(int index);
    // Saves now what Release would save; 0 with 12 queued, and the store's
    // reason in `reason` (cut to fit), when the store cannot be written.
    int SaveSettings(char* reason, int reasonSize);
    int Close() { return acquisition_.Close(); }

    // The register configuration file: replaces the list under the settings
    // lock; 1 when the file was read, 0 (list kept, nothing reported) when
    // not. The wide form reports 12 when the name has no ANSI form.
    int LoadConfigFile(const char* fileName);
    int LoadConfigFileW(const char16_t* fileName);

    int32_t TakeLastError() { return context_.notifier.TakeLastError(); }
    int Width() const { return context_.Width(); }
    int Height() const { return context_.Height(); }

    SettingsFrontEnd& Settings() { return settings_; }
    AcquisitionEngine& Acquisition() { return acquisition_; }
    AnalogControl& Analog() { return analog_; }
    CameraContext& Context() { return context_; }
    SessionRecording& Session() { return session_; }

private:
    void LoadSettingGroups(int cameraNumber);
    void SaveSettingGroups(int cameraNumber);

    // What the settings store held for the analog, filter and gray groups
    // when they were last read or written: a save writes only what this
    // object changed since, so that it never undoes what other programs
    // stored meanwhile.
    struct StoredGroups {
        AnalogRecord::Values analog{};
        FilterRecord::Values filter{};
    };

    CameraContext context_;
    AnalogControl analog_{context_};
    AcquisitionEngine acquisition_{context_, analog_};
    SettingsFrontEnd settings_{context_, analog_, acquisition_};
    std::mutex storedGroupsLock_;
    StoredGroups storedGroups_;  // guarded by storedGroupsLock_
    SessionRecording session_{context_, settings_};
    platform::CriticalSection settingsLock_;
    RegisterConfigList configList_;  // guarded by settingsLock_; nothing sends it to the camera
};

}  // namespace tavrin

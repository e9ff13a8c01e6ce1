// The viewer's side of one camera: a thread of its own owns the message
// window that the SDK posts frames and errors to, reads the newest picture
// on every frame message, and runs every call that may wait on the camera
// (start, stop, record, settings, readout region). The interface asks for
// work and reads results; it never waits on the camera.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "TavrinPosix.h"
#include "viewer/frame_view.h"

namespace tavrin::viewer {

// The outcome of the last snapshot or recording, for the status bar.
enum class NoticeKind { Empty, Saved, Recorded, Failed, NeedsLive };

struct CameraEntry {
    int slot = 0;
    std::string name;
    bool operator==(const CameraEntry&) const = default;
};

// A stored readout window of the camera's size table, offered as a preset.
struct RegionPreset {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const RegionPreset&) const = default;
};

// What the interface shows besides the picture.
struct SessionState {
    bool haveHandle = false;
    int slot = -1;
    std::string cameraName;
    std::vector<CameraEntry> cameras;
    bool simulator = false;
    bool streaming = false;
    bool unplugged = false;
    bool triggerMode = false;
    bool recording = false;
    int lastError = 0;
    int colourMode = 0;
    int exposureUs = 0;
    int sensorWidth = 656;
    int sensorHeight = 494;
    std::array<int, 4> region{0, 0, 656, 494};  // first column, first line, width, height
    std::vector<RegionPreset> presets;          // the size table, in its order
    NoticeKind noticeKind = NoticeKind::Empty;
    std::string notice;  // the file it concerns
    int noticeSerial = 0;
    std::vector<int> settingValues;  // by catalogue index; kUnreadable when it cannot be read
    int settingsSerial = 0;
    uint64_t framesSinceStart = 0;  // camera frames per second come from these two
    double cameraRate = 0;
};

inline constexpr int kUnreadable = -2147483647 - 1;

class CameraSession {
public:
    using Notify = std::function<void()>;
    // frameReady and stateChanged are called on the camera thread, at most
    // once until the interface has taken what they announce.
    CameraSession(int slot, Notify frameReady, Notify stateChanged);
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    // Starts the camera thread and waits until it has made the camera
    // handle (this does not touch the camera). False without a handle.
    bool Open();
    // Stops the acquisition (finishing a recording), releases the handle
    // and ends the thread.
    void Close();
    int Handle() const { return camera_; }

    // Requests; each returns at once.
    void SetSetting(const std::string& name, int value);
    void ApplyDefaults();
    void RefreshSettings();
    void Snapshot(const std::string& path, int format);
    void ToggleRecording(const std::string& path);
    void SetTriggerMode(bool on);
    void SoftwareTrigger();
    void SetRegion(int firstColumn, int firstLine, int width, int height);
    void SelectCamera(int slot);
    void Restart();  // after a dialog that may have changed the format
    void SimulatePresence(bool present);

    SessionState CopyState();
    // Swaps the newest picture into *front when one came since the last
    // call; the camera thread never touches the front view.
    bool TakeNewestView(FrameView*& front);

private:
    void Loop();
    void Post(std::function<void()> work);
    void RunRequests();
    void HandleMessage(const TavrinMsg& message, bool& frame);
    void DeliverFrame();
    void StartStream();
    void StopStream();
    void Poll();
    std::vector<CameraEntry> ScanCameras();
    void ReadSettings();
    void ReadSizeTable();
    void NoteError(int code);
    void Notice(NoticeKind kind, const std::string& file);
    void Changed();
    template <typename Edit>
    void EditState(Edit edit) {
        {
            std::lock_guard lock(stateMutex_);
            edit(state_);
        }
        Changed();
    }

    int requestedSlot_;
    Notify frameReady_;
    Notify stateChanged_;
    std::thread thread_;
    std::atomic<bool> quit_{false};
    HWND window_ = nullptr;
    int camera_ = 0;

    std::mutex requestMutex_;
    std::deque<std::function<void()>> requests_;
    std::map<std::string, int> pendingSettings_;  // slider moves coalesce here

    std::mutex stateMutex_;
    SessionState state_;
    std::atomic<bool> statePosted_{false};

    // The picture ring: the camera thread fills back_, publishes it as
    // ready_, the interface swaps ready_ for front_.
    std::array<FrameView, 3> views_;
    FrameView* back_ = &views_[0];
    FrameView* ready_ = &views_[1];
    FrameView* front_ = &views_[2];
    bool readyFresh_ = false;
    std::mutex viewMutex_;
    std::atomic<bool> framePosted_{false};

    // Camera-thread state.
    int slot_ = -1;
    bool streaming_ = false;
    bool trigger_ = false;
    bool recording_ = false;
    bool unplugged_ = false;
    std::string recordingPath_;
    int bitsPerPixel_ = 24;
    uint64_t rateFrames_ = 0;
    uint64_t rateStartNs_ = 0;
    std::chrono::steady_clock::time_point nextPoll_{};
    std::chrono::steady_clock::time_point lastFrame_{};
};

}  // namespace tavrin::viewer

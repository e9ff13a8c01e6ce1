#include "viewer/camera_session.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>

#include "TavrinEx.h"
#include "TavrinSim.h"

namespace tavrin::viewer {
namespace {

// Posted to the camera thread's own window to wake it for a request.
constexpr unsigned int kWakeMessage = 0x8400;
// A recording runs until it is stopped; the SDK wants a duration, so it
// gets a day.
constexpr int kRecordingMilliseconds = 24 * 60 * 60 * 1000;
constexpr int kDeviceSlots = 10;
constexpr int kNameBytes = 256;
// Transfer failures stop the SDK's stream (WM_SDK_FRAME with this lParam).
constexpr int kTransferFailed = SDKERR_TRANSFER;

// The SDK rewrites the frame record every frame, field by field; a field is read whole.
int32_t ReadField(const int32_t& field) {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(field)).load(std::memory_order_relaxed);
}

// Camera names end in their slot number plus one: "Tavrin860VX-RUX_01" is slot 0.
int SlotOfName(const char* name) {
    const char* underscore = std::strrchr(name, '_');
    if (!underscore || underscore[1] == '\0') {
        return -1;
    }
    char* end = nullptr;
    const long number = std::strtol(underscore + 1, &end, 10);
    return *end == '\0' && number >= 1 && number <= 32 ? static_cast<int>(number - 1) : -1;
}

}  // namespace

CameraSession::CameraSession(int slot, Notify frameReady, Notify stateChanged)
    : requestedSlot_(slot), frameReady_(std::move(frameReady)), stateChanged_(std::move(stateChanged)) {}

CameraSession::~CameraSession() { Close(); }

bool CameraSession::Open() {
    std::promise<bool> opened;
    auto result = opened.get_future();
    thread_ = std::thread([this, &opened] {
        window_ = TavrinPosix_CreateMessageWindow();
        camera_ = window_ ? Tavrin_Initialize(window_) : 0;
        // Known before Open returns: the window builds its menus from it.
        if (camera_ != 0) {
            std::lock_guard lock(stateMutex_);
            state_.haveHandle = true;
            state_.simulator = TavrinSim_IsActive() != 0;
        }
        opened.set_value(camera_ != 0);
        if (camera_ != 0) {
            Loop();
        }
        if (camera_ != 0) {
            Tavrin_StopPreview(camera_);  // finishes a recording's file
            Tavrin_Release(camera_);
        }
        if (window_) {
            TavrinPosix_DestroyWindow(window_);
        }
    });
    if (!result.get()) {
        thread_.join();
        return false;
    }
    return true;
}

void CameraSession::Close() {
    if (!thread_.joinable()) {
        return;
    }
    quit_.store(true);
    TavrinPosix_PostMessage(window_, kWakeMessage, 0, 0);
    thread_.join();
}

// ---- Requests from the interface ------------------------------------------

void CameraSession::Post(std::function<void()> work) {
    {
        std::lock_guard lock(requestMutex_);
        requests_.push_back(std::move(work));
    }
    TavrinPosix_PostMessage(window_, kWakeMessage, 0, 0);
}

void CameraSession::SetSetting(const std::string& name, int value) {
    {
        std::lock_guard lock(requestMutex_);
        pendingSettings_[name] = value;
    }
    TavrinPosix_PostMessage(window_, kWakeMessage, 0, 0);
}

void CameraSession::ApplyDefaults() {
    Post([this] {
        TavrinSettingInfo info{};
        bool restart = false;
        for (int i = 0; i < TavrinEx_GetSettingCount(); ++i) {
            info.size = sizeof info;
            if (!TavrinEx_DescribeSetting(i, &info)) {
                continue;
            }
            int current = 0;
            if (TavrinEx_GetSetting(camera_, info.name, &current) && current == info.defaultValue) {
                continue;
            }
            // exposure-us is the same value as exposure-lines in another unit.
            if (std::strcmp(info.name, "exposure-us") == 0) {
                continue;
            }
            TavrinEx_SetSetting(camera_, info.name, info.defaultValue);
            restart |= (info.flags & TAVRIN_SETTING_APPLIES_AT_START) != 0;
        }
        if (restart && streaming_) {
            StopStream();
            StartStream();
        }
        ReadSettings();
    });
}

void CameraSession::RefreshSettings() {
    Post([this] { ReadSettings(); });
}

void CameraSession::Snapshot(const std::string& path, int format) {
    Post([this, path, format] {
        if (Tavrin_SaveImage(camera_, path.c_str(), format)) {
            Notice(NoticeKind::Saved, path);
        } else {
            Notice(NoticeKind::Failed, path);
        }
    });
}

void CameraSession::ToggleRecording(const std::string& path) {
    Post([this, path] {
        if (recording_) {
            // Stopping the stream ends the recording and finishes its file;
            // the live view goes on with a fresh stream.
            StopStream();
            StartStream();
            return;
        }
        if (!streaming_ || trigger_) {
            Notice(NoticeKind::NeedsLive, "");
            return;
        }
        if (!Tavrin_Record(camera_, path.c_str(), kRecordingMilliseconds, 0)) {
            Notice(NoticeKind::Failed, path);
            return;
        }
        // Record takes the frame messages over; the running stream gives
        // them back to this window, and the recording goes on.
        Tavrin_CallBackPreview(camera_, window_, nullptr, 0, 1);
        recording_ = true;
        recordingPath_ = path;
        EditState([&](SessionState& s) { s.recording = true; });
    });
}

void CameraSession::SetTriggerMode(bool on) {
    Post([this, on] {
        if (on == trigger_) {
            return;
        }
        StopStream();
        trigger_ = on;
        StartStream();
    });
}

void CameraSession::SoftwareTrigger() {
    Post([this] {
        if (trigger_ && streaming_) {
            TavrinEx_SoftwareTrigger(camera_);
        }
    });
}

void CameraSession::SetRegion(int firstColumn, int firstLine, int width, int height) {
    Post([=, this] {
        int totalWidth = 656;
        int totalHeight = 494;
        Tavrin_GetCaptureWindowEx(camera_, &totalWidth, nullptr, nullptr, &totalHeight, nullptr, nullptr);
        const bool wasStreaming = streaming_;
        StopStream();
        if (!Tavrin_SetCaptureWindowEx(camera_, totalWidth, firstColumn, width, totalHeight, firstLine, height)) {
            // A stored window the sensor cannot read: the region stays.
            NoteError(Tavrin_GetLastError(camera_));
            Notice(NoticeKind::Failed, std::to_string(width) + " x " + std::to_string(height) + " (" +
                                           std::to_string(firstColumn) + ", " + std::to_string(firstLine) + ")");
        }
        if (wasStreaming || unplugged_) {
            StartStream();
        } else {
            ReadSettings();
        }
    });
}

void CameraSession::SelectCamera(int slot) {
    Post([this, slot] {
        if (slot == slot_ && (streaming_ || unplugged_)) {
            return;
        }
        StopStream();
        if (Tavrin_SetDeviceNumber(camera_, slot)) {
            slot_ = slot;
        }
        unplugged_ = false;
        StartStream();
    });
}

void CameraSession::Restart() {
    Post([this] {
        StopStream();
        StartStream();
    });
}

void CameraSession::SimulatePresence(bool present) {
    Post([this, present] { TavrinSim_SetPresent(slot_ < 0 ? 0 : slot_, present ? 1 : 0); });
}

SessionState CameraSession::CopyState() {
    statePosted_.store(false);
    std::lock_guard lock(stateMutex_);
    return state_;
}

bool CameraSession::TakeNewestView(FrameView*& front) {
    framePosted_.store(false);
    std::lock_guard lock(viewMutex_);
    if (!readyFresh_) {
        front = front_;
        return false;
    }
    std::swap(front_, ready_);
    readyFresh_ = false;
    front = front_;
    return true;
}

// ---- The camera thread -------------------------------------------------------

void CameraSession::Loop() {
    const auto cameras = ScanCameras();
    slot_ = requestedSlot_ >= 0 ? requestedSlot_ : (cameras.empty() ? 0 : cameras.front().slot);
    if (!Tavrin_SetDeviceNumber(camera_, slot_)) {
        unplugged_ = true;  // watched for by Poll
    }
    ReadSettings();
    if (!unplugged_) {
        StartStream();
    }
    nextPoll_ = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!quit_.load()) {
        TavrinMsg message{};
        bool frame = false;
        if (TavrinPosix_GetMessage(window_, &message, 250)) {
            // Every message waiting is handled; of several frame messages
            // only one picture is read, the newest.
            do {
                HandleMessage(message, frame);
            } while (TavrinPosix_PeekMessage(window_, &message));
        }
        if (frame && streaming_) {
            DeliverFrame();
        }
        RunRequests();
        if (std::chrono::steady_clock::now() >= nextPoll_) {
            Poll();
            nextPoll_ = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        }
    }
    StopStream();
}

void CameraSession::RunRequests() {
    for (;;) {
        std::function<void()> work;
        std::map<std::string, int> settings;
        {
            std::lock_guard lock(requestMutex_);
            settings.swap(pendingSettings_);
            if (!requests_.empty()) {
                work = std::move(requests_.front());
                requests_.pop_front();
            }
        }
        if (!settings.empty()) {
            bool restart = false;
            bool refused = false;
            TavrinSettingInfo info{};
            for (const auto& [name, value] : settings) {
                refused |= TavrinEx_SetSetting(camera_, name.c_str(), value) == 0;
                for (int i = 0; i < TavrinEx_GetSettingCount(); ++i) {
                    info.size = sizeof info;
                    if (TavrinEx_DescribeSetting(i, &info) && name == info.name) {
                        restart |= (info.flags & TAVRIN_SETTING_APPLIES_AT_START) != 0;
                    }
                }
            }
            if (restart && streaming_) {
                StopStream();
                StartStream();
            }
            int exposureUs = 0;
            TavrinEx_GetSetting(camera_, "exposure-us", &exposureUs);
            EditState([&](SessionState& s) { s.exposureUs = exposureUs; });
            // A refused value, or one that moves another (exposure in lines
            // and in microseconds), shows as the camera has it.
            if (refused || settings.contains("exposure-us") || settings.contains("exposure-lines") || restart) {
                ReadSettings();
            }
        }
        if (!work) {
            return;
        }
        work();
    }
}

void CameraSession::HandleMessage(const TavrinMsg& message, bool& frame) {
    if (message.message == WM_SDK_FRAME && message.wParam != 0) {
        const auto* info = reinterpret_cast<const TavrinFrameInfo*>(message.wParam);
        bitsPerPixel_ = ReadField(info->bitsPerPixel);
        frame = true;
    } else if (message.message == WM_SDK_FRAME || message.message == WM_SDK_ERROR) {
        const int code = static_cast<int>(message.lParam);
        NoteError(code);
        if (code == kTransferFailed && message.message == WM_SDK_FRAME) {
            // The stream has stopped: the camera went away or failed. Poll
            // looks for it and starts again when it is back.
            StopStream();
            unplugged_ = true;
            EditState([](SessionState& s) { s.unplugged = true; });
            nextPoll_ = std::chrono::steady_clock::now();
        }
    }
}

void CameraSession::DeliverFrame() {
    const int width = Tavrin_Width(camera_);
    const int height = Tavrin_Height(camera_);
    back_->Shape(width, height, bitsPerPixel_);
    if (back_->image.empty() ||
        !Tavrin_GetImage(camera_, back_->image.data(), static_cast<int>(back_->ImageBytes()), 1)) {
        return;
    }
    back_->meta = TavrinFrameMeta{};
    back_->meta.size = sizeof(TavrinFrameMeta);
    back_->hasMeta = TavrinEx_GetFrameMeta(camera_, &back_->meta) != 0;
    RenderView(*back_);
    lastFrame_ = std::chrono::steady_clock::now();
    if (back_->hasMeta) {
        // The camera's own rate: frames it sent (given or dropped) over time.
        const uint64_t now = back_->meta.captureTimeNs;
        if (rateStartNs_ == 0 || back_->meta.frameNumber < rateFrames_) {
            rateStartNs_ = now;
            rateFrames_ = back_->meta.frameNumber;
        } else if (now - rateStartNs_ >= 1000000000ull) {
            const double rate = static_cast<double>(back_->meta.frameNumber - rateFrames_) * 1e9 /
                                static_cast<double>(now - rateStartNs_);
            rateStartNs_ = now;
            rateFrames_ = back_->meta.frameNumber;
            EditState([&](SessionState& s) { s.cameraRate = rate; });
        }
    }
    {
        std::lock_guard lock(viewMutex_);
        std::swap(back_, ready_);
        readyFresh_ = true;
    }
    if (!framePosted_.exchange(true)) {
        frameReady_();
    }
}

void CameraSession::StartStream() {
    // No window of the SDK's own: the viewer draws the pictures itself.
    Tavrin_SetPreviewWindow(camera_, nullptr, 0, 0, 0, 0);
    const int started = trigger_ ? Tavrin_Trigger(camera_, window_, nullptr, 0, 1)
                                 : Tavrin_CallBackPreview(camera_, window_, nullptr, 0, 1);
    streaming_ = started != 0;
    rateStartNs_ = 0;
    lastFrame_ = std::chrono::steady_clock::now();
    if (!streaming_) {
        // A camera that is not there is waited for.
        bool present = false;
        for (const auto& camera : ScanCameras()) {
            present |= camera.slot == slot_;
        }
        unplugged_ = !present;
    } else {
        unplugged_ = false;
    }
    ReadSettings();
    EditState([&](SessionState& s) {
        s.streaming = streaming_;
        s.unplugged = unplugged_;
        s.triggerMode = trigger_;
        s.cameraRate = 0;
    });
}

void CameraSession::StopStream() {
    Tavrin_StopPreview(camera_);
    streaming_ = false;
    if (recording_) {
        recording_ = false;
        Notice(NoticeKind::Recorded, recordingPath_);
    }
    EditState([](SessionState& s) {
        s.streaming = false;
        s.recording = false;
    });
}

// Once a second: the camera list (scanned only while no acquisition runs,
// since a scan moves the device library between slots), a camera that came
// back, and the exposure time for the status bar.
void CameraSession::Poll() {
    // A live stream that has gone quiet (its camera may have gone without
    // the stream failing) is started afresh; a start that finds no camera
    // marks it unplugged, and it is waited for.
    if (streaming_ && !trigger_) {
        int waitTime = 0;
        TavrinEx_GetSetting(camera_, "wait-time", &waitTime);
        const auto quiet = std::chrono::seconds(3) + std::chrono::milliseconds(std::max(waitTime, 0));
        if (std::chrono::steady_clock::now() - lastFrame_ > quiet) {
            StopStream();
            StartStream();
        }
    }
    const auto cameras = ScanCameras();
    if (unplugged_) {
        for (const auto& camera : cameras) {
            if (camera.slot == slot_) {
                Tavrin_SetDeviceNumber(camera_, slot_);
                StartStream();
                break;
            }
        }
    }
    int exposureUs = 0;
    TavrinEx_GetSetting(camera_, "exposure-us", &exposureUs);
    EditState([&](SessionState& s) { s.exposureUs = exposureUs; });
    ReadSizeTable();  // the camera dialog, or another program, may have changed it
}

std::vector<CameraEntry> CameraSession::ScanCameras() {
    std::vector<char> names(static_cast<size_t>(kDeviceSlots) * kNameBytes, '\0');
    const int found = Tavrin_EnumDevice(camera_, names.data());
    std::vector<CameraEntry> cameras;
    for (int i = 0; i < found && i < kDeviceSlots; ++i) {
        const char* name = names.data() + static_cast<size_t>(i) * kNameBytes;
        const int slot = SlotOfName(name);
        if (slot >= 0) {
            cameras.push_back({slot, name});
        }
    }
    std::string current;
    for (const auto& camera : cameras) {
        if (camera.slot == slot_) {
            current = camera.name;
        }
    }
    bool changed = false;
    {
        std::lock_guard lock(stateMutex_);
        changed =
            state_.cameras != cameras || state_.slot != slot_ || (!current.empty() && state_.cameraName != current);
        state_.cameras = cameras;
        state_.slot = slot_;
        if (!current.empty()) {
            state_.cameraName = current;
        }
    }
    if (changed) {
        Changed();
    }
    return cameras;
}

void CameraSession::ReadSettings() {
    const int count = TavrinEx_GetSettingCount();
    std::vector<int> values(static_cast<size_t>(count > 0 ? count : 0), kUnreadable);
    TavrinSettingInfo info{};
    for (int i = 0; i < count; ++i) {
        info.size = sizeof info;
        int value = 0;
        if (TavrinEx_DescribeSetting(i, &info) && TavrinEx_GetSetting(camera_, info.name, &value)) {
            values[static_cast<size_t>(i)] = value;
        }
    }
    int colourMode = 0;
    int exposureUs = 0;
    TavrinEx_GetSetting(camera_, "color-mode", &colourMode);
    TavrinEx_GetSetting(camera_, "exposure-us", &exposureUs);
    std::array<int, 4> region{};
    Tavrin_GetCaptureWindowEx(camera_, nullptr, &region[0], &region[2], nullptr, &region[1], &region[3]);
    TavrinCameraInfo cameraInfo{};
    cameraInfo.size = sizeof cameraInfo;
    const bool haveInfo = Tavrin_GetCameraInfo(camera_, &cameraInfo) != 0;
    EditState([&](SessionState& s) {
        s.settingValues = std::move(values);
        ++s.settingsSerial;
        s.colourMode = colourMode;
        s.exposureUs = exposureUs;
        s.region = region;
        if (haveInfo && cameraInfo.sensorWidth > 0 && cameraInfo.sensorHeight > 0) {
            s.sensorWidth = cameraInfo.sensorWidth;
            s.sensorHeight = cameraInfo.sensorHeight;
        }
    });
    ReadSizeTable();
}

// The stored readout windows of the selected camera; the state changes
// only when they did.
void CameraSession::ReadSizeTable() {
    int count = 0;
    std::vector<TavrinSizeEntry> entries;
    if (TavrinEx_GetSizeTable(camera_, nullptr, 0, &count, nullptr) && count > 0) {
        entries.resize(static_cast<size_t>(count));
        if (!TavrinEx_GetSizeTable(camera_, entries.data(), count, &count, nullptr)) {
            count = 0;
        }
    }
    std::vector<RegionPreset> presets;
    for (int i = 0; i < count && i < static_cast<int>(entries.size()); ++i) {
        const TavrinSizeEntry& entry = entries[static_cast<size_t>(i)];
        presets.push_back({entry.left, entry.top, entry.width, entry.height});
    }
    bool changed = false;
    {
        std::lock_guard lock(stateMutex_);
        changed = state_.presets != presets;
        if (changed) {
            state_.presets = std::move(presets);
        }
    }
    if (changed) {
        Changed();
    }
}

void CameraSession::NoteError(int code) {
    EditState([&](SessionState& s) { s.lastError = code; });
}

void CameraSession::Notice(NoticeKind kind, const std::string& file) {
    EditState([&](SessionState& s) {
        s.noticeKind = kind;
        s.notice = file;
        ++s.noticeSerial;
    });
}

void CameraSession::Changed() {
    if (!statePosted_.exchange(true)) {
        stateChanged_();
    }
}

}  // namespace tavrin::viewer

// The camera object behind one handle: it owns the device library object,
// the images, the settings, the acquisition threads, the error queue and a
// view of the machine-wide owner table.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "api/TavrinSdk.h"
#include "camera/acquisition_state.h"
#include "camera/analog_settings.h"
#include "camera/capture_settings.h"
#include "camera/capture_window.h"
#include "camera/dialog_launchers.h"
#include "camera/error_queue.h"
#include "camera/owner_table.h"
#include "display/preview_window.h"
#include "imaging/chain.h"
#include "imaging/dib_image.h"
#include "imaging/filter_record.h"
#include "output/avi_recorder.h"
#include "platform/messages.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "settings/config_file.h"

namespace tavrin {

namespace device {
class CTavrin860VXRUXSdk;
}

struct FilterEntry;

// Error codes, as the public header names them.
enum ErrorCode : int32_t {
    kErrNotReady = 1,
    kErrDevice = 2,
    kErrThread = 3,
    kErrWindow = 4,
    kErrBuffer = 5,
    kErrDeviceIo = 6,
    kErrCaptureWindow = 7,
    kErrFrame = 8,
    kErrParameter = 9,
    kErrUnsupported = 11,
    kErrFile = 12,
    kErrTransfer = 13,
};

inline constexpr uint32_t kMessageFrame = 0x8002;
inline constexpr uint32_t kMessageError = 0x8003;

class CTavrin {
public:
    CTavrin();
    virtual ~CTavrin();
    CTavrin(const CTavrin&) = delete;
    CTavrin& operator=(const CTavrin&) = delete;

    // Lifecycle.
    int Initialize(platform::WindowHandle notifyWindow);
    int SelectDevice(int index);
    int Close();

    // The register configuration file: replaces the list under the settings
    // lock; 1 when the file was read, 0 (list kept, nothing reported) when
    // not. The wide form reports 12 when the name has no ANSI form.
    int LoadConfigFile(const char* fileName);
    int LoadConfigFileW(const char16_t* fileName);

    // Errors and notifications. Report queues the code and posts it to the
    // notification window when there is one; Notify only posts, to the
    // stored window even when it is null (the calling thread's own queue).
    void Report(int32_t code);
    void Notify(int32_t code);
    int32_t TakeLastError() { return errors_.Pop(); }

    // The owner table entry of a device slot.
    int RegisterOwner(int index);
    int ReleaseOwner(int index);
    bool InUse(int index) const;

    int Width() const { return capture_.EH.load(std::memory_order_relaxed); }
    int Height() const { return capture_.EV.load(std::memory_order_relaxed); }
    int DeviceIndex() const { return deviceIndex_.load(std::memory_order_relaxed); }
    int SubSample() const { return format_.subSample.load(std::memory_order_relaxed); }

    // ---- settings front-end: filter values, output format, readout region,
    // analog values, device access, enumeration (camera/filter_settings.cpp,
    // format_settings.cpp, capture_settings.cpp, analog_settings.cpp,
    // device_access.cpp, enumeration.cpp) ----
    int GetFilterValue(int id, int* error);
    int SetFilterValue(int id, int value);
    int SetColorMode(int bitsPerPixel);
    int GetColorMode() const;
    int SetSubSample(int mode);
    int SetWaitTime(int milliseconds);
    int GetWaitTime() const;
    int SetCaptureWindow(int width, int height);
    int SetCaptureWindowEx(int th, int ehs, int eh, int tv, int evs, int ev);
    int GetCaptureWindowEx(int* th, int* ehs, int* eh, int* tv, int* evs, int* ev) const;
    int SetPreviewWindow(platform::WindowHandle parent, int x, int y, int width, int height);
    int SetRealExposureTime(int microseconds);
    int GetRealExposureTime(int* error);
    int SetMirrorH(int flag);
    int GetMirrorH();
    int SetMirrorV(int flag);
    int GetMirrorV();
    int SetAutoIris(int mode);
    int GetAutoIris(int* error) const;
    int ReadRegister(int address, int* error);
    int WriteRegister(int address, int value);
    int ReadSromID(int address, int* error);
    int WriteSromID(int address, int value);
    int SetIOPort(int value);
    int GetIOPort(uint8_t* value);
    // Names go into ten slots of 256 characters (narrow) or 256 UTF-16 units.
    int EnumDevice(char* names);
    int EnumDeviceW(char16_t* names);
    int GetDeviceName(int slot, char* name, int size);
    int GetDeviceNameW(int slot, char16_t* name, int size);
    // record: the caller's nine 32-bit fields, the first being its size.
    int GetCameraInfo(void* record);
    // The settings records, for the acquisition, the store and the dialogs.
    FilterRecord& Filter() { return filter_; }
    AnalogRecord& Analog() { return analog_; }
    FormatSettings& Format() { return format_; }
    CaptureWindow& CaptureWindowRecord() { return capture_; }
    PreviewPlacement& PreviewPlacementRecord() { return preview_; }
    RealExposureCache& RealExposure() { return realExposure_; }
    // ---- end of settings front-end ----

    // ---- acquisition (camera/acquisition_*.cpp) ----
    int StartPreview();
    int StopPreview();
    int Preview();
    int CallBackPreview(platform::WindowHandle window, uint8_t* buffer, int size, int rowOrder);
    int Capture();
    int SnapShot(uint8_t* buffer, int size, int rowOrder);
    int GetImage(uint8_t* buffer, int size, int rowOrder);
    int Trigger(platform::WindowHandle window, uint8_t* buffer, int size, int rowOrder);
    int Record(const char* fileName, int milliseconds, int showPreview);
    int RecordW(const char16_t* fileName, int milliseconds, int showPreview);
    int SaveImage(const char* fileName, int format);
    int SaveImageW(const char16_t* fileName, int format);
    AcquisitionState State() const { return state_.load(std::memory_order_acquire); }
    // ---- end of acquisition ----

    // The built-in dialogs (camera/dialog_launchers.cpp).
    int SetCameraDlg(platform::WindowHandle parent);
    int SetAnalogDlg(platform::WindowHandle parent);
    int SetImageDlg(platform::WindowHandle parent);

    // Operations this camera model does not have.
    int Unsupported();             // posts 11 without queueing, returns 0
    int UnsupportedFilter();       // queues and posts 11, returns -1
    int UnsupportedQuery(int* value);  // stores 0, reports nothing, returns 0

private:
    // False (after reporting 1) when there is no device library object.
    bool RequireDevice();
    bool HasDevice() const { return device_ != nullptr; }
    void ProgramAnalogSettings();
    void LoadSettingGroups(int cameraNumber);
    void SaveSettingGroups(int cameraNumber);

    std::unique_ptr<OwnerTable> owners_;
    std::unique_ptr<device::CTavrin860VXRUXSdk> device_;
    ErrorQueue errors_;
    std::atomic<platform::WindowHandle> notifyWindow_{nullptr};

    platform::CriticalSection frameLock_;
    platform::CriticalSection settingsLock_;
    RegisterConfigList configList_;  // guarded by settingsLock_; nothing sends it to the camera

    CaptureWindow capture_;
    FormatSettings format_;
    std::atomic<int32_t> deviceIndex_{0};

    // ---- settings front-end helpers and records ----
    int FilterValue(const FilterEntry& entry) const;
    int StoreFilterValue(const FilterEntry& entry, int32_t value);
    int ProgramGain(int32_t gain);
    int ProgramExposure(int32_t lines);
    int ApplyImageArea();
    template <typename Char>
    int ListCameras(Char* names);
    template <typename Char>
    int NameOfSlot(int slot, Char* name, int size);
    FilterRecord filter_;
    AnalogRecord analog_;
    PreviewPlacement preview_;
    RealExposureCache realExposure_;

    // ---- acquisition helpers and state ----
    // Where each frame goes: set by CallBackPreview and Trigger, cleared by
    // Preview and Record, read by the acquisition thread for every frame.
    struct FrameTarget {
        std::atomic<platform::WindowHandle> window{nullptr};
        std::atomic<uint8_t*> buffer{nullptr};
        std::atomic<int32_t> size{0};
        std::atomic<int32_t> rowOrder{0};
        void Set(platform::WindowHandle w, uint8_t* b, int32_t s, int32_t order);
    };
    enum RunFlag : int32_t { kStop = 0, kRun = 1, kPause = 2 };

    bool PassStateGuard(StartOperation operation, int& result);
    bool Prepare();
    bool OpenPreviewIfConfigured();
    bool StartAcquisitionThread(void (CTavrin::*loop)());
    void StopRecordingThread();
    void StreamingLoop();
    void TriggerLoop();
    void RecordingLoop();
    int RecordingStep(const CDibImage& output, CDibImage& frame, CDibImage& scratch, CDibImage& gray);
    // Under the frame lock: the raw image of the prepared mode, once the
    // device's last frame is in it; false when it could not be copied.
    bool TakeStreamedFrame(CDibImage& raw);
    bool TakeGrabbedFrame(CDibImage& raw);
    bool FrameFitsRawImage(const CDibImage& raw) const;
    void FillFrameInfo(const CDibImage& raw, int32_t frameRate);
    int32_t UpdateFrameRate();
    void ProcessFrame(CDibImage& raw);
    void AutoIris(CDibImage& raw, int32_t mode);
    bool CopyOut(const CDibImage& output, uint8_t* buffer, int32_t size, int32_t rowOrder);
    const CDibImage* CurrentOutput() const;
    void NotifyFrame(uintptr_t wParam, intptr_t lParam);
    int SaveOutput(const char* fileName, int format);
    void TellOpenDialogs();

    platform::CriticalSection controlLock_;  // serialises starts and stops
    std::atomic<AcquisitionState> state_{AcquisitionState::Idle};
    std::atomic<int32_t> runFlag_{kStop};
    std::unique_ptr<platform::Thread> acquisitionThread_;
    std::unique_ptr<platform::Thread> recordingThread_;
    std::atomic<int32_t> recording_{0};
    std::atomic<int32_t> newFrame_{0};
    std::atomic<int32_t> imageValid_{0};
    int32_t recordDuration_ = 0;  // handed to the recording thread at its start
    int32_t preparedMode_ = 0;    // the colour mode the images were sized for
    FrameTarget target_;
    DialogNotices dialogNotices_;  // acquisition thread only
    TavrinFrameInfo frameInfo_{};  // guarded by frameLock_
    uint32_t frameCount_ = 0;      // acquisition thread only
    uint32_t rateWindowStart_ = 0;
    int32_t frameRate_ = 0;
    std::array<CDibImage, 8> images_;
    ImageSet imageSet_;
    ProcessingChain chain_;
    AviRecorder recorder_;
    PreviewWindow previewWindow_;
};

}  // namespace tavrin

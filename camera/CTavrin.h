// The camera object behind one handle: it owns the device library object,
// the images, the settings, the acquisition threads, the error queue and a
// view of the machine-wide owner table.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "camera/analog_settings.h"
#include "camera/capture_settings.h"
#include "camera/capture_window.h"
#include "camera/error_queue.h"
#include "camera/owner_table.h"
#include "imaging/filter_record.h"
#include "platform/messages.h"
#include "platform/sync.h"
#include "settings/config_file.h"

namespace tavrin {

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
    CaptureWindow& Capture() { return capture_; }
    PreviewPlacement& Preview() { return preview_; }
    RealExposureCache& RealExposure() { return realExposure_; }
    // ---- end of settings front-end ----

    // Operations this camera model does not have.
    int Unsupported();             // posts 11 without queueing, returns 0
    int UnsupportedFilter();       // queues and posts 11, returns -1
    int UnsupportedQuery(int* value);  // stores 0, reports nothing, returns 0

private:
    // False (after reporting 1) when there is no device library object.
    bool RequireDevice();
    bool HasDevice() const { return false; }

    std::unique_ptr<OwnerTable> owners_;
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
};

}  // namespace tavrin

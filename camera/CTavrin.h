// The camera object behind one handle: it owns the device library object,
// the images, the settings, the acquisition threads, the error queue and a
// view of the machine-wide owner table.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "camera/capture_window.h"
#include "camera/error_queue.h"
#include "camera/owner_table.h"
#include "platform/messages.h"
#include "platform/sync.h"

namespace tavrin {

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

    CaptureWindow capture_;
    FormatSettings format_;
    std::atomic<int32_t> deviceIndex_{0};
};

}  // namespace tavrin

// The camera driver port: the three calls through which the library reaches
// the camera's kernel-mode driver, with the meaning of the Win32 calls they
// stand for (CreateFileA, DeviceIoControl, CloseHandle).
//
// Behind the port sits a backend. The system backend talks to the real driver
// on Windows and finds no camera elsewhere. When the TAVRIN_SIM variable is
// set, the simulated camera that registered itself with RegisterSimulator is
// the backend instead. The choice is made when the library first uses the
// port and holds until ResetDriverPort.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tavrin::platform {

// A device handle as the driver hands it out. 0 is "no handle"; the invalid
// value is what a failed open returns (INVALID_HANDLE_VALUE).
using DeviceHandle = std::uintptr_t;
inline constexpr DeviceHandle kNullDeviceHandle = 0;
inline constexpr DeviceHandle kInvalidDeviceHandle = ~DeviceHandle{0};

// Points in a program's use of a camera that a backend may care about (the
// system's driver does not): a replayed session starts over at them.
enum class DriverMark {
    kCameraInitialized,   // a camera object finished its initialization on the path
    kRecordingPreparing,  // a session recording reads what its header needs
    kRecordingStarted,    // the session recording begins with the next call
    kRecordingAbandoned,  // the recording did not start after all
};

class DriverBackend {
public:
    virtual ~DriverBackend() = default;

    // Tells the backend where the program stands; ignored by default.
    virtual void Mark(const char* /*path*/, DriverMark /*mark*/) {}

    // CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, null, OPEN_EXISTING,
    // 0, null): a handle, or kInvalidDeviceHandle when the path does not open.
    virtual DeviceHandle Open(const char* path) = 0;

    // DeviceIoControl without an overlapped structure: 1 on success, 0 on
    // failure. bytesReturned always receives the bytes placed in output.
    virtual int IoControl(DeviceHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                          uint32_t outputLength, uint32_t* bytesReturned) = 0;

    // CloseHandle: 1 when the handle was open, else 0.
    virtual int Close(DeviceHandle handle) = 0;

    // Whether the camera behind the backend needs the pauses the protocol
    // leaves after clock, sensor and serial ROM writes. A real camera does;
    // a simulated one answers at once and may be told it needs none.
    virtual bool NeedsSettleTime() const { return true; }

    // Whether every frame the camera sends must reach the reader: a session
    // replayed as fast as it is read sends its next frame only when asked,
    // so the frame stream asks only once the reader has taken the last one,
    // instead of letting a newer frame replace it. A real camera sends at
    // its own pace, and the newest frame wins.
    virtual bool WaitsForReader() const { return false; }
};

// One I/O control request as the port passed it to the backend and back,
// shown to observers after it returned.
struct DriverRequest {
    DeviceHandle handle = kNullDeviceHandle;
    uint32_t code = 0;
    const void* input = nullptr;
    uint32_t inputLength = 0;
    const void* output = nullptr;  // as the driver left it
    uint32_t outputLength = 0;
    // The output buffer's bytes as they went to the driver (requests that
    // send data through it), kept when it holds at most kKeptOutputBytes;
    // else empty.
    const uint8_t* outputBefore = nullptr;
    uint32_t outputBeforeLength = 0;
    uint32_t bytesReturned = 0;
    int result = 0;
    uint64_t startNs = 0;  // host monotonic clock when the call went out and returned
    uint64_t endNs = 0;
};
inline constexpr uint32_t kKeptOutputBytes = 4096;

// Watches every call on one device path: its opens (failed ones too), and
// the requests and closes on every handle opened on it, also handles opened
// before the observer came. Calls come on the calling threads, after the
// backend returned, possibly several at once.
class DriverObserver {
public:
    virtual ~DriverObserver() = default;
    virtual void Opened(const char* path, DeviceHandle handle, uint64_t startNs, uint64_t endNs) = 0;
    virtual void Requested(const DriverRequest& request) = 0;
    virtual void Closed(DeviceHandle handle, int result, uint64_t startNs, uint64_t endNs) = 0;
};

// Adds an observer of a device path. It sees calls that begin after this.
void AttachDriverObserver(const std::string& path, std::shared_ptr<DriverObserver> observer);
// Removes it: no call of it begins after this returns (calls in flight may
// still finish, holding their own reference). Safe from within its calls.
void DetachDriverObserver(const DriverObserver* observer);

// Makes the simulated camera backend from the value of TAVRIN_SIM.
using SimulatorFactory = std::shared_ptr<DriverBackend> (*)(const std::string& setting);

// The simulator registers itself once, when the library is loaded.
void RegisterSimulator(SimulatorFactory factory);

// The backend in use, chosen on first call: the simulator when TAVRIN_SIM is
// set and a simulator is registered, else the system backend. Callers keep
// the returned reference for the length of one call.
std::shared_ptr<DriverBackend> CurrentDriverBackend();

// Drops the chosen backend so that the next use reads TAVRIN_SIM again. For
// tests, and only while no device handle is open: handles of the old backend
// are unknown to the new one and fail there.
void ResetDriverPort();

// The port's three calls, forwarded to the current backend.
DeviceHandle DriverOpen(const char* path);
int DriverIoControl(DeviceHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                    uint32_t outputLength, uint32_t* bytesReturned);
int DriverClose(DeviceHandle handle);
void DriverMarkPath(const char* path, DriverMark mark);

// The protocol's pause of the given length after a write, taken when the
// current backend's camera needs settle time.
void DriverSettle(uint32_t milliseconds);

// Whether the current backend's camera wants every frame read (see
// DriverBackend::WaitsForReader).
bool DriverWaitsForReader();

}  // namespace tavrin::platform

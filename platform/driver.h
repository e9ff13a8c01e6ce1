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

class DriverBackend {
public:
    virtual ~DriverBackend() = default;

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
};

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

// The protocol's pause of the given length after a write, taken when the
// current backend's camera needs settle time.
void DriverSettle(uint32_t milliseconds);

}  // namespace tavrin::platform

// Direct access to the camera: sensor registers (read from the device
// library's cache of written values, since the sensor cannot be read back),
// the serial ROM and the general-purpose port.
#include "camera/CTavrin.h"
#include "device/tavrin_860vx_rux_sdk.h"

namespace tavrin {

namespace {

void SetErrorOut(int* error, int value) {
    if (error != nullptr) {
        *error = value;
    }
}

uint32_t LowByte(int value) { return static_cast<uint32_t>(value) & 0xFF; }

}  // namespace

// Registers 192 to 255 are not in the cache: the device library refuses them.
int CTavrin::ReadRegister(int address, int* error) {
    SetErrorOut(error, 0);
    if (!RequireDevice()) {
        return 0;
    }
    uint32_t value = 0;
    if (!device_->ReadSensorRegister(LowByte(address), value)) {
        Report(kErrDeviceIo);
        return 0;
    }
    SetErrorOut(error, 1);
    return static_cast<int>(value);
}

// The sensor takes 16-bit values; only those bits reach the cache as well,
// so a read answers what the sensor holds.
int CTavrin::WriteRegister(int address, int value) {
    if (!RequireDevice()) {
        return 0;
    }
    if (!device_->WriteSensorRegister(LowByte(address), static_cast<uint32_t>(value) & 0xFFFF)) {
        Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

// The serial ROM reports its failures, and a missing device library, by
// posting only.
int CTavrin::ReadSromID(int address, int* error) {
    SetErrorOut(error, 0);
    uint8_t value = 0;
    if (!HasDevice() || !device_->ReadSromID(static_cast<uint32_t>(address), value)) {
        Notify(kErrNotReady);
        return 0;
    }
    SetErrorOut(error, 1);
    return value;
}

int CTavrin::WriteSromID(int address, int value) {
    if (!HasDevice() || !device_->WriteSromID(LowByte(address), LowByte(value))) {
        Notify(kErrNotReady);
        return 0;
    }
    return 1;
}

// Control register 7 is the camera's output port when written. Without a
// device library the port only posts; a failed transfer is reported.
int CTavrin::SetIOPort(int value) {
    if (!HasDevice()) {
        Notify(kErrNotReady);
        return 0;
    }
    if (!device_->WriteControlRegister(device::CTavrin860VXRUXSdk::kControlIoPort, LowByte(value))) {
        Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

// ... and its input port when read. A failed read is a failure, not an idle
// port: the byte is 0 and the caller is told.
int CTavrin::GetIOPort(uint8_t* value) {
    if (!HasDevice()) {
        Notify(kErrNotReady);
        return 0;
    }
    if (value == nullptr) {
        Notify(kErrParameter);
        return 0;
    }
    uint8_t input = 0;
    const bool read = device_->ReadControlRegister(device::CTavrin860VXRUXSdk::kControlIoPort, input);
    *value = read ? input : 0;
    if (!read) {
        Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

}  // namespace tavrin

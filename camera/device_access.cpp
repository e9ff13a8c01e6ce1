// Direct access to the camera: sensor registers (read from the device
// library's cache of written values, since the sensor cannot be read back),
// the serial ROM and the general-purpose port.
#include "camera/settings_front_end.h"
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
int SettingsFrontEnd::ReadRegister(int address, int* error) {
    SetErrorOut(error, 0);
    if (!context_.RequireDevice()) {
        return 0;
    }
    uint32_t value = 0;
    if (!context_.device->ReadSensorRegister(LowByte(address), value)) {
        context_.Report(kErrDeviceIo);
        return 0;
    }
    SetErrorOut(error, 1);
    return static_cast<int>(value);
}

// The sensor takes 16-bit values; only those bits reach the cache as well,
// so a read answers what the sensor holds.
int SettingsFrontEnd::WriteRegister(int address, int value) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (!context_.device->WriteSensorRegister(LowByte(address), static_cast<uint32_t>(value) & 0xFFFF)) {
        context_.Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

// The serial ROM reports its failures, and a missing device library, by
// posting only.
int SettingsFrontEnd::ReadSromID(int address, int* error) {
    SetErrorOut(error, 0);
    uint8_t value = 0;
    if (!context_.HasDevice() || !context_.device->ReadSromID(static_cast<uint32_t>(address), value)) {
        context_.Notify(kErrNotReady);
        return 0;
    }
    SetErrorOut(error, 1);
    return value;
}

int SettingsFrontEnd::WriteSromID(int address, int value) {
    if (!context_.HasDevice() || !context_.device->WriteSromID(LowByte(address), LowByte(value))) {
        context_.Notify(kErrNotReady);
        return 0;
    }
    return 1;
}

// Control register 7 is the camera's output port when written. Without a
// device library the port only posts; a failed transfer is reported.
int SettingsFrontEnd::SetIOPort(int value) {
    if (!context_.HasDevice()) {
        context_.Notify(kErrNotReady);
        return 0;
    }
    if (!context_.device->WriteControlRegister(device::CTavrin860VXRUXSdk::kControlIoPort, LowByte(value))) {
        context_.Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

// ... and its input port when read. A failed read is a failure, not an idle
// port: the byte is 0 and the caller is told.
int SettingsFrontEnd::GetIOPort(uint8_t* value) {
    if (!context_.HasDevice()) {
        context_.Notify(kErrNotReady);
        return 0;
    }
    if (value == nullptr) {
        context_.Notify(kErrParameter);
        return 0;
    }
    uint8_t input = 0;
    const bool read = context_.device->ReadControlRegister(device::CTavrin860VXRUXSdk::kControlIoPort, input);
    *value = read ? input : 0;
    if (!read) {
        context_.Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

}  // namespace tavrin

// Listing and naming the cameras. The device library keeps a presence table
// of the 32 device slots from its last scan; a camera's name is the model
// name with a two-digit number.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "camera/acquisition_engine.h"
#include "camera/capture_window.h"
#include "camera/settings_front_end.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "platform/codepage.h"

namespace tavrin {

namespace {

constexpr const char* kModelName = "Tavrin860VX-RUX";
constexpr int kNameSlots = 10;
constexpr int kNameSlotUnits = 256;
constexpr int kDeviceNameLength = 18;  // "Tavrin860VX-RUX_01"

std::string DeviceName(int number) {
    std::array<char, kNameSlotUnits> text{};
    std::snprintf(text.data(), text.size(), "%s_%02d", kModelName, number);
    return text.data();
}

void WriteName(char* slot, const std::string& name) { std::memcpy(slot, name.c_str(), name.size() + 1); }

void WriteName(char16_t* slot, const std::string& name) {
    const std::u16string wide = platform::AnsiToUtf16(name);
    std::memcpy(slot, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
}

}  // namespace

// Cameras are numbered in the order found, not by slot: cameras in slots 0
// and 2 are _01 and _02. The array has room for ten names; with more
// cameras present only the first ten are listed, and the count returned is
// the number of names written, so it never points past the array.
template <typename Char>
int SettingsFrontEnd::ListCameras(Char* names) {
    int written = 0;
    for (int slot = 0; slot < device::CQDXSdkLib::GetDeviceCount() && written < kNameSlots; ++slot) {
        if (context_.device->IsDevicePresent(slot)) {
            WriteName(names + written * kNameSlotUnits, DeviceName(written + 1));
            ++written;
        }
    }
    for (int empty = written; empty < kNameSlots; ++empty) {
        names[empty * kNameSlotUnits] = 0;
    }
    return written;
}

// Scans the device paths again, which also brings the device library back to
// slot 0; the application selects its camera again before acquiring. While
// an acquisition runs the scan is left out, since moving the device library
// off its slot would send the acquisition's commands to another camera: the
// list is then the one of the last scan.
int SettingsFrontEnd::EnumDevice(char* names) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (names == nullptr) {
        context_.Report(kErrParameter);
        return 0;
    }
    std::lock_guard control(acquisition_.ControlLock());
    if (acquisition_.State() == AcquisitionState::Idle) {
        context_.device->ProbeDevices();
    }
    return ListCameras(names);
}

// Lists the cameras of the last scan, without scanning.
int SettingsFrontEnd::EnumDeviceW(char16_t* names) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (names == nullptr) {
        context_.Report(kErrParameter);
        return 0;
    }
    return ListCameras(names);
}

// The name of one slot, numbered slot + 1, from the last scan.
template <typename Char>
int SettingsFrontEnd::NameOfSlot(int slot, Char* name, int size) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (name == nullptr || size < kDeviceNameLength + 1 || slot < 0 || slot >= device::CQDXSdkLib::GetDeviceCount()) {
        context_.Report(kErrParameter);
        return 0;
    }
    if (!context_.device->IsDevicePresent(slot)) {
        context_.Report(kErrDevice);
        return 0;
    }
    WriteName(name, DeviceName(slot + 1));
    return 1;
}

int SettingsFrontEnd::GetDeviceName(int slot, char* name, int size) { return NameOfSlot(slot, name, size); }

int SettingsFrontEnd::GetDeviceNameW(int slot, char16_t* name, int size) { return NameOfSlot(slot, name, size); }

// The record is the caller's: its first field says how large it is, and
// only the eight fields after it are written.
int SettingsFrontEnd::GetCameraInfo(void* record) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (record == nullptr) {
        context_.Report(kErrParameter);
        return 0;
    }
    int32_t size = 0;
    std::memcpy(&size, record, sizeof size);
    constexpr int32_t kRecordSize = 36;
    if (size < kRecordSize) {
        context_.Report(kErrBuffer);
        return 0;
    }
    using Model = device::CTavrin860VXRUXSdk;
    const std::array<int32_t, 8> fields{Model::kSensorWidth,
                                        Model::kSensorHeight,
                                        0,
                                        static_cast<int32_t>(Model::GetGainMax()),
                                        0,
                                        0,
                                        static_cast<int32_t>(Model::GetExposureMin()),
                                        static_cast<int32_t>(Model::GetExposureMax())};
    std::memcpy(static_cast<uint8_t*>(record) + sizeof size, fields.data(), sizeof fields);
    return 1;
}

}  // namespace tavrin

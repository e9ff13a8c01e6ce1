// The settings front-end: filter values, output format, readout region,
// analog values, direct device access and enumeration, as the exports see
// them. Values go into the camera's records (and, for gain, exposure and
// mirrors, through analog control into the camera); the acquisition reads
// them at its next frame or start.
#pragma once

#include <cstdint>

#include "camera/analog_control.h"
#include "camera/camera_context.h"
#include "platform/messages.h"

namespace tavrin {

class AcquisitionEngine;
struct FilterEntry;

class SettingsFrontEnd {
public:
    SettingsFrontEnd(CameraContext& context, AnalogControl& analog, AcquisitionEngine& acquisition)
        : context_(context), analog_(analog), acquisition_(acquisition) {}

    // Filter values by identifier (camera/filter_settings.cpp).
    int GetFilterValue(int id, int* error);
    int SetFilterValue(int id, int value);

    // Settings by their catalogue name (camera/named_settings.cpp): the
    // value is checked against the catalogue, then goes through the
    // setting's own operation. An unknown name, a null value pointer or a
    // value the catalogue refuses reports SDKERR_PARAMETER.
    int GetNamedSetting(const char* name, int* value);
    int SetNamedSetting(const char* name, int value);

    // Output format (camera/format_settings.cpp).
    int SetColorMode(int bitsPerPixel);
    int GetColorMode() const;
    int GetColorModeAsSet() const;  // 8, 16, 24, 32, 48 or 64; -1 for a bad stored mode
    int SetSubSample(int mode);
    int SetWaitTime(int milliseconds);
    int GetWaitTime() const;

    // Readout region and preview placement (camera/capture_settings.cpp).
    int SetCaptureWindow(int width, int height);
    int SetCaptureWindowEx(int th, int ehs, int eh, int tv, int evs, int ev);
    int GetCaptureWindowEx(int* th, int* ehs, int* eh, int* tv, int* evs, int* ev) const;
    int SetPreviewWindow(platform::WindowHandle parent, int x, int y, int width, int height);

    // Analog values (camera/analog_settings.cpp).
    int SetRealExposureTime(int microseconds);
    int GetRealExposureTime(int* error);
    int SetMirrorH(int flag);
    int GetMirrorH();
    int SetMirrorV(int flag);
    int GetMirrorV();
    int SetAutoIris(int mode);
    int GetAutoIris(int* error) const;

    // Registers, serial ROM and port (camera/device_access.cpp).
    int ReadRegister(int address, int* error);
    int WriteRegister(int address, int value);
    int ReadSromID(int address, int* error);
    int WriteSromID(int address, int value);
    int SetIOPort(int value);
    int GetIOPort(uint8_t* value);

    // Enumeration (camera/enumeration.cpp). Names go into ten slots of 256
    // characters (narrow) or 256 UTF-16 units.
    int EnumDevice(char* names);
    int EnumDeviceW(char16_t* names);
    int GetDeviceName(int slot, char* name, int size);
    int GetDeviceNameW(int slot, char16_t* name, int size);
    // record: the caller's nine 32-bit fields, the first being its size.
    int GetCameraInfo(void* record);

    // Operations this camera model does not have.
    int Unsupported();                 // posts 11 without queueing, returns 0
    int UnsupportedFilter();           // queues and posts 11, returns -1
    int UnsupportedQuery(int* value);  // stores 0, reports nothing, returns 0

private:
    int FilterValue(const FilterEntry& entry) const;
    int StoreFilterValue(const FilterEntry& entry, int32_t value);
    int ApplyImageArea();
    template <typename Char>
    int ListCameras(Char* names);
    template <typename Char>
    int NameOfSlot(int slot, Char* name, int size);

    CameraContext& context_;
    AnalogControl& analog_;
    AcquisitionEngine& acquisition_;
};

}  // namespace tavrin

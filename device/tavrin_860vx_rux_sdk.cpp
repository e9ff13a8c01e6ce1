#include "device/tavrin_860vx_rux_sdk.h"

#include "device/camera_commands.h"
#include "device/device_status.h"
#include "platform/driver.h"

namespace tavrin::device {

namespace {

// The camera takes each byte of a new transfer length into its FIFO logic
// before the next may come.
constexpr uint32_t kTransferLengthWritePauseMs = 5;
// Mode 2 reads every fourth line.
constexpr uint32_t kQuarterLinesMode = 2;
constexpr uint32_t kClockRegisterValue = 3;

}  // namespace

CTavrin860VXRUXSdk::CTavrin860VXRUXSdk() {
    SetLargeFrame(false);
    SetModelName(kModelName);
    ProbeDevices();
    SelectCamera(0);
}

int CTavrin860VXRUXSdk::SelectCamera(int index) {
    const int status = ResetDevice(index);
    if (status != kStatusOk) {
        return status;
    }
    SetClock(2);
    ApplyDefaults();
    SetImageArea(0, 0, kSensorWidth, kSensorHeight, 0);
    SetMirrorV(0);
    SetTriggerMode(0);
    return kStatusOk;
}

bool CTavrin860VXRUXSdk::WriteControlRegister(uint32_t reg, uint32_t value) {
    return CommandControlWrite(DevicePath().data(), reg & 0xFF, value & 0xFF);
}

bool CTavrin860VXRUXSdk::ReadControlRegister(uint32_t reg, uint8_t& value) {
    return CommandControlRead(DevicePath().data(), reg & 0xFF, value);
}

bool CTavrin860VXRUXSdk::WriteSensorRegister(uint32_t reg, uint32_t value) {
    if (!CommandSensorWrite(DevicePath().data(), reg & 0xFFFF, value & 0xFFFF)) {
        return false;
    }
    if (reg < kSensorRegisterCount) {
        sensorCache_[reg].store(value, std::memory_order_relaxed);
    }
    return true;
}

bool CTavrin860VXRUXSdk::ReadSensorRegister(uint32_t reg, uint32_t& value) const {
    // Registers 192 to 255 are not offered.
    if (reg >= kSensorRegisterCount || (reg >= 192 && reg <= 255)) {
        return false;
    }
    value = sensorCache_[reg].load(std::memory_order_relaxed);
    return true;
}

bool CTavrin860VXRUXSdk::SetGain(uint32_t value) {
    if (!WriteSensorRegister(kSensorGain, value & 0xFFFF)) {
        return false;
    }
    gainCache_.store(static_cast<uint16_t>(value & kGainMax), std::memory_order_relaxed);  // the register keeps 10 bits
    return true;
}

bool CTavrin860VXRUXSdk::SetExposure(uint32_t value) {
    uint32_t lines = value & 0xFFFF;
    if (lines > kExposureMax) {
        lines = kExposureMax;
    }
    if (!WriteSensorRegister(kSensorExposure, lines)) {
        return false;
    }
    exposureCache_.store(static_cast<uint16_t>(lines), std::memory_order_relaxed);
    return true;
}

void CTavrin860VXRUXSdk::ApplyDefaults() {
    SetGain(kGainDefault);
    SetExposure(kExposureMin);
}

bool CTavrin860VXRUXSdk::SetTriggerMode(uint32_t flag) {
    const uint32_t on = flag != 0 ? 1 : 0;
    if (!WriteControlRegister(kControlTrigger, on)) {
        return false;
    }
    WriteSensorRegister(kSensorTrigger, on);
    return true;
}

bool CTavrin860VXRUXSdk::FireSoftwareTrigger() {
    constexpr uint32_t kTriggerOn = 0x01;
    constexpr uint32_t kSoftwareSource = 0x02;
    constexpr uint32_t kPulse = 0x80;
    // The pulse is the rising edge, so the bit goes low first, and back low
    // after, ready for the next one.
    return WriteControlRegister(kControlTrigger, kTriggerOn | kSoftwareSource) &&
           WriteControlRegister(kControlTrigger, kTriggerOn | kSoftwareSource | kPulse) &&
           WriteControlRegister(kControlTrigger, kTriggerOn);
}

bool CTavrin860VXRUXSdk::SetClock(uint32_t /*choice: this model has one clock*/) {
    const bool written = WriteControlRegister(kControlClock, kClockRegisterValue);
    ApplyDefaults();
    return written;
}

int CTavrin860VXRUXSdk::GetClock(uint8_t& value) const {
    value = kClockRegisterValue;
    return 1;
}

int CTavrin860VXRUXSdk::SetMirrorH(uint32_t flag) {
    StoreMirrorH(flag != 0);
    return 0;
}

int CTavrin860VXRUXSdk::SetMirrorV(uint32_t flag) {
    StoreMirrorV(flag != 0);
    return 0;
}

int CTavrin860VXRUXSdk::SetImageArea(int x, int y, int width, int height, uint32_t mode) {
    if (x < 0 || y < 0 || width < 4 || height < 3 || int64_t{x} + width > kSensorWidth ||
        int64_t{y} + height > kSensorHeight || mode > 3) {
        return kStatusRefused;
    }
    StoreImageArea(x, y, width, height, mode);
    const int lines = mode == kQuarterLinesMode ? height / 4 : height;
    const int status = SetFrameGeometry(width, 0, width, lines, 0, lines, kRingSlots);
    if (status != kStatusOk) {
        return status;
    }
    const uint32_t length = static_cast<uint32_t>(TransferLength());
    for (uint32_t i = 0; i < 4; ++i) {
        WriteControlRegister(kControlTransferLength + i, (length >> (8 * i)) & 0xFF);
        platform::DriverSettle(kTransferLengthWritePauseMs);
    }
    WriteControlRegister(kControlApplyLength, 1);
    SetLargeFrame(IsLargeFrame(TransferLength(), SixteenBit() == 1));
    return kStatusOk;
}

int CTavrin860VXRUXSdk::SetBitDepth(uint32_t flag) {
    StoreSixteenBit(flag);
    // This camera takes its sample width from control register 14; the bit
    // depth command only switches its transfer engine on, always with 1.
    CommandSetBitDepth(DevicePath().data(), 1);
    WriteControlRegister(kControlSixteenBit, flag != 0 ? 1 : 0);
    return 1;
}

}  // namespace tavrin::device

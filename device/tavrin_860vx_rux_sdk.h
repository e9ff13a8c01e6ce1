// CTavrin860VXRUXSdk: the one camera model this library serves (its facts
// are in model_facts.h), a sensor behind byte-wide control registers and
// 16-bit sensor registers. It adds the model's name, the image area, the register maps, gain and
// exposure with their limits, trigger mode, the clock and the mirror flags.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "records/model_facts.h"
#include "device/qdx_sdk_lib.h"

namespace tavrin::device {

class CTavrin860VXRUXSdk final : public CQDXSdkLib {
public:
    static constexpr const char* kModelName = model::kModelName;
    static constexpr int kSensorWidth = model::kSensorWidth;
    static constexpr int kSensorHeight = model::kSensorHeight;
    static constexpr int kRingSlots = model::kRingSlots;
    static constexpr uint32_t kGainDefault = model::kGainDefault;
    static constexpr uint32_t kGainMax = model::kGainMax;
    static constexpr uint32_t kExposureMin = model::kExposureMin;
    static constexpr uint32_t kExposureMax = model::kExposureMax;
    static constexpr uint32_t kSensorRegisterCount = 1024;

    // Control registers.
    static constexpr uint32_t kControlTransferLength = 0;  // 0 to 3, least significant byte first
    static constexpr uint32_t kControlIoPort = 7;
    static constexpr uint32_t kControlTrigger = 11;
    static constexpr uint32_t kControlSixteenBit = 14;
    static constexpr uint32_t kControlClock = 15;
    static constexpr uint32_t kControlApplyLength = 32;
    // Sensor registers.
    static constexpr uint32_t kSensorGain = 4;
    static constexpr uint32_t kSensorTrigger = 11;
    static constexpr uint32_t kSensorExposure = 154;

    // Probes the 32 device paths and brings device 0 to its default state.
    CTavrin860VXRUXSdk();

    // Selects a device and programs its defaults: clock, gain, exposure, the
    // full area, mirror V off, trigger off. 0, or 22 for a bad index.
    int SelectCamera(int index);

    bool WriteControlRegister(uint32_t reg, uint32_t value);
    bool ReadControlRegister(uint32_t reg, uint8_t& value);
    bool WriteSensorRegister(uint32_t reg, uint32_t value);
    // From the cache of values written: the sensor cannot be read back.
    bool ReadSensorRegister(uint32_t reg, uint32_t& value) const;

    bool SetGain(uint32_t value);
    uint32_t GetGain() const { return gainCache_.load(std::memory_order_relaxed); }
    static uint32_t GetGainDefault() { return kGainDefault; }
    static uint32_t GetGainMax() { return kGainMax; }
    bool SetExposure(uint32_t value);
    uint32_t GetExposure() const { return exposureCache_.load(std::memory_order_relaxed); }
    static uint32_t GetExposureMin() { return kExposureMin; }
    static uint32_t GetExposureMax() { return kExposureMax; }
    void ApplyDefaults();

    bool SetTriggerMode(uint32_t flag);
    // One software trigger pulse in trigger mode (bit 7 of the trigger
    // register rising with bit 1 set); false when a write failed.
    bool FireSoftwareTrigger();
    bool SetClock(uint32_t choice);
    int GetClock(uint8_t& value) const;
    int SetMirrorH(uint32_t flag);
    int SetMirrorV(uint32_t flag);

    // 0, 1 for an area outside the sensor or a mode above 3, or the frame
    // geometry's status; nothing is written to the camera on refusal.
    int SetImageArea(int x, int y, int width, int height, uint32_t mode);
    int SetBitDepth(uint32_t flag) override;

private:
    std::atomic<uint16_t> gainCache_{0};
    std::atomic<uint16_t> exposureCache_{0};
    std::array<std::atomic<uint32_t>, kSensorRegisterCount> sensorCache_{};
};

}  // namespace tavrin::device

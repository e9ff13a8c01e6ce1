// The settings records that the camera object holds and the registry store
// fills and saves. The caller's threads and the dialogs write them while the
// acquisition thread reads them for the next frame, so every field is an
// atomic, read and written relaxed: a frame sees each value whole, and a
// change shows from the next frame on. (The image processing settings are
// the filter record of records/filter_record.h.)
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "records/model_facts.h"

namespace tavrin {

// The readout region, named after its registry values: total size,
// effective size (the image), start of the image within the sensor, and the
// frame buffer count. Construction gives the full sensor, which is also the
// first-run seed of the registry.
struct CaptureWindow {
    static constexpr int kFieldCount = 7;
    using Values = std::array<int32_t, kFieldCount>;  // TH, TV, EH, EV, EHS, EVS, Buf
    static constexpr Values kFullSensor{
        model::kSensorWidth, model::kSensorHeight, model::kSensorWidth, model::kSensorHeight, 0, 0, 4};

    std::atomic<int32_t> TH{kFullSensor[0]};   // total horizontal pixels
    std::atomic<int32_t> TV{kFullSensor[1]};   // total vertical pixels
    std::atomic<int32_t> EH{kFullSensor[2]};   // effective width
    std::atomic<int32_t> EV{kFullSensor[3]};   // effective height
    std::atomic<int32_t> EHS{kFullSensor[4]};  // horizontal start
    std::atomic<int32_t> EVS{kFullSensor[5]};  // vertical start
    std::atomic<int32_t> Buf{kFullSensor[6]};  // buffer count, carried along

    // The fields in their registry order, for code that walks all seven.
    static constexpr std::array<std::atomic<int32_t> CaptureWindow::*, kFieldCount> kFields{
        &CaptureWindow::TH,  &CaptureWindow::TV,  &CaptureWindow::EH, &CaptureWindow::EV,
        &CaptureWindow::EHS, &CaptureWindow::EVS, &CaptureWindow::Buf};

    Values Snapshot() const {
        Values copy{};
        for (int i = 0; i < kFieldCount; ++i) {
            copy[i] = (this->*kFields[i]).load(std::memory_order_relaxed);
        }
        return copy;
    }
    void Restore(const Values& copy) {
        for (int i = 0; i < kFieldCount; ++i) {
            (this->*kFields[i]).store(copy[i], std::memory_order_relaxed);
        }
    }
};

// The analog settings, mirrored into the device: one record of nine signed
// 32-bit fields in this order (the "Gain" registry key and the analog gain
// dialog use the same order). All 0 after construction. Ranges and
// defaults are the settings catalogue's (records/settings_catalogue.h).
struct AnalogRecord {
    enum Field : int {
        kGlobalGain = 0,
        kColorGainG1 = 1,  // this model has no per-channel gain: follows the
        kColorGainR = 2,   // global gain where all gains are set, else 0
        kColorGainB = 3,
        kColorGainG2 = 4,
        kExposure = 5,  // exposure in line periods
        kMirrorV = 6,   // 0 or 1
        kMirrorH = 7,   // 0 or 1
        kAutoIris = 8,  // 0 off, 1 by exposure, 2 by gain
        kFieldCount = 9,
    };
    using Values = std::array<int32_t, kFieldCount>;

    std::array<std::atomic<int32_t>, kFieldCount> fields{};

    int32_t Get(Field field) const { return fields[field].load(std::memory_order_relaxed); }
    void Set(Field field, int32_t value) { fields[field].store(value, std::memory_order_relaxed); }

    // Plain copies, for the analog gain dialog's Cancel and for the store.
    Values Snapshot() const {
        Values copy{};
        for (int i = 0; i < kFieldCount; ++i) {
            copy[i] = fields[i].load(std::memory_order_relaxed);
        }
        return copy;
    }
    void Restore(const Values& copy) {
        for (int i = 0; i < kFieldCount; ++i) {
            fields[i].store(copy[i], std::memory_order_relaxed);
        }
    }
};

// The output format: colour mode (0..5: 8-bit and 10-bit monochrome, 24-,
// 32-, 48- and 64-bit colour), sub-sample mode (0 is full resolution), the
// streaming loop's wait before each frame in milliseconds, and the clock
// choice (0 normal, 1 half, 2 high). Stored values are taken as they are;
// the code that uses them must make a value outside its range harmless.
struct FormatSettings {
    std::atomic<int32_t> colorMode{0};
    std::atomic<int32_t> subSample{0};
    std::atomic<int32_t> waitTime{10};
    std::atomic<int32_t> clock{0};
};

}  // namespace tavrin

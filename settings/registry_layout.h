// The registry layout of the settings store: key names, value names and
// their order, shared by the store's readers and writers.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "records/filter_record.h"
#include "platform/registry.h"
#include "records/settings_records.h"

namespace tavrin::registry_layout {

inline constexpr const char* kBaseKey = "Software\\Quenor\\Tavrin860VXRUXSdk";
inline constexpr int kMaxSizeEntries = 100;  // "Size_00" to "Size_99"

std::string CameraKeyName(int cameraNumber);  // "Camera_%02d"
std::string SizeEntryName(int index);         // "Size_%02d"

// The camera's key below the base key, both made when missing; null when
// either cannot be.
std::unique_ptr<platform::RegistryKey> CreateCameraKey(int cameraNumber);

// Values of a "Size_%02d" entry, in the order of CaptureWindow::Values.
inline constexpr std::array<const char*, CaptureWindow::kFieldCount> kSizeValues{"TH",  "TV",  "EH", "EV",
                                                                                 "EHS", "EVS", "Buf"};

// Values of the "Gain" key, in the order of the analog record.
inline constexpr std::array<const char*, AnalogRecord::kFieldCount> kAnalogValues{
    "Global", "ColorG1", "ColorR", "ColorB", "ColorG2", "Exposure", "V_Mirror", "H_Mirror", "AutoIris"};

struct FilterValue {
    const char* name;
    FilterField field;
    int32_t fallback;
};

// Values of the "Filter" key, in their order, with the neutral processing.
inline constexpr std::array<FilterValue, 10> kFilterValues{{
    {"Brightness", kBrightness, 0},
    {"Contrast", kContrast, 0},
    {"Hue", kHue, 0},
    {"Saturation", kSaturation, 0},
    {"Sharpness", kSharpness, 0},
    {"R_Gain", kBayerGainRed, 100},
    {"G_Gain", kBayerGainGreen, 100},
    {"B_Gain", kBayerGainBlue, 100},
    {"Gamma", kGamma, 100},
    {"BayerMode", kBayerMode, 1},
}};

// Values of the "Gray" key, in their order; gains of 128 are unity.
inline constexpr std::array<FilterValue, 9> kGrayValues{{
    {"Mode", kGrayMode, 0},
    {"GainR1", kGrayGainR, 128},
    {"GainG1", kGrayGainG1, 128},
    {"GainG2", kGrayGainG2, 128},
    {"GainB1", kGrayGainB, 128},
    {"OffsetR1", kGrayOffsetR, 0},
    {"OffsetG1", kGrayOffsetG1, 0},
    {"OffsetG2", kGrayOffsetG2, 0},
    {"OffsetB1", kGrayOffsetB, 0},
}};

// The base key and the camera key, opened for reading; null when either is
// missing.
std::unique_ptr<platform::RegistryKey> OpenCameraKey(int cameraNumber);

// Reads a value into an atomic field; a missing value leaves the field.
bool ReadInto(const platform::RegistryKey& key, const char* name, std::atomic<int32_t>& field);

}  // namespace tavrin::registry_layout

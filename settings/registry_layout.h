// The registry layout of the settings store: key names, value names and
// their order, shared by the store's readers and writers.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/registry.h"
#include "records/filter_record.h"
#include "records/settings_catalogue.h"
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

// Values of the "Filter" key, in their order; a missing key gives each
// setting the catalogue's default, the neutral processing.
using catalogue::DefaultOf;
inline constexpr std::array<FilterValue, 10> kFilterValues{{
    {"Brightness", kBrightness, DefaultOf(kFilterBrightness)},
    {"Contrast", kContrast, DefaultOf(kFilterContrast)},
    {"Hue", kHue, DefaultOf(kFilterHue)},
    {"Saturation", kSaturation, DefaultOf(kFilterSaturation)},
    {"Sharpness", kSharpness, DefaultOf(kFilterSharpness)},
    {"R_Gain", kBayerGainRed, DefaultOf(kFilterBayerGainRed)},
    {"G_Gain", kBayerGainGreen, DefaultOf(kFilterBayerGainGreen)},
    {"B_Gain", kBayerGainBlue, DefaultOf(kFilterBayerGainBlue)},
    {"Gamma", kGamma, DefaultOf(kFilterGamma)},
    {"BayerMode", kBayerMode, DefaultOf(kFilterBayerMode)},
}};

// Values of the "Gray" key, in their order, with the same fallbacks.
inline constexpr std::array<FilterValue, 9> kGrayValues{{
    {"Mode", kGrayMode, DefaultOf(kFilterGrayMode)},
    {"GainR1", kGrayGainR, DefaultOf(kFilterGrayGainR)},
    {"GainG1", kGrayGainG1, DefaultOf(kFilterGrayGainG1)},
    {"GainG2", kGrayGainG2, DefaultOf(kFilterGrayGainG2)},
    {"GainB1", kGrayGainB, DefaultOf(kFilterGrayGainB)},
    {"OffsetR1", kGrayOffsetR, DefaultOf(kFilterGrayOffsetR)},
    {"OffsetG1", kGrayOffsetG1, DefaultOf(kFilterGrayOffsetG1)},
    {"OffsetG2", kGrayOffsetG2, DefaultOf(kFilterGrayOffsetG2)},
    {"OffsetB1", kGrayOffsetB, DefaultOf(kFilterGrayOffsetB)},
}};

// The base key and the camera key, opened for reading; null when either is
// missing.
std::unique_ptr<platform::RegistryKey> OpenCameraKey(int cameraNumber);

// Reads a value into an atomic field; a missing value leaves the field.
bool ReadInto(const platform::RegistryKey& key, const char* name, std::atomic<int32_t>& field);

}  // namespace tavrin::registry_layout

// The settings catalogue: every setting a user sets by name, once, with the
// values it accepts, the value a fresh camera has, its unit and what it
// means. The settings front-end takes its ranges from here, the image
// dialog its slider ranges and Default values, the registry store its
// fallbacks, and the TavrinEx_ settings functions hand the table to the
// tool, the Python package, the pipeline element and the viewer.
//
// Gain and exposure come from the model's facts; the exposure in
// microseconds is derived from them with the same arithmetic the setter
// and the getter use, so the three can never drift apart.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "records/filter_ids.h"
#include "records/model_facts.h"

namespace tavrin::catalogue {

// What a setting's value is. The numbers are the public header's.
enum class SettingKind : int32_t {
    kRange = 1,    // any whole number from minimum to maximum
    kBoolean = 2,  // 0 or 1
    kList = 3,     // one of the listed values
};

// Bits of SettingEntry::flags; the numbers are the public header's.
inline constexpr int32_t kAppliesAtNextStart = 1;  // buffers follow at the next acquisition start
inline constexpr int32_t kNotStored = 2;           // only the camera dialog keeps it for later runs

// How the camera object reads and writes a setting: as a filter value, or
// through an operation of its own.
enum class Access : uint8_t {
    kFilter,
    kExposureMicroseconds,
    kAutoIris,
    kColorMode,
    kWaitTime,
    kMirrorH,
    kMirrorV,
};

inline constexpr int kMaxListValues = 8;

struct SettingEntry {
    const char* name;  // as the tool spells it
    Access access;
    int filterId;  // the FilterId for Access::kFilter, else 0
    SettingKind kind;
    int32_t minimum;  // inclusive; for lists the smallest value
    int32_t maximum;
    int32_t defaultValue;  // what a fresh camera reports
    const char* unit;      // ASCII, "" for plain numbers
    const char* group;     // for panels: analog, format, image, colour, gray
    const char* meaning;   // one line
    int32_t flags = 0;
    int valueCount = 0;  // list kinds: the accepted values
    std::array<int32_t, kMaxListValues> values{};
};

namespace detail {

// The exposure arithmetic of the settings front-end, in constant form
// (values here are never negative, so truncation is the floor).
constexpr int64_t LinesForMicroseconds(int64_t microseconds) {
    return static_cast<int64_t>(static_cast<double>(microseconds) / 1000.0 / model::kLineTimeMs);
}
constexpr int32_t MicrosecondsForLines(int32_t lines) {
    return static_cast<int32_t>((lines * model::kLineLengthClocks + model::kLineOffsetClocks) * model::kClockPeriodMs *
                                1000.0);
}
// The fewest microseconds that make at least the given lines.
constexpr int32_t FirstMicrosecondsOf(int64_t lines) {
    auto microseconds = static_cast<int64_t>(static_cast<double>(lines) * 1000.0 * model::kLineTimeMs);
    while (microseconds > 0 && LinesForMicroseconds(microseconds - 1) >= lines) {
        --microseconds;
    }
    while (LinesForMicroseconds(microseconds) < lines) {
        ++microseconds;
    }
    return static_cast<int32_t>(microseconds);
}

constexpr SettingEntry Filter(const char* name, int filterId, SettingKind kind, int32_t minimum, int32_t maximum,
                              int32_t defaultValue, const char* unit, const char* group, const char* meaning) {
    return {name, Access::kFilter, filterId, kind, minimum, maximum, defaultValue, unit, group, meaning};
}
constexpr SettingEntry Own(const char* name, Access access, SettingKind kind, int32_t minimum, int32_t maximum,
                           int32_t defaultValue, const char* unit, const char* group, const char* meaning) {
    return {name, access, 0, kind, minimum, maximum, defaultValue, unit, group, meaning};
}

// Colour gains of the conversion: 100 per cent is unity, and the packed
// Bayer gain answers the low eight bits of each.
inline constexpr int32_t kUnityColorGain = 100;
inline constexpr int32_t kUnityGrayGain = 128;

constexpr SettingEntry ColorModes() {
    SettingEntry entry = Own("color-mode", Access::kColorMode, SettingKind::kList, 8, 64, 24, "bits", "format",
                             "bits per pixel: 8, 16 (10 significant) monochrome; 24, 32, 48, 64 colour; "
                             "from the next start");
    entry.flags = kAppliesAtNextStart | kNotStored;
    entry.valueCount = 6;
    entry.values = {8, 16, 24, 32, 48, 64};
    return entry;
}

constexpr SettingEntry WaitTime() {
    SettingEntry entry =
        Own("wait-time", Access::kWaitTime, SettingKind::kRange, 0, std::numeric_limits<int32_t>::max(), 1, "ms",
            "format", "pause of the stream before each frame");
    entry.flags = kNotStored;
    return entry;
}

}  // namespace detail

using enum SettingKind;

// The order is the tool's: analog values and format first, then the image
// processing values by filter identifier.
inline constexpr std::array kSettings{
    detail::Filter("gain", kFilterGlobalGain, kRange, static_cast<int32_t>(model::kGainMin),
                   static_cast<int32_t>(model::kGainMax), static_cast<int32_t>(model::kGainDefault), "", "analog",
                   "analog gain of the sensor in register steps; higher is brighter"),
    detail::Filter("exposure-lines", kFilterExposure, kRange, static_cast<int32_t>(model::kExposureMin),
                   static_cast<int32_t>(model::kExposureMax), static_cast<int32_t>(model::kExposureMin), "lines",
                   "analog", "exposure in sensor line periods of 85.6 us"),
    detail::Own("exposure-us", Access::kExposureMicroseconds, kRange, detail::FirstMicrosecondsOf(model::kExposureMin),
                detail::FirstMicrosecondsOf(int64_t{model::kExposureMax} + 1) - 1,
                detail::MicrosecondsForLines(static_cast<int32_t>(model::kExposureMin)), "us", "analog",
                "exposure time in whole lines; reads back as their time plus the frame's fixed 41 us"),
    detail::Own("auto-iris", Access::kAutoIris, kRange, 0, 2, 0, "", "analog",
                "automatic exposure control: 0 off, 1 by exposure, 2 by gain"),
    detail::ColorModes(),
    detail::WaitTime(),
    detail::Own("mirror-h", Access::kMirrorH, kBoolean, 0, 1, 0, "", "analog", "mirror the image left to right"),
    detail::Own("mirror-v", Access::kMirrorV, kBoolean, 0, 1, 0, "", "analog", "mirror the image top to bottom"),
    detail::Filter("brightness", kFilterBrightness, kRange, -255, 255, 0, "", "image", "added to every sample"),
    detail::Filter("contrast", kFilterContrast, kRange, -127, 127, 0, "", "image",
                   "contrast around mid level; 0 leaves it"),
    detail::Filter("hue", kFilterHue, kRange, -360, 360, 0, "degrees", "colour", "hue rotation (colour modes)"),
    detail::Filter("saturation", kFilterSaturation, kRange, -255, 255, 0, "", "colour",
                   "colour saturation; 0 leaves it (colour modes)"),
    detail::Filter("sharpness", kFilterSharpness, kRange, 0, 30, 0, "", "image", "sharpening strength; 0 off"),
    detail::Filter("bayer-gain-rgb", kFilterBayerGainRgb, kRange, 0, 0xFFFFFF,
                   detail::kUnityColorGain | detail::kUnityColorGain << 8 | detail::kUnityColorGain << 16, "", "colour",
                   "red, green, blue gains in bytes 0, 1, 2 (the low 8 bits of each)"),
    detail::Filter("bayer-gain-red", kFilterBayerGainRed, kRange, 0, 400, detail::kUnityColorGain, "%", "colour",
                   "red gain of the colour conversion; 100 is unity"),
    detail::Filter("bayer-gain-green", kFilterBayerGainGreen, kRange, 0, 400, detail::kUnityColorGain, "%", "colour",
                   "green gain of the colour conversion; 100 is unity"),
    detail::Filter("bayer-gain-blue", kFilterBayerGainBlue, kRange, 0, 400, detail::kUnityColorGain, "%", "colour",
                   "blue gain of the colour conversion; 100 is unity"),
    detail::Filter("white-balance", kFilterBayerGainAuto, kBoolean, 0, 1, 0, "", "colour",
                   "automatic white balance of every colour frame"),
    detail::Filter("gamma", kFilterGamma, kRange, 0, 200, 100, "", "image", "tone curve; 100 is neutral"),
    detail::Filter("bayer-mode", kFilterBayerMode, kRange, 0, 3, 1, "", "colour",
                   "colour filter phase of the sensor's first pixel"),
    detail::Filter("gray-mode", kFilterGrayMode, kRange, 0, 2, 0, "", "gray",
                   "monochrome modes: 0 raw, 1 gray gains and offsets, 2 colour to gray"),
    detail::Filter("gray-gain-r", kFilterGrayGainR, kRange, 0, 255, detail::kUnityGrayGain, "", "gray",
                   "gray gain of red sites; 128 is unity"),
    detail::Filter("gray-gain-g1", kFilterGrayGainG1, kRange, 0, 255, detail::kUnityGrayGain, "", "gray",
                   "gray gain of first green sites; 128 is unity"),
    detail::Filter("gray-gain-g2", kFilterGrayGainG2, kRange, 0, 255, detail::kUnityGrayGain, "", "gray",
                   "gray gain of second green sites; 128 is unity"),
    detail::Filter("gray-gain-b", kFilterGrayGainB, kRange, 0, 255, detail::kUnityGrayGain, "", "gray",
                   "gray gain of blue sites; 128 is unity"),
    detail::Filter("gray-offset-r", kFilterGrayOffsetR, kRange, -255, 255, 0, "", "gray", "gray offset of red sites"),
    detail::Filter("gray-offset-g1", kFilterGrayOffsetG1, kRange, -255, 255, 0, "", "gray",
                   "gray offset of first green sites"),
    detail::Filter("gray-offset-g2", kFilterGrayOffsetG2, kRange, -255, 255, 0, "", "gray",
                   "gray offset of second green sites"),
    detail::Filter("gray-offset-b", kFilterGrayOffsetB, kRange, -255, 255, 0, "", "gray", "gray offset of blue sites"),
    detail::Filter("gray-auto-balance", kFilterGrayAutoBalance, kBoolean, 0, 1, 0, "", "gray",
                   "1: the next frame in gray mode 1 balances the gray gains and offsets, then it reads 0"),
};

inline constexpr int kSettingCount = static_cast<int>(kSettings.size());

// The entry of a name, or null.
constexpr const SettingEntry* FindSetting(std::string_view name) {
    for (const SettingEntry& entry : kSettings) {
        if (name == entry.name) {
            return &entry;
        }
    }
    return nullptr;
}

// The entry of a name the code knows; not finding it is a build error
// where it is used in a constant expression.
constexpr const SettingEntry& Named(std::string_view name) {
    const SettingEntry* entry = FindSetting(name);
    if (entry == nullptr) {
        throw "the catalogue has no setting of this name";
    }
    return *entry;
}

// The entry of a filter identifier the catalogue names; not finding one is
// a build error where it is used in a constant expression.
constexpr const SettingEntry& FilterSetting(int filterId) {
    for (const SettingEntry& entry : kSettings) {
        if (entry.access == Access::kFilter && entry.filterId == filterId) {
            return entry;
        }
    }
    throw "the catalogue has no setting of this filter identifier";
}

constexpr int32_t DefaultOf(int filterId) { return FilterSetting(filterId).defaultValue; }

// Whether a value is one the setting accepts.
constexpr bool Accepts(const SettingEntry& entry, int64_t value) {
    if (entry.kind == kList) {
        for (int i = 0; i < entry.valueCount; ++i) {
            if (entry.values[static_cast<size_t>(i)] == value) {
                return true;
            }
        }
        return false;
    }
    return value >= entry.minimum && value <= entry.maximum;
}

// The position of a value in a list setting, or -1.
constexpr int ListPosition(const SettingEntry& entry, int32_t value) {
    for (int i = 0; i < entry.valueCount; ++i) {
        if (entry.values[static_cast<size_t>(i)] == value) {
            return i;
        }
    }
    return -1;
}

}  // namespace tavrin::catalogue

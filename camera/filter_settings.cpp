// The filter identifier table and the two operations every filter export
// goes through.
#include "camera/filter_settings.h"

#include <array>

#include "camera/settings_front_end.h"
#include "device/tavrin_860vx_rux_sdk.h"

namespace tavrin {

namespace {

using Analog = AnalogRecord::Field;
using Model = device::CTavrin860VXRUXSdk;

constexpr int32_t kGainMax = static_cast<int32_t>(Model::kGainMax);
constexpr int32_t kExposureMin = static_cast<int32_t>(Model::kExposureMin);
constexpr int32_t kExposureMax = static_cast<int32_t>(Model::kExposureMax);

constexpr FilterEntry Stored(FilterField field, int32_t minimum, int32_t maximum) {
    return FilterEntry{FilterKind::kStored, field, minimum, maximum};
}

// Indexed by identifier - 1. The ranges are inclusive; anything else is
// refused with nothing changed.
constexpr std::array<FilterEntry, kLastFilterId> kFilterTable{{
    Stored(kBrightness, -255, 255),                                             // 1
    Stored(kContrast, -127, 127),                                               // 2
    Stored(kHue, -360, 360),                                                    // 3
    Stored(kSaturation, -255, 255),                                             // 4
    Stored(kSharpness, 0, 30),                                                  // 5
    {FilterKind::kPackedBayerGain, kBayerGainRed, kAnyValueMin, kAnyValueMax},  // 6
    Stored(kBayerGainRed, 0, 400),                                              // 7
    Stored(kBayerGainGreen, 0, 400),                                            // 8
    Stored(kBayerGainBlue, 0, 400),                                             // 9
    {FilterKind::kFlag, kBayerGainAuto, kAnyValueMin, kAnyValueMax},            // 10
    Stored(kGamma, 0, 200),                                                     // 11: 100 is neutral
    Stored(kBayerMode, 0, 3),                                                   // 12
    {FilterKind::kGlobalGain, Analog::kGlobalGain, 0, kGainMax},                // 13
    {FilterKind::kZeroColorGain, Analog::kColorGainR, 0, 0},                    // 14
    {FilterKind::kZeroColorGain, Analog::kColorGainG1, 0, 0},                   // 15
    {FilterKind::kZeroColorGain, Analog::kColorGainG2, 0, 0},                   // 16
    {FilterKind::kZeroColorGain, Analog::kColorGainB, 0, 0},                    // 17
    {FilterKind::kExposure, Analog::kExposure, kExposureMin, kExposureMax},     // 18: lines
    Stored(kGrayMode, 0, 2),                                                    // 19
    Stored(kGrayGainR, 0, 255),                                                 // 20: 128 is unity
    Stored(kGrayGainG1, 0, 255),                                                // 21
    Stored(kGrayGainG2, 0, 255),                                                // 22
    Stored(kGrayGainB, 0, 255),                                                 // 23
    Stored(kGrayOffsetR, -255, 255),                                            // 24
    Stored(kGrayOffsetG1, -255, 255),                                           // 25
    Stored(kGrayOffsetG2, -255, 255),                                           // 26
    Stored(kGrayOffsetB, -255, 255),                                            // 27
    Stored(kGrayAutoBalance, 0, 1),                                             // 28
}};

}  // namespace

const FilterEntry* FindFilterEntry(int id) {
    if (id < kFirstFilterId || id > kLastFilterId) {
        return nullptr;
    }
    return &kFilterTable[static_cast<size_t>(id - 1)];
}

int32_t PackBayerGains(const FilterRecord& filter) {
    return (filter.Get(kBayerGainRed) & 0xFF) | (filter.Get(kBayerGainGreen) & 0xFF) << 8 |
           (filter.Get(kBayerGainBlue) & 0xFF) << 16;
}

void UnpackBayerGains(FilterRecord& filter, int32_t packed) {
    filter.Set(kBayerGainRed, packed & 0xFF);
    filter.Set(kBayerGainGreen, (packed >> 8) & 0xFF);
    filter.Set(kBayerGainBlue, (packed >> 16) & 0xFF);
}

namespace {

void SetErrorOut(int* error, int value) {
    if (error != nullptr) {
        *error = value;
    }
}

}  // namespace

int SettingsFrontEnd::GetFilterValue(int id, int* error) {
    SetErrorOut(error, 0);
    if (!context_.RequireDevice()) {
        return 0;
    }
    const FilterEntry* entry = FindFilterEntry(id);
    if (entry == nullptr) {
        context_.Report(kErrParameter);
        return 0;
    }
    SetErrorOut(error, 1);
    return FilterValue(*entry);
}

int SettingsFrontEnd::SetFilterValue(int id, int value) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    const FilterEntry* entry = FindFilterEntry(id);
    if (entry == nullptr || !AcceptsFilterValue(*entry, value)) {
        context_.Report(kErrParameter);
        return 0;
    }
    return StoreFilterValue(*entry, value);
}

// Gain and exposure answer what the sensor was last told.
int SettingsFrontEnd::FilterValue(const FilterEntry& entry) const {
    switch (entry.kind) {
    case FilterKind::kStored:
    case FilterKind::kFlag:
        return context_.filter.Get(static_cast<FilterField>(entry.field));
    case FilterKind::kPackedBayerGain:
        return PackBayerGains(context_.filter);
    case FilterKind::kZeroColorGain:
        return 0;
    case FilterKind::kGlobalGain:
        return analog_.Gain();
    case FilterKind::kExposure:
        return analog_.ExposureLines();
    }
    return 0;
}

// This model has one analog gain: the global gain also stands for the four
// colour gains.
int SettingsFrontEnd::StoreFilterValue(const FilterEntry& entry, int32_t value) {
    switch (entry.kind) {
    case FilterKind::kStored:
        context_.filter.Set(static_cast<FilterField>(entry.field), value);
        return 1;
    case FilterKind::kFlag:
        context_.filter.Set(static_cast<FilterField>(entry.field), value != 0 ? 1 : 0);
        return 1;
    case FilterKind::kPackedBayerGain:
        UnpackBayerGains(context_.filter, value);
        return 1;
    case FilterKind::kZeroColorGain:
        context_.analog.Set(static_cast<AnalogRecord::Field>(entry.field), 0);
        return 1;
    case FilterKind::kGlobalGain:
        return analog_.SetGlobalGain(value);
    case FilterKind::kExposure:
        return analog_.SetExposureLines(value);
    }
    return 0;
}

}  // namespace tavrin

// The filter identifier table and the two operations every filter export
// goes through.
#include "camera/filter_settings.h"

#include <array>

#include "camera/settings_front_end.h"
#include "records/settings_catalogue.h"

namespace tavrin {

namespace {

using Analog = AnalogRecord::Field;
using catalogue::FilterSetting;

// A value the catalogue describes, with the range it gives.
constexpr FilterEntry Catalogued(FilterKind kind, int field, int id) {
    return FilterEntry{kind, field, FilterSetting(id).minimum, FilterSetting(id).maximum};
}
constexpr FilterEntry Stored(FilterField field, int id) { return Catalogued(FilterKind::kStored, field, id); }

// The packed Bayer gain and the white balance flag take any value through
// these exports (the flag stores whether it is 0); the catalogue offers
// the values that mean something.
constexpr FilterEntry AnyValue(FilterKind kind, FilterField field) {
    return FilterEntry{kind, field, kAnyValueMin, kAnyValueMax};
}

// This model has no analog colour gains: each takes only 0.
constexpr FilterEntry ZeroColorGain(Analog field) { return FilterEntry{FilterKind::kZeroColorGain, field, 0, 0}; }

// Indexed by identifier - 1. The ranges are inclusive; anything else is
// refused with nothing changed.
constexpr std::array<FilterEntry, kLastFilterId> kFilterTable{{
    Stored(kBrightness, kFilterBrightness),                                       // 1
    Stored(kContrast, kFilterContrast),                                           // 2
    Stored(kHue, kFilterHue),                                                     // 3
    Stored(kSaturation, kFilterSaturation),                                       // 4
    Stored(kSharpness, kFilterSharpness),                                         // 5
    AnyValue(FilterKind::kPackedBayerGain, kBayerGainRed),                        // 6
    Stored(kBayerGainRed, kFilterBayerGainRed),                                   // 7
    Stored(kBayerGainGreen, kFilterBayerGainGreen),                               // 8
    Stored(kBayerGainBlue, kFilterBayerGainBlue),                                 // 9
    AnyValue(FilterKind::kFlag, kBayerGainAuto),                                  // 10
    Stored(kGamma, kFilterGamma),                                                 // 11
    Stored(kBayerMode, kFilterBayerMode),                                         // 12
    Catalogued(FilterKind::kGlobalGain, Analog::kGlobalGain, kFilterGlobalGain),  // 13
    ZeroColorGain(Analog::kColorGainR),                                           // 14
    ZeroColorGain(Analog::kColorGainG1),                                          // 15
    ZeroColorGain(Analog::kColorGainG2),                                          // 16
    ZeroColorGain(Analog::kColorGainB),                                           // 17
    Catalogued(FilterKind::kExposure, Analog::kExposure, kFilterExposure),        // 18: lines
    Stored(kGrayMode, kFilterGrayMode),                                           // 19
    Stored(kGrayGainR, kFilterGrayGainR),                                         // 20
    Stored(kGrayGainG1, kFilterGrayGainG1),                                       // 21
    Stored(kGrayGainG2, kFilterGrayGainG2),                                       // 22
    Stored(kGrayGainB, kFilterGrayGainB),                                         // 23
    Stored(kGrayOffsetR, kFilterGrayOffsetR),                                     // 24
    Stored(kGrayOffsetG1, kFilterGrayOffsetG1),                                   // 25
    Stored(kGrayOffsetG2, kFilterGrayOffsetG2),                                   // 26
    Stored(kGrayOffsetB, kFilterGrayOffsetB),                                     // 27
    Stored(kGrayAutoBalance, kFilterGrayAutoBalance),                             // 28
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

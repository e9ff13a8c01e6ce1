// The filter identifier table and the two operations every filter export
// goes through.
#include "camera/filter_settings.h"

#include <array>

namespace tavrin {

namespace {

using Analog = AnalogRecord::Field;

constexpr FilterEntry Stored(FilterField field, int32_t minimum, int32_t maximum) {
    return FilterEntry{FilterKind::kStored, field, minimum, maximum};
}

// Indexed by identifier - 1. The ranges are inclusive; anything else is
// refused with nothing changed.
constexpr std::array<FilterEntry, kLastFilterId> kFilterTable{{
    Stored(kBrightness, -255, 255),                                            // 1
    Stored(kContrast, -127, 127),                                              // 2
    Stored(kHue, -360, 360),                                                   // 3
    Stored(kSaturation, -255, 255),                                            // 4
    Stored(kSharpness, 0, 30),                                                 // 5
    {FilterKind::kPackedBayerGain, kBayerGainRed, kAnyValueMin, kAnyValueMax},  // 6
    Stored(kBayerGainRed, 0, 400),                                             // 7
    Stored(kBayerGainGreen, 0, 400),                                           // 8
    Stored(kBayerGainBlue, 0, 400),                                            // 9
    {FilterKind::kFlag, kBayerGainAuto, kAnyValueMin, kAnyValueMax},           // 10
    Stored(kGamma, 0, 200),                                                    // 11: 100 is neutral
    Stored(kBayerMode, 0, 3),                                                  // 12
    {FilterKind::kGlobalGain, Analog::kGlobalGain, 0, 1023},                   // 13
    {FilterKind::kZeroColorGain, Analog::kColorGainR, 0, 0},                   // 14
    {FilterKind::kZeroColorGain, Analog::kColorGainG1, 0, 0},                  // 15
    {FilterKind::kZeroColorGain, Analog::kColorGainG2, 0, 0},                  // 16
    {FilterKind::kZeroColorGain, Analog::kColorGainB, 0, 0},                   // 17
    {FilterKind::kExposure, Analog::kExposure, 2, 524},                        // 18: lines
    Stored(kGrayMode, 0, 2),                                                   // 19
    Stored(kGrayGainR, 0, 255),                                                // 20: 128 is unity
    Stored(kGrayGainG1, 0, 255),                                               // 21
    Stored(kGrayGainG2, 0, 255),                                               // 22
    Stored(kGrayGainB, 0, 255),                                                // 23
    Stored(kGrayOffsetR, -255, 255),                                           // 24
    Stored(kGrayOffsetG1, -255, 255),                                          // 25
    Stored(kGrayOffsetG2, -255, 255),                                          // 26
    Stored(kGrayOffsetB, -255, 255),                                           // 27
    Stored(kGrayAutoBalance, 0, 1),                                            // 28
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

}  // namespace tavrin

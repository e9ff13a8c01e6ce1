// The filter identifiers 1 to 28 that Tavrin_GetFilterValue and
// Tavrin_SetFilterValue (and every named filter export) address: one table
// that says, per identifier, which value the setter accepts, where it goes
// and what the getter answers.
#pragma once

#include <cstdint>
#include <limits>

#include "records/filter_record.h"
#include "records/settings_records.h"

namespace tavrin {

// Identifiers of the named filter exports.
enum FilterId : int {
    kFilterBrightness = 1,
    kFilterContrast = 2,
    kFilterHue = 3,
    kFilterSaturation = 4,
    kFilterSharpness = 5,
    kFilterBayerGainRgb = 6,
    kFilterBayerGainRed = 7,
    kFilterBayerGainGreen = 8,
    kFilterBayerGainBlue = 9,
    kFilterBayerGainAuto = 10,
    kFilterGamma = 11,
    kFilterBayerMode = 12,
    kFilterGlobalGain = 13,
    kFilterColorGainRed = 14,
    kFilterColorGainGreen1 = 15,
    kFilterColorGainGreen2 = 16,
    kFilterColorGainBlue = 17,
    kFilterExposure = 18,
    kFilterGrayMode = 19,
    kFilterGrayGainR = 20,
    kFilterGrayGainG1 = 21,
    kFilterGrayGainG2 = 22,
    kFilterGrayGainB = 23,
    kFilterGrayOffsetR = 24,
    kFilterGrayOffsetG1 = 25,
    kFilterGrayOffsetG2 = 26,
    kFilterGrayOffsetB = 27,
    kFilterGrayAutoBalance = 28,  // has no named export
    kFirstFilterId = kFilterBrightness,
    kLastFilterId = kFilterGrayAutoBalance,
};

// What a filter value is and where it lives.
enum class FilterKind : uint8_t {
    kStored,           // a field of the filter record, stored as given
    kFlag,             // a field of the filter record, stored as 1 or 0
    kPackedBayerGain,  // red, green, blue Bayer gains in bytes 0, 1 and 2
    kZeroColorGain,    // an analog colour gain: this model has none, so only 0
    kGlobalGain,       // analog record and all colour gains, programmed into the sensor
    kExposure,         // analog record, programmed into the sensor (lines)
};

struct FilterEntry {
    FilterKind kind;
    int field;        // FilterField, or AnalogRecord::Field for the analog kinds
    int32_t minimum;  // inclusive range the setter accepts
    int32_t maximum;
};

inline constexpr int32_t kAnyValueMin = std::numeric_limits<int32_t>::min();
inline constexpr int32_t kAnyValueMax = std::numeric_limits<int32_t>::max();

// The entry of an identifier, or null outside 1 to 28.
const FilterEntry* FindFilterEntry(int id);

inline bool AcceptsFilterValue(const FilterEntry& entry, int32_t value) {
    return value >= entry.minimum && value <= entry.maximum;
}

// The packed Bayer gain: each gain contributes its low eight bits.
int32_t PackBayerGains(const FilterRecord& filter);
void UnpackBayerGains(FilterRecord& filter, int32_t packed);

}  // namespace tavrin

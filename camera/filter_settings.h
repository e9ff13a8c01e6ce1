// The filter identifiers 1 to 28 that Tavrin_GetFilterValue and
// Tavrin_SetFilterValue (and every named filter export) address: one table
// that says, per identifier, which value the setter accepts, where it goes
// and what the getter answers. The ranges are the settings catalogue's.
#pragma once

#include <cstdint>
#include <limits>

#include "records/filter_ids.h"
#include "records/filter_record.h"
#include "records/settings_records.h"

namespace tavrin {

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

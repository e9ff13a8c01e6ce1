// The settings catalogue as the TavrinEx_ functions hand it out: one record
// per setting, laid out as the public header's TavrinSettingInfo (the
// export file ties the two together at build time).
#pragma once

#include <cstdint>

#include "records/settings_catalogue.h"

namespace tavrin {

struct SettingDescription {
    int32_t size;  // the caller's; never written
    int32_t index;
    int32_t kind;
    int32_t filterId;
    int32_t minimum;
    int32_t maximum;
    int32_t defaultValue;
    int32_t flags;
    const char* name;
    const char* unit;
    const char* group;
    const char* meaning;
    int32_t valueCount;
    int32_t values[catalogue::kMaxListValues];
};

// The number of settings in the catalogue.
int SettingCount();

// Fills the first size bytes of the caller's record (its size field stays
// as the caller set it). 1; 0 for an index outside the catalogue, a null
// record or a size below 8 bytes.
int DescribeSetting(int index, void* record);

}  // namespace tavrin

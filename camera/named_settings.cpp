// Settings by their catalogue name: the catalogue says which values a
// setting takes, and each goes through the operation that the setting's
// own export uses, so both ways to a setting behave alike.
#include "camera/named_settings.h"

#include <algorithm>
#include <cstring>

#include "camera/settings_front_end.h"

namespace tavrin {

using catalogue::Access;
using catalogue::SettingEntry;

int SettingCount() { return catalogue::kSettingCount; }

int DescribeSetting(int index, void* record) {
    constexpr int32_t kSmallestRecord = 8;  // size and index
    if (index < 0 || index >= catalogue::kSettingCount || record == nullptr) {
        return 0;
    }
    int32_t size = 0;
    std::memcpy(&size, record, sizeof size);
    if (size < kSmallestRecord) {
        return 0;
    }
    const SettingEntry& entry = catalogue::kSettings[static_cast<size_t>(index)];
    SettingDescription description{};
    description.index = index;
    description.kind = static_cast<int32_t>(entry.kind);
    description.filterId = entry.filterId;
    description.minimum = entry.minimum;
    description.maximum = entry.maximum;
    description.defaultValue = entry.defaultValue;
    description.flags = entry.flags;
    description.name = entry.name;
    description.unit = entry.unit;
    description.group = entry.group;
    description.meaning = entry.meaning;
    description.valueCount = entry.valueCount;
    std::copy(entry.values.begin(), entry.values.end(), description.values);
    // A caller built against an older, shorter record gets what fits.
    const size_t filled = std::min(static_cast<size_t>(size), sizeof description);
    std::memcpy(static_cast<char*>(record) + sizeof size, reinterpret_cast<const char*>(&description) + sizeof size,
                filled - sizeof size);
    return 1;
}

int SettingsFrontEnd::GetNamedSetting(const char* name, int* value) {
    const SettingEntry* entry = name != nullptr ? catalogue::FindSetting(name) : nullptr;
    if (entry == nullptr || value == nullptr) {
        context_.Report(kErrParameter);
        return 0;
    }
    int ok = 1;
    int read = 0;
    switch (entry->access) {
    case Access::kFilter:
        read = GetFilterValue(entry->filterId, &ok);
        break;
    case Access::kExposureMicroseconds:
        read = GetRealExposureTime(&ok);
        break;
    case Access::kAutoIris:
        read = GetAutoIris(&ok);
        break;
    case Access::kColorMode:
        // A mode outside the list can only come from the settings store.
        read = GetColorModeAsSet();
        if (read < 0) {
            context_.Report(kErrParameter);
            ok = 0;
        }
        break;
    case Access::kWaitTime:
        read = GetWaitTime();
        break;
    case Access::kMirrorH:
    case Access::kMirrorV:
        if (!context_.RequireDevice()) {
            return 0;
        }
        read = entry->access == Access::kMirrorH ? GetMirrorH() : GetMirrorV();
        break;
    }
    if (ok == 0) {
        return 0;
    }
    *value = read;
    return 1;
}

int SettingsFrontEnd::SetNamedSetting(const char* name, int value) {
    const SettingEntry* entry = name != nullptr ? catalogue::FindSetting(name) : nullptr;
    if (entry == nullptr || !catalogue::Accepts(*entry, value)) {
        context_.Report(kErrParameter);
        return 0;
    }
    switch (entry->access) {
    case Access::kFilter:
        return SetFilterValue(entry->filterId, value);
    case Access::kExposureMicroseconds:
        return SetRealExposureTime(value);
    case Access::kAutoIris:
        return SetAutoIris(value);
    case Access::kColorMode:
        return SetColorMode(value);
    case Access::kWaitTime:
        return SetWaitTime(value);
    case Access::kMirrorH:
        return SetMirrorH(value);
    case Access::kMirrorV:
        // Its own export only posts "not ready"; here it is queued as well.
        return context_.RequireDevice() ? SetMirrorV(value) : 0;
    }
    return 0;
}

}  // namespace tavrin

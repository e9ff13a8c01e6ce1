// The exported settings catalogue: describing it needs no camera; reading
// and writing by name find the camera object and forward.
#include <cstddef>

#include "TavrinEx.h"
#include "api/export_frame.h"
#include "camera/named_settings.h"

using tavrin::CallCamera;
using tavrin::CTavrin;

namespace {

// The camera layer cannot see the public header: its record and numbers
// are tied to the header's here.
using tavrin::SettingDescription;
static_assert(sizeof(SettingDescription) == sizeof(TavrinSettingInfo));
static_assert(offsetof(SettingDescription, index) == offsetof(TavrinSettingInfo, index));
static_assert(offsetof(SettingDescription, kind) == offsetof(TavrinSettingInfo, kind));
static_assert(offsetof(SettingDescription, filterId) == offsetof(TavrinSettingInfo, filterId));
static_assert(offsetof(SettingDescription, minimum) == offsetof(TavrinSettingInfo, minimum));
static_assert(offsetof(SettingDescription, maximum) == offsetof(TavrinSettingInfo, maximum));
static_assert(offsetof(SettingDescription, defaultValue) == offsetof(TavrinSettingInfo, defaultValue));
static_assert(offsetof(SettingDescription, flags) == offsetof(TavrinSettingInfo, flags));
static_assert(offsetof(SettingDescription, name) == offsetof(TavrinSettingInfo, name));
static_assert(offsetof(SettingDescription, unit) == offsetof(TavrinSettingInfo, unit));
static_assert(offsetof(SettingDescription, group) == offsetof(TavrinSettingInfo, group));
static_assert(offsetof(SettingDescription, meaning) == offsetof(TavrinSettingInfo, meaning));
static_assert(offsetof(SettingDescription, valueCount) == offsetof(TavrinSettingInfo, valueCount));
static_assert(offsetof(SettingDescription, values) == offsetof(TavrinSettingInfo, values));
static_assert(tavrin::catalogue::kMaxListValues == TAVRIN_SETTING_MAX_VALUES);
static_assert(static_cast<int>(tavrin::catalogue::kRange) == TAVRIN_SETTING_RANGE);
static_assert(static_cast<int>(tavrin::catalogue::kBoolean) == TAVRIN_SETTING_BOOLEAN);
static_assert(static_cast<int>(tavrin::catalogue::kList) == TAVRIN_SETTING_LIST);
static_assert(tavrin::catalogue::kAppliesAtNextStart == TAVRIN_SETTING_APPLIES_AT_START);
static_assert(tavrin::catalogue::kNotStored == TAVRIN_SETTING_NOT_STORED);

}  // namespace

extern "C" {

TAVRIN_API int TAVRIN_CALL TavrinEx_GetSettingCount(void) { return tavrin::SettingCount(); }

TAVRIN_API int TAVRIN_CALL TavrinEx_DescribeSetting(int index, TavrinSettingInfo* info) {
    return tavrin::DescribeSetting(index, info);
}

TAVRIN_API int TAVRIN_CALL TavrinEx_GetSetting(int h, const char* name, int* value) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetNamedSetting(name, value); });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_SetSetting(int h, const char* name, int value) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetNamedSetting(name, value); });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_SaveSettings(int h, char* reason, int reasonSize) {
    return CallCamera(h, [=](CTavrin& c) { return c.SaveSettings(reason, reasonSize); });
}

}  // extern "C"

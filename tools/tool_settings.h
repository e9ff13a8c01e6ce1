// The settings that `tavrin get` and `tavrin set` know by name: the SDK's
// settings catalogue, read through the public TavrinEx_ functions.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "TavrinEx.h"

namespace tavrin::tool {

using Setting = TavrinSettingInfo;

// Every setting of the catalogue, in its order.
std::vector<Setting> AllSettings();
// The catalogue's setting of that name, or nullopt.
std::optional<Setting> FindSetting(const std::string& name);
// Reads a setting; nullopt when the SDK refused (its error is queued).
std::optional<int> GetSetting(int camera, const Setting& setting);
// Writes a setting; false when the SDK refused (its error is queued).
bool SetSetting(int camera, const Setting& setting, int value);
// Writes the settings changed so far to the settings store, for later runs;
// false with the store's reason (its error is queued) when it could not.
bool StoreSettings(int camera, std::string& problem);
// What a setting accepts, as a user reads it: "0 to 1023", "0 or 1", ...
std::string AcceptedValues(const Setting& setting);
// One line per setting: name, accepted values, default, unit and meaning,
// for `tavrin help`.
std::string SettingHelp();

}  // namespace tavrin::tool

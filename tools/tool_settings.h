// The settings that `tavrin get` and `tavrin set` know by name.
#pragma once

#include <optional>
#include <string>

namespace tavrin::tool {

// Reads a setting; nullopt when the SDK refused (its error is queued).
std::optional<int> GetSetting(int camera, const std::string& name, bool& known);
// Writes a setting; false when the SDK refused or the name is unknown.
bool SetSetting(int camera, const std::string& name, int value, bool& known);
// One line per setting name, for the help text.
std::string SettingNames();

}  // namespace tavrin::tool

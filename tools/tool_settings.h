// The settings that `tavrin get` and `tavrin set` know by name, with the
// values each accepts and what it means.
#pragma once

#include <optional>
#include <string>

namespace tavrin::tool {

// A setting is either a filter value the SDK addresses by number (filterId
// not 0) or one with exports of its own (get and set).
struct Setting {
    const char* name;
    const char* range;    // what `set` accepts, as a user reads it
    const char* meaning;  // one line for the help text
    int filterId;
    int (*get)(int camera, bool& ok);
    int (*set)(int camera, int value);
};

// The setting of that name, or null.
const Setting* FindSetting(const std::string& name);
// Reads a setting; nullopt when the SDK refused (its error is queued).
std::optional<int> GetSetting(int camera, const Setting& setting);
// Writes a setting; false when the SDK refused (its error is queued).
bool SetSetting(int camera, const Setting& setting, int value);
// One line per setting: name, range and meaning, for `tavrin help`.
std::string SettingHelp();

}  // namespace tavrin::tool

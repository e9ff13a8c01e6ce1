#include "tools/tool_settings.h"

#include <climits>
#include <cstdio>

namespace tavrin::tool {
namespace {

std::optional<Setting> Describe(int index) {
    Setting setting{};
    setting.size = sizeof setting;
    if (!TavrinEx_DescribeSetting(index, &setting)) {
        return std::nullopt;
    }
    return setting;
}

}  // namespace

std::vector<Setting> AllSettings() {
    std::vector<Setting> settings;
    for (int i = 0; i < TavrinEx_GetSettingCount(); ++i) {
        if (const auto setting = Describe(i))
            settings.push_back(*setting);
    }
    return settings;
}

std::optional<Setting> FindSetting(const std::string& name) {
    for (int i = 0; i < TavrinEx_GetSettingCount(); ++i) {
        const auto setting = Describe(i);
        if (setting && name == setting->name) {
            return setting;
        }
    }
    return std::nullopt;
}

std::optional<int> GetSetting(int camera, const Setting& setting) {
    int value = 0;
    if (!TavrinEx_GetSetting(camera, setting.name, &value)) {
        return std::nullopt;
    }
    return value;
}

bool SetSetting(int camera, const Setting& setting, int value) {
    return TavrinEx_SetSetting(camera, setting.name, value) != 0;
}

bool StoreSettings(int camera, std::string& problem) {
    char reason[512] = "";
    if (TavrinEx_SaveSettings(camera, reason, sizeof reason)) {
        return true;
    }
    problem = reason[0] != '\0' ? reason : "the settings store could not be written";
    return false;
}

std::string AcceptedValues(const Setting& setting) {
    if (setting.kind == TAVRIN_SETTING_BOOLEAN) {
        return "0 or 1";
    }
    if (setting.kind == TAVRIN_SETTING_LIST) {
        std::string text;
        for (int i = 0; i < setting.valueCount && i < TAVRIN_SETTING_MAX_VALUES; ++i) {
            text += (i == 0 ? "" : i + 1 == setting.valueCount ? " or " : ", ") + std::to_string(setting.values[i]);
        }
        return text;
    }
    if (setting.maximum == INT_MAX) {
        return std::to_string(setting.minimum) + " or more";
    }
    return std::to_string(setting.minimum) + " to " + std::to_string(setting.maximum);
}

std::string SettingHelp() {
    std::string text;
    for (int i = 0; i < TavrinEx_GetSettingCount(); ++i) {
        const auto setting = Describe(i);
        if (!setting) {
            continue;
        }
        char line[300];
        std::snprintf(line, sizeof line, "  %-18s %-24s %-9d %-7s %s\n", setting->name,
                      AcceptedValues(*setting).c_str(), setting->defaultValue, setting->unit, setting->meaning);
        text += line;
    }
    return text;
}

}  // namespace tavrin::tool

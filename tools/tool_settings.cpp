#include "tools/tool_settings.h"

#include <iterator>

#include "TavrinSdk.h"

namespace tavrin::tool {
namespace {

// The filter values the SDK addresses by number.
struct FilterName {
    const char* name;
    int id;
};

constexpr FilterName kFilters[] = {
    {"brightness", 1},       {"contrast", 2},          {"hue", 3},
    {"saturation", 4},       {"sharpness", 5},         {"bayer-gain-rgb", 6},
    {"bayer-gain-red", 7},   {"bayer-gain-green", 8},  {"bayer-gain-blue", 9},
    {"white-balance", 10},   {"gamma", 11},            {"bayer-mode", 12},
    {"gain", 13},            {"exposure-lines", 18},   {"gray-mode", 19},
    {"gray-gain-r", 20},     {"gray-gain-g1", 21},     {"gray-gain-g2", 22},
    {"gray-gain-b", 23},     {"gray-offset-r", 24},    {"gray-offset-g1", 25},
    {"gray-offset-g2", 26},  {"gray-offset-b", 27},    {"gray-auto-balance", 28},
};

// Settings with exports of their own.
struct NamedSetting {
    const char* name;
    int (*get)(int camera, bool& ok);
    int (*set)(int camera, int value);
};

int WithError(int (*getter)(int, int*), int camera, bool& ok) {
    int error = 0;
    const int value = getter(camera, &error);
    ok = error != 0;
    return value;
}

const NamedSetting kNamed[] = {
    {"color-mode", [](int c, bool& ok) { const int v = Tavrin_GetColorMode(c); ok = v >= 0; return v; },
     Tavrin_SetColorMode},
    {"wait-time", [](int c, bool& ok) { const int v = Tavrin_GetWaitTime(c); ok = v >= 0; return v; },
     Tavrin_SetWaitTime},
    {"exposure-us", [](int c, bool& ok) { return WithError(Tavrin_GetRealExposureTime, c, ok); },
     Tavrin_SetRealExposureTime},
    {"mirror-h", [](int c, bool& ok) { ok = true; return Tavrin_GetMirrorH(c); }, Tavrin_SetMirrorH},
    {"mirror-v", [](int c, bool& ok) { ok = true; return Tavrin_GetMirrorV(c); }, Tavrin_SetMirrorV},
    {"auto-iris", [](int c, bool& ok) { return WithError(Tavrin_GetAutoIris, c, ok); }, Tavrin_SetAutoIris},
};

}  // namespace

std::optional<int> GetSetting(int camera, const std::string& name, bool& known) {
    known = true;
    for (const auto& f : kFilters) {
        if (name == f.name) {
            int error = 0;
            const int value = Tavrin_GetFilterValue(camera, f.id, &error);
            return error != 0 ? std::optional<int>(value) : std::nullopt;
        }
    }
    for (const auto& s : kNamed) {
        if (name == s.name) {
            bool ok = false;
            const int value = s.get(camera, ok);
            return ok ? std::optional<int>(value) : std::nullopt;
        }
    }
    known = false;
    return std::nullopt;
}

bool SetSetting(int camera, const std::string& name, int value, bool& known) {
    known = true;
    for (const auto& f : kFilters) {
        if (name == f.name) {
            return Tavrin_SetFilterValue(camera, f.id, value) != 0;
        }
    }
    for (const auto& s : kNamed) {
        if (name == s.name) {
            return s.set(camera, value) != 0;
        }
    }
    known = false;
    return false;
}

std::string SettingNames() {
    std::string names;
    for (const auto& f : kFilters) {
        names += std::string("  ") + f.name + "\n";
    }
    for (const auto& s : kNamed) {
        names += std::string("  ") + s.name + "\n";
    }
    return names;
}

}  // namespace tavrin::tool

#include "tools/tool_settings.h"

#include <cstdio>

#include "TavrinSdk.h"

namespace tavrin::tool {
namespace {

int WithError(int (*getter)(int, int*), int camera, bool& ok) {
    int error = 0;
    const int value = getter(camera, &error);
    ok = error != 0;
    return value;
}

int GetColorMode(int c, bool& ok) {
    const int v = Tavrin_GetColorMode(c);
    ok = v >= 0;
    return v;
}
int GetWaitTime(int c, bool& ok) {
    const int v = Tavrin_GetWaitTime(c);
    ok = v >= 0;
    return v;
}
int GetExposureUs(int c, bool& ok) { return WithError(Tavrin_GetRealExposureTime, c, ok); }
int GetMirrorH(int c, bool& ok) {
    ok = true;
    return Tavrin_GetMirrorH(c);
}
int GetMirrorV(int c, bool& ok) {
    ok = true;
    return Tavrin_GetMirrorV(c);
}
int GetAutoIris(int c, bool& ok) { return WithError(Tavrin_GetAutoIris, c, ok); }

const Setting kSettings[] = {
    {"gain", "0 to 1023", "analog gain of the sensor: 0 is 1x, 1023 is 8x", 13, nullptr, nullptr},
    {"exposure-lines", "2 to 524", "exposure in sensor lines", 18, nullptr, nullptr},
    {"exposure-us", "172 to 44916", "exposure in microseconds (whole lines of 85.6 us)", 0, GetExposureUs,
     Tavrin_SetRealExposureTime},
    {"auto-iris", "0 to 2", "0 off, 1 automatic exposure, 2 automatic gain", 0, GetAutoIris, Tavrin_SetAutoIris},
    {"color-mode", "8, 16, 24, 32, 48 or 64",
     "bits per pixel of the images (get answers 10 for 16, 42 for 48, "
     "58 for 64)",
     0, GetColorMode, Tavrin_SetColorMode},
    {"wait-time", "0 or more", "milliseconds the stream waits before each frame", 0, GetWaitTime, Tavrin_SetWaitTime},
    {"mirror-h", "0 or 1", "mirror the image left to right", 0, GetMirrorH, Tavrin_SetMirrorH},
    {"mirror-v", "0 or 1", "mirror the image top to bottom", 0, GetMirrorV, Tavrin_SetMirrorV},
    {"brightness", "-255 to 255", "added to every sample", 1, nullptr, nullptr},
    {"contrast", "-127 to 127", "contrast around mid level; 0 leaves it", 2, nullptr, nullptr},
    {"hue", "-360 to 360", "hue rotation in degrees (colour modes)", 3, nullptr, nullptr},
    {"saturation", "-255 to 255", "colour saturation; 0 leaves it", 4, nullptr, nullptr},
    {"sharpness", "0 to 30", "sharpening strength; 0 off", 5, nullptr, nullptr},
    {"bayer-gain-rgb", "any", "red, green, blue colour gains packed in bytes 0, 1, 2", 6, nullptr, nullptr},
    {"bayer-gain-red", "0 to 400", "red gain in per cent (colour modes)", 7, nullptr, nullptr},
    {"bayer-gain-green", "0 to 400", "green gain in per cent (colour modes)", 8, nullptr, nullptr},
    {"bayer-gain-blue", "0 to 400", "blue gain in per cent (colour modes)", 9, nullptr, nullptr},
    {"white-balance", "0 or 1", "automatic white balance", 10, nullptr, nullptr},
    {"gamma", "0 to 200", "tone curve; 100 is neutral", 11, nullptr, nullptr},
    {"bayer-mode", "0 to 3", "colour filter phase at the first pixel", 12, nullptr, nullptr},
    {"gray-mode", "0 to 2", "monochrome modes: 0 off, 1 gray gains and offsets, 2 colour to gray", 19, nullptr,
     nullptr},
    {"gray-gain-r", "0 to 255", "gray gain of red sites; 128 is unity", 20, nullptr, nullptr},
    {"gray-gain-g1", "0 to 255", "gray gain of first green sites; 128 is unity", 21, nullptr, nullptr},
    {"gray-gain-g2", "0 to 255", "gray gain of second green sites; 128 is unity", 22, nullptr, nullptr},
    {"gray-gain-b", "0 to 255", "gray gain of blue sites; 128 is unity", 23, nullptr, nullptr},
    {"gray-offset-r", "-255 to 255", "gray offset of red sites", 24, nullptr, nullptr},
    {"gray-offset-g1", "-255 to 255", "gray offset of first green sites", 25, nullptr, nullptr},
    {"gray-offset-g2", "-255 to 255", "gray offset of second green sites", 26, nullptr, nullptr},
    {"gray-offset-b", "-255 to 255", "gray offset of blue sites", 27, nullptr, nullptr},
    {"gray-auto-balance", "0 or 1", "1: the next frame in gray mode 1 balances the gray gains", 28, nullptr, nullptr},
};

}  // namespace

const Setting* FindSetting(const std::string& name) {
    for (const auto& s : kSettings) {
        if (name == s.name) {
            return &s;
        }
    }
    return nullptr;
}

std::optional<int> GetSetting(int camera, const Setting& s) {
    bool ok = false;
    int value = 0;
    if (s.filterId != 0) {
        int error = 0;
        value = Tavrin_GetFilterValue(camera, s.filterId, &error);
        ok = error != 0;
    } else {
        value = s.get(camera, ok);
    }
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool SetSetting(int camera, const Setting& s, int value) {
    return (s.filterId != 0 ? Tavrin_SetFilterValue(camera, s.filterId, value) : s.set(camera, value)) != 0;
}

std::string SettingHelp() {
    std::string text;
    for (const auto& s : kSettings) {
        char line[200];
        std::snprintf(line, sizeof line, "  %-18s %-24s %s\n", s.name, s.range, s.meaning);
        text += line;
    }
    return text;
}

}  // namespace tavrin::tool

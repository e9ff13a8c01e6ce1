#include "tools/tool_region.h"

#include <cstdio>
#include <vector>

#include "TavrinEx.h"
#include "TavrinSdk.h"
#include "tools/tool_report.h"

namespace tavrin::tool {

std::string RegionText(int camera) {
    int left = 0, top = 0, width = 0, height = 0;
    Tavrin_GetCaptureWindowEx(camera, nullptr, &left, &width, nullptr, &top, &height);
    char text[80];
    std::snprintf(text, sizeof text, "%d x %d at (%d, %d)", width, height, left, top);
    return text;
}

int ApplyRegion(int camera, const Options& options) {
    if (!options.regionGiven) {
        return 0;
    }
    int totalWidth = 0, totalHeight = 0;
    Tavrin_GetCaptureWindowEx(camera, &totalWidth, nullptr, nullptr, &totalHeight, nullptr, nullptr);
    const auto& [left, top, width, height] = options.region;
    if (!Tavrin_SetCaptureWindowEx(camera, totalWidth, left, width, totalHeight, top, height)) {
        TavrinCameraInfo info{};
        info.size = sizeof info;
        Tavrin_GetCameraInfo(camera, &info);
        const std::string sensor = std::to_string(info.sensorWidth) + " x " + std::to_string(info.sensorHeight);
        // The window just refused stays stored: the full sensor goes back.
        Tavrin_SetCaptureWindowEx(camera, totalWidth, 0, info.sensorWidth, totalHeight, 0, info.sensorHeight);
        return Fail(camera, "setting the readout region",
                    "the region must lie within the " + sensor + " sensor and be at least 4 x 3 pixels");
    }
    return 0;
}

int Sizes(int camera) {
    int count = 0, selected = 0;
    if (!TavrinEx_GetSizeTable(camera, nullptr, 0, &count, &selected)) {
        return Fail(camera, "reading the size table");
    }
    std::vector<TavrinSizeEntry> entries(static_cast<size_t>(count));
    if (count > 0 && !TavrinEx_GetSizeTable(camera, entries.data(), count, &count, &selected)) {
        return Fail(camera, "reading the size table");
    }
    std::printf("readout region now  %s\n", RegionText(camera).c_str());
    std::printf("size table          %d stored readout window(s)%s\n", count,
                count == 0 ? " (the settings store keeps none)" : "");
    for (int i = 0; i < count && i < static_cast<int>(entries.size()); ++i) {
        const TavrinSizeEntry& entry = entries[static_cast<size_t>(i)];
        std::printf("  %2d  %4d x %-4d at (%d, %d)%s\n", i, entry.width, entry.height, entry.left, entry.top,
                    i == selected ? "  (selected: the camera starts with it)" : "");
    }
    return 0;
}

}  // namespace tavrin::tool

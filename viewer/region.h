// Turns a rectangle dragged on the picture into a readout region the
// camera accepts: inside the sensor, its corners on even columns and lines
// (so every region starts on the same colour of the Bayer pattern and the
// colours stay right), at least kMinRegion on each side.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>

namespace tavrin::viewer {

inline constexpr int kMinRegion = 8;

struct RegionRequest {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the drag, in picture pixels
    int pictureWidth = 0;
    int pictureHeight = 0;
    bool mirrorH = false;  // the picture is mirrored after readout
    bool mirrorV = false;
    std::array<int, 4> current{};  // the region shown: first column, first line, width, height
    int sensorWidth = 656;
    int sensorHeight = 494;
};

// First column, first line, width, height on the sensor.
inline std::array<int, 4> SnapRegion(const RegionRequest& r) {
    auto span = [](double a, double b, int picture, bool mirrored, int offset, int sensor) {
        int low = static_cast<int>(std::floor(std::min(a, b)));
        int high = static_cast<int>(std::ceil(std::max(a, b)));
        low = std::clamp(low, 0, picture);
        high = std::clamp(high, 0, picture);
        if (mirrored) {
            const int flipped = picture - high;
            high = picture - low;
            low = flipped;
        }
        low = ((offset + low) / 2) * 2;
        high = ((offset + high + 1) / 2) * 2;
        high = std::min(high, sensor - sensor % 2);
        if (high - low < kMinRegion) {
            high = std::min(low + kMinRegion, sensor - sensor % 2);
            low = std::max(0, high - kMinRegion);
        }
        return std::array<int, 2>{low, high - low};
    };
    const auto columns = span(r.x0, r.x1, r.pictureWidth, r.mirrorH, r.current[0], r.sensorWidth);
    const auto lines = span(r.y0, r.y1, r.pictureHeight, r.mirrorV, r.current[1], r.sensorHeight);
    return {columns[0], lines[0], columns[1], lines[1]};
}

}  // namespace tavrin::viewer

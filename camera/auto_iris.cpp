#include "camera/auto_iris.h"

#include <algorithm>

#include "records/model_facts.h"

namespace tavrin {
namespace {

constexpr int32_t kGainMax = model::kGainMax;
constexpr int32_t kGainFloor = 4;
constexpr int32_t kExposureMin = model::kExposureMin;
constexpr int32_t kExposureMax = model::kExposureMax;

// How one region's level moves the factor: bright regions pull it down,
// dark ones push it up.
int32_t Step(int32_t mean) {
    if (mean > 200) {
        return -15;
    }
    if (mean > 160) {
        return -10;
    }
    if (mean < 50) {
        return 10;
    }
    if (mean < 100) {
        return 5;
    }
    return 0;
}

}  // namespace

std::array<RegionBox, 5> AutoIrisRegions(int32_t width, int32_t height) {
    const double w = width;
    const double h = height;
    auto box = [&](double l, double t, double r, double b) {
        return RegionBox{static_cast<int32_t>(l * w), static_cast<int32_t>(t * h), static_cast<int32_t>(r * w),
                         static_cast<int32_t>(b * h)};
    };
    return {box(0.1, 0.1, 0.2, 0.2), box(0.1, 0.8, 0.2, 0.9), box(0.45, 0.45, 0.55, 0.55), box(0.8, 0.1, 0.9, 0.2),
            box(0.8, 0.8, 0.9, 0.9)};
}

int32_t AutoIrisFactor(const std::array<int32_t, 5>& means) {
    int32_t factor = 100 + Step(means[0]);
    for (size_t i = 1; i < means.size(); ++i) {
        factor += Step(means[i]);
    }
    return factor;
}

bool AutoIrisSettled(int32_t factor) { return factor > 60 && factor < 120; }

int32_t AutoIrisGain(int32_t currentGain, int32_t factor) {
    const int64_t scaled = int64_t{std::max(currentGain, kGainFloor)} * factor / 100;
    int32_t gain = static_cast<int32_t>(std::clamp<int64_t>(scaled, 0, kGainMax));
    if (factor > 100 && gain <= kGainFloor) {
        gain = kGainFloor;  // a gain of 4 or less would never climb again
    }
    return std::clamp(gain, 0, kGainMax);
}

int32_t AutoIrisExposure(int32_t currentLines, int32_t factor) {
    int32_t lines = static_cast<uint16_t>(int64_t{currentLines} * factor / 100);
    if (lines == 0) {
        lines = 1;
    }
    return std::clamp(lines, kExposureMin, kExposureMax);
}

}  // namespace tavrin

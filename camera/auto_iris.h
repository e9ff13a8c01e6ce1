// Automatic exposure and gain: five regions of the raw frame vote on a
// correction factor; small corrections are ignored so the loop settles.
#pragma once

#include <array>
#include <cstdint>

namespace tavrin {

struct RegionBox {
    int32_t left, top, right, bottom;
};

// The five measuring regions of a width x height frame: four near the
// corners and one in the centre, each a tenth of the frame wide and high.
std::array<RegionBox, 5> AutoIrisRegions(int32_t width, int32_t height);

// The correction factor in hundredths (100 = no change) from the regions'
// mean levels (0..255), the top-left region first. Hundredths keep the
// arithmetic exact: five bright regions give exactly a quarter.
int32_t AutoIrisFactor(const std::array<int32_t, 5>& means);

// True when the factor is too close to 1 to act on.
bool AutoIrisSettled(int32_t factor);

// The new global gain (0..1023) and the new exposure in lines (2..524).
int32_t AutoIrisGain(int32_t currentGain, int32_t factor);
int32_t AutoIrisExposure(int32_t currentLines, int32_t factor);

}  // namespace tavrin

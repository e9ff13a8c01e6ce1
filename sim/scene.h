// What the simulated sensor sees: the lit scene and the test patterns,
// rendered as the stream of 10-bit samples the camera sends, then packed as
// 8-bit or 16-bit transfer bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavrin::sim {

inline constexpr int kSensorWidth = 656;
inline constexpr int kSensorHeight = 494;

enum Pattern : int { kPatternLitScene = 0, kPatternFlat = 1, kPatternRamp = 2, kPatternColorBars = 3 };

// A loaded mosaic, streamed row 0 first.
struct LoadedFrame {
    std::vector<uint16_t> samples;
    int width = 0;
    int height = 0;
};

struct ContentSettings {
    int pattern = kPatternLitScene;
    int level = 512;
    std::shared_ptr<const LoadedFrame> loaded;  // overrides the pattern when set
    uint32_t exposureLines = 2;
    uint32_t gain = 310;
    int lightPercent = 100;

    bool operator==(const ContentSettings&) const = default;
};

// The gain register's analog gain: 1x at 0 to 8x at 1023.
double AnalogGain(uint32_t gain);

// Renders count samples: generated content is the sensor's readout of whole
// 656-sample lines (rows past the last line start again at the top); a
// loaded frame is its own samples followed by zeros.
void RenderSamples(const ContentSettings& settings, uint16_t* samples, size_t count);

// Transfer bytes for count samples: the upper 8 of 10 bits, or 16-bit
// little-endian words.
std::vector<uint8_t> PackSamples(const std::vector<uint16_t>& samples, bool sixteenBit);

}  // namespace tavrin::sim

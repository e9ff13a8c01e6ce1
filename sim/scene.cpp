#include "sim/scene.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tavrin::sim {

namespace {

// Colour sites of the mosaic, R G / G B from the first pixel on.
enum Channel { kRed = 0, kGreen = 1, kBlue = 2 };

Channel SiteChannel(int x, int y) {
    if ((y & 1) == 0) {
        return (x & 1) == 0 ? kRed : kGreen;
    }
    return (x & 1) == 0 ? kGreen : kBlue;
}

// Red and blue sites gather less light than green ones, as on a real
// sensor, so the white balance has something to correct; the lamp is white
// enough that an unbalanced picture still looks like the scene.
constexpr std::array<float, 3> kSensitivity = {0.85f, 1.0f, 0.72f};

// Counts of 10 bits per line of exposure at 1x gain, full light (light=100)
// and full reflectance. The light is a machine-vision lamp, strong enough
// that the camera's defaults (2 lines, gain 310) put the scene near the
// middle of the range; light=2 is an ordinary room, where a mid-grey scene
// needs about 100 lines at the default gain.
constexpr float kCountsPerLine = 190.0f;

// Reflectances of the patches of the chart in the middle of the scene.
constexpr std::array<std::array<float, 3>, 24> kPatches = {{
    {0.45f, 0.32f, 0.26f}, {0.77f, 0.58f, 0.50f}, {0.36f, 0.48f, 0.61f}, {0.34f, 0.42f, 0.26f}, {0.51f, 0.50f, 0.69f},
    {0.39f, 0.74f, 0.67f}, {0.85f, 0.47f, 0.18f}, {0.27f, 0.36f, 0.65f}, {0.76f, 0.33f, 0.38f}, {0.36f, 0.24f, 0.42f},
    {0.62f, 0.74f, 0.25f}, {0.88f, 0.63f, 0.18f}, {0.17f, 0.24f, 0.58f}, {0.28f, 0.58f, 0.29f}, {0.69f, 0.20f, 0.23f},
    {0.93f, 0.78f, 0.12f}, {0.73f, 0.33f, 0.58f}, {0.10f, 0.52f, 0.64f}, {0.95f, 0.95f, 0.95f}, {0.78f, 0.78f, 0.78f},
    {0.59f, 0.59f, 0.59f}, {0.39f, 0.39f, 0.39f}, {0.22f, 0.22f, 0.22f}, {0.09f, 0.09f, 0.09f},
}};

// A fixed texture of a few per cent, so the picture is not perfectly smooth.
float Texture(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return 0.97f + 0.06f * static_cast<float>(h & 0xFFFF) / 65535.0f;
}

float SceneReflectance(int x, int y, Channel channel) {
    // Background: a soft diagonal grey gradient.
    float value = 0.4f + 0.2f * (static_cast<float>(x) / kSensorWidth + static_cast<float>(y) / kSensorHeight) * 0.5f;
    // A 6 x 4 chart of 56-pixel patches with 4-pixel gaps around the centre.
    constexpr int kChartLeft = 148, kChartTop = 127, kCell = 60, kGap = 4;
    const int cx = x - kChartLeft;
    const int cy = y - kChartTop;
    if (cx >= 0 && cy >= 0 && cx < 6 * kCell && cy < 4 * kCell && cx % kCell >= kGap && cy % kCell >= kGap) {
        value = kPatches[static_cast<size_t>((cy / kCell) * 6 + cx / kCell)][channel];
    }
    // The lens lets a little less light reach the corners.
    const float dx = (static_cast<float>(x) - kSensorWidth / 2.0f) / (kSensorWidth / 2.0f);
    const float dy = (static_cast<float>(y) - kSensorHeight / 2.0f) / (kSensorHeight / 2.0f);
    const float vignette = 1.0f - 0.08f * (dx * dx + dy * dy);
    return value * vignette * Texture(x, y) * kSensitivity[channel];
}

// The scene's response per site, computed once: the level of a frame is this
// times the exposure, the gain and the light.
const std::vector<float>& SceneResponse() {
    static const std::vector<float> response = [] {
        std::vector<float> map(static_cast<size_t>(kSensorWidth) * kSensorHeight);
        for (int y = 0; y < kSensorHeight; ++y) {
            for (int x = 0; x < kSensorWidth; ++x) {
                map[static_cast<size_t>(y) * kSensorWidth + static_cast<size_t>(x)] =
                    SceneReflectance(x, y, SiteChannel(x, y));
            }
        }
        return map;
    }();
    return response;
}

uint16_t ColorBarSample(int x, int y, int level) {
    // White, yellow, cyan, green, magenta, red, blue, black: bits R, G, B.
    constexpr std::array<uint8_t, 8> kBars = {0b111, 0b110, 0b011, 0b010, 0b101, 0b100, 0b001, 0b000};
    const uint8_t bar = kBars[static_cast<size_t>(x * 8 / kSensorWidth)];
    const int bit = 2 - SiteChannel(x, y);
    return (bar >> bit) & 1 ? static_cast<uint16_t>(level) : 0;
}

// Calls line(sampleOffset, row, firstColumn, count) for each piece of the
// sample stream that lies on one sensor line.
template <typename LineFunction>
void ForEachLinePiece(size_t count, LineFunction line) {
    size_t offset = 0;
    while (offset < count) {
        const int column = static_cast<int>(offset % kSensorWidth);
        const int row = static_cast<int>((offset / kSensorWidth) % kSensorHeight);
        const size_t piece = std::min(count - offset, static_cast<size_t>(kSensorWidth - column));
        line(offset, row, column, piece);
        offset += piece;
    }
}

void RenderLitScene(const ContentSettings& settings, uint16_t* samples, size_t count) {
    const float scale = kCountsPerLine * static_cast<float>(settings.exposureLines) *
                        static_cast<float>(AnalogGain(settings.gain)) * static_cast<float>(settings.lightPercent) /
                        100.0f;
    const std::vector<float>& response = SceneResponse();
    ForEachLinePiece(count, [&](size_t offset, int row, int column, size_t piece) {
        const float* source = response.data() + static_cast<size_t>(row) * kSensorWidth + column;
        for (size_t i = 0; i < piece; ++i) {
            samples[offset + i] = static_cast<uint16_t>(std::min(1023.0f, source[i] * scale + 0.5f));
        }
    });
}

}  // namespace

double AnalogGain(uint32_t gain) { return 1.0 + 7.0 * static_cast<double>(std::min(gain, 1023u)) / 1023.0; }

void RenderSamples(const ContentSettings& settings, uint16_t* samples, size_t count) {
    if (settings.loaded) {
        const std::vector<uint16_t>& loaded = settings.loaded->samples;
        const size_t copied = std::min(count, loaded.size());
        std::copy_n(loaded.begin(), copied, samples);
        std::fill(samples + copied, samples + count, uint16_t{0});
        return;
    }
    const int level = std::clamp(settings.level, 0, 1023);
    switch (settings.pattern) {
    case kPatternFlat:
        std::fill(samples, samples + count, static_cast<uint16_t>(level));
        break;
    case kPatternRamp:
        ForEachLinePiece(count, [&](size_t offset, int, int column, size_t piece) {
            for (size_t i = 0; i < piece; ++i) {
                samples[offset + i] =
                    static_cast<uint16_t>((column + static_cast<int>(i)) * level / (kSensorWidth - 1));
            }
        });
        break;
    case kPatternColorBars:
        ForEachLinePiece(count, [&](size_t offset, int row, int column, size_t piece) {
            for (size_t i = 0; i < piece; ++i) {
                samples[offset + i] = ColorBarSample(column + static_cast<int>(i), row, level);
            }
        });
        break;
    default:
        RenderLitScene(settings, samples, count);
        break;
    }
}

std::vector<uint8_t> PackSamples(const std::vector<uint16_t>& samples, bool sixteenBit) {
    std::vector<uint8_t> bytes(samples.size() * (sixteenBit ? 2 : 1));
    if (sixteenBit) {
        for (size_t i = 0; i < samples.size(); ++i) {
            bytes[2 * i] = static_cast<uint8_t>(samples[i]);
            bytes[2 * i + 1] = static_cast<uint8_t>(samples[i] >> 8);
        }
    } else {
        for (size_t i = 0; i < samples.size(); ++i) {
            bytes[i] = static_cast<uint8_t>(samples[i] >> 2);
        }
    }
    return bytes;
}

}  // namespace tavrin::sim

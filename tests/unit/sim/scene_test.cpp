#include <gtest/gtest.h>

#include <numeric>

#include "sim/scene.h"

using namespace tavrin::sim;

namespace {

std::vector<uint16_t> Render(const ContentSettings& settings, size_t count) {
    std::vector<uint16_t> samples(count, 0xFFFF);
    RenderSamples(settings, samples.data(), samples.size());
    return samples;
}

constexpr size_t kFullFrame = size_t{kSensorWidth} * kSensorHeight;

// Mean of the sites of one colour: 0 red, 1 green, 2 blue (R G / G B).
double SiteMean(const std::vector<uint16_t>& samples, int colour) {
    double sum = 0;
    size_t count = 0;
    for (size_t i = 0; i < kFullFrame; ++i) {
        const int x = static_cast<int>(i % kSensorWidth);
        const int y = static_cast<int>(i / kSensorWidth);
        const int site = (y & 1) == 0 ? ((x & 1) == 0 ? 0 : 1) : ((x & 1) == 0 ? 1 : 2);
        if (site == colour) {
            sum += samples[i];
            ++count;
        }
    }
    return sum / static_cast<double>(count);
}

}  // namespace

TEST(Scene, FlatLevelFillsEverySample) {
    ContentSettings settings;
    settings.pattern = kPatternFlat;
    settings.level = 777;
    const auto samples = Render(settings, 1000);
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](uint16_t v) { return v == 777; }));
}

TEST(Scene, RampRunsFromZeroToTheLevelAcrossEachLine) {
    ContentSettings settings;
    settings.pattern = kPatternRamp;
    settings.level = 1023;
    const auto samples = Render(settings, 2 * kSensorWidth + 10);
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[kSensorWidth - 1], 1023);
    EXPECT_EQ(samples[kSensorWidth], 0);  // the next line starts again
    EXPECT_EQ(samples[kSensorWidth + 328], 328 * 1023 / 655);
}

TEST(Scene, ColourBarsLightTheRightSites) {
    ContentSettings settings;
    settings.pattern = kPatternColorBars;
    settings.level = 900;
    const auto samples = Render(settings, 2 * kSensorWidth);
    auto at = [&](int x, int y) { return samples[static_cast<size_t>(y * kSensorWidth + x)]; };
    // Bar 0 white: every site lit.
    EXPECT_EQ(at(0, 0), 900);
    EXPECT_EQ(at(1, 0), 900);
    EXPECT_EQ(at(1, 1), 900);
    // Bar 1 (columns 82..163) yellow: red and green, no blue.
    EXPECT_EQ(at(82, 0), 900);  // red site
    EXPECT_EQ(at(83, 0), 900);  // green site
    EXPECT_EQ(at(83, 1), 0);    // blue site
    // Bar 6 (columns 492..573) blue only.
    EXPECT_EQ(at(492, 0), 0);
    EXPECT_EQ(at(493, 0), 0);
    EXPECT_EQ(at(493, 1), 900);
    // Bar 7 black.
    EXPECT_EQ(at(655, 1), 0);
}

TEST(Scene, LoadedFrameIsStreamedThenZeroPadded) {
    auto frame = std::make_shared<LoadedFrame>();
    frame->width = 3;
    frame->height = 2;
    frame->samples = {1, 2, 3, 4, 5, 1023};
    ContentSettings settings;
    settings.loaded = frame;
    EXPECT_EQ(Render(settings, 8), std::vector<uint16_t>({1, 2, 3, 4, 5, 1023, 0, 0}));
    EXPECT_EQ(Render(settings, 4), std::vector<uint16_t>({1, 2, 3, 4}));
}

TEST(Scene, LitSceneFollowsExposureAndGain) {
    ContentSettings settings;
    settings.pattern = kPatternLitScene;
    settings.lightPercent = 2;
    settings.gain = 310;
    settings.exposureLines = 20;
    const auto dim = Render(settings, kFullFrame);
    settings.exposureLines = 40;
    const auto brighter = Render(settings, kFullFrame);
    settings.gain = 620;
    const auto brightest = Render(settings, kFullFrame);
    const double green = SiteMean(dim, 1);
    EXPECT_NEAR(SiteMean(brighter, 1) / green, 2.0, 0.02);
    EXPECT_NEAR(SiteMean(brightest, 1) / SiteMean(brighter, 1), AnalogGain(620) / AnalogGain(310), 0.02);
    // Red and blue sites are less sensitive than green ones.
    EXPECT_LT(SiteMean(dim, 0), green * 0.9);
    EXPECT_LT(SiteMean(dim, 2), green * 0.8);
}

TEST(Scene, LitSceneSaturatesAt1023) {
    ContentSettings settings;
    settings.exposureLines = 524;
    settings.gain = 1023;
    const auto samples = Render(settings, kFullFrame);
    EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 1023);
}

TEST(Scene, AutomaticExposureHasARangeToWorkIn) {
    // In a room's light, at the default gain, a mid-grey scene stays dark at
    // the shortest exposure and fills the 8-bit middle band well inside the
    // longest; the default lamp puts it there at the camera's defaults.
    ContentSettings settings;
    settings.exposureLines = 2;
    const double lamp = SiteMean(Render(settings, kFullFrame), 1) / 4;
    EXPECT_GT(lamp, 80);
    EXPECT_LT(lamp, 180);
    settings.lightPercent = 2;
    EXPECT_LT(SiteMean(Render(settings, kFullFrame), 1) / 4, 10);
    settings.exposureLines = 100;
    const double mid = SiteMean(Render(settings, kFullFrame), 1) / 4;
    EXPECT_GT(mid, 80);
    EXPECT_LT(mid, 180);
}

TEST(Scene, PackingCarriesTheUpperEightBitsOrLittleEndianWords) {
    const std::vector<uint16_t> samples = {0, 3, 4, 1023, 0x155};
    EXPECT_EQ(PackSamples(samples, false), std::vector<uint8_t>({0, 0, 1, 255, 0x55}));
    EXPECT_EQ(PackSamples(samples, true), std::vector<uint8_t>({0, 0, 3, 0, 4, 0, 0xFF, 0x03, 0x55, 0x01}));
}

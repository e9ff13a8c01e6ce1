// Output format, automatic exposure mode and reading the capture window:
// the settings that work without the camera.
#include "frontend_fixture.h"

namespace tavrin::test {
namespace {

using FormatTest = FrontEndTest;

TEST_F(FormatTest, ColorModeAnswersTheSignificantBits) {
    const std::pair<int, int> modes[] = {{8, 8}, {16, 10}, {24, 24}, {32, 32}, {48, 42}, {64, 58}};
    for (const auto& [set, reported] : modes) {
        ASSERT_EQ(Tavrin_SetColorMode(handle, set), 1) << set;
        EXPECT_EQ(Tavrin_GetColorMode(handle), reported) << set;
    }
    ExpectNothingReported();
}

TEST_F(FormatTest, UnknownColorDepthIsRefusedAndKeepsTheMode) {
    ASSERT_EQ(Tavrin_SetColorMode(handle, 32), 1);
    for (int bits : {0, 10, 12, 42, 58, -8, 128}) {
        EXPECT_EQ(Tavrin_SetColorMode(handle, bits), 0) << bits;
        ExpectReported(SDKERR_PARAMETER);
    }
    EXPECT_EQ(Tavrin_GetColorMode(handle), 32);
}

TEST_F(FormatTest, OnlyFullResolutionIsAcceptedAndQuietly) {
    EXPECT_EQ(Tavrin_SetSubSample(handle, 1), 0);
    EXPECT_EQ(Tavrin_SetSubSample(handle, 17), 0);
    EXPECT_EQ(Tavrin_SetSubSample(handle, -1), 0);
    ExpectNothingReported();
    EXPECT_EQ(Tavrin_GetSubSample(handle), 0);
    EXPECT_EQ(Tavrin_SetSubSample(handle, 0), 1);
    EXPECT_EQ(Tavrin_GetSubSample(handle), 0);
}

TEST_F(FormatTest, WaitTimeTakesAnyNonNegativeValue) {
    EXPECT_EQ(Tavrin_SetWaitTime(handle, 0), 1);
    EXPECT_EQ(Tavrin_GetWaitTime(handle), 0);
    EXPECT_EQ(Tavrin_SetWaitTime(handle, 250), 1);
    EXPECT_EQ(Tavrin_SetWaitTime(handle, -1), 0);
    ExpectNothingReported();
    EXPECT_EQ(Tavrin_GetWaitTime(handle), 250);
}

TEST_F(FormatTest, BadAutoIrisModeIsPostedButNotQueued) {
    for (int mode : {0, 1, 2}) {
        EXPECT_EQ(Tavrin_SetAutoIris(handle, mode), 1);
        int error = -1;
        EXPECT_EQ(Tavrin_GetAutoIris(handle, &error), mode);
        EXPECT_EQ(error, 1);
    }
    EXPECT_EQ(Tavrin_SetAutoIris(handle, 3), 0);
    EXPECT_TRUE(TakeErrors().empty());
    EXPECT_EQ(TakePosted(), std::vector<int>{SDKERR_PARAMETER});
    EXPECT_EQ(Tavrin_SetAutoIris(handle, -1), 0);
    EXPECT_EQ(TakePosted(), std::vector<int>{SDKERR_PARAMETER});
    EXPECT_EQ(Tavrin_GetAutoIris(handle, nullptr), 2);
}

TEST_F(FormatTest, CaptureWindowReadsThroughAnyPointers) {
    EXPECT_EQ(Tavrin_GetCaptureWindowEx(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
    int th = 0, ehs = -1, eh = 0, tv = 0, evs = -1, ev = 0;
    EXPECT_EQ(Tavrin_GetCaptureWindowEx(handle, &th, &ehs, &eh, &tv, &evs, &ev), 1);
    EXPECT_EQ((std::vector<int>{th, ehs, eh, tv, evs, ev}), (std::vector<int>{656, 0, 656, 494, 0, 494}));
    int onlyHeight = 0;
    EXPECT_EQ(Tavrin_GetCaptureWindowEx(handle, nullptr, nullptr, nullptr, nullptr, nullptr, &onlyHeight), 1);
    EXPECT_EQ(onlyHeight, 494);
    ExpectNothingReported();
}

}  // namespace
}  // namespace tavrin::test

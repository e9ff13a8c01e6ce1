// Exposure in microseconds and the mirror flags.
#include "frontend_fixture.h"
#include "sim_log.h"

namespace tavrin::test {
namespace {

using AnalogTest = FrontEndTest;

// A line lasts 3080 clocks of 36 MHz, 85.56 us: 171 us is one line, below
// the sensor's minimum of two; 172 us is two.
TEST_F(AnalogTest, MicrosecondsBecomeWholeLines) {
    ASSERT_EQ(Tavrin_SetExposureTime(handle, 100), 1);
    EXPECT_EQ(Tavrin_SetRealExposureTime(handle, 171), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(Tavrin_GetExposureTime(handle, nullptr), 100);
    EXPECT_EQ(Tavrin_SetRealExposureTime(handle, -5000), 0);
    ExpectReported(SDKERR_PARAMETER);

    ASSERT_EQ(Tavrin_SetRealExposureTime(handle, 172), 1);
    EXPECT_EQ(Tavrin_GetExposureTime(handle, nullptr), 2);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 154), 2);
    ASSERT_EQ(Tavrin_SetRealExposureTime(handle, 10000), 1);  // 116.88 lines
    EXPECT_EQ(Tavrin_GetExposureTime(handle, nullptr), 116);
    ASSERT_EQ(Tavrin_SetRealExposureTime(handle, 44872), 1);  // 524.48 lines
    EXPECT_EQ(Tavrin_GetExposureTime(handle, nullptr), 524);
    EXPECT_EQ(Tavrin_SetRealExposureTime(handle, 44956), 0);  // 525.46 lines
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(Tavrin_SetRealExposureTime(handle, 0x7FFFFFFF), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 154), 524);
}

// The time of a number of lines includes the 1480-clock offset.
TEST_F(AnalogTest, LinesBecomeMicroseconds) {
    const std::pair<int, int> expected[] = {{2, 212}, {3, 297}, {100, 8596}, {524, 44872}};
    for (const auto& [lines, microseconds] : expected) {
        ASSERT_EQ(Tavrin_SetExposureTime(handle, lines), 1);
        int error = -1;
        EXPECT_EQ(Tavrin_GetRealExposureTime(handle, &error), microseconds) << lines;
        EXPECT_EQ(error, 1);
    }
    ExpectNothingReported();
}

// Mirroring is done by the per-frame processing: the flags are kept, the
// camera is not written.
TEST_F(AnalogTest, MirrorFlagsAreNormalisedAndKept) {
    TavrinSim_ClearLog(0);
    EXPECT_EQ(Tavrin_SetMirrorH(handle, 5), 1);
    EXPECT_EQ(Tavrin_GetMirrorH(handle), 1);
    EXPECT_EQ(Tavrin_GetMirrorV(handle), 0);
    EXPECT_EQ(Tavrin_SetMirrorV(handle, -1), 1);
    EXPECT_EQ(Tavrin_GetMirrorV(handle), 1);
    EXPECT_EQ(Tavrin_SetMirrorH(handle, 0), 1);
    EXPECT_EQ(Tavrin_GetMirrorH(handle), 0);
    EXPECT_EQ(Tavrin_GetMirrorV(handle), 1);
    EXPECT_TRUE(SentCommands(0).empty());
    ExpectNothingReported();
}

}  // namespace
}  // namespace tavrin::test

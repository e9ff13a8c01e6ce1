// Filter values through the identifier table and the named exports.
#include "frontend_fixture.h"
#include "sim_log.h"

namespace tavrin::test {
namespace {

using FilterTest = FrontEndTest;

// Every plain stored value: its identifier, named getter and setter, and
// the inclusive range the setter takes.
struct StoredFilter {
    int id;
    int (*get)(int, int*);
    int (*set)(int, int);
    int minimum;
    int maximum;
};

const StoredFilter kStoredFilters[] = {
    {1, Tavrin_GetBrightness, Tavrin_SetBrightness, -255, 255},
    {2, Tavrin_GetContrast, Tavrin_SetContrast, -127, 127},
    {3, Tavrin_GetHue, Tavrin_SetHue, -360, 360},
    {4, Tavrin_GetSaturation, Tavrin_SetSaturation, -255, 255},
    {5, Tavrin_GetSharpness, Tavrin_SetSharpness, 0, 30},
    {7, Tavrin_GetBayerGainRed, Tavrin_SetBayerGainRed, 0, 400},
    {8, Tavrin_GetBayerGainGreen, Tavrin_SetBayerGainGreen, 0, 400},
    {9, Tavrin_GetBayerGainBlue, Tavrin_SetBayerGainBlue, 0, 400},
    {11, Tavrin_GetGamma, Tavrin_SetGamma, 0, 200},
    {12, Tavrin_GetBayerMode, Tavrin_SetBayerMode, 0, 3},
    {19, Tavrin_GetGrayMode, Tavrin_SetGrayMode, 0, 2},
    {20, Tavrin_GetGrayGainR, Tavrin_SetGrayGainR, 0, 255},
    {21, Tavrin_GetGrayGainG1, Tavrin_SetGrayGainG1, 0, 255},
    {22, Tavrin_GetGrayGainG2, Tavrin_SetGrayGainG2, 0, 255},
    {23, Tavrin_GetGrayGainB, Tavrin_SetGrayGainB, 0, 255},
    {24, Tavrin_GetGrayOffsetR, Tavrin_SetGrayOffsetR, -255, 255},
    {25, Tavrin_GetGrayOffsetG1, Tavrin_SetGrayOffsetG1, -255, 255},
    {26, Tavrin_GetGrayOffsetG2, Tavrin_SetGrayOffsetG2, -255, 255},
    {27, Tavrin_GetGrayOffsetB, Tavrin_SetGrayOffsetB, -255, 255},
};

TEST_F(FilterTest, BrightnessAndContrastEdges) {
    EXPECT_EQ(Tavrin_SetBrightness(handle, 255), 1);
    ExpectNothingReported();
    EXPECT_EQ(Tavrin_SetBrightness(handle, 256), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(Tavrin_GetBrightness(handle, nullptr), 255);
    EXPECT_EQ(Tavrin_SetContrast(handle, -128), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(Tavrin_SetContrast(handle, -127), 1);
}

// Each named export reaches its own identifier, takes both ends of its
// range and refuses one step beyond either, keeping the last good value.
TEST_F(FilterTest, NamedExportsStoreTheirRangeAndRefuseBeyond) {
    for (const auto& f : kStoredFilters) {
        for (int value : {f.minimum, f.maximum}) {
            ASSERT_EQ(f.set(handle, value), 1) << "id " << f.id << " value " << value;
            int error = -1;
            EXPECT_EQ(Tavrin_GetFilterValue(handle, f.id, &error), value) << "id " << f.id;
            EXPECT_EQ(error, 1);
            error = -1;
            EXPECT_EQ(f.get(handle, &error), value) << "id " << f.id;
            EXPECT_EQ(error, 1);
        }
        ExpectNothingReported();
        EXPECT_EQ(f.set(handle, f.maximum + 1), 0) << "id " << f.id;
        EXPECT_EQ(Tavrin_SetFilterValue(handle, f.id, f.minimum - 1), 0) << "id " << f.id;
        EXPECT_EQ(TakeErrors(), (std::vector<int>{SDKERR_PARAMETER, SDKERR_PARAMETER})) << "id " << f.id;
        TakePosted(5);
        EXPECT_EQ(f.get(handle, nullptr), f.maximum) << "id " << f.id;
    }
}

TEST_F(FilterTest, PackedBayerGainsSplitIntoBytes) {
    ASSERT_EQ(Tavrin_SetBayerGainRGB(handle, 0x11 | 0x22 << 8 | 0x33 << 16 | 0x44 << 24), 1);
    EXPECT_EQ(Tavrin_GetBayerGainRed(handle, nullptr), 0x11);
    EXPECT_EQ(Tavrin_GetBayerGainGreen(handle, nullptr), 0x22);
    EXPECT_EQ(Tavrin_GetBayerGainBlue(handle, nullptr), 0x33);
    EXPECT_EQ(Tavrin_GetBayerGainRGB(handle, nullptr), 0x332211);
    ASSERT_EQ(Tavrin_SetBayerGainRed(handle, 300), 1);
    const int packed = Tavrin_GetBayerGainRGB(handle, nullptr);
    EXPECT_EQ(packed & 0xFF, 44);  // 300 mod 256
    EXPECT_EQ(packed >> 8, 0x3322);
    EXPECT_EQ(Tavrin_GetBayerGainRed(handle, nullptr), 300);
    ASSERT_EQ(Tavrin_SetBayerGainRGB(handle, -1), 1);
    EXPECT_EQ(Tavrin_GetBayerGainRGB(handle, nullptr), 0xFFFFFF);
    ExpectNothingReported();
}

TEST_F(FilterTest, AutoBalanceFlagAndGrayRequest) {
    ASSERT_EQ(Tavrin_SetBayerGainAuto(handle, -7), 1);
    EXPECT_EQ(Tavrin_GetBayerGainAuto(handle, nullptr), 1);
    ASSERT_EQ(Tavrin_SetBayerGainAuto(handle, 0), 1);
    EXPECT_EQ(Tavrin_GetFilterValue(handle, 10, nullptr), 0);
    EXPECT_EQ(Tavrin_SetFilterValue(handle, 28, 1), 1);
    EXPECT_EQ(Tavrin_GetFilterValue(handle, 28, nullptr), 1);
    ExpectNothingReported();
    EXPECT_EQ(Tavrin_SetFilterValue(handle, 28, 2), 0);
    ExpectReported(SDKERR_PARAMETER);
}

TEST_F(FilterTest, UnknownIdentifiersAreRefused) {
    for (int id : {0, 29, -1, 1000}) {
        int error = -1;
        EXPECT_EQ(Tavrin_GetFilterValue(handle, id, &error), 0) << id;
        EXPECT_EQ(error, 0);
        ExpectReported(SDKERR_PARAMETER);
        EXPECT_EQ(Tavrin_SetFilterValue(handle, id, 0), 0) << id;
        ExpectReported(SDKERR_PARAMETER);
    }
}

// The global gain goes to sensor register 4 at once and is read back from
// what the sensor was told.
TEST_F(FilterTest, GlobalGainProgramsTheSensor) {
    EXPECT_EQ(Tavrin_SetGlobalGain(handle, 1024), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(Tavrin_SetGlobalGain(handle, -1), 0);
    ExpectReported(SDKERR_PARAMETER);
    TavrinSim_ClearLog(0);
    ASSERT_EQ(Tavrin_SetGlobalGain(handle, 500), 1);
    int error = -1;
    EXPECT_EQ(Tavrin_GetGlobalGain(handle, &error), 500);
    EXPECT_EQ(error, 1);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 4), 500);
    EXPECT_EQ(SentCommands(0), (std::vector<std::array<uint8_t, 6>>{SensorWrite(4, 500)}));
    ASSERT_EQ(Tavrin_SetGlobalGain(handle, 1023), 1);
    EXPECT_EQ(Tavrin_GetFilterValue(handle, 13, nullptr), 1023);
    ExpectNothingReported();
}

// A gain the camera did not take is a failure; the value stays stored for
// the next acquisition, and the getter keeps answering what the sensor holds.
TEST_F(FilterTest, GainTheCameraRefusesIsReported) {
    ASSERT_EQ(Tavrin_SetGlobalGain(handle, 400), 1);
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_COMMAND_FAILS, 1), 1);
    EXPECT_EQ(Tavrin_SetGlobalGain(handle, 600), 0);
    ExpectReported(SDKERR_DEVICE_IO);
    EXPECT_EQ(Tavrin_GetGlobalGain(handle, nullptr), 400);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 4), 400);
}

TEST_F(FilterTest, ColorGainsTakeOnlyZero) {
    int (*const setters[])(int, int) = {Tavrin_SetColorGainRed, Tavrin_SetColorGainGreen1, Tavrin_SetColorGainGreen2,
                                        Tavrin_SetColorGainBlue};
    int (*const getters[])(int, int*) = {Tavrin_GetColorGainRed, Tavrin_GetColorGainGreen1, Tavrin_GetColorGainGreen2,
                                         Tavrin_GetColorGainBlue};
    ASSERT_EQ(Tavrin_SetGlobalGain(handle, 300), 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(setters[i](handle, 0), 1) << i;
        ExpectNothingReported();
        EXPECT_EQ(setters[i](handle, 1), 0) << i;
        ExpectReported(SDKERR_PARAMETER);
        int error = -1;
        EXPECT_EQ(getters[i](handle, &error), 0) << i;
        EXPECT_EQ(error, 1);
    }
    EXPECT_EQ(Tavrin_GetGlobalGain(handle, nullptr), 300);
}

TEST_F(FilterTest, ExposureInLinesProgramsTheSensor) {
    EXPECT_EQ(Tavrin_SetExposureTime(handle, 1), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(Tavrin_SetExposureTime(handle, 525), 0);
    ExpectReported(SDKERR_PARAMETER);
    for (int lines : {2, 300, 524}) {
        TavrinSim_ClearLog(0);
        ASSERT_EQ(Tavrin_SetExposureTime(handle, lines), 1);
        EXPECT_EQ(Tavrin_GetExposureTime(handle, nullptr), lines);
        EXPECT_EQ(TavrinSim_GetSensorRegister(0, 154), lines);
        EXPECT_EQ(SentCommands(0), (std::vector<std::array<uint8_t, 6>>{SensorWrite(154, lines)}));
    }
    ExpectNothingReported();
}

}  // namespace
}  // namespace tavrin::test

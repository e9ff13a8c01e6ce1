// The TavrinSim_ control functions and how the driver port chooses the
// simulator from TAVRIN_SIM.
#include <gtest/gtest.h>

#include "sim_session.h"

using tavrin::testing::SimLog;
using tavrin::testing::SimSession;

TEST(SimExports, InactiveWithoutTheVariable) {
    SimSession session(nullptr);
    EXPECT_EQ(TavrinSim_IsActive(), 0);
    EXPECT_EQ(TavrinSim_SetPresent(0, 1), 0);
    EXPECT_EQ(TavrinSim_FireTrigger(0), 0);
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 0), 0);
    EXPECT_EQ(TavrinSim_GetFrameCount(0), 0);
    unsigned long long fill = 0;
    EXPECT_EQ(TavrinSim_GetFillTime(0, &fill), 0);
    // The system's driver outside Windows has no camera, and under Wine
    // there is no driver either: nothing opens.
    EXPECT_EQ(tavrin::platform::DriverOpen("\\\\.\\Tvrn860VXRUX-0"), tavrin::platform::kInvalidDeviceHandle);
}

TEST(SimExports, ActiveWithTheVariableEvenWithoutSlots) {
    SimSession session(";");
    EXPECT_EQ(TavrinSim_IsActive(), 1);
    EXPECT_EQ(tavrin::platform::DriverOpen("\\\\.\\Tvrn860VXRUX-0"), tavrin::platform::kInvalidDeviceHandle);
    EXPECT_EQ(TavrinSim_SetPresent(0, 1), 1);
    EXPECT_NE(tavrin::platform::DriverOpen("\\\\.\\Tvrn860VXRUX-0"), tavrin::platform::kInvalidDeviceHandle);
}

TEST(SimExports, TheSettingIsReadWhenThePortIsFirstUsed) {
    SimSession session("3");
    const auto handle = tavrin::platform::DriverOpen("\\\\.\\Tvrn860VXRUX-3");
    EXPECT_NE(handle, tavrin::platform::kInvalidDeviceHandle);
    // A change of the variable alone changes nothing until the port resets.
    tavrin::platform::SetEnvironment("TAVRIN_SIM", "4");
    EXPECT_NE(tavrin::platform::DriverOpen("\\\\.\\Tvrn860VXRUX-3"), tavrin::platform::kInvalidDeviceHandle);
    tavrin::platform::ResetDriverPort();
    EXPECT_EQ(tavrin::platform::DriverOpen("\\\\.\\Tvrn860VXRUX-3"), tavrin::platform::kInvalidDeviceHandle);
    // A handle of the old simulator means nothing to the new one.
    uint32_t moved = 0;
    uint8_t block[64] = {0x25, 7, 1};
    const uint8_t pipe[4] = {};
    EXPECT_EQ(tavrin::platform::DriverIoControl(handle, 0x00222051, pipe, 4, block, 64, &moved), 0);
}

TEST(SimExports, ArgumentsAreChecked) {
    SimSession session("0");
    for (int slot : {-1, 32}) {
        EXPECT_EQ(TavrinSim_SetPresent(slot, 1), 0);
        EXPECT_EQ(TavrinSim_FireTrigger(slot), 0);
        EXPECT_EQ(TavrinSim_ClearLog(slot), 0);
        EXPECT_EQ(TavrinSim_GetControlRegister(slot, 0), -1);
        EXPECT_EQ(TavrinSim_GetSensorRegister(slot, 0), -1);
        EXPECT_EQ(TavrinSim_GetFrameCount(slot), -1);
        unsigned long long fill = 0;
        EXPECT_EQ(TavrinSim_GetFillTime(slot, &fill), -1);
    }
    EXPECT_EQ(TavrinSim_GetFillTime(0, nullptr), 0);
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 256), -1);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 65536), -1);
    EXPECT_EQ(TavrinSim_SetPattern(0, 4, 0), 0);
    EXPECT_EQ(TavrinSim_SetPattern(0, 1, 1024), 0);
    EXPECT_EQ(TavrinSim_SetPattern(0, 1, 1023), 1);
    const unsigned short samples[4] = {1, 2, 3, 4};
    EXPECT_EQ(TavrinSim_LoadFrame(0, nullptr, 2, 2), 0);
    EXPECT_EQ(TavrinSim_LoadFrame(0, samples, 0, 2), 0);
    EXPECT_EQ(TavrinSim_LoadFrame(0, samples, 2, 2), 1);
    EXPECT_EQ(TavrinSim_InjectFault(0, 0, 1), 0);
    EXPECT_EQ(TavrinSim_InjectFault(0, 6, 1), 0);
    EXPECT_EQ(TavrinSim_InjectFault(0, 1, -1), 0);
    EXPECT_EQ(TavrinSim_SetSromByte(0, 0x10000, 1), 0);
    EXPECT_EQ(TavrinSim_SetSromByte(0, 0x1800, 256), 0);
    TavrinSimRecord record;
    EXPECT_EQ(TavrinSim_GetLog(0, nullptr, 4), 0);
    EXPECT_EQ(TavrinSim_GetLog(0, &record, 0), 0);
}

TEST(SimExports, StartValuesOfAFreshCamera) {
    SimSession session("0");
    // The full frame's transfer length, 324,608 bytes, least significant first.
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 0), 0x00);
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 1), 0xF4);
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 2), 0x04);
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 3), 0x00);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 4), 310);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 154), 2);
    EXPECT_EQ(TavrinSim_GetFrameCount(0), 0);
    unsigned long long fill = 1;
    EXPECT_EQ(TavrinSim_GetFillTime(0, &fill), 1);
    EXPECT_EQ(fill, 0u);
    EXPECT_TRUE(SimLog(0).empty());
}

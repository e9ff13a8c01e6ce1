// Sensor registers, the serial ROM and the general-purpose port, checked
// against what the simulated camera holds and received.
#include "frontend_fixture.h"
#include "sim_log.h"

namespace tavrin::test {
namespace {

using DeviceAccessTest = FrontEndTest;

TEST_F(DeviceAccessTest, RegisterWritesReachTheSensorAndReadBackFromTheCache) {
    TavrinSim_ClearLog(0);
    ASSERT_EQ(Tavrin_WriteRegisterEx(handle, 5, 1234), 1);
    ASSERT_EQ(Tavrin_WriteRegister(handle, 6, 0xBEEF), 1);
    EXPECT_EQ(SentCommands(0), (std::vector<std::array<uint8_t, 6>>{SensorWrite(5, 1234), SensorWrite(6, 0xBEEF)}));
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 5), 1234);
    int error = -1;
    EXPECT_EQ(Tavrin_ReadRegisterEx(handle, 0x105, &error), 1234);  // only the low 8 bits address
    EXPECT_EQ(error, 1);
    EXPECT_EQ(Tavrin_ReadRegister(handle, 6, &error), 0xBEEF);
    EXPECT_EQ(error, 1);
    ExpectNothingReported();
}

// The sensor takes 16 bits; the cache answers what the sensor holds.
TEST_F(DeviceAccessTest, WideValueIsCutToSixteenBits) {
    ASSERT_EQ(Tavrin_WriteRegisterEx(handle, 0x107, 0x12345), 1);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 7), 0x2345);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 0x107), 0);
    EXPECT_EQ(Tavrin_ReadRegisterEx(handle, 7, nullptr), 0x2345);
}

TEST_F(DeviceAccessTest, RegistersAboveTheCacheAreRefused) {
    for (int address : {192, 200, 255, 0x1C0}) {
        int error = -1;
        EXPECT_EQ(Tavrin_ReadRegisterEx(handle, address, &error), 0) << address;
        EXPECT_EQ(error, 0);
        ExpectReported(SDKERR_DEVICE_IO);
    }
    int error = -1;
    EXPECT_EQ(Tavrin_ReadRegister(handle, 191, &error), 0);  // never written
    EXPECT_EQ(error, 1);
}

TEST_F(DeviceAccessTest, FailedRegisterWriteIsReported) {
    ASSERT_EQ(Tavrin_WriteRegisterEx(handle, 9, 77), 1);
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_COMMAND_FAILS, 1), 1);
    EXPECT_EQ(Tavrin_WriteRegisterEx(handle, 9, 88), 0);
    ExpectReported(SDKERR_DEVICE_IO);
    EXPECT_EQ(Tavrin_ReadRegisterEx(handle, 9, nullptr), 77);
}

TEST_F(DeviceAccessTest, OutputPortIsControlRegisterSeven) {
    TavrinSim_ClearLog(0);
    EXPECT_EQ(Tavrin_SetIOPort(handle, 0x5A), 1);
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 7), 0x5A);
    const auto sent = SentCommands(0);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], ControlWrite(7, 0x5A));
    BYTE input = 0;
    EXPECT_EQ(Tavrin_GetIOPort(handle, &input, nullptr, 0), 1);
    EXPECT_EQ(input, 0x5A);
    ExpectNothingReported();
}

// A port that cannot be read is a failure, not an idle port.
TEST_F(DeviceAccessTest, PortFailuresAreReported) {
    BYTE input = 0x77;
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_COMMAND_FAILS, 1), 1);
    EXPECT_EQ(Tavrin_GetIOPort(handle, &input, nullptr, 0), 0);
    EXPECT_EQ(input, 0);
    ExpectReported(SDKERR_DEVICE_IO);
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_COMMAND_FAILS, 1), 1);
    EXPECT_EQ(Tavrin_SetIOPort(handle, 1), 0);
    ExpectReported(SDKERR_DEVICE_IO);

    EXPECT_EQ(Tavrin_GetIOPort(handle, nullptr, nullptr, 0), 0);
    EXPECT_TRUE(TakeErrors().empty());
    EXPECT_EQ(TakePosted(), std::vector<int>{SDKERR_PARAMETER});
}

TEST_F(DeviceAccessTest, SerialRomIdentificationBytes) {
    ASSERT_EQ(TavrinSim_SetSromByte(0, 0x1805, 0xAB), 1);
    int error = -1;
    EXPECT_EQ(Tavrin_ReadSromID(handle, 0x305, &error), 0xAB);  // 0x1800 + the low byte
    EXPECT_EQ(error, 1);
    EXPECT_EQ(Tavrin_WriteSromID(handle, 0x10, 0x42), 1);
    EXPECT_EQ(Tavrin_ReadSromID(handle, 0x10, nullptr), 0x42);
    ExpectNothingReported();
}

// Serial ROM failures are posted as "not ready", never queued.
TEST_F(DeviceAccessTest, SerialRomFailuresArePostedOnly) {
    ASSERT_EQ(TavrinSim_SetPresent(0, 0), 1);
    int error = -1;
    EXPECT_EQ(Tavrin_ReadSromID(handle, 1, &error), 0);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(TakeErrors().empty());
    EXPECT_EQ(TakePosted(), std::vector<int>{SDKERR_NOT_READY});
    EXPECT_EQ(Tavrin_WriteSromID(handle, 1, 2), 0);
    EXPECT_TRUE(TakeErrors().empty());
    EXPECT_EQ(TakePosted(), std::vector<int>{SDKERR_NOT_READY});
}

}  // namespace
}  // namespace tavrin::test

// The camera model's commands, byte for byte as the simulated camera logs
// them, and what the camera holds afterwards.
#include "device_test_support.h"

#include "device/device_status.h"

using namespace tavrin::device;
using tavrin::testing::IsCommand;
using tavrin::testing::IsReply;
using tavrin::testing::ModelTest;
using tavrin::testing::SimLog;

namespace {

constexpr uint8_t kSensorBus = 0x20;

}  // namespace

TEST_F(ModelTest, SelectCameraProgramsTheDefaultState) {
    ASSERT_EQ(model_->SelectCamera(0), kStatusOk);
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 15u);
    // 8-bit transfers: the bit depth command always says 1, register 14 decides.
    EXPECT_TRUE(IsCommand(log[0], {CMD_SET_BIT_DEPTH, 1}));
    EXPECT_TRUE(IsCommand(log[1], {CMD_CONTROL_WRITE, 14, 0}));
    // The clock, then the defaults twice (once from the clock).
    EXPECT_TRUE(IsCommand(log[2], {CMD_CONTROL_WRITE, 15, 3}));
    for (size_t i : {3u, 5u}) {
        EXPECT_TRUE(IsCommand(log[i], {CMD_SENSOR_WRITE, kSensorBus, 0x00, 0x04, 0x01, 0x36}));      // gain 310
        EXPECT_TRUE(IsCommand(log[i + 1], {CMD_SENSOR_WRITE, kSensorBus, 0x00, 0x9A, 0x00, 0x02}));  // exposure 2
    }
    // The full area: transfer size, then the length byte by byte, then apply.
    EXPECT_TRUE(IsCommand(log[7], {CMD_SET_TRANSFER_SIZE, 0x00, 0xF4, 0x04, 0x00}));
    EXPECT_TRUE(IsCommand(log[8], {CMD_CONTROL_WRITE, 0, 0x00}));
    EXPECT_TRUE(IsCommand(log[9], {CMD_CONTROL_WRITE, 1, 0xF4}));
    EXPECT_TRUE(IsCommand(log[10], {CMD_CONTROL_WRITE, 2, 0x04}));
    EXPECT_TRUE(IsCommand(log[11], {CMD_CONTROL_WRITE, 3, 0x00}));
    EXPECT_TRUE(IsCommand(log[12], {CMD_CONTROL_WRITE, 32, 1}));
    // Trigger off in the control register, then in the sensor.
    EXPECT_TRUE(IsCommand(log[13], {CMD_CONTROL_WRITE, 11, 0}));
    EXPECT_TRUE(IsCommand(log[14], {CMD_SENSOR_WRITE, kSensorBus, 0x00, 0x0B, 0x00, 0x00}));
    EXPECT_EQ(model_->GetGain(), 310u);
    EXPECT_EQ(model_->GetExposure(), 2u);
    EXPECT_EQ(model_->GetMirrorV(), 0);
    EXPECT_EQ(model_->DriverWait(), 3000u);
    EXPECT_EQ(model_->Variant(), 0u);
}

TEST_F(ModelTest, SetImageAreaWritesTheTransferLengthThenApplies) {
    ASSERT_EQ(model_->SetImageArea(0, 0, 656, 494, 0), kStatusOk);
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_SET_TRANSFER_SIZE, 0x00, 0xF4, 0x04, 0x00}));
    const uint8_t bytes[4] = {0x00, 0xF4, 0x04, 0x00};
    for (uint8_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(IsCommand(log[1 + i], {CMD_CONTROL_WRITE, i, bytes[i]}));
        EXPECT_EQ(TavrinSim_GetControlRegister(0, i), bytes[i]);
    }
    EXPECT_TRUE(IsCommand(log[5], {CMD_CONTROL_WRITE, 32, 1}));
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 32), 1);
    EXPECT_FALSE(model_->LargeFrame());
}

TEST_F(ModelTest, SetImageAreaInQuarterLineModeAndItsRefusals) {
    ASSERT_EQ(model_->SetImageArea(0, 0, 656, 494, 2), kStatusOk);
    EXPECT_EQ(model_->Height(), 123);
    EXPECT_EQ(model_->TotalHeight(), 123);
    EXPECT_EQ(model_->RawLength(), 656 * 123);
    EXPECT_EQ(model_->TransferLength(), 80896);  // 79 x 1024
    EXPECT_EQ(model_->SubSamplingMode(), 2u);
    TavrinSim_ClearLog(0);

    EXPECT_EQ(model_->SetImageArea(1, 0, 656, 494, 0), kStatusRefused);
    EXPECT_EQ(model_->SetImageArea(0, 1, 656, 494, 0), kStatusRefused);
    EXPECT_EQ(model_->SetImageArea(0, 0, 3, 494, 0), kStatusRefused);
    EXPECT_EQ(model_->SetImageArea(0, 0, 656, 2, 0), kStatusRefused);
    EXPECT_EQ(model_->SetImageArea(-1, 0, 100, 100, 0), kStatusRefused);
    EXPECT_EQ(model_->SetImageArea(0, 0, 656, 494, 4), kStatusRefused);
    EXPECT_EQ(model_->SetImageArea(0, 0, 656, 494, 0xFFFFFFFFu), kStatusRefused);
    // Three lines read a quarter at a time are none at all.
    EXPECT_EQ(model_->SetImageArea(0, 0, 656, 3, 2), kStatusBadHeight);
    EXPECT_TRUE(SimLog(0).empty());
    EXPECT_EQ(model_->TransferLength(), 80896);
}

TEST_F(ModelTest, SmallerAreaProgramsItsOwnLength) {
    ASSERT_EQ(model_->SetImageArea(16, 8, 320, 240, 0), kStatusOk);
    EXPECT_EQ(model_->TransferLength(), 76800);
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 0) | TavrinSim_GetControlRegister(0, 1) << 8 |
                  TavrinSim_GetControlRegister(0, 2) << 16,
              76800);
    int x, y, width, height;
    model_->GetImageArea(x, y, width, height);
    EXPECT_EQ(x, 16);
    EXPECT_EQ(y, 8);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
}

TEST_F(ModelTest, GainIsSentWholeAndCachedInTenBits) {
    ASSERT_TRUE(model_->SetGain(1500));
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_SENSOR_WRITE, kSensorBus, 0x00, 0x04, 0x05, 0xDC}));
    EXPECT_EQ(model_->GetGain(), 476u);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 4), 1500);
    uint32_t value = 0;
    EXPECT_TRUE(model_->ReadSensorRegister(4, value));
    EXPECT_EQ(value, 1500u);
}

TEST_F(ModelTest, ExposureIsLimitedTo524Lines) {
    ASSERT_TRUE(model_->SetExposure(600));
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_SENSOR_WRITE, kSensorBus, 0x00, 0x9A, 0x02, 0x0C}));
    EXPECT_EQ(model_->GetExposure(), 524u);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 154), 524);
    // Only the low 16 bits count: 0x10064 is 100 lines.
    ASSERT_TRUE(model_->SetExposure(0x10064));
    EXPECT_EQ(model_->GetExposure(), 100u);
}

TEST_F(ModelTest, SensorRegisterCacheAnswersReads) {
    uint32_t value = 7;
    EXPECT_FALSE(model_->ReadSensorRegister(200, value));
    EXPECT_FALSE(model_->ReadSensorRegister(1024, value));
    EXPECT_TRUE(model_->ReadSensorRegister(300, value));
    EXPECT_EQ(value, 0u);
    model_->SetExposure(100);
    EXPECT_TRUE(model_->ReadSensorRegister(154, value));
    EXPECT_EQ(value, 100u);
    // A register beyond the cache is still written to the camera.
    EXPECT_TRUE(model_->WriteSensorRegister(0x1234, 0x5678));
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 0x1234), 0x5678);
    EXPECT_EQ(SimLog(0).size(), 2u);
}

TEST_F(ModelTest, FailedWritesLeaveTheCachesAlone) {
    ASSERT_TRUE(model_->SetGain(500));
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_COMMAND_FAILS, 1);
    EXPECT_FALSE(model_->SetGain(600));
    EXPECT_EQ(model_->GetGain(), 500u);
    uint32_t value = 0;
    model_->ReadSensorRegister(4, value);
    EXPECT_EQ(value, 500u);

    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_OPEN_FAILS, 1);
    EXPECT_FALSE(model_->SetExposure(50));
    EXPECT_EQ(model_->GetExposure(), 2u);
}

TEST_F(ModelTest, TriggerModeStopsWhenTheControlWriteFails) {
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_COMMAND_FAILS, 1);
    EXPECT_FALSE(model_->SetTriggerMode(1));
    EXPECT_EQ(SimLog(0).size(), 1u);
    TavrinSim_ClearLog(0);
    EXPECT_TRUE(model_->SetTriggerMode(5));
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_CONTROL_WRITE, 11, 1}));
    EXPECT_TRUE(IsCommand(log[1], {CMD_SENSOR_WRITE, kSensorBus, 0x00, 0x0B, 0x00, 0x01}));
}

TEST_F(ModelTest, ClockIsAlwaysThreeAndResetsGainAndExposure) {
    model_->SetGain(800);
    model_->SetExposure(300);
    TavrinSim_ClearLog(0);
    EXPECT_TRUE(model_->SetClock(7));
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_CONTROL_WRITE, 15, 3}));
    EXPECT_EQ(model_->GetGain(), 310u);
    EXPECT_EQ(model_->GetExposure(), 2u);
    uint8_t clock = 0;
    EXPECT_EQ(model_->GetClock(clock), 1);
    EXPECT_EQ(clock, 3);
}

TEST_F(ModelTest, BitDepthCommandSaysOneAndRegister14Decides) {
    EXPECT_EQ(model_->SetBitDepth(0), 1);
    EXPECT_EQ(model_->SetBitDepth(1), 1);
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_SET_BIT_DEPTH, 1}));
    EXPECT_TRUE(IsCommand(log[1], {CMD_CONTROL_WRITE, 14, 0}));
    EXPECT_TRUE(IsCommand(log[2], {CMD_SET_BIT_DEPTH, 1}));
    EXPECT_TRUE(IsCommand(log[3], {CMD_CONTROL_WRITE, 14, 1}));
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 14), 1);
    EXPECT_EQ(model_->SixteenBit(), 1u);
}

TEST_F(ModelTest, SerialRomReadAndWriteBlocks) {
    TavrinSim_SetSromByte(0, 0x1EB0, 2);
    uint8_t value = 0;
    ASSERT_TRUE(model_->ReadSromByte(0x1EB0, value));
    EXPECT_EQ(value, 2);
    auto log = SimLog(0);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_SROM_READ, 0x51, 0x02, 0x01, 0x1E, 0xB0}));
    EXPECT_TRUE(IsReply(log[1]));
    EXPECT_TRUE(IsReply(log[2]));
    EXPECT_EQ(log[2].data[0], 2);

    TavrinSim_ClearLog(0);
    ASSERT_TRUE(model_->WriteSromID(0x1234, 0x1AB));
    ASSERT_TRUE(model_->ReadSromID(0xFF34, value));
    EXPECT_EQ(value, 0xAB);
    log = SimLog(0);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_SROM_WRITE, 0x51, 0x03, 0x18, 0x34, 0xAB}));
    EXPECT_TRUE(IsCommand(log[1], {CMD_SROM_READ, 0x51, 0x02, 0x01, 0x18, 0x34}));
}

TEST_F(ModelTest, SerialRomBelow0x1800IsNotRead) {
    uint8_t value = 0x5C;
    EXPECT_FALSE(model_->ReadSromByte(0x17FF, value));
    EXPECT_EQ(value, 0x5C);
    EXPECT_TRUE(SimLog(0).empty());
    // Only the low 16 bits of the address count.
    EXPECT_FALSE(model_->ReadSromByte(0x117FF, value));
    EXPECT_TRUE(model_->ReadSromByte(0x1800, value));
    EXPECT_EQ(value, 'T');
}

TEST_F(ModelTest, ControlRegisterRoundTrip) {
    ASSERT_TRUE(model_->WriteControlRegister(7, 0x15A));
    uint8_t value = 0;
    ASSERT_TRUE(model_->ReadControlRegister(7, value));
    EXPECT_EQ(value, 0x5A);
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_CONTROL_WRITE, 7, 0x5A}));
    EXPECT_TRUE(IsCommand(log[1], {CMD_CONTROL_READ, 7}));
    TavrinSim_InjectFault(0, TAVRINSIM_FAULT_COMMAND_FAILS, 1);
    value = 9;
    EXPECT_FALSE(model_->ReadControlRegister(7, value));
    EXPECT_EQ(value, 0);
}

TEST_F(ModelTest, DriverWaitTravelsInTheParameterRecord) {
    model_->SetDriverWait(1234);
    EXPECT_EQ(model_->DriverWait(), 1234u);
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].ioctl, IOCTL_SET_PARAMETER);
    EXPECT_EQ(log[0].pipe, TAVRINSIM_PIPE_NONE);
    EXPECT_EQ(log[0].length, 44u);
    const uint8_t expected[8] = {1, 0, 0, 0, 0xD2, 0x04, 0, 0};
    for (size_t i = 0; i < 44; ++i) {
        EXPECT_EQ(log[0].data[i], i < 8 ? expected[i] : 0) << "byte " << i;
    }
}

TEST_F(ModelTest, MirrorsAndVariantAreKeptNotSent) {
    EXPECT_EQ(model_->SetMirrorH(3), 0);
    EXPECT_EQ(model_->SetMirrorV(1), 0);
    EXPECT_EQ(model_->GetMirrorH(), 1);
    EXPECT_EQ(model_->GetMirrorV(), 1);
    EXPECT_EQ(model_->SetVariant(5), 1);
    EXPECT_EQ(model_->Variant(), 1u);
    EXPECT_EQ(model_->SetVariant(2), 1);
    EXPECT_EQ(model_->Variant(), 2u);
    EXPECT_TRUE(SimLog(0).empty());
}

class ProbeTest : public ModelTest {
protected:
    ProbeTest() : ModelTest("0,2") {}
};

TEST_F(ProbeTest, PresenceFollowsTheOccupiedSlots) {
    EXPECT_TRUE(model_->IsDevicePresent(0));
    EXPECT_FALSE(model_->IsDevicePresent(1));
    EXPECT_TRUE(model_->IsDevicePresent(2));
    EXPECT_FALSE(model_->IsDevicePresent(32));
    EXPECT_FALSE(model_->IsDevicePresent(-1));
    EXPECT_EQ(model_->GetDeviceIndex(), 0);
    EXPECT_EQ(CQDXSdkLib::GetDeviceCount(), 32);

    TavrinSim_SetPresent(2, 0);
    TavrinSim_SetPresent(5, 1);
    model_->ProbeDevices();
    EXPECT_FALSE(model_->IsDevicePresent(2));
    EXPECT_TRUE(model_->IsDevicePresent(5));
}

TEST_F(ProbeTest, SelectionRefusesIndicesOutsideTheTable) {
    ASSERT_EQ(model_->SelectCamera(2), kStatusOk);
    EXPECT_STREQ(model_->DevicePath().data(), "\\\\.\\Tvrn860VXRUX-2");
    EXPECT_EQ(TavrinSim_GetControlRegister(2, 15), 3);
    EXPECT_EQ(model_->SelectDevice(32), kStatusBadIndex);
    EXPECT_EQ(model_->SelectDevice(-1), kStatusBadIndex);
    EXPECT_EQ(model_->SelectCamera(40), kStatusBadIndex);
    EXPECT_EQ(model_->GetDeviceIndex(), 2);
    EXPECT_STREQ(model_->DevicePath().data(), "\\\\.\\Tvrn860VXRUX-2");
    EXPECT_EQ(model_->SelectDevice(22), kStatusOk);
    EXPECT_STREQ(model_->DevicePath().data(), "\\\\.\\Tvrn860VXRUX-N");
}

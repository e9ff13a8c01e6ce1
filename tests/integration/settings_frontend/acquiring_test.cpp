// Settings changed while an acquisition runs: values are taken at once, but
// the readout area and the device scan wait for the acquisition to stop.
#include <thread>

#include "frontend_fixture.h"
#include "sim_log.h"

namespace tavrin::test {
namespace {

using AcquiringTest = FrontEndTest;

constexpr int kFullFrameLength = 324608;  // 656 x 494 rounded up to whole KiB

TEST_F(AcquiringTest, NewWindowWaitsForTheNextStart) {
    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_EQ(TransferLengthRegisters(0), kFullFrameLength);
    EXPECT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 16, 320, 494, 8, 240), 1);
    EXPECT_EQ(Tavrin_Width(handle), 320);
    EXPECT_EQ(TransferLengthRegisters(0), kFullFrameLength);
    EXPECT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 400, 320, 494, 8, 240), 0);
    ExpectReported(SDKERR_CAPTURE_WINDOW);
    EXPECT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 16, 320, 494, 8, 240), 1);
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_EQ(TransferLengthRegisters(0), kFullFrameLength);

    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_EQ(TransferLengthRegisters(0), 320 * 240);
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    ExpectNothingReported();
}

TEST_F(AcquiringTest, EnumerationDuringAcquisitionListsTheLastScan) {
    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    ASSERT_EQ(TavrinSim_SetPresent(3, 1), 1);
    std::vector<char> names(10 * 256, 'x');
    EXPECT_EQ(Tavrin_EnumDevice(handle, names.data()), 1);
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_EQ(Tavrin_EnumDevice(handle, names.data()), 2);
    EXPECT_STREQ(names.data() + 256, "Tavrin860VX-RUX_02");
    ExpectNothingReported();
}

// Processing values change under a running stream from several threads at
// once, gain and exposure from one of them; every value arrives whole.
TEST_F(AcquiringTest, ValuesChangeUnderARunningStream) {
    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    std::vector<std::thread> writers;
    for (int t = 0; t < 3; ++t) {
        writers.emplace_back([this, t] {
            for (int i = 0; i < 20; ++i) {
                EXPECT_EQ(Tavrin_SetBrightness(handle, (i * 13 + t) % 255), 1);
                EXPECT_EQ(Tavrin_SetBayerGainRGB(handle, 0x646464 + t), 1);
                EXPECT_EQ(Tavrin_SetGrayMode(handle, i % 3), 1);
                EXPECT_EQ(Tavrin_SetMirrorH(handle, i & 1), 1);
                EXPECT_GE(Tavrin_GetRealExposureTime(handle, nullptr), 212);
                if (t == 0 && i % 5 == 0) {
                    EXPECT_EQ(Tavrin_SetGlobalGain(handle, 100 + i), 1);
                    EXPECT_EQ(Tavrin_SetExposureTime(handle, 2 + i), 1);
                }
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    const int gain = Tavrin_GetGlobalGain(handle, nullptr);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 4), gain);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, 154), Tavrin_GetExposureTime(handle, nullptr));
    EXPECT_TRUE(TakeErrors().empty());
}

}  // namespace
}  // namespace tavrin::test

// Frame geometry: lengths, refusals, buffers, the copy-out of the wanted
// area, and the large-frame transfer code.
#include "device_test_support.h"

#include "device/device_status.h"

using namespace tavrin::device;
using tavrin::testing::BareDeviceLibrary;
using tavrin::testing::IsCommand;
using tavrin::testing::SimLog;
using tavrin::testing::SimSession;

TEST(FrameGeometry, FullSensorLengths) {
    SimSession session("0;interval=0;settle=0");
    BareDeviceLibrary library;
    ASSERT_EQ(library.SetFrameGeometry(656, 0, 656, 494, 0, 494, 4), kStatusOk);
    EXPECT_EQ(library.RawLength(), 324064);
    EXPECT_EQ(library.TransferLength(), 324608);  // 317 x 1024
    EXPECT_EQ(library.SlotLength(), 649216);
    EXPECT_EQ(library.SlotCount(), 4);
    EXPECT_EQ(library.PixelCount(), 324064);
    // The camera is told the new transfer length at once.
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_SET_TRANSFER_SIZE, 0x00, 0xF4, 0x04, 0x00}));
}

TEST(FrameGeometry, LengthsUseTheLinesBelowTheOffset) {
    SimSession session("0");
    BareDeviceLibrary library;
    ASSERT_EQ(library.SetFrameGeometry(1024, 3, 100, 20, 5, 10, 2), kStatusOk);
    EXPECT_EQ(library.RawLength(), 1024 * 15);
    EXPECT_EQ(library.TransferLength(), 1024 * 15);  // already a multiple of 1024
    EXPECT_EQ(library.PixelCount(), 1024 * 20);
}

TEST(FrameGeometry, RefusalsChangeNothing) {
    SimSession session("0");
    BareDeviceLibrary library;
    ASSERT_EQ(library.SetFrameGeometry(656, 0, 656, 494, 0, 494, 4), kStatusOk);
    EXPECT_EQ(library.SetFrameGeometry(656, 0, 656, 494, 0, 494, 1), kStatusRefused);
    EXPECT_EQ(library.SetFrameGeometry(0, 0, 0, 10, 0, 10, 4), kStatusBadWidth);
    EXPECT_EQ(library.SetFrameGeometry(10, 0, 11, 10, 0, 10, 4), kStatusBadWidth);
    EXPECT_EQ(library.SetFrameGeometry(10, 0, -1, 10, 0, 10, 4), kStatusBadWidth);
    EXPECT_EQ(library.SetFrameGeometry(10, 0, 10, 0, 0, 1, 4), kStatusBadHeight);
    EXPECT_EQ(library.SetFrameGeometry(10, 0, 10, 10, 5, 6, 4), kStatusBadHeight);
    EXPECT_EQ(library.SetFrameGeometry(10, 0, 10, 10, 0, 0, 4), kStatusBadHeight);
    EXPECT_EQ(library.TransferLength(), 324608);
    EXPECT_EQ(library.SlotCount(), 4);
    // The previous buffers are still there: a grab works.
    EXPECT_EQ(library.GrabFrame(), kStatusOk);
}

TEST(FrameGeometry, LengthsThatDoNotFitAreOutOfMemory) {
    SimSession session("0");
    BareDeviceLibrary library;
    EXPECT_EQ(library.SetFrameGeometry(100000, 0, 100000, 100000, 0, 100000, 4), kStatusOutOfMemory);
    EXPECT_EQ(library.SetFrameGeometry(46341, 0, 46341, 46341, 0, 10, 4), kStatusOutOfMemory);
}

TEST(FrameGeometry, CopyRawFrameTakesTheWantedArea) {
    SimSession session("0");
    BareDeviceLibrary library;
    ASSERT_EQ(library.SetFrameGeometry(8, 2, 4, 6, 1, 3, 2), kStatusOk);
    std::vector<uint8_t> frame(8 * 6 * 2);  // room for 16-bit pixels
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<uint8_t>(i);
    }
    std::vector<uint8_t> area(12);
    ASSERT_EQ(library.CopyRawFrame(area.data(), frame.data()), kStatusOk);
    EXPECT_EQ(area, std::vector<uint8_t>({10, 11, 12, 13, 18, 19, 20, 21, 26, 27, 28, 29}));
    EXPECT_EQ(library.CopyRawFrame(nullptr, frame.data()), kStatusNullBuffer);
    EXPECT_EQ(library.CopyRawFrame(area.data(), nullptr), kStatusNullBuffer);

    // Sixteen-bit pixels are two bytes each.
    library.SetBitDepth(1);
    std::vector<uint8_t> wide(24);
    ASSERT_EQ(library.CopyRawFrame(wide.data(), frame.data()), kStatusOk);
    EXPECT_EQ(wide[0], 20);  // line 1 starts at byte 16, pixel 2 at byte 20
    EXPECT_EQ(wide[8], 36);
}

TEST(FrameGeometry, WholeFrameIsOneBlockCopy) {
    SimSession session("0");
    BareDeviceLibrary library;
    ASSERT_EQ(library.SetFrameGeometry(4, 0, 4, 2, 0, 2, 2), kStatusOk);
    const std::vector<uint8_t> frame = {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<uint8_t> out(8);
    ASSERT_EQ(library.CopyRawFrame(out.data(), frame.data()), kStatusOk);
    EXPECT_EQ(out, frame);
}

TEST(FrameGeometry, BaseBitDepthSendsTheFlag) {
    SimSession session("0");
    BareDeviceLibrary library;
    TavrinSim_ClearLog(0);
    EXPECT_EQ(library.SetBitDepth(2), 1);
    EXPECT_EQ(library.SetBitDepth(0), 1);
    const auto log = SimLog(0);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(IsCommand(log[0], {CMD_SET_BIT_DEPTH, 1}));
    EXPECT_TRUE(IsCommand(log[1], {CMD_SET_BIT_DEPTH, 0}));
}

// 2048 x 1500 bytes is exactly the large-frame threshold; 1499 lines are
// below it. The camera refuses large frames on the ordinary code.
TEST(FrameGeometry, LargeFramesTravelWithTheLargeCode) {
    SimSession session("0;pattern=1;interval=0;settle=0");
    BareDeviceLibrary library;
    ASSERT_EQ(library.SetFrameGeometry(2048, 0, 2048, 1500, 0, 1500, 2), kStatusOk);
    ASSERT_EQ(library.TransferLength(), 3072000);
    library.SetLargeFrame(IsLargeFrame(library.TransferLength(), false));
    TavrinSim_ClearLog(0);
    ASSERT_EQ(library.GrabFrame(), kStatusOk);
    auto log = SimLog(0);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().ioctl, IOCTL_PIPE_IN_DIRECT_LARGE);
    EXPECT_EQ(log.back().pipe, 2u);
    EXPECT_EQ(log.back().length, 3072000u);

    library.SetLargeFrame(false);
    EXPECT_EQ(library.GrabFrame(), kStatusFrameTransfer);

    ASSERT_EQ(library.SetFrameGeometry(2048, 0, 2048, 1499, 0, 1499, 2), kStatusOk);
    library.SetLargeFrame(IsLargeFrame(library.TransferLength(), false));
    TavrinSim_ClearLog(0);
    ASSERT_EQ(library.GrabFrame(), kStatusOk);
    log = SimLog(0);
    EXPECT_EQ(log.back().ioctl, IOCTL_PIPE_IN_DIRECT);
    EXPECT_EQ(log.back().length, 3069952u);
}

TEST(FrameGeometry, NoStreamingOrCopyWithoutBuffers) {
    SimSession session("0");
    BareDeviceLibrary library;
    EXPECT_EQ(library.StartTransfer(), kStatusNullBuffer);
    EXPECT_FALSE(library.Streaming());
    EXPECT_EQ(library.StopTransfer(), 0);
    std::vector<uint8_t> frame(16);
    EXPECT_EQ(library.ReadFrame(frame.data(), FrameLease()), kStatusNullBuffer);
    EXPECT_EQ(library.CopyGrabbedFrame(frame.data()), kStatusNullBuffer);
    EXPECT_EQ(library.GrabFrame(), kStatusFrameTransfer);
}

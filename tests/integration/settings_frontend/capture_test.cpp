// The readout region: set by its six values or chosen among the windows
// stored in the registry.
#include "TavrinEx.h"
#include "frontend_fixture.h"
#include "platform/registry.h"
#include "sim_log.h"

namespace tavrin::test {
namespace {

using CaptureTest = FrontEndTest;

std::vector<int> CaptureWindow(int handle) {
    int th = -1, ehs = -1, eh = -1, tv = -1, evs = -1, ev = -1;
    EXPECT_EQ(Tavrin_GetCaptureWindowEx(handle, &th, &ehs, &eh, &tv, &evs, &ev), 1);
    return {th, ehs, eh, tv, evs, ev};
}

const std::vector<int> kFullSensor{656, 0, 656, 494, 0, 494};

// The camera sends whole KiB: the area's bytes rounded up.
constexpr int TransferLength(int width, int height) { return (width * height + 1023) / 1024 * 1024; }

// A stored readout window below the camera key of camera 0.
void StoreSize(int index, const std::vector<uint32_t>& values) {
    const std::string name = std::string(kBaseKey) + "\\Camera_00\\Size_0" + std::to_string(index);
    auto key = platform::RegistryKey::Create(nullptr, name);
    ASSERT_TRUE(key);
    const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
    for (size_t i = 0; i < values.size(); ++i) {
        ASSERT_TRUE(key->WriteDword(names[i], values[i]));
    }
}

TEST_F(CaptureTest, ValidWindowReachesTheCamera) {
    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 16, 320, 494, 8, 240), 1);
    ExpectNothingReported();
    EXPECT_EQ(CaptureWindow(handle), (std::vector<int>{656, 16, 320, 494, 8, 240}));
    EXPECT_EQ(Tavrin_Width(handle), 320);
    EXPECT_EQ(Tavrin_Height(handle), 240);
    EXPECT_EQ(TransferLengthRegisters(0), 320 * 240);
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 32), 1);
}

// An invalid window is stored all the same, so that the next acquisition
// reports it as well; the camera keeps the last valid one.
TEST_F(CaptureTest, InvalidWindowStaysStoredAndIsReported) {
    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 0, 320, 494, 0, 240), 1);
    EXPECT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 10, 650, 494, 0, 494), 0);
    ExpectReported(SDKERR_CAPTURE_WINDOW);
    EXPECT_EQ(CaptureWindow(handle), (std::vector<int>{656, 10, 650, 494, 0, 494}));
    EXPECT_EQ(TransferLengthRegisters(0), 320 * 240);
    EXPECT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 0, 656, 494, -1, 494), 0);
    ExpectReported(SDKERR_CAPTURE_WINDOW);
}

// The window rule lets a region of a pixel or two through, but the camera
// reads at least 4 pixels by 3 lines: such a region is refused as well.
TEST_F(CaptureTest, RegionTooSmallForTheCameraIsReported) {
    EXPECT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 0, 2, 494, 0, 494), 0);
    ExpectReported(SDKERR_CAPTURE_WINDOW);
    EXPECT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 0, 656, 494, 0, 0), 0);
    ExpectReported(SDKERR_CAPTURE_WINDOW);
    EXPECT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 652, 4, 494, 491, 3), 1);
    ExpectNothingReported();
}

TEST_F(CaptureTest, SizeWithoutStoredEntryChangesNothing) {
    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 8, 600, 494, 4, 400), 1);
    EXPECT_EQ(Tavrin_SetCaptureWindow(handle, 640, 480), 0);
    ExpectReported(SDKERR_WINDOW);
    EXPECT_EQ(CaptureWindow(handle), (std::vector<int>{656, 8, 600, 494, 4, 400}));
    EXPECT_EQ(TransferLengthRegisters(0), TransferLength(600, 400));
}

TEST_F(CaptureTest, SizeTakesTheFirstStoredEntryOfThatSize) {
    StoreSize(0, {656, 494, 656, 494, 0, 0, 4});
    StoreSize(1, {656, 494, 640, 480, 8, 7, 2});
    StoreSize(2, {656, 494, 640, 480, 16, 14, 2});
    ASSERT_EQ(Tavrin_SetCaptureWindow(handle, 640, 480), 1);
    ExpectNothingReported();
    EXPECT_EQ(CaptureWindow(handle), (std::vector<int>{656, 8, 640, 494, 7, 480}));
    EXPECT_EQ(TransferLengthRegisters(0), 640 * 480);
    EXPECT_EQ(Tavrin_SetCaptureWindow(handle, 480, 640), 0);
    ExpectReported(SDKERR_WINDOW);
}

// The size table as stored, entries in index order and unchecked; a short
// array gets the first entries and the whole count.
TEST_F(CaptureTest, SizeTableListsTheStoredEntries) {
    StoreSize(0, {656, 494, 656, 494, 0, 0, 4});
    StoreSize(1, {656, 494, 640, 480, 8, 7, 2});
    StoreSize(2, {656, 494, 600, 400, 100, 0, 4});
    TavrinSizeEntry entries[4]{};
    int count = -1, selected = -1;
    ASSERT_EQ(TavrinEx_GetSizeTable(handle, entries, 4, &count, &selected), 1);
    ExpectNothingReported();
    EXPECT_EQ(count, 3);
    EXPECT_EQ(selected, 0);
    const TavrinSizeEntry& second = entries[1];
    EXPECT_EQ((std::vector<int>{second.totalWidth, second.totalHeight, second.width, second.height, second.left,
                                second.top, second.buffers}),
              (std::vector<int>{656, 494, 640, 480, 8, 7, 2}));
    EXPECT_EQ(entries[2].left, 100);
    TavrinSizeEntry first{};
    ASSERT_EQ(TavrinEx_GetSizeTable(handle, &first, 1, &count, nullptr), 1);
    EXPECT_EQ((std::vector<int>{count, first.width, first.height}), (std::vector<int>{3, 656, 494}));
    EXPECT_EQ(TavrinEx_GetSizeTable(handle, nullptr, 0, &count, nullptr), 1);
    for (int capacity : {-1, 2}) {
        EXPECT_EQ(TavrinEx_GetSizeTable(handle, nullptr, capacity, &count, nullptr), 0);
        ExpectReported(SDKERR_PARAMETER);
    }
    EXPECT_EQ(TavrinEx_GetSizeTable(handle, entries, 4, nullptr, nullptr), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(TavrinEx_GetSizeTable(0x7FFF, entries, 4, &count, nullptr), 0);
}

// A stored entry outside the sensor gives the full sensor instead.
TEST_F(CaptureTest, InvalidStoredEntryFallsBackToTheFullSensor) {
    StoreSize(0, {656, 494, 656, 494, 0, 0, 4});
    StoreSize(1, {656, 494, 600, 400, 100, 0, 4});
    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, 656, 0, 320, 494, 0, 240), 1);
    EXPECT_EQ(Tavrin_SetCaptureWindow(handle, 600, 400), 1);
    ExpectReported(SDKERR_CAPTURE_WINDOW);
    EXPECT_EQ(CaptureWindow(handle), kFullSensor);
    EXPECT_EQ(TransferLengthRegisters(0), TransferLength(656, 494));
}

TEST_F(CaptureTest, PreviewPlacementIsTakenWithoutAWindow) {
    EXPECT_EQ(Tavrin_SetPreviewWindow(handle, nullptr, 10, 20, 320, 240), 1);
    EXPECT_EQ(Tavrin_SetPreviewWindow(handle, window, 0, 0, 656, 494), 1);
    ExpectNothingReported();
}

}  // namespace
}  // namespace tavrin::test

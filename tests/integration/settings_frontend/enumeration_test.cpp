// Listing and naming the cameras, and the camera information record.
#include <cstring>
#include <string>

#include "frontend_fixture.h"

namespace tavrin::test {
namespace {

constexpr int kSlots = 10;
constexpr int kSlotUnits = 256;

class EnumerationTest : public FrontEndTest {
protected:
    std::vector<int> PluggedSlots() const override { return {0, 2}; }

    // The ten narrow names, read from an array first filled with 'x'.
    std::vector<std::string> Enumerate(int& count) {
        std::vector<char> names(kSlots * kSlotUnits, 'x');
        count = Tavrin_EnumDevice(handle, names.data());
        return Split(names);
    }
    std::vector<std::string> EnumerateWide(int& count) {
        std::vector<TavrinWChar> names(kSlots * kSlotUnits, u'x');
        count = Tavrin_EnumDeviceW(handle, names.data());
        std::vector<char> narrow(names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            narrow[i] = names[i] < 0x80 ? static_cast<char>(names[i]) : '?';
        }
        return Split(narrow);
    }
    static std::vector<std::string> Split(const std::vector<char>& names) {
        std::vector<std::string> slots;
        for (int i = 0; i < kSlots; ++i) {
            const char* slot = names.data() + i * kSlotUnits;
            slots.emplace_back(slot, strnlen(slot, kSlotUnits));
        }
        return slots;
    }
    static std::vector<std::string> Expected(int count) {
        std::vector<std::string> slots(kSlots);
        for (int i = 0; i < count; ++i) {
            slots[i] = "Tavrin860VX-RUX_" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1);
        }
        return slots;
    }
};

TEST_F(EnumerationTest, CamerasAreNumberedInTheOrderFound) {
    int count = -1;
    EXPECT_EQ(Enumerate(count), Expected(2));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(EnumerateWide(count), Expected(2));
    EXPECT_EQ(count, 2);
    ExpectNothingReported();
}

TEST_F(EnumerationTest, SlotNamesCarryTheSlotNumber) {
    char name[256] = {};
    ASSERT_EQ(Tavrin_GetDeviceName(handle, 2, name, sizeof name), 1);
    EXPECT_STREQ(name, "Tavrin860VX-RUX_03");
    ASSERT_EQ(Tavrin_GetDeviceName(handle, 0, name, 19), 1);
    EXPECT_STREQ(name, "Tavrin860VX-RUX_01");
    TavrinWChar wide[19] = {};
    ASSERT_EQ(Tavrin_GetDeviceNameW(handle, 2, wide, 19), 1);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide)), u"Tavrin860VX-RUX_03");
    ExpectNothingReported();

    EXPECT_EQ(Tavrin_GetDeviceName(handle, 1, name, sizeof name), 0);
    ExpectReported(SDKERR_DEVICE);
    EXPECT_EQ(Tavrin_GetDeviceNameW(handle, 31, wide, 19), 0);
    ExpectReported(SDKERR_DEVICE);
}

TEST_F(EnumerationTest, NameBufferAndSlotAreChecked) {
    char name[32];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(Tavrin_GetDeviceName(handle, 0, name, 18), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(name[0], 'x');
    TavrinWChar wide[32] = {};
    EXPECT_EQ(Tavrin_GetDeviceNameW(handle, 0, wide, 18), 0);
    ExpectReported(SDKERR_PARAMETER);
    for (int slot : {-1, 32}) {
        EXPECT_EQ(Tavrin_GetDeviceName(handle, slot, name, sizeof name), 0) << slot;
        ExpectReported(SDKERR_PARAMETER);
    }
    EXPECT_EQ(Tavrin_GetDeviceName(handle, 0, nullptr, 256), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(Tavrin_EnumDevice(handle, nullptr), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(Tavrin_EnumDeviceW(handle, nullptr), 0);
    ExpectReported(SDKERR_PARAMETER);
}

// Only the narrow enumeration scans the device paths again.
TEST_F(EnumerationTest, CameraPluggedLaterNeedsANarrowScan) {
    ASSERT_EQ(TavrinSim_SetPresent(1, 1), 1);
    char name[32];
    EXPECT_EQ(Tavrin_GetDeviceName(handle, 1, name, sizeof name), 0);
    ExpectReported(SDKERR_DEVICE);
    int count = -1;
    EXPECT_EQ(EnumerateWide(count), Expected(2));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Enumerate(count), Expected(3));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(EnumerateWide(count), Expected(3));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Tavrin_GetDeviceName(handle, 1, name, sizeof name), 1);
    EXPECT_STREQ(name, "Tavrin860VX-RUX_02");

    ASSERT_EQ(TavrinSim_SetPresent(0, 0), 1);
    ASSERT_EQ(TavrinSim_SetPresent(1, 0), 1);
    ASSERT_EQ(TavrinSim_SetPresent(2, 0), 1);
    EXPECT_EQ(Enumerate(count), Expected(0));
    EXPECT_EQ(count, 0);
    ExpectNothingReported();
}

TEST_F(EnumerationTest, CameraInformationRecord) {
    TavrinCameraInfo info{};
    std::memset(&info, 0x55, sizeof info);
    info.size = 36;
    ASSERT_EQ(Tavrin_GetCameraInfo(handle, &info), 1);
    EXPECT_EQ(info.size, 36);
    EXPECT_EQ((std::vector<int>{info.sensorWidth, info.sensorHeight, info.globalGainMin, info.globalGainMax,
                                info.reserved1, info.reserved2, info.exposureMinLines, info.exposureMaxLines}),
              (std::vector<int>{656, 494, 0, 1023, 0, 0, 2, 524}));
    ExpectNothingReported();

    info.size = 35;
    info.sensorWidth = -1;
    EXPECT_EQ(Tavrin_GetCameraInfo(handle, &info), 0);
    ExpectReported(SDKERR_BUFFER);
    EXPECT_EQ(info.sensorWidth, -1);
    EXPECT_EQ(Tavrin_GetCameraInfo(handle, nullptr), 0);
    ExpectReported(SDKERR_PARAMETER);
}

class ManyCamerasTest : public EnumerationTest {
protected:
    std::vector<int> PluggedSlots() const override { return {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 20, 31}; }
};

// Thirteen cameras, room for ten names: the first ten found are listed and
// the count says how many names the array holds.
TEST_F(ManyCamerasTest, ListsTheFirstTenAndCountsWhatItWrote) {
    int count = -1;
    EXPECT_EQ(Enumerate(count), Expected(10));
    EXPECT_EQ(count, 10);
    EXPECT_EQ(EnumerateWide(count), Expected(10));
    EXPECT_EQ(count, 10);
    char name[32];
    ASSERT_EQ(Tavrin_GetDeviceName(handle, 31, name, sizeof name), 1);
    EXPECT_STREQ(name, "Tavrin860VX-RUX_32");
}

}  // namespace
}  // namespace tavrin::test

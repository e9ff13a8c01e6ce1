// Device selection through the exports with simulated cameras in slots 0
// and 2: what reaches the cameras, and how bad slots are reported.
#include <gtest/gtest.h>

#include <vector>

#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "platform/environment.h"
#include "support/isolation.h"
#include "unit/settings/fresh_store.h"

namespace {

std::vector<TavrinSimRecord> Log(int slot) {
    std::vector<TavrinSimRecord> records(4096);
    records.resize(static_cast<size_t>(TavrinSim_GetLog(slot, records.data(), static_cast<int>(records.size()))));
    return records;
}

bool IsSromRead(const TavrinSimRecord& record, uint8_t high, uint8_t low) {
    const uint8_t block[6] = {0x41, 0x51, 0x02, 0x01, high, low};
    return record.ioctl == 0x00222051 && record.pipe == 0 && std::equal(block, block + 6, record.data);
}

int TransferLength(int slot) {
    int length = 0;
    for (int i = 3; i >= 0; --i) {
        length = length << 8 | TavrinSim_GetControlRegister(slot, i);
    }
    return length;
}

class DeviceExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavrin::test::IsolateFromOtherPrograms();
        tavrin::platform::SetEnvironment("TAVRIN_SIM", "0,2;interval=0;settle=0");
        ASSERT_EQ(TavrinSim_IsActive(), 1);
        for (int slot = 0; slot < 32; ++slot) {
            TavrinSim_SetPresent(slot, slot == 0 || slot == 2 ? 1 : 0);
            TavrinSim_ClearLog(slot);
        }
        handle = Tavrin_Initialize(nullptr);
        ASSERT_NE(handle, 0);
        while (Tavrin_GetLastError(handle) != 0) {
        }
    }
    void TearDown() override { Tavrin_Release(handle); }

    tavrin::test::FreshStore store;
    int handle = 0;
};

}  // namespace

TEST_F(DeviceExportsTest, InitializationProgramsCameraZero) {
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 15), 3);  // clock
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 14), 0);  // 8-bit transfers
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 11), 0);  // trigger off
    EXPECT_EQ(TavrinSim_GetControlRegister(0, 32), 1);  // length applied
    EXPECT_EQ(TransferLength(0), 324608);               // the full 656 x 494 area
    EXPECT_FALSE(Log(0).empty());
    EXPECT_TRUE(Log(2).empty());  // the probe opens slot 2 but sends nothing
}

TEST_F(DeviceExportsTest, SelectingSlotTwoProgramsItAndReadsTheVariant) {
    TavrinSim_SetSromByte(2, 0x1EB0, 2);
    ASSERT_EQ(Tavrin_SetDeviceNumber(handle, 2), 1);
    EXPECT_EQ(Tavrin_GetLastError(handle), 0);
    const auto log = Log(2);
    ASSERT_GE(log.size(), 3u);
    // The variant byte is read last, with its two replies.
    EXPECT_TRUE(IsSromRead(log[log.size() - 3], 0x1E, 0xB0));
    EXPECT_EQ(log.back().pipe, 1u);
    EXPECT_EQ(log.back().data[0], 2);
    EXPECT_EQ(TavrinSim_GetControlRegister(2, 15), 3);
    EXPECT_EQ(TavrinSim_GetControlRegister(2, 32), 1);
    EXPECT_EQ(TransferLength(2), 324608);
}

TEST_F(DeviceExportsTest, SlotsWithoutACameraOrOutsideTheTableFailWithCode2) {
    for (int slot : {1, 32, -1}) {
        EXPECT_EQ(Tavrin_SetDeviceNumber(handle, slot), 0) << slot;
        EXPECT_EQ(Tavrin_GetLastError(handle), 2) << slot;
        EXPECT_EQ(Tavrin_GetLastError(handle), 0) << slot;
    }
    // Nothing went to camera 2, and camera 0 stays selected: a later
    // selection of 2 still works.
    EXPECT_TRUE(Log(2).empty());
    EXPECT_EQ(Tavrin_SetDeviceNumber(handle, 2), 1);
}

TEST_F(DeviceExportsTest, SelectionFollowsTheProbeNotLaterPlugging) {
    TavrinSim_SetPresent(5, 1);  // plugged after the handle was made
    EXPECT_EQ(Tavrin_SetDeviceNumber(handle, 5), 0);
    EXPECT_EQ(Tavrin_GetLastError(handle), 2);
}

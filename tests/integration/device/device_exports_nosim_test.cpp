// Without TAVRIN_SIM the library uses the system's driver. Outside Windows
// there is none, and under Wine no camera driver is installed: the device
// library is built, its probe finds nothing, and every slot fails with 2.
#include <gtest/gtest.h>

#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "platform/environment.h"
#include "support/isolation.h"
#include "unit/settings/fresh_store.h"

TEST(DeviceWithoutSimulator, InitializationBuildsTheDeviceLibraryButFindsNoCamera) {
    tavrin::test::IsolateFromOtherPrograms();
    tavrin::platform::SetEnvironment("TAVRIN_SIM", nullptr);
    tavrin::test::FreshStore store;
    const int handle = Tavrin_Initialize(nullptr);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(TavrinSim_IsActive(), 0);
    while (Tavrin_GetLastError(handle) != 0) {
    }
    for (int slot : {0, 1, 31, 32, -1}) {
        EXPECT_EQ(Tavrin_SetDeviceNumber(handle, slot), 0) << slot;
        // 2, not 1: there is a device library, only no camera.
        EXPECT_EQ(Tavrin_GetLastError(handle), 2) << slot;
        EXPECT_EQ(Tavrin_GetLastError(handle), 0) << slot;
    }
    EXPECT_EQ(Tavrin_Release(handle), 1);
}

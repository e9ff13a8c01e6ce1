// The store as the camera object uses it, through the exports: what a first
// run leaves in the registry, which camera's groups land under which key,
// and random stored values at every moment the camera reads or writes them.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "TavrinEx.h"
#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "fresh_store.h"

#ifndef _WIN32
#include <sqlite3.h>
#endif

using tavrin::platform::RegistryKey;
using namespace tavrin::test;

namespace {

class CameraStore : public ::testing::Test {
protected:
    void SetUp() override {
        tavrin::platform::SetEnvironment("TAVRIN_SIM", "0;interval=0;settle=0");
        ASSERT_EQ(TavrinSim_IsActive(), 1);
        for (int slot = 0; slot < 32; ++slot)
            ASSERT_EQ(TavrinSim_SetPresent(slot, slot < 2 ? 1 : 0), 1);
    }

    FreshStore store;
};

}  // namespace

TEST_F(CameraStore, FirstInitializeSeedsTheRegistryAndTakesTheSeededFormat) {
    const int handle = Tavrin_Initialize(nullptr);
    ASSERT_NE(handle, 0);
    if (!RegistryKey::Exists(nullptr, kBaseKey)) {
        Tavrin_Release(handle);
        GTEST_SKIP() << "the camera object does not read the registry store at initialization yet";
    }
    const KeyTree expected{{"", {}},
                           {"Camera_00", {{"Size", 0}, {"Color", 2}, {"SubSample", 0}, {"WaitTime", 1}, {"Clock", 2}}},
                           {"Camera_00\\Size_00",
                            {{"TH", 656}, {"TV", 494}, {"EH", 656}, {"EV", 494}, {"EHS", 0}, {"EVS", 0}, {"Buf", 4}}}};
    EXPECT_EQ(DumpTree(kBaseKey), expected);
    EXPECT_EQ(Tavrin_GetColorMode(handle), 24);
    EXPECT_EQ(Tavrin_GetWaitTime(handle), 1);
    EXPECT_EQ(Tavrin_Width(handle), 656);
    EXPECT_EQ(Tavrin_Height(handle), 494);
    EXPECT_EQ(Tavrin_GetLastError(handle), 0);
    Tavrin_Release(handle);
}

// Camera 0 starts without stored groups, camera 1 with its own: the switch
// saves camera 0's groups under Camera_00 before it loads camera 1's, and
// the release saves camera 1's under Camera_01.
TEST_F(CameraStore, EachCameraNumberKeepsItsOwnGroups) {
    auto gain = RegistryKey::Create(nullptr, std::string(kBaseKey) + "\\Camera_01\\Gain");
    auto filter = RegistryKey::Create(nullptr, std::string(kBaseKey) + "\\Camera_01\\Filter");
    ASSERT_TRUE(gain && filter);
    ASSERT_TRUE(gain->WriteDword("Global", 600));
    ASSERT_TRUE(gain->WriteDword("Exposure", 300));
    ASSERT_TRUE(filter->WriteDword("Brightness", 0xFFFFFFECu));
    gain.reset();
    filter.reset();

    const int handle = Tavrin_Initialize(nullptr);
    ASSERT_NE(handle, 0);
    const int switched = Tavrin_SetDeviceNumber(handle, 1);
    Tavrin_Release(handle);
    if (switched != 1 || !RegistryKey::Exists(nullptr, std::string(kBaseKey) + "\\Camera_00\\Gain")) {
        GTEST_SKIP() << "the camera object does not switch devices or save its groups yet";
    }
    EXPECT_EQ(StoredDword("Camera_00\\Gain", "Global"), 310);
    EXPECT_EQ(StoredDword("Camera_00\\Gain", "Exposure"), 2);
    EXPECT_EQ(StoredDword("Camera_00\\Filter", "Brightness"), 0);
    EXPECT_EQ(StoredDword("Camera_00\\Filter", "R_Gain"), 100);
    EXPECT_EQ(StoredDword("Camera_00\\Gray", "GainR1"), 128);
    EXPECT_EQ(StoredDword("Camera_01\\Gain", "Global"), 600);
    EXPECT_EQ(StoredDword("Camera_01\\Gain", "Exposure"), 300);
    EXPECT_EQ(static_cast<uint32_t>(StoredDword("Camera_01\\Filter", "Brightness")), 0xFFFFFFECu);
    EXPECT_TRUE(RegistryKey::Exists(nullptr, std::string(kBaseKey) + "\\Camera_01\\Gray"));
}

// Two programs on one camera: A starts, B changes one setting of each group
// and ends, then A changes another and ends. A's release writes only what A
// changed, so B's settings survive it.
TEST_F(CameraStore, AReleaseKeepsWhatAnotherProgramStoredMeanwhile) {
    const struct {
        const char* setting;
        const char* key;
        const char* value;
        int number;
    } changedByB[] = {{"brightness", "Camera_00\\Filter", "Brightness", 100},
                      {"gain", "Camera_00\\Gain", "Global", 600},
                      {"gray-mode", "Camera_00\\Gray", "Mode", 2}};
    Tavrin_Release(Tavrin_Initialize(nullptr));  // a first run stores every group
    const int a = Tavrin_Initialize(nullptr);
    const int b = Tavrin_Initialize(nullptr);
    ASSERT_TRUE(a && b);
    for (const auto& change : changedByB)
        ASSERT_EQ(TavrinEx_SetSetting(b, change.setting, change.number), 1) << change.setting;
    Tavrin_Release(b);
    ASSERT_EQ(TavrinEx_SetSetting(a, "contrast", 20), 1);
    Tavrin_Release(a);
    for (const auto& change : changedByB)
        EXPECT_EQ(StoredDword(change.key, change.value), change.number) << change.setting;
    EXPECT_EQ(StoredDword("Camera_00\\Filter", "Contrast"), 20);
}

// Any value at all in any stored value: initialization, device switches and
// release neither crash nor hang, and the getters answer what their rules say.
TEST_F(CameraStore, RandomStoredValuesNeverUpsetTheCamera) {
    static const char* const kCameraValues[] = {"Size", "Color", "SubSample", "WaitTime", "Clock"};
    static const char* const kEntryValues[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
    static const char* const kGroups[][11] = {
        {"Gain", "Global", "ColorG1", "ColorR", "ColorB", "ColorG2", "Exposure", "V_Mirror", "H_Mirror", "AutoIris"},
        {"Filter", "Brightness", "Contrast", "Hue", "Saturation", "Sharpness", "R_Gain", "G_Gain", "B_Gain", "Gamma",
         "BayerMode"},
        {"Gray", "Mode", "GainR1", "GainG1", "GainG2", "GainB1", "OffsetR1", "OffsetG1", "OffsetG2", "OffsetB1"}};
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto number = [&]() -> uint32_t {
        static const uint32_t kEdges[] = {0, 1, 2, 5, 99, 100, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 0xFFFFFFECu};
        return random() % 2 ? kEdges[random() % 10] : random();
    };
    for (int round = 0; round < 8; ++round) {
        RegistryKey::DeleteTree(nullptr, kBaseKey);
        for (const char* camera : {"Camera_00", "Camera_01"}) {
            auto key = RegistryKey::Create(nullptr, std::string(kBaseKey) + "\\" + camera);
            ASSERT_TRUE(key);
            for (const char* name : kCameraValues)
                key->WriteDword(name, random() % 3 ? number() : random() % 4);
            for (int index = 0; index < 6; ++index) {
                if (random() % 5 == 0)
                    continue;
                auto entry = RegistryKey::Create(key.get(), "Size_0" + std::to_string(index));
                ASSERT_TRUE(entry);
                for (const char* name : kEntryValues)
                    entry->WriteDword(name, number());
            }
            for (const auto& group : kGroups) {
                auto groupKey = RegistryKey::Create(key.get(), group[0]);
                ASSERT_TRUE(groupKey);
                for (int i = 1; i < 11 && group[i]; ++i) {
                    const uint8_t bytes[6] = {uint8_t(random()), uint8_t(random()), 0, 0, 0, 0};
                    if (random() % 6 == 0) {
                        groupKey->WriteValue(group[i], 3, bytes, random() % 7);
                    } else {
                        groupKey->WriteDword(group[i], number());
                    }
                }
            }
        }
        const int handle = Tavrin_Initialize(nullptr);
        ASSERT_NE(handle, 0);
        const int colorMode = Tavrin_GetColorMode(handle);
        EXPECT_TRUE(colorMode == 8 || colorMode == 10 || colorMode == 24 || colorMode == 32 || colorMode == 42 ||
                    colorMode == 58 || colorMode == -1)
            << colorMode;
        Tavrin_GetWaitTime(handle);
        Tavrin_Width(handle);
        Tavrin_SetDeviceNumber(handle, 1);
        Tavrin_SetDeviceNumber(handle, 0);
        Tavrin_SetDeviceNumber(handle, 1);
        EXPECT_EQ(Tavrin_Release(handle), 1);
    }
}

#ifndef _WIN32
// Another program holds a lock on the store throughout. A write lock keeps
// no reader out, so the camera still reads what is stored; an exclusive one
// does, and the camera starts from its defaults. Either way each call waits
// at most one busy time-out in all, however many values it reads or
// writes, and reports SDKERR_FILE with the store's reason for what it could
// not do.
TEST_F(CameraStore, AStoreLockedByAnotherProgramCostsEachCallOneTimeOutAtMost) {
    using Clock = std::chrono::steady_clock;
    constexpr int kTimeoutMs = 2000;
    tavrin::platform::SetEnvironment("TAVRIN_REGISTRY_TIMEOUT_MS", std::to_string(kTimeoutMs).c_str());
    const struct {
        const char* lock;
        const char* sql;
        int gainRead;
        int initializeError;
    } cases[] = {{"write lock", "BEGIN IMMEDIATE", 600, 0},
                 {"exclusive lock", "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE", 310, SDKERR_FILE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lock);
        FreshStore locked;
        auto gain = RegistryKey::Create(nullptr, std::string(kBaseKey) + "\\Camera_00\\Gain");
        ASSERT_TRUE(gain && gain->WriteDword("Global", 600));
        gain.reset();
        // This program's own connection closes as it moves to another store;
        // the library opens the locked one afresh.
        {
            FreshStore elsewhere;
            RegistryKey::Exists(nullptr, kBaseKey);
        }
        tavrin::platform::SetEnvironment("TAVRIN_REGISTRY", locked.path().c_str());
        sqlite3* locker = nullptr;
        ASSERT_EQ(sqlite3_open(locked.path().c_str(), &locker), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(locker, c.sql, nullptr, nullptr, nullptr), SQLITE_OK);

        auto milliseconds = [](Clock::time_point since) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
        };
        Clock::time_point start = Clock::now();
        const int handle = Tavrin_Initialize(nullptr);
        EXPECT_LT(milliseconds(start), kTimeoutMs * 7 / 4);
        ASSERT_NE(handle, 0);
        EXPECT_EQ(Tavrin_GetLastError(handle), c.initializeError);
        int value = 0;
        EXPECT_EQ(TavrinEx_GetSetting(handle, "gain", &value), 1);
        EXPECT_EQ(value, c.gainRead);
        ASSERT_EQ(TavrinEx_SetSetting(handle, "gain", 700), 1);
        ASSERT_EQ(TavrinEx_SetSetting(handle, "brightness", 5), 1);

        char reason[256] = "";
        start = Clock::now();
        EXPECT_EQ(TavrinEx_SaveSettings(handle, reason, sizeof reason), 0);
        EXPECT_LT(milliseconds(start), kTimeoutMs * 7 / 4);
        EXPECT_EQ(Tavrin_GetLastError(handle), SDKERR_FILE);
        EXPECT_NE(std::string(reason).find("locked"), std::string::npos) << reason;
        start = Clock::now();
        EXPECT_EQ(Tavrin_Release(handle), 1);
        EXPECT_LT(milliseconds(start), kTimeoutMs * 7 / 4);
        sqlite3_close(locker);
    }
    tavrin::platform::SetEnvironment("TAVRIN_REGISTRY_TIMEOUT_MS", nullptr);
}
#endif

// The registry settings store: layout, seeding, fallbacks and the stored list
// of readout windows.
#include <gtest/gtest.h>

#include "fresh_store.h"
#include "settings/registry_store.h"

using tavrin::platform::RegistryKey;
using namespace tavrin;
using namespace tavrin::test;

namespace {

const CaptureWindow::Values kSeedWindow{656, 494, 656, 494, 0, 0, 4};
const std::map<std::string, int32_t> kSeedFormat{
    {"Size", 0}, {"Color", 2}, {"SubSample", 0}, {"WaitTime", 1}, {"Clock", 2}};

std::map<std::string, int32_t> EntryValues(const CaptureWindow::Values& v) {
    return {{"TH", v[0]}, {"TV", v[1]}, {"EH", v[2]}, {"EV", v[3]}, {"EHS", v[4]}, {"EVS", v[5]}, {"Buf", v[6]}};
}

void StoreEntry(int camera, int index, const CaptureWindow::Values& v) {
    char path[128];
    std::snprintf(path, sizeof path, "%s\\Camera_%02d\\Size_%02d", kBaseKey, camera, index);
    auto key = RegistryKey::Create(nullptr, path);
    ASSERT_TRUE(key);
    for (const auto& [name, value] : EntryValues(v))
        ASSERT_TRUE(key->WriteDword(name, static_cast<uint32_t>(value)));
}

void StoreCameraValue(int camera, const char* name, int32_t value) {
    char path[128];
    std::snprintf(path, sizeof path, "%s\\Camera_%02d", kBaseKey, camera);
    auto key = RegistryKey::Create(nullptr, path);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteDword(name, static_cast<uint32_t>(value)));
}

void FillFilter(FilterRecord& filter, int32_t base) {
    for (int i = 0; i < kFilterFieldCount; ++i)
        filter.fields[i] = base + i;
}

}  // namespace

TEST(SettingsStore, FirstRunSeedsExactlyTheBaseKeyCameraKeyAndSizeEntry) {
    FreshStore store;
    CaptureWindow window;
    window.Restore({1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(LoadSizeSettings(window, 0), 0);
    // Nothing was loaded by the seeding run.
    EXPECT_EQ(window.Snapshot(), (CaptureWindow::Values{1, 2, 3, 4, 5, 6, 7}));

    const KeyTree expected{{"", {}}, {"Camera_00", kSeedFormat}, {"Camera_00\\Size_00", EntryValues(kSeedWindow)}};
    EXPECT_EQ(DumpTree(kBaseKey), expected);

    FormatSettings format;
    EXPECT_EQ(LoadFormatSettings(format, 0), 1);
    EXPECT_EQ(format.colorMode.load(), 2);
    EXPECT_EQ(format.subSample.load(), 0);
    EXPECT_EQ(format.waitTime.load(), 1);
    EXPECT_EQ(format.clock.load(), 2);

    // The next run loads the seeded entry.
    EXPECT_EQ(LoadSizeSettings(window, 0), 1);
    EXPECT_EQ(window.Snapshot(), kSeedWindow);
    EXPECT_EQ(DumpTree(kBaseKey), expected);
}

TEST(SettingsStore, FirstRunSeedsTheCurrentCameraNumber) {
    FreshStore store;
    CaptureWindow window;
    EXPECT_EQ(LoadSizeSettings(window, 3), 0);
    const KeyTree expected{{"", {}}, {"Camera_03", kSeedFormat}, {"Camera_03\\Size_00", EntryValues(kSeedWindow)}};
    EXPECT_EQ(DumpTree(kBaseKey), expected);
}

TEST(SettingsStore, MissingCameraKeyGivesFallbacksAndCreatesNothing) {
    FreshStore store;
    StoreEntry(0, 0, kSeedWindow);
    const KeyTree before = DumpTree(kBaseKey);

    AnalogRecord analog;
    analog.Restore({9, 9, 9, 9, 9, 9, 9, 9, 9});
    EXPECT_EQ(LoadAnalogSettings(analog, AnalogFallback{310, 2, 1, 0}, 3), 1);
    EXPECT_EQ(analog.Snapshot(), (AnalogRecord::Values{310, 0, 0, 0, 0, 2, 1, 0, 0}));

    FilterRecord filter;
    FillFilter(filter, 1000);
    EXPECT_EQ(LoadFilterSettings(filter, 3), 0);
    EXPECT_EQ(LoadGraySettings(filter, 3), 0);
    const auto loaded = filter.Snapshot();
    const int32_t neutral[10] = {0, 0, 0, 0, 0, 100, 100, 100, 100, 1};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(loaded[i], neutral[i]) << i;
    EXPECT_EQ(loaded[kGrayMode], 0);
    for (int i = kGrayGainR; i <= kGrayGainB; ++i)
        EXPECT_EQ(loaded[i], 128) << i;
    for (int i = kGrayOffsetR; i <= kGrayOffsetB; ++i)
        EXPECT_EQ(loaded[i], 0) << i;
    // The automatic white balance is switched off; nothing else is touched.
    EXPECT_EQ(loaded[kBayerGainAuto], 0);
    EXPECT_EQ(loaded[kWhiteBalanceMark1], 0);
    EXPECT_EQ(loaded[kWhiteBalanceMark2], 0);
    for (int i : {10, 20, 21, 22, 23, 24, 28, 29})
        EXPECT_EQ(loaded[i], 1000 + i) << i;

    CaptureWindow window;
    window.Restore({1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(LoadSizeSettings(window, 3), 0);
    EXPECT_EQ(window.Snapshot(), (CaptureWindow::Values{1, 2, 3, 4, 5, 6, 7}));
    FormatSettings format;
    format.colorMode = 4;
    EXPECT_EQ(LoadFormatSettings(format, 3), 0);
    EXPECT_EQ(format.colorMode.load(), 4);
    EXPECT_EQ(format.waitTime.load(), 10);
    SizeTable table;
    EXPECT_EQ(LoadSizeTable(table, 3), 0);
    EXPECT_EQ(table.count, 0);
    EXPECT_FALSE(FindStoredSize(656, 494, 3));

    EXPECT_EQ(DumpTree(kBaseKey), before);
}

TEST(SettingsStore, SelectedSizeOutsideTheStoredListLoadsNothing) {
    FreshStore store;
    for (int i = 0; i < 3; ++i)
        StoreEntry(0, i, {700 + i, 500, 100 + i, 100, 0, 0, 4});
    const CaptureWindow::Values untouched{1, 2, 3, 4, 5, 6, 7};
    for (int32_t selected : {5, 3, -1, 100, 1 << 30}) {
        StoreCameraValue(0, "Size", selected);
        CaptureWindow window;
        window.Restore(untouched);
        EXPECT_EQ(LoadSizeSettings(window, 0), 0) << selected;
        EXPECT_EQ(window.Snapshot(), untouched) << selected;
    }
    StoreCameraValue(0, "Size", 2);
    CaptureWindow window;
    EXPECT_EQ(LoadSizeSettings(window, 0), 1);
    EXPECT_EQ(window.Snapshot(), (CaptureWindow::Values{702, 500, 102, 100, 0, 0, 4}));
}

// "Size_100" is not a name of the list, even when some program wrote it.
TEST(SettingsStore, SizeIndexAboveNinetyNineFindsNoEntry) {
    FreshStore store;
    for (int i = 0; i < 100; ++i)
        StoreEntry(0, i, {656, 494, 10 + i, 10, 0, 0, 4});
    StoreEntry(0, 100, {656, 494, 500, 400, 0, 0, 4});
    StoreCameraValue(0, "Size", 100);
    CaptureWindow window;
    EXPECT_EQ(LoadSizeSettings(window, 0), 0);
    EXPECT_EQ(window.Snapshot(), CaptureWindow::kFullSensor);
    EXPECT_FALSE(FindStoredSize(500, 400, 0));
    SizeTable table;
    EXPECT_EQ(LoadSizeTable(table, 0), 1);
    EXPECT_EQ(table.count, 100);
    EXPECT_EQ(table.entries[99][2], 109);
    ASSERT_TRUE(FindStoredSize(109, 10, 0));
}

TEST(SettingsStore, AGapEndsTheStoredList) {
    FreshStore store;
    StoreEntry(0, 0, {656, 494, 656, 494, 0, 0, 4});
    StoreEntry(0, 1, {656, 494, 320, 240, 8, 8, 2});
    StoreEntry(0, 3, {656, 494, 160, 120, 0, 0, 1});
    StoreCameraValue(0, "Size", 0);
    StoreCameraValue(0, "Color", 3);

    SizeTable table;
    table.entries[2] = {11, 12, 13, 14, 15, 16, 17};
    EXPECT_EQ(LoadSizeTable(table, 0), 1);
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(table.entries[1], (CaptureWindow::Values{656, 494, 320, 240, 8, 8, 2}));
    EXPECT_EQ(table.entries[2], (CaptureWindow::Values{11, 12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(table.entries[3], CaptureWindow::kFullSensor);
    EXPECT_EQ(table.colorMode, 3);

    EXPECT_FALSE(FindStoredSize(160, 120, 0));
    ASSERT_TRUE(FindStoredSize(320, 240, 0));

    StoreCameraValue(0, "Size", 3);
    CaptureWindow window;
    EXPECT_EQ(LoadSizeSettings(window, 0), 0);
    EXPECT_EQ(window.Snapshot(), CaptureWindow::kFullSensor);
}

TEST(SettingsStore, FindStoredSizeTakesTheLowestMatchingIndexWholly) {
    FreshStore store;
    EXPECT_FALSE(FindStoredSize(656, 494, 0));  // no base key
    StoreEntry(0, 0, {656, 494, 656, 494, 0, 0, 4});
    StoreEntry(0, 1, {700, 510, 320, 240, 10, 20, 3});
    StoreEntry(0, 2, {656, 494, 320, 240, 30, 40, 5});
    auto found = FindStoredSize(320, 240, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, (CaptureWindow::Values{700, 510, 320, 240, 10, 20, 3}));
    EXPECT_FALSE(FindStoredSize(240, 320, 0));
    EXPECT_FALSE(FindStoredSize(320, 240, 1));  // another camera's list

    // A value that cannot be read counts as 0.
    auto entry = RegistryKey::Create(nullptr, std::string(kBaseKey) + "\\Camera_00\\Size_03");
    ASSERT_TRUE(entry);
    ASSERT_TRUE(entry->WriteDword("EH", 64));
    ASSERT_TRUE(entry->WriteDword("EV", 48));
    const uint8_t tooLong[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(entry->WriteValue("TH", tavrin::platform::kRegistryTypeBinary, tooLong, sizeof tooLong));
    found = FindStoredSize(64, 48, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, (CaptureWindow::Values{0, 0, 64, 48, 0, 0, 0}));
}

TEST(SettingsStore, ValuesAreLoadedAsStoredWithoutRangeChecks) {
    FreshStore store;
    StoreCameraValue(0, "Color", 9);
    StoreCameraValue(0, "WaitTime", -5);
    StoreCameraValue(0, "SubSample", 17);
    FormatSettings format;
    EXPECT_EQ(LoadFormatSettings(format, 0), 1);
    EXPECT_EQ(format.colorMode.load(), 9);
    EXPECT_EQ(format.waitTime.load(), -5);
    EXPECT_EQ(format.subSample.load(), 17);
    EXPECT_EQ(format.clock.load(), 0);  // missing: unchanged

    StoreEntry(0, 0, {-1, 0, 100000, -494, 600, 0, 0});
    StoreCameraValue(0, "Size", 0);
    CaptureWindow window;
    EXPECT_EQ(LoadSizeSettings(window, 0), 1);
    EXPECT_EQ(window.Snapshot(), (CaptureWindow::Values{-1, 0, 100000, -494, 600, 0, 0}));
}

TEST(SettingsStore, GroupsRoundTripPerCameraInTheirOrder) {
    FreshStore store;
    AnalogRecord analog0, analog1;
    analog0.Restore({500, 500, 500, 500, 500, 100, 1, 0, 2});
    analog1.Restore({20, 0, 0, 0, 0, 524, 0, 1, 1});
    FilterRecord filter0, filter1;
    FillFilter(filter0, -20);
    FillFilter(filter1, 300);
    for (auto [camera, analog, filter] : {std::tuple{0, &analog0, &filter0}, std::tuple{1, &analog1, &filter1}}) {
        EXPECT_EQ(SaveAnalogSettings(*analog, camera), 1);
        EXPECT_EQ(SaveFilterSettings(*filter, camera), 1);
        EXPECT_EQ(SaveGraySettings(*filter, camera), 1);
    }

    // A negative brightness is stored in two's complement.
    EXPECT_EQ(static_cast<uint32_t>(StoredDword("Camera_00\\Filter", "Brightness")), 0xFFFFFFECu);
    EXPECT_EQ(StoredDword("Camera_01\\Gain", "Exposure"), 524);
    EXPECT_EQ(StoredDword("Camera_00\\Gray", "OffsetB1"), -20 + kGrayOffsetB);
    const KeyTree tree = DumpTree(kBaseKey);
    EXPECT_EQ(tree.at("Camera_00\\Gain").size(), 9u);
    EXPECT_EQ(tree.at("Camera_00\\Filter").size(), 10u);
    EXPECT_EQ(tree.at("Camera_00\\Gray").size(), 9u);
    EXPECT_TRUE(tree.at("Camera_00").empty());

    for (auto [camera, analog, filter] : {std::tuple{0, &analog0, &filter0}, std::tuple{1, &analog1, &filter1}}) {
        AnalogRecord loadedAnalog;
        EXPECT_EQ(LoadAnalogSettings(loadedAnalog, AnalogFallback{}, camera), 1);
        EXPECT_EQ(loadedAnalog.Snapshot(), analog->Snapshot());
        FilterRecord loaded;
        FillFilter(loaded, 7000);
        EXPECT_EQ(LoadFilterSettings(loaded, camera), 1);
        EXPECT_EQ(LoadGraySettings(loaded, camera), 1);
        const auto got = loaded.Snapshot();
        const auto want = filter->Snapshot();
        for (int i = 0; i < kFilterFieldCount; ++i) {
            const bool stored = i <= kBayerMode || (i >= kGrayMode && i <= kGrayOffsetB);
            EXPECT_EQ(got[i], stored ? want[i] : 7000 + i) << "camera " << camera << " field " << i;
        }
    }
    EXPECT_EQ(filter0.Get(kBrightness), -20);
}

TEST(SettingsStore, KeysWithMissingValues) {
    FreshStore store;
    auto gain = RegistryKey::Create(nullptr, std::string(kBaseKey) + "\\Camera_00\\Gain");
    auto filterKey = RegistryKey::Create(nullptr, std::string(kBaseKey) + "\\Camera_00\\Filter");
    ASSERT_TRUE(gain && filterKey);
    ASSERT_TRUE(gain->WriteDword("Global", 700));
    ASSERT_TRUE(filterKey->WriteDword("Hue", 45));

    // Analog: a missing value takes its fallback.
    AnalogRecord analog;
    analog.Restore({9, 9, 9, 9, 9, 9, 9, 9, 9});
    EXPECT_EQ(LoadAnalogSettings(analog, AnalogFallback{310, 2, 0, 1}, 0), 1);
    EXPECT_EQ(analog.Snapshot(), (AnalogRecord::Values{700, 0, 0, 0, 0, 2, 0, 1, 0}));

    // Filter: a missing value leaves its field; the key's presence means no
    // fallback at all.
    FilterRecord filter;
    FillFilter(filter, 50);
    EXPECT_EQ(LoadFilterSettings(filter, 0), 1);
    const auto loaded = filter.Snapshot();
    for (int i = 0; i < kFilterFieldCount; ++i)
        EXPECT_EQ(loaded[i], i == kHue ? 45 : 50 + i) << i;
}

TEST(SettingsStore, SaveGrayNeverCreatesTheCameraKey) {
    FreshStore store;
    FilterRecord filter;
    EXPECT_EQ(SaveGraySettings(filter, 0), 0);
    EXPECT_FALSE(RegistryKey::Exists(nullptr, std::string(kBaseKey) + "\\Camera_00"));
    EXPECT_EQ(DumpTree(kBaseKey), (KeyTree{{"", {}}}));

    // With the camera key present (the analog save makes it), it does save.
    ASSERT_EQ(SaveAnalogSettings(AnalogRecord{}, 0), 1);
    EXPECT_EQ(SaveGraySettings(filter, 0), 1);
    EXPECT_TRUE(RegistryKey::Exists(nullptr, std::string(kBaseKey) + "\\Camera_00\\Gray"));
    EXPECT_FALSE(RegistryKey::Exists(nullptr, std::string(kBaseKey) + "\\Camera_01\\Gray"));
}

TEST(SettingsStore, SizeTableRoundTripKeepsEntriesAboveTheCount) {
    FreshStore store;
    for (int i = 0; i < 5; ++i)
        StoreEntry(0, i, {656, 494, 600 - i, 400, 0, 0, 4});
    SizeTable table;
    table.count = 3;
    table.entries[0] = {656, 494, 656, 494, 0, 0, 4};
    table.entries[1] = {656, 494, 320, 240, 4, 6, 2};
    table.entries[2] = {656, 494, 100, 50, 556, 444, 1};
    table.selected = 2;
    table.colorMode = 5;
    table.subSample = 0;
    table.waitTime = 33;
    table.clock = 1;
    EXPECT_EQ(SaveSizeTable(table, 0), 1);

    SizeTable loaded;
    EXPECT_EQ(LoadSizeTable(loaded, 0), 1);
    EXPECT_EQ(loaded.count, 5);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(loaded.entries[i], table.entries[i]) << i;
    EXPECT_EQ(loaded.entries[3], (CaptureWindow::Values{656, 494, 597, 400, 0, 0, 4}));
    EXPECT_EQ(loaded.selected, 2);
    EXPECT_EQ(loaded.colorMode, 5);
    EXPECT_EQ(loaded.waitTime, 33);
    EXPECT_EQ(loaded.clock, 1);

    // The camera object then takes the selected entry and the format.
    CaptureWindow window;
    EXPECT_EQ(LoadSizeSettings(window, 0), 1);
    EXPECT_EQ(window.Snapshot(), table.entries[2]);
    FormatSettings format;
    EXPECT_EQ(LoadFormatSettings(format, 0), 1);
    EXPECT_EQ(format.waitTime.load(), 33);
}

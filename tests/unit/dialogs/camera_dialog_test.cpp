// The camera property dialog over a settings store of its own.
#include <gtest/gtest.h>

#include "dialogs/camera_dialog.h"
#include "dialogs/control_ids.h"
#include "dialogs/headless_dialog.h"
#include "fresh_store.h"

using namespace tavrin;
using namespace tavrin::dialogs;

namespace {

constexpr int kCamera = 0;

struct CameraDialogTest : ::testing::Test {
    test::FreshStore store;

    SizeTable Stored() {
        SizeTable table;
        LoadSizeTable(table, kCamera);
        return table;
    }
};

TEST_F(CameraDialogTest, ShowsTheFirstRunSeed) {
    CaptureWindow window;
    LoadSizeSettings(window, kCamera);  // an account without settings gets the seed
    CameraDialog controller(kCamera, Language::English);
    HeadlessDialog dialog(templates::kCamera.english, controller);

    const auto& sizes = dialog.Get(ids::kSizeList);
    EXPECT_EQ(sizes.items, (std::vector<std::string>{"656 x 494", "Custom"}));
    EXPECT_EQ(sizes.selection, 0);
    EXPECT_EQ(dialog.Get(ids::kColorList).items[dialog.Get(ids::kColorList).selection], "Color 24bit");
    EXPECT_EQ(dialog.Get(ids::kColorList).items[1], "Monochrome 10bit *");
    EXPECT_EQ(dialog.Get(ids::kClockList).items[dialog.Get(ids::kClockList).selection], "High(40MHz)");
    EXPECT_EQ(dialog.GetText(ids::kWaitTime), "1");
    const char* boxes[] = {"656", "494", "656", "494", "0", "0"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(dialog.GetText(1039 + i), boxes[i]);
    for (int id : {ids::kApply, ids::kClockList, 1039, 1044, ids::kSizeList, ids::kSubSampleList}) {
        EXPECT_FALSE(dialog.Get(id).enabled) << id;
    }
    for (int id : {ids::kColorList, ids::kWaitTime, ids::kOk, ids::kCancel})
        EXPECT_TRUE(dialog.Get(id).enabled) << id;
}

TEST_F(CameraDialogTest, JapaneseListTextsAreShiftJis) {
    CameraDialog controller(kCamera, Language::Japanese);
    HeadlessDialog dialog(templates::kCamera.japanese, controller);
    EXPECT_EQ(dialog.Get(ids::kColorList).items[1], "\x94\x92\x8d\x95 10bit \x81\xa6");
    EXPECT_EQ(dialog.Get(ids::kClockList).items[2], "\x8d\x82\x91\xac(40MHz)");
    EXPECT_EQ(dialog.Get(ids::kTab).items[0], "\x83X\x83g\x83\x8a\x81[\x83\x80\x8c`\x8e\xae");
}

TEST_F(CameraDialogTest, OkSavesColourAndWaitTime) {
    CameraDialog controller(kCamera, Language::English);
    HeadlessDialog dialog(templates::kCamera.english, controller);
    dialog.Choose(ids::kColorList, 3);
    EXPECT_TRUE(dialog.Get(ids::kApply).enabled);
    dialog.Type(ids::kWaitTime, "25");
    dialog.Click(ids::kOk);
    EXPECT_EQ(dialog.Result(), 1);
    EXPECT_EQ(Stored().colorMode, 3);
    EXPECT_EQ(Stored().waitTime, 25);
}

TEST_F(CameraDialogTest, ApplyThenCancelKeepsWhatWasApplied) {
    CameraDialog controller(kCamera, Language::English);
    HeadlessDialog dialog(templates::kCamera.english, controller);
    dialog.Choose(ids::kColorList, 0);
    dialog.Click(ids::kApply);
    EXPECT_FALSE(dialog.Get(ids::kApply).enabled);
    dialog.Choose(ids::kColorList, 5);
    dialog.Click(ids::kCancel);
    EXPECT_EQ(dialog.Result(), 2);
    EXPECT_EQ(Stored().colorMode, 0);
}

TEST_F(CameraDialogTest, CustomItemWithEmptyTableBecomesEntryZero) {
    CameraDialog controller(kCamera, Language::English);  // nothing stored: count 0, custom selected
    HeadlessDialog dialog(templates::kCamera.english, controller);
    ASSERT_EQ(dialog.Get(ids::kSizeList).items, std::vector<std::string>{"Custom"});
    dialog.Click(ids::kOk);
    EXPECT_EQ(dialog.Get(ids::kSizeList).items, (std::vector<std::string>{"656 x 494", "Custom"}));
    const SizeTable stored = Stored();
    EXPECT_EQ(stored.count, 1);
    EXPECT_EQ(stored.selected, 0);
    EXPECT_EQ(stored.entries[0], CaptureWindow::kFullSensor);
}

TEST_F(CameraDialogTest, FullTableRefusesTheCustomEntry) {
    SizeTable full;
    full.count = SizeTable::kMaxEntries;
    full.selected = SizeTable::kMaxEntries;  // names the custom item
    for (auto& entry : full.entries)
        entry = {320, 240, 320, 240, 0, 0, 4};
    SaveSizeTable(full, kCamera);

    CameraDialog controller(kCamera, Language::English);
    HeadlessDialog dialog(templates::kCamera.english, controller);
    dialog.Click(ids::kOk);
    EXPECT_EQ(controller.Table().count, SizeTable::kMaxEntries);
    EXPECT_EQ(dialog.Get(ids::kSizeList).items.size(), 101u);
    EXPECT_EQ(Stored().entries, full.entries);
}

}  // namespace

// The image filter dialog and its gray page over one filter record.
#include <gtest/gtest.h>

#include "dialogs/control_ids.h"
#include "dialogs/headless_dialog.h"
#include "dialogs/image_dialog.h"

using namespace tavrin;
using namespace tavrin::dialogs;

namespace {

struct ImageDialogTest : ::testing::Test {
    FilterRecord record;
    std::unique_ptr<ImageDialog> controller;
    std::unique_ptr<HeadlessDialog> frame;

    void Open(int colorMode) {
        record.Set(kBayerMode, 2);
        record.Set(kGrayMode, 1);
        for (int i = 0; i < 4; ++i)
            record.Set(static_cast<FilterField>(kGrayGainR + i), 128);
        controller = std::make_unique<ImageDialog>(record, colorMode, Language::English);
        frame = std::make_unique<HeadlessDialog>(templates::kImageFrame.english, *controller);
    }
    HeadlessDialog& FilterPage() { return frame->Page(0); }
    HeadlessDialog& GrayPage() { return frame->Page(1); }
};

TEST_F(ImageDialogTest, MonochromeModesGreyTheColourRowsAndAddTheGrayTab) {
    Open(0);
    const int colourOnly[] = {2021, 2031, 2051, 2061, 2071, ids::kOnce, ids::kAllFrames, 1030, 1033};
    for (int id : colourOnly)
        EXPECT_FALSE(FilterPage().Get(id).enabled) << id;
    for (int id : {2001, 2011, 2041, 2081})
        EXPECT_TRUE(FilterPage().Get(id).enabled) << id;
    EXPECT_EQ(frame->Get(ids::kTab).items, (std::vector<std::string>{"Image Filter", "Gray Filter"}));
    EXPECT_FALSE(GrayPage().Visible());
    frame->SelectTab(1);
    EXPECT_TRUE(GrayPage().Visible());
    EXPECT_FALSE(FilterPage().Visible());
    EXPECT_TRUE(GrayPage().IsChecked(1047));
}

TEST_F(ImageDialogTest, WhiteBalanceButtons) {
    Open(2);
    EXPECT_EQ(frame->Get(ids::kTab).items.size(), 1u);
    EXPECT_TRUE(FilterPage().IsChecked(1032));
    FilterPage().Click(ids::kAllFrames);
    EXPECT_EQ(record.Get(kBayerGainAuto), 1);
    FilterPage().Click(ids::kOnce);
    EXPECT_FALSE(FilterPage().IsChecked(ids::kAllFrames));
    EXPECT_EQ(
        std::vector<int>({record.Get(kBayerGainAuto), record.Get(kWhiteBalanceMark1), record.Get(kWhiteBalanceMark2)}),
        std::vector<int>({1, 1, 1}));
    // The acquisition thread's pass found new gains.
    record.Set(kBayerGainRed, 187);
    controller->Refresh();
    EXPECT_EQ(FilterPage().GetText(2052), "187");
    EXPECT_EQ(FilterPage().Get(2051).position, 187);
}

TEST_F(ImageDialogTest, SliderWritesTheRecordAtOnce) {
    Open(3);
    FilterPage().Drag(2001, -20);
    EXPECT_EQ(FilterPage().GetText(2002), "-20");
    EXPECT_EQ(record.Get(kBrightness), -20);
    FilterPage().Click(1030);
    EXPECT_EQ(record.Get(kBayerMode), 0);
}

TEST_F(ImageDialogTest, DefaultResetsTheAdjustments) {
    Open(3);
    FilterPage().Type(2002, "50");
    FilterPage().Type(2082, "150");
    frame->Click(ids::kDefault);
    for (FilterField field : {kBrightness, kContrast, kHue, kSaturation, kSharpness})
        EXPECT_EQ(record.Get(field), 0);
    for (FilterField field : {kBayerGainRed, kBayerGainGreen, kBayerGainBlue, kGamma})
        EXPECT_EQ(record.Get(field), 100);
    EXPECT_EQ(record.Get(kBayerMode), 1);
    EXPECT_TRUE(FilterPage().IsChecked(1031));
    EXPECT_FALSE(FilterPage().IsChecked(1032));
}

TEST_F(ImageDialogTest, DefaultInMonochromeResetsGrayGainsButNotTheMode) {
    Open(1);
    GrayPage().Type(2101, "300");
    GrayPage().Type(2113, "40");
    frame->Click(ids::kDefault);
    EXPECT_EQ(record.Get(kGrayGainR), 128);
    EXPECT_EQ(record.Get(kGrayOffsetR), 0);
    EXPECT_EQ(GrayPage().GetText(2101), "128");
    EXPECT_EQ(record.Get(kGrayMode), 1);
}

TEST_F(ImageDialogTest, GrayRequestButtons) {
    Open(0);
    struct Step {
        int click;
        int32_t request;
    } steps[] = {{ids::kOnce, 1}, {ids::kAllFrames, 0}, {ids::kAllFrames, -1}, {ids::kAllFrames, 0}};
    for (const Step& step : steps) {
        GrayPage().Click(step.click);
        EXPECT_EQ(record.Get(kGrayAutoBalance), step.request) << step.click;
    }
    GrayPage().Click(1048);
    EXPECT_EQ(record.Get(kGrayMode), 2);
    EXPECT_FALSE(GrayPage().IsChecked(1047));
}

TEST_F(ImageDialogTest, GainTypedBeyondTheRangeIsStoredAsTyped) {
    Open(0);
    GrayPage().Type(2104, "500");
    EXPECT_EQ(record.Get(kGrayGainG1), 500);
    EXPECT_EQ(GrayPage().Get(2103).position, 400);
    frame->Click(ids::kOk);
    EXPECT_EQ(record.Get(kGrayGainG1), 500);
}

}  // namespace

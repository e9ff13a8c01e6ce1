// The analog gain dialog against a camera that remembers what it was told.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialogs/analog_dialog.h"
#include "dialogs/control_ids.h"
#include "dialogs/headless_dialog.h"

using namespace tavrin;
using namespace tavrin::dialogs;

namespace {

struct FakeCamera : AnalogDevice {
    int32_t gain = -1, exposure = -1;
    bool mirrorV = false, mirrorH = false;
    ExposureTiming timing;

    int32_t MaximumGain() const override { return 1023; }
    int32_t DefaultGain() const override { return 310; }
    int32_t MinimumExposure() const override { return 2; }
    int32_t MaximumExposure() const override { return 524; }
    void SetGain(int32_t value) override { gain = value; }
    void SetExposure(int32_t lines) override { exposure = std::min(lines, 524); }
    void SetMirrorV(bool on) override { mirrorV = on; }
    void SetMirrorH(bool on) override { mirrorH = on; }
    ExposureTiming Timing() const override { return timing; }
};

struct AnalogDialogTest : ::testing::Test {
    AnalogRecord record;
    FakeCamera camera;
    AnalogDialog controller{record, camera, Language::English};
    std::unique_ptr<HeadlessDialog> frame;

    HeadlessDialog& Open() {
        record.Set(AnalogRecord::kGlobalGain, 500);
        record.Set(AnalogRecord::kExposure, 100);
        frame = std::make_unique<HeadlessDialog>(templates::kAnalogFrame.english, controller);
        return frame->Page(0);
    }
};

TEST_F(AnalogDialogTest, SetsUpTheRowsFromTheRecord) {
    HeadlessDialog& page = Open();
    EXPECT_EQ(frame->Get(ids::kTab).items, std::vector<std::string>{"Analog Gain"});
    EXPECT_TRUE(page.Visible());
    const auto& gain = page.Get(1013);
    EXPECT_EQ(std::vector<int>({gain.minimum, gain.maximum, gain.position, gain.tickSpacing}),
              std::vector<int>({0, 1023, 500, 127}));
    const auto& exposure = page.Get(1026);
    EXPECT_EQ(std::vector<int>({exposure.minimum, exposure.maximum, exposure.position, exposure.tickSpacing}),
              std::vector<int>({2, 524, 100, 65}));
    EXPECT_EQ(page.Get(1043).buddy, 1027);
    for (int id : {1018, 1019, 1039, 1024, 1025, 1042})
        EXPECT_FALSE(page.Get(id).enabled) << id;
    EXPECT_EQ(camera.gain, -1) << "setting up the page must not program the camera";
}

TEST_F(AnalogDialogTest, TypedExposureBeyondTheSensorIsKeptAsTyped) {
    camera.timing = {3080.0, 1480.0, 2.7777778086601757e-05};
    HeadlessDialog& page = Open();
    page.Type(ids::kExposureEdit, "600");
    EXPECT_EQ(record.Get(AnalogRecord::kExposure), 600);
    EXPECT_EQ(camera.exposure, 524);
    EXPECT_EQ(page.Get(ids::kExposureSlider).position, 524);
    EXPECT_EQ(page.GetText(ids::kExposureLabel), AnalogPage::ExposureLabel(600, camera.timing));
}

TEST_F(AnalogDialogTest, ExposureLabel) {
    const ExposureTiming filled{3080.0, 1480.0, 2.7777778086601757e-05};
    struct Case {
        int32_t lines;
        ExposureTiming timing;
        const char* label;
    } cases[] = {
        {100, filled, "=8.60ms"},     // (3080 x 100 + 1480) / 36000
        {1014, filled, "=173.55ms"},  // as for 2028
        {2028, filled, "=173.55ms"},
        {524, {}, "=0.00ms"},  // before any acquisition preparation
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnalogPage::ExposureLabel(c.lines, c.timing), c.label) << c.lines;
}

TEST_F(AnalogDialogTest, SliderDragProgramsTheCamera) {
    HeadlessDialog& page = Open();
    page.Drag(1013, 800);
    EXPECT_EQ(page.GetText(ids::kGainEdit), "800");
    EXPECT_EQ(record.Get(AnalogRecord::kGlobalGain), 800);
    EXPECT_EQ(camera.gain, 800);
}

TEST_F(AnalogDialogTest, AutomaticControlBoxesExcludeEachOther) {
    HeadlessDialog& page = Open();
    page.Click(ids::kAutoByExposure);
    EXPECT_EQ(record.Get(AnalogRecord::kAutoIris), 1);
    page.Click(ids::kAutoByGain);
    EXPECT_FALSE(page.IsChecked(ids::kAutoByExposure));
    EXPECT_EQ(record.Get(AnalogRecord::kAutoIris), 2);
    page.Click(ids::kAutoByGain);
    EXPECT_EQ(record.Get(AnalogRecord::kAutoIris), 0);
    page.Click(ids::kMirrorH);
    EXPECT_TRUE(camera.mirrorH);
    EXPECT_EQ(record.Get(AnalogRecord::kMirrorH), 1);
}

TEST_F(AnalogDialogTest, DefaultProgramsModelDefaults) {
    HeadlessDialog& page = Open();
    record.Set(AnalogRecord::kMirrorV, 1);
    frame->Click(ids::kDefault);
    EXPECT_EQ(camera.gain, 310);
    EXPECT_EQ(camera.exposure, 2);
    EXPECT_EQ(page.GetText(ids::kGainEdit), "310");
    EXPECT_EQ(page.GetText(ids::kExposureEdit), "2");
    EXPECT_EQ(record.Get(AnalogRecord::kMirrorV), 1);
}

TEST_F(AnalogDialogTest, AutomaticGainShownWhileOpenIsKeptByOk) {
    HeadlessDialog& page = Open();
    controller.Page().ShowGain(742);  // what the acquisition thread hands over
    EXPECT_EQ(page.GetText(ids::kGainEdit), "742");
    EXPECT_EQ(camera.gain, 742);
    frame->Click(ids::kOk);
    EXPECT_EQ(frame->Result(), 1);
    EXPECT_EQ(record.Get(AnalogRecord::kGlobalGain), 742);
}

}  // namespace

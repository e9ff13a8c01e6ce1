// What each launcher saves, restores, pauses and resumes around its dialog,
// driven through a headless view that plays the user.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "camera/CTavrin.h"
#include "camera/dialog_launchers.h"
#include "dialogs/analog_dialog.h"
#include "dialogs/control_ids.h"
#include "dialogs/headless_dialog.h"
#include "dialogs/modal_view.h"
#include "platform/environment.h"
#include "support/isolation.h"

using namespace tavrin;
using namespace tavrin::dialogs;

namespace {

// Plays the user on the dialog the launcher opens.
struct ScriptedView {
    explicit ScriptedView(std::function<void(HeadlessDialog&, const CrossThreadWork*)> script) {
        SetModalViewForTesting([script](int templateId, DialogHandler& handler, const CrossThreadWork* work) {
            HeadlessDialog dialog(templateId, handler);
            script(dialog, work);
            return dialog.Result();
        });
    }
    ~ScriptedView() { SetModalViewForTesting({}); }
};

struct LauncherTest : ::testing::Test {
    static void SetUpTestSuite() {
        test::IsolateFromOtherPrograms();
        platform::SetEnvironment("TAVRIN_SIM", "0;light=20;settle=0");
    }
    void SetUp() override {
        ASSERT_EQ(camera.Initialize(nullptr), 1);
        ASSERT_EQ(camera.Settings().SetColorMode(24), 1);
    }
    void TearDown() override { camera.Close(); }

    CTavrin camera;
};

TEST_F(LauncherTest, CameraDialogOkRestartsPreviewInTheNewMode) {
    ASSERT_EQ(camera.Acquisition().StartPreview(), 1);
    ScriptedView view([](HeadlessDialog& dialog, const CrossThreadWork*) {
        dialog.Choose(ids::kColorList, 3);
        dialog.Type(ids::kWaitTime, "25");
        dialog.Click(ids::kOk);
    });
    EXPECT_EQ(SetCameraDlg(camera, nullptr), 1);
    EXPECT_EQ(camera.Settings().GetColorMode(), 32);
    EXPECT_EQ(camera.Settings().GetWaitTime(), 25);
    EXPECT_EQ(camera.Acquisition().State(), AcquisitionState::Streaming);
}

TEST_F(LauncherTest, DialogThatCannotBeCreatedIsCancelAndStreamingResumes) {
    ASSERT_EQ(camera.Acquisition().StartPreview(), 1);
    SetModalViewForTesting([](int, DialogHandler&, const CrossThreadWork*) { return -1; });
    const int32_t exposure = camera.Context().analog.Get(AnalogRecord::kExposure);
    EXPECT_EQ(SetCameraDlg(camera, nullptr), 1);
    EXPECT_EQ(camera.Acquisition().State(), AcquisitionState::Streaming);
    EXPECT_EQ(SetAnalogDlg(camera, nullptr), 1);
    EXPECT_EQ(camera.Context().analog.Get(AnalogRecord::kExposure), exposure);
    EXPECT_EQ(camera.Settings().GetColorMode(), 24);
    SetModalViewForTesting({});
}

TEST_F(LauncherTest, AnalogDefaultThenCancelRestoresTheCamera) {
    ASSERT_EQ(camera.Acquisition().StartPreview(), 1);
    const AnalogRecord::Values before = camera.Context().analog.Snapshot();
    ScriptedView view([&](HeadlessDialog& frame, const CrossThreadWork*) {
        frame.Click(ids::kDefault);
        EXPECT_EQ(camera.Context().analog.Get(AnalogRecord::kGlobalGain), 310);
        EXPECT_EQ(camera.Context().analog.Get(AnalogRecord::kExposure), 2);
        frame.Click(ids::kCancel);
    });
    EXPECT_EQ(SetAnalogDlg(camera, nullptr), 1);
    EXPECT_EQ(camera.Context().analog.Snapshot(), before);
}

TEST_F(LauncherTest, ImageCancelRestoresTheWholeRecord) {
    const auto before = camera.Context().filter.Snapshot();
    ScriptedView view([&](HeadlessDialog& frame, const CrossThreadWork*) {
        frame.Page(0).Drag(2001, -20);
        EXPECT_EQ(camera.Context().filter.Get(kBrightness), -20);
        frame.Click(ids::kCancel);
    });
    EXPECT_EQ(SetImageDlg(camera, nullptr), 1);
    EXPECT_EQ(camera.Context().filter.Snapshot(), before);
}

TEST_F(LauncherTest, SecondDialogOfAKindIsNotCreated) {
    ScriptedView view([&](HeadlessDialog& frame, const CrossThreadWork*) {
        frame.Page(0).Drag(2001, 40);
        EXPECT_EQ(SetImageDlg(camera, nullptr), 1);  // from within the open one
        EXPECT_EQ(camera.Context().filter.Get(kBrightness), 40);
        frame.Click(ids::kOk);
    });
    EXPECT_EQ(SetImageDlg(camera, nullptr), 1);
    EXPECT_EQ(camera.Context().filter.Get(kBrightness), 40);
}

// The acquisition thread's automatic gain reaches the open page through the
// dialog's thread, and the dialog may end while it keeps trying.
TEST_F(LauncherTest, AutomaticGainFollowsIntoTheOpenDialog) {
    ASSERT_EQ(camera.Settings().SetAutoIris(2), 1);
    ASSERT_EQ(camera.Acquisition().StartPreview(), 1);
    ScriptedView view([&](HeadlessDialog& frame, const CrossThreadWork* work) {
        std::atomic<bool> woken{false};
        work->ready([&woken] { woken = true; });
        const std::string first = frame.Page(0).GetText(ids::kGainEdit);
        for (int i = 0; i < 3000 && frame.Page(0).GetText(ids::kGainEdit) == first; ++i) {
            if (woken.exchange(false))
                work->run();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_NE(frame.Page(0).GetText(ids::kGainEdit), first);
        frame.Click(ids::kOk);
    });
    EXPECT_EQ(SetAnalogDlg(camera, nullptr), 1);
    camera.Acquisition().StopPreview();
    EXPECT_GT(camera.Context().analog.Get(AnalogRecord::kGlobalGain), 0);
}

}  // namespace

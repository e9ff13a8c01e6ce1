// The preview window on an X display: Preview creates one top-level window
// the size of the image, a Preview after StopPreview shows in that same
// window, and Close removes it. The windows are counted with xwininfo.
// Without a DISPLAY the host test runs this program again on a virtual X
// server of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition_fixture.h"
#include "support/required_tool.h"

#if ACQUISITION_WITH_XLIB
#include <X11/Xlib.h>
#endif

namespace tavrin::test {
namespace {

constexpr bool kUnderEmulator = ACQUISITION_UNDER_EMULATOR != 0;
constexpr const char* kXvfb = "/usr/bin/Xvfb";
constexpr const char* kXwininfo = "/usr/bin/xwininfo";
// Waits for frames end as soon as they arrive; the limit is generous because
// these tests share two cores with a virtual X server and other test programs.
constexpr int kFrameWaitMs = 10000;

bool HaveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

std::string CommandOutput(const std::string& command) {
    const std::filesystem::path capture =
        std::filesystem::temp_directory_path() / ("acquisition_window_" + ProcessTag() + ".txt");
    std::system((command + " > '" + capture.string() + "' 2>&1").c_str());
    std::ifstream in(capture);
    std::stringstream text;
    text << in.rdbuf();
    in.close();
    std::filesystem::remove(capture);
    return text.str();
}

// The top-level windows titled as the library's preview window: one line
// of xwininfo each ("0x... "Active Window": ()  656x494+x+y  +x+y").
std::vector<std::string> PreviewWindows() {
    std::vector<std::string> lines;
    std::istringstream text(CommandOutput(std::string(kXwininfo) + " -root -children"));
    for (std::string line; std::getline(text, line);) {
        if (line.find("\"Active Window\"") != std::string::npos) {
            lines.push_back(line.substr(line.find_first_not_of(' ')));
        }
    }
    return lines;
}

std::string WindowId(const std::string& line) { return line.substr(0, line.find(' ')); }

// A shell command that starts a virtual X server, runs `command` on it and
// stops it again, then prints "exit=" and the command's status. The server
// picks a free display number itself and reports it through -displayfd, so
// test programs running side by side can never race for the same display
// (as they could with xvfb-run -a, which guesses a number first). -noreset
// keeps the server from resetting whenever its last client leaves: xwininfo
// is often that client, and a connection made during the reset is refused.
std::string OnVirtualDisplay(const std::string& command) {
    const std::string numberFile =
        (std::filesystem::temp_directory_path() / ("acquisition_display_" + ProcessTag() + ".txt")).string();
    return "rm -f '" + numberFile + "'; " + kXvfb + " -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>'" +
           numberFile +
           "' 2>/dev/null & xvfb=$!;"
           " i=0; while [ ! -s '" +
           numberFile +
           "' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done;"
           " DISPLAY=\":$(cat '" +
           numberFile + "')\" " + command +
           "; status=$?;"
           " kill $xvfb; wait $xvfb 2>/dev/null; rm -f '" +
           numberFile + "'; echo \"exit=$status\"";
}

// Runs the window tests of this program on a virtual display when there
// is no display of our own.
TEST(PreviewWindowHost, RunsTheWindowTestsOnAVirtualDisplay) {
    if (kUnderEmulator) {
        GTEST_SKIP() << "the preview window tests use an X display; under Wine they do not run";
    }
    if (HaveDisplay()) {
        GTEST_SKIP() << "DISPLAY is set: the window tests run on it directly";
    }
    if (!std::filesystem::exists(kXvfb)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "neither DISPLAY nor " << kXvfb << " (xvfb) is available";
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string output =
        CommandOutput(OnVirtualDisplay("'" + self + "' --gtest_filter='PreviewWindow.*' --gtest_brief=1"));
    EXPECT_NE(output.find("exit=0"), std::string::npos) << output;
    EXPECT_EQ(output.find("SKIPPED"), std::string::npos) << output;
}

class PreviewWindow : public AcquisitionTest {
protected:
    void SetUp() override {
        if (kUnderEmulator || !HaveDisplay()) {
            GTEST_SKIP() << "no DISPLAY (the host test runs these on a virtual X server)";
        }
        if (!std::filesystem::exists(kXwininfo)) {
            TAVRIN_SKIP_WITHOUT_TOOL() << kXwininfo << " (x11-utils) is not installed";
        }
        AcquisitionTest::SetUp();
        // Back to what Tavrin_Initialize sets: a top-level window of the image size.
        ASSERT_EQ(Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, kSensorWidth, kSensorHeight), 1);
    }
};

TEST_F(PreviewWindow, OneWindowReusedAfterStopAndRemovedByClose) {
    ASSERT_TRUE(PreviewWindows().empty());
    ASSERT_EQ(Tavrin_Preview(handle), 1) << ::testing::PrintToString(TakeErrors());
    std::vector<std::string> windows = PreviewWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_NE(windows[0].find("656x494"), std::string::npos) << windows[0];
    const std::string id = WindowId(windows[0]);
    EXPECT_TRUE(CameraSendsMoreThan(0, TavrinSim_GetFrameCount(0) + 3, kFrameWaitMs));

    // StopPreview leaves the window on the screen.
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    windows = PreviewWindows();
    ASSERT_EQ(windows.size(), 1u);

    // A new start shows in the same window.
    ASSERT_EQ(Tavrin_Preview(handle), 1) << ::testing::PrintToString(TakeErrors());
    windows = PreviewWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(WindowId(windows[0]), id);
    std::vector<BYTE> buffer(static_cast<size_t>(ImageBytes(24)));
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(Collect(window, 2, kFrameWaitMs).records.size(), 2u);
    EXPECT_EQ(PreviewWindows().size(), 1u) << "a callback preview while streaming keeps the one window";

    EXPECT_EQ(Tavrin_Close(handle), 1);
    EXPECT_TRUE(PreviewWindows().empty());
    EXPECT_EQ(Tavrin_GetLastError(handle), 0);
}

// Releasing the handle while it streams into a window removes the window.
TEST_F(PreviewWindow, ReleaseRemovesTheWindow) {
    ASSERT_EQ(Tavrin_SetColorMode(handle, 16), 1);  // drawn through the scaled path
    ASSERT_EQ(Tavrin_Preview(handle), 1);
    EXPECT_EQ(PreviewWindows().size(), 1u);
    EXPECT_TRUE(CameraSendsMoreThan(0, TavrinSim_GetFrameCount(0) + 3, kFrameWaitMs));
    ASSERT_EQ(Tavrin_Release(handle), 1);
    handle = 0;
    EXPECT_TRUE(PreviewWindows().empty());
}

#if ACQUISITION_WITH_XLIB
// What a window manager sends when the user closes a window that takes part
// in its close protocol.
bool AskToClose(Window target) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, target, False, NoEventMask, &event) != 0;
    XCloseDisplay(display);
    return sent;
}

// Closing the window from the desktop hides it; the program and the stream
// go on, and Close still removes the window.
TEST_F(PreviewWindow, CloseRequestHidesTheWindowAndTheStreamGoesOn) {
    ASSERT_EQ(Tavrin_Preview(handle), 1) << ::testing::PrintToString(TakeErrors());
    const std::vector<std::string> windows = PreviewWindows();
    ASSERT_EQ(windows.size(), 1u);
    const std::string id = WindowId(windows[0]);
    ASSERT_TRUE(AskToClose(static_cast<Window>(std::stoul(id, nullptr, 16))));
    const std::string state = std::string(kXwininfo) + " -id " + id;
    for (int i = 0; i < 100 && CommandOutput(state).find("IsUnMapped") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(CommandOutput(state).find("IsUnMapped"), std::string::npos);
    EXPECT_TRUE(CameraSendsMoreThan(0, TavrinSim_GetFrameCount(0) + 3, kFrameWaitMs));
    EXPECT_EQ(Tavrin_Close(handle), 1);
    EXPECT_TRUE(PreviewWindows().empty());
    EXPECT_EQ(Tavrin_GetLastError(handle), 0);
}
#endif

}  // namespace
}  // namespace tavrin::test

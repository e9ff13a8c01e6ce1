// The `tavrin` tool run as a user would run it, on the simulated camera.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#if TOOL_WITH_XLIB
#include <X11/Xlib.h>
#endif

#include "platform/environment.h"
#include "platform/module.h"
#include "platform/shared_memory.h"
#include "support/isolation.h"
#include "support/required_tool.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr const char* kTool = "tavrin.exe";
#else
constexpr const char* kTool = "./tavrin";
#endif

struct ToolRun {
    int exitCode;
    std::string output;
};

std::string Scratch(const std::string& name) {
    return "tool-test-" + std::to_string(tavrin::platform::CurrentProcess().id & 0xFFFFFF) + "-" + name;
}

// Runs the tool with the arguments, collecting what it prints; a POSIX
// shell's environment assignments may come first.
ToolRun Tool(const std::string& arguments, const std::string& environment = "") {
    static int calls = 0;
    const std::string capture = Scratch("output-" + std::to_string(++calls) + ".txt");
    const std::string command =
        environment + " " + kTool + " --sim \"0;interval=0;settle=0\" " + arguments + " > " + capture + " 2>&1";
    const int status = std::system(command.c_str());
    std::stringstream text;
    {
        std::ifstream in(capture);
        text << in.rdbuf();
    }
    std::remove(capture.c_str());
#ifdef _WIN32
    return {status, text.str()};
#else
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
#endif
}

long FileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? static_cast<long>(in.tellg()) : -1;
}

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override { tavrin::test::IsolateFromOtherPrograms(); }
};

}  // namespace

TEST_F(ToolTest, ListsTheSimulatedCamera) {
    const ToolRun run = Tool("list");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("1 camera(s) found"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Tavrin860VX-RUX_01"), std::string::npos) << run.output;
}

TEST_F(ToolTest, InfoShowsTheSensorAndItsLimits) {
    const ToolRun run = Tool("info");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("656 x 494"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("0..1023"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("2..524 lines"), std::string::npos) << run.output;
}

TEST_F(ToolTest, SnapWritesEachFormat) {
    const struct {
        const char* format;
        int mode;
        long minimumSize;
    } cases[] = {{"bmp", 24, 656 * 494 * 3},
                 {"raw", 8, 656 * 494},
                 {"png", 16, 100},
                 {"jpeg", 24, 100},
                 {"tiff", 48, 656 * 494 * 6}};
    for (const auto& c : cases) {
        const std::string file = Scratch(std::string("snap.") + c.format);
        const ToolRun run = Tool("snap -o " + file + " --format " + c.format + " --mode " + std::to_string(c.mode));
        EXPECT_EQ(run.exitCode, 0) << c.format << ": " << run.output;
        EXPECT_GE(FileSize(file), c.minimumSize) << c.format;
        std::remove(file.c_str());
    }
}

TEST_F(ToolTest, SettingsPersistBetweenRuns) {
    EXPECT_EQ(Tool("set gamma 150").exitCode, 0);
    const ToolRun run = Tool("get gamma");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("gamma = 150"), std::string::npos) << run.output;
}

TEST_F(ToolTest, RefusedSettingNamesTheErrorCode) {
    const ToolRun run = Tool("set brightness 256");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("SDKERR_PARAMETER"), std::string::npos) << run.output;
}

TEST_F(ToolTest, EveryCommandSaysWhenTheSlotHasNoCamera) {
    for (const char* command : {"info", "get gain", "set gain 100", "snap -o x.png", "record -o x.avi", "stream",
                                "preview", "settings", "reset", "dialog analog"}) {
        const ToolRun run = Tool(std::string("--device 5 ") + command);
        EXPECT_EQ(run.exitCode, 1) << command << ": " << run.output;
        EXPECT_NE(run.output.find("no camera in slot 5"), std::string::npos) << command << ": " << run.output;
    }
}

TEST_F(ToolTest, SnapTakesItsFormatFromTheFileName) {
    const struct {
        const char* name;
        const char* options;
        std::string magic;
    } cases[] = {{"x.jpg", "", "\xFF\xD8"},
                 {"x.PNG", "", "\x89PNG"},
                 {"x.tif", "", "II"},
                 {"x.bmp", "", "BM"},
                 {"x.jpg", "--format png", "\x89PNG"}};
    for (const auto& c : cases) {
        const std::string file = Scratch(c.name);
        const ToolRun run = Tool("snap -o " + file + " " + c.options);
        EXPECT_EQ(run.exitCode, 0) << c.name << ": " << run.output;
        std::ifstream in(file, std::ios::binary);
        std::string head(c.magic.size(), '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        EXPECT_EQ(head, c.magic) << c.name << " " << c.options;
        in.close();
        std::remove(file.c_str());
    }
}

TEST_F(ToolTest, SettingsListResetAndAStoreThatKeepsNothing) {
    ASSERT_EQ(Tool("set gamma 150").exitCode, 0);
    ToolRun run = Tool("settings");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("gamma              150      100"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("gray-offset-b      0        0"), std::string::npos) << run.output;
    run = Tool("reset");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(Tool("get gamma").output.find("gamma = 100"), std::string::npos);
#ifndef _WIN32
    EXPECT_EQ(Tool("set gamma 150", "TAVRIN_REGISTRY=none").exitCode, 0);
    run = Tool("get gamma", "TAVRIN_REGISTRY=none");
    EXPECT_NE(run.output.find("gamma = 100"), std::string::npos) << run.output;
    EXPECT_NE(Tool("get gamma").output.find("gamma = 100"), std::string::npos);
#endif
}

TEST_F(ToolTest, StreamCountsFrames) {
    const ToolRun run = Tool("stream --frames 3 --mode 8");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("frame    3  656 x 494   8 bpp"), std::string::npos) << run.output;
}

TEST_F(ToolTest, RecordWritesAnAvi) {
    const std::string file = Scratch("clip.avi");
    const ToolRun run = Tool("record -o " + file + " --ms 300");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::ifstream in(file, std::ios::binary);
    char riff[12] = {};
    in.read(riff, sizeof riff);
    EXPECT_EQ(std::string(riff, 4), "RIFF");
    EXPECT_EQ(std::string(riff + 8, 4), "AVI ");
    std::remove(file.c_str());
    // The progress line counts the video, not the stream's ending after it.
    EXPECT_NE(run.output.find("0.3 s of 0.3 s"), std::string::npos) << run.output;
    for (const char* beyond : {"0.4 s of", "0.5 s of", "0.7 s of", "1.0 s of", "1.2 s of"}) {
        EXPECT_EQ(run.output.find(beyond), std::string::npos) << run.output;
    }
}

#ifndef _WIN32
// The longest duration an int holds: the tool counts it without overflow and
// keeps recording until it is stopped here (the time-out's 124) instead of
// ending at once.
TEST_F(ToolTest, RecordTakesTheLongestDuration) {
    const std::string file = Scratch("long.avi");
    const ToolRun run = Tool("record -o " + file + " --ms 2147483647", "timeout 3");
    std::remove(file.c_str());
    EXPECT_EQ(run.exitCode, 124) << run.output;
}
#endif

#ifndef _WIN32
// A settings store that cannot be written: `set` and `reset` say so, with
// the store's reason, and exit 1 instead of reporting what was taken. The
// read-only store is read-only to another user where the test runs as root
// (who may write any file).
TEST_F(ToolTest, SettingsThatCannotBeStoredFailTheCommand) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(Scratch("stores"));
    fs::create_directories(folder);
    const std::string corrupt = (folder / "corrupt.sqlite3").string();
    std::ofstream(corrupt) << std::string(4096, 'x');
    const fs::path readOnly = folder / "read-only";
    fs::create_directories(readOnly);
    const std::string readOnlyStore = (readOnly / "registry.sqlite3").string();
    ASSERT_EQ(Tool("set gain 100", "TAVRIN_REGISTRY=" + readOnlyStore).exitCode, 0);
    std::string asReader = "TAVRIN_REGISTRY=" + readOnlyStore;
    if (geteuid() == 0) {
        asReader += " TAVRIN_SHARED_MEMORY_NAME=" + Scratch("reader") +
                    " setpriv --reuid=65534 --regid=65534 --clear-groups";
    } else {
        fs::permissions(readOnlyStore, fs::perms::owner_read);
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const struct {
        const char* store;
        std::string environment;
        std::string path;
    } cases[] = {{"corrupt", "TAVRIN_REGISTRY=" + corrupt, corrupt},
                 {"a folder", "TAVRIN_REGISTRY=" + folder.string(), folder.string()},
                 {"read-only", asReader, readOnlyStore}};
    for (const auto& c : cases) {
        for (const char* command : {"set gain 77", "reset"}) {
            const ToolRun run = Tool(command, c.environment);
            EXPECT_EQ(run.exitCode, 1) << c.store << ", " << command << ": " << run.output;
            EXPECT_NE(run.output.find("SDKERR_FILE"), std::string::npos) << c.store << ": " << run.output;
            EXPECT_NE(run.output.find(c.path + ": "), std::string::npos) << c.store << ": " << run.output;
            EXPECT_EQ(run.output.find("gain = 77"), std::string::npos) << c.store << ": " << run.output;
        }
    }
    tavrin::platform::SharedMemory::Unlink(Scratch("reader"));
    fs::permissions(readOnly, fs::perms::owner_all);
    fs::remove_all(folder);
}
#endif

TEST_F(ToolTest, BadCommandLinesExitWithTwo) {
    EXPECT_EQ(Tool("dance").exitCode, 2);
    EXPECT_EQ(Tool("snap --format gif -o x.gif").exitCode, 2);
    EXPECT_EQ(Tool("set gamma").exitCode, 2);
    EXPECT_EQ(Tool("--mode").exitCode, 2);
    EXPECT_EQ(Tool("set brightness").exitCode, 2);
    EXPECT_EQ(Tool("get shutter").exitCode, 2);
}

TEST_F(ToolTest, MessagesTellTheUserWhatToDo) {
    const struct {
        const char* arguments;
        int exitCode;
        const char* expected;
    } cases[] = {
        {"set gain 5000", 1, "gain accepts 0 to 1023"},
        {"set gain 5000", 1, "SDKERR_PARAMETER"},
        {"snap -o no-such-folder/x.png --format png", 1, "no-such-folder/x.png: No such file or directory"},
        {"--sim \"0;colour=2\" list", 2, "unknown option 'colour'"},
        {"--sim \"0;level=2000\" list", 2, "level needs a number from 0 to 1023"},
        {"--sim \"0;pattern\" list", 2, "'pattern' is not key=value"},
        {"--sim 32 list", 2, "'32' is not a slot number"},
        {"dance", 2, "`tavrin help`"},
        {"help", 0, "gray-offset-b      -255 to 255"},
        {"help", 0, "exposure-us        172 to 44916             212       us      exposure time"},
        {"get color-mode", 0, "color-mode = 24"},
        {"--version", 0, "SDK library version 1.170.5.31 (27919647)"},
        {"info", 0, "SDK version        1.170.5.31 (27919647)"},
        {"set exposure-us 1000", 0, "exposure-us = 982 (asked 1000)"},
        {"set color-mode 48", 0, "color-mode lasts only while this program runs"},
        {"snap -o x.png --mode 12", 2, "--mode needs 8, 16, 24, 32, 48 or 64"},
        {"record -o r.mp4", 2, "give -o FILE.avi"},
        {"snap -o x.gif", 2, "has no image extension"},
        {"sizes", 0, " 0   656 x 494  at (0, 0)  (selected"},
        {"info", 0, "readout region     656 x 494 at (0, 0)"},
        {"stream --frames 1 --region 8,4,100,60", 0, "frame    1  100 x 60"},
        {"snap -o x.png --region 600,20,320,240", 1, "within the 656 x 494 sensor"},
        {"snap -o x.png --region 1,2,3", 2, "--region needs LEFT,TOP,WIDTH,HEIGHT"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << ": " << run.output;
        EXPECT_NE(run.output.find(c.expected), std::string::npos) << c.arguments << ": " << run.output;
    }
}

#ifndef _WIN32
TEST_F(ToolTest, DialogWithoutADisplaySaysWhy) {
    const ToolRun run = Tool("dialog analog", "DISPLAY=");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("cannot show the analog dialog: no display"), std::string::npos) << run.output;
}
#endif

TEST_F(ToolTest, PreviewShowsRateAndLevelUntilItsTime) {
    if (std::getenv("DISPLAY") == nullptr) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "no display";
    }
    const ToolRun run = Tool("preview --ms 2500");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(" fps  mean "), std::string::npos) << run.output;
}

#if TOOL_WITH_XLIB
namespace {

// The tool's preview window, found by its title among the root's children.
Window FindToolPreview(Display* display) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return 0;
    }
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            found = std::string(name) == "tavrin preview" ? children[i] : 0;
            XFree(name);
        }
    }
    XFree(children);
    return found;
}

// What a window manager sends when the user closes the window, or a key
// pressed while the window has the focus.
void Act(Display* display, Window window, const std::string& action) {
    XEvent event{};
    if (action == "close") {
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XSendEvent(display, window, False, NoEventMask, &event);
    } else {
        event.xkey.type = KeyPress;
        event.xkey.display = display;
        event.xkey.window = window;
        event.xkey.root = DefaultRootWindow(display);
        event.xkey.same_screen = True;
        event.xkey.keycode = XKeysymToKeycode(display, XStringToKeysym(action.c_str()));
        XSendEvent(display, window, True, KeyPressMask, &event);
    }
    XFlush(display);
}

}  // namespace

// Closing the window, or q or Escape in it, ends the tool long before --ms.
TEST_F(ToolTest, PreviewEndsWhenItsWindowIsClosedOrOnAKeyInIt) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "no display";
    }
    for (const std::string action : {"close", "q", "Escape"}) {
        const std::string status = Scratch("preview-status-" + action);
        std::remove(status.c_str());
        std::string command = kTool;
        command += " --sim \"0;interval=0;settle=0\" preview --ms 60000 >/dev/null 2>&1; echo $? > ";
        command += status;
        std::system(("(" + command + ") &").c_str());
        Window window = 0;
        for (int i = 0; i < 200 && window == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            window = FindToolPreview(display);
        }
        ASSERT_NE(window, 0u) << action << ": no window titled 'tavrin preview' within 10 s";
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a few frames are shown
        Act(display, window, action);
        std::string exitCode;
        for (int i = 0; i < 200 && exitCode.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::ifstream in(status);
            std::getline(in, exitCode);
        }
        EXPECT_EQ(exitCode, "0") << action << ": the tool did not end within 10 s";
        EXPECT_EQ(FindToolPreview(display), 0u) << action;
        std::remove(status.c_str());
    }
    XCloseDisplay(display);
}
#endif

// A session recorded by the tool describes itself and plays the camera of
// any command.
TEST_F(ToolTest, SessionRecordInfoAndReplay) {
    const std::string file = Scratch("session.tvs");
    const ToolRun recorded = Tool("session record -o " + file + " --ms 300 --mode 8");
    ASSERT_EQ(recorded.exitCode, 0) << recorded.output;
    const ToolRun info = Tool("session info " + file);
    EXPECT_EQ(info.exitCode, 0) << info.output;
    for (const char* line : {"camera      TAVRIN-SIM-00", "driver=simulator", "color-mode=8", "ended       stopped"}) {
        EXPECT_NE(info.output.find(line), std::string::npos) << line << "\n" << info.output;
    }
    const ToolRun replayed = Tool("--replay " + file + " stream --frames 2 --mode 8");
    EXPECT_EQ(replayed.exitCode, 0) << replayed.output;
    EXPECT_NE(replayed.output.find("frame    2  656 x 494   8 bpp"), std::string::npos) << replayed.output;
    EXPECT_EQ(Tool("session info " + Scratch("missing.tvs")).exitCode, 1);
    EXPECT_EQ(Tool("session replay " + file).exitCode, 2);
    std::remove(file.c_str());
}

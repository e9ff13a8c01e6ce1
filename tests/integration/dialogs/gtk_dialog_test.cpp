// The GTK dialogs on an X display, through the exports: each dialog opens
// with its template's caption and size, and the close box is Cancel.
// Without a DISPLAY the host test runs this program again on a virtual display.
#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros (None, Bool) would break.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include "TavrinSdk.h"
#include "platform/environment.h"
#include "support/isolation.h"
#include "support/shell_command.h"
#include "support/required_tool.h"

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";

bool HaveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

std::string Title(Display* x, Window window) {
    Atom utf8 = XInternAtom(x, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(x, window, XInternAtom(x, "_NET_WM_NAME", False), 0, 256, False, utf8, &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
    }
    if (data)
        XFree(data);
    return title;
}

struct Found {
    std::string title;
    int width = 0, height = 0;
};

// Waits for a mapped top-level window with the title, notes its size and
// closes it with the window manager's delete message, as the close box does.
Found CloseWindowTitled(const std::string& title) {
    Display* x = XOpenDisplay(nullptr);
    Found found;
    for (int attempt = 0; attempt < 200 && found.title.empty(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(x, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            if (Title(x, children[i]) != title)
                continue;
            found = {title, attributes.width, attributes.height};
            XEvent close{};
            close.xclient.type = ClientMessage;
            close.xclient.window = children[i];
            close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
            close.xclient.format = 32;
            close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
            close.xclient.data.l[1] = CurrentTime;
            XSendEvent(x, children[i], False, NoEventMask, &close);
            XFlush(x);
            break;
        }
        if (children)
            XFree(children);
    }
    XCloseDisplay(x);
    return found;
}

TEST(GtkDialogHost, RunsTheDialogTestsOnAVirtualDisplay) {
    if (HaveDisplay())
        GTEST_SKIP() << "DISPLAY is set: the dialog tests run on it directly";
    if (!std::filesystem::exists(kXvfb))
        TAVRIN_SKIP_WITHOUT_TOOL() << "neither DISPLAY nor " << kXvfb << " (xvfb) is available";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    for (const char* language : {"C", "ja_JP.UTF-8"}) {
        const auto result = tavrin::test::RunCommand(std::string("LANG=") + language + " " + TAVRIN_VIRTUAL_DISPLAY + " '" + self +
                                                         "' --gtest_filter='GtkDialog.*' --gtest_brief=1",
                                                     "gtk_dialogs");
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(result.output.find("SKIPPED"), std::string::npos) << result.output;
    }
}

struct GtkDialog : ::testing::Test {
    static void SetUpTestSuite() {
        tavrin::test::IsolateFromOtherPrograms();
        tavrin::platform::SetEnvironment("TAVRIN_SIM", "0;settle=0");
    }
    void SetUp() override {
        if (!HaveDisplay())
            GTEST_SKIP() << "no DISPLAY (the host test runs these on a virtual display)";
        handle = Tavrin_Initialize(nullptr);
        ASSERT_NE(handle, 0);
    }
    void TearDown() override {
        if (handle)
            Tavrin_Release(handle);
    }
    static std::string Caption() {
        const char* lang = std::getenv("LANG");
        return lang && std::string(lang).rfind("ja", 0) == 0
                   ? "\xe3\x83\x97\xe3\x83\xad\xe3\x83\x91\xe3\x83\x86\xe3\x82\xa3"
                   : "Property";
    }
    int handle = 0;
};

TEST_F(GtkDialog, EachDialogOpensAndItsCloseBoxIsCancel) {
    ASSERT_EQ(Tavrin_SetBrightness(handle, 12), 1);
    for (auto* open : {Tavrin_SetCameraDlg, Tavrin_SetAnalogDlg, Tavrin_SetImageDlg}) {
        auto closer = std::async(std::launch::async, [] { return CloseWindowTitled(Caption()); });
        EXPECT_EQ(open(handle, nullptr), 1);
        const Found found = closer.get();
        EXPECT_EQ(found.title, Caption());
        EXPECT_GT(found.width, 400);
        EXPECT_GT(found.height, 300);
    }
    int error = 0;
    EXPECT_EQ(Tavrin_GetBrightness(handle, &error), 12);
}

TEST_F(GtkDialog, WithoutADisplayNoDialogIsCreated) {
    const std::string display = std::getenv("DISPLAY");
    tavrin::platform::SetEnvironment("DISPLAY", "");
    EXPECT_EQ(Tavrin_SetImageDlg(handle, nullptr), 1);
    tavrin::platform::SetEnvironment("DISPLAY", display.c_str());
}

}  // namespace

// The Win32 dialogs, through the exports, driven by real window messages
// from a second thread as a user's clicks and typing would arrive.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "TavrinSdk.h"
#include "platform/environment.h"
#include "support/isolation.h"

namespace {

const wchar_t* Caption() { return GetSystemDefaultLangID() == 1041 ? L"\u30d7\u30ed\u30d1\u30c6\u30a3" : L"Property"; }

// The open dialog, waiting up to ten seconds for it.
HWND WaitForDialog() {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (HWND dialog = FindWindowW(L"#32770", Caption()); dialog && IsWindowVisible(dialog))
            return dialog;
        Sleep(50);
    }
    return nullptr;
}

// The page on the tab control that is shown.
HWND VisiblePage(HWND dialog) {
    HWND tab = GetDlgItem(dialog, 1001);
    for (HWND page = FindWindowExW(tab, nullptr, L"#32770", nullptr); page;
         page = FindWindowExW(tab, page, L"#32770", nullptr)) {
        if (IsWindowVisible(page))
            return page;
    }
    return nullptr;
}

void Command(HWND dialog, int id, WORD code = BN_CLICKED) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

struct Win32Dialog : ::testing::Test {
    static void SetUpTestSuite() {
        // This program plays the host that has made the common controls available.
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        tavrin::test::IsolateFromOtherPrograms();
        tavrin::platform::SetEnvironment("TAVRIN_SIM", "0;settle=0");
    }
    void SetUp() override { ASSERT_NE(handle = Tavrin_Initialize(nullptr), 0); }
    void TearDown() override { Tavrin_Release(handle); }
    int handle = 0;
};

TEST_F(Win32Dialog, CameraDialogOkTakesColourAndWaitTime) {
    auto user = std::async(std::launch::async, [] {
        HWND dialog = WaitForDialog();
        if (!dialog)
            return std::string("no dialog");
        SendDlgItemMessageW(dialog, 1009, CB_SETCURSEL, 3, 0);
        Command(dialog, 1009, CBN_SELCHANGE);
        const bool applyEnabled = IsWindowEnabled(GetDlgItem(dialog, 1002));
        SetDlgItemTextA(dialog, 1045, "25");
        char tab[64] = {};
        TCITEMA item{TCIF_TEXT, 0, 0, tab, sizeof tab, 0, 0};
        SendDlgItemMessageA(dialog, 1001, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return std::string(applyEnabled ? "apply " : "") + tab;
    });
    EXPECT_EQ(Tavrin_SetCameraDlg(handle, nullptr), 1);
    const std::string seen = user.get();
    EXPECT_EQ(seen.rfind("apply ", 0), 0u) << seen;
    EXPECT_EQ(Tavrin_GetColorMode(handle), 32);
    EXPECT_EQ(Tavrin_GetWaitTime(handle), 25);
}

TEST_F(Win32Dialog, ImageDialogEditsLiveAndCancelRestores) {
    ASSERT_EQ(Tavrin_SetBrightness(handle, 7), 1);
    std::promise<int> whileOpen;
    auto user = std::async(std::launch::async, [&] {
        HWND dialog = WaitForDialog();
        HWND page = dialog ? VisiblePage(dialog) : nullptr;
        if (!page)
            return whileOpen.set_value(-999);
        SetDlgItemTextA(page, 2002, "-20");
        int error = 0;
        whileOpen.set_value(Tavrin_GetBrightness(handle, &error));
        PostMessageW(dialog, WM_CLOSE, 0, 0);  // the close box is Cancel
    });
    EXPECT_EQ(Tavrin_SetImageDlg(handle, nullptr), 1);
    user.get();
    EXPECT_EQ(whileOpen.get_future().get(), -20);
    int error = 0;
    EXPECT_EQ(Tavrin_GetBrightness(handle, &error), 7);
}

TEST_F(Win32Dialog, AnalogSliderMovesTheGain) {
    auto user = std::async(std::launch::async, [&] {
        HWND dialog = WaitForDialog();
        HWND page = dialog ? VisiblePage(dialog) : nullptr;
        if (!page)
            return std::string("no page");
        HWND slider = GetDlgItem(page, 1013);
        SendMessageW(slider, TBM_SETPOS, TRUE, 600);
        SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
        char text[32] = {};
        GetDlgItemTextA(page, 1015, text, sizeof text);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return std::string(text);
    });
    EXPECT_EQ(Tavrin_SetAnalogDlg(handle, nullptr), 1);
    EXPECT_EQ(user.get(), "600");
    int error = 0;
    EXPECT_EQ(Tavrin_GetGlobalGain(handle, &error), 600);
}

}  // namespace

#include <gtest/gtest.h>

#include "TavrinSdk.h"
#include "support/isolation.h"
#include "support/notify_window.h"

using tavrin::test::NextMessage;
using tavrin::test::PostedMessage;

namespace {

class ExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavrin::test::IsolateFromOtherPrograms();
        tavrin::test::DrainMessages();
        window = tavrin::test::CreateNotifyWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { tavrin::test::DestroyNotifyWindow(window); }

    // True when nothing at all reached this thread within the wait.
    static bool NothingPosted(int waitMs = 30) {
        PostedMessage m{};
        return !NextMessage(nullptr, m, waitMs);
    }

    HWND window = nullptr;
};

// Each export built so far, called with a handle, returning its result.
struct ExportCall {
    const char* name;
    int failure;
    int (*call)(int handle);
};

int g_out = 7;

const ExportCall kExports[] = {
    {"Tavrin_Release", 0, [](int h) { return Tavrin_Release(h); }},
    {"Tavrin_GetLastError", 0, [](int h) { return Tavrin_GetLastError(h); }},
    {"Tavrin_GetStatus", 0, [](int h) { return Tavrin_GetStatus(h, nullptr); }},
    {"Tavrin_SetDeviceNumber", 0, [](int h) { return Tavrin_SetDeviceNumber(h, 0); }},
    {"Tavrin_Width", 0, [](int h) { return Tavrin_Width(h); }},
    {"Tavrin_Height", 0, [](int h) { return Tavrin_Height(h); }},
    {"Tavrin_Fpga_ReadRegister", 0, [](int h) { return Tavrin_Fpga_ReadRegister(h, 0, nullptr); }},
    {"Tavrin_Fpga_WriteRegister", 0, [](int h) { return Tavrin_Fpga_WriteRegister(h, 0, 0); }},
    {"Tavrin_Fps", 0, [](int h) { return Tavrin_Fps(h); }},
    {"Tavrin_GetHalfClock", 0, [](int h) { return Tavrin_GetHalfClock(h, nullptr); }},
    {"Tavrin_SetHalfClock", 0, [](int h) { return Tavrin_SetHalfClock(h, 1); }},
    {"Tavrin_SetCrossbar", 0, [](int h) { return Tavrin_SetCrossbar(h, 0, 0); }},
    {"Tavrin_SetSamplingRate", 0, [](int h) { return Tavrin_SetSamplingRate(h, 1); }},
    {"Tavrin_GetConfigFilter", 0, [](int h) { return Tavrin_GetConfigFilter(h, 1, nullptr); }},
    {"Tavrin_SetConfigFilter", 0, [](int h) { return Tavrin_SetConfigFilter(h, 1, 1); }},
    {"Tavrin_GetSamplingRate", 0, [](int h) { return Tavrin_GetSamplingRate(h, &g_out); }},
    {"Tavrin_GetVideoFormat", 0, [](int h) { return Tavrin_GetVideoFormat(h, &g_out); }},
};

}  // namespace

TEST_F(ExportsTest, DllVersionNeedsNoHandle) { EXPECT_EQ(Tavrin_GetDllVersion(), 27919647); }

TEST_F(ExportsTest, UnknownZeroAndReleasedHandlesFailQuietly) {
    const int released = Tavrin_Initialize(window);
    ASSERT_NE(released, 0);
    ASSERT_EQ(Tavrin_Release(released), 1);
    for (int handle : {0, 12345, released}) {
        for (const auto& e : kExports) {
            g_out = 7;
            EXPECT_EQ(e.call(handle), e.failure) << e.name << " handle " << handle;
        }
        EXPECT_EQ(g_out, 7) << "an unknown handle wrote through an out pointer";
    }
    EXPECT_TRUE(NothingPosted());
}

TEST_F(ExportsTest, FreshCameraCoversTheWholeSensor) {
    const int h = Tavrin_Initialize(window);
    EXPECT_EQ(Tavrin_Width(h), 656);
    EXPECT_EQ(Tavrin_Height(h), 494);
    EXPECT_EQ(Tavrin_GetStatus(h, nullptr), 0);
    Tavrin_Release(h);
}

TEST_F(ExportsTest, ThreeHandlesWithTheMiddleReleased) {
    const int a = Tavrin_Initialize(window);
    const int b = Tavrin_Initialize(window);
    const int c = Tavrin_Initialize(window);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_EQ(Tavrin_Release(b), 1);
    EXPECT_EQ(Tavrin_Width(a), 656);
    EXPECT_EQ(Tavrin_Width(c), 656);
    EXPECT_EQ(Tavrin_Width(b), 0);
    EXPECT_EQ(Tavrin_Release(b), 0);
    EXPECT_EQ(Tavrin_Release(a), 1);
    EXPECT_EQ(Tavrin_Release(c), 1);
    const int fresh = Tavrin_Initialize(window);  // a new ring of one
    EXPECT_EQ(Tavrin_Width(fresh), 656);
    Tavrin_Release(fresh);
}

// The unsupported group posts 11 to the notification window without
// queueing it; with a null window the post lands in the caller's own queue.
TEST_F(ExportsTest, UnsupportedGroupPostsWithoutQueueing) {
    const int h = Tavrin_Initialize(nullptr);
    EXPECT_EQ(Tavrin_Fps(h), 0);
    PostedMessage m{};
    ASSERT_TRUE(NextMessage(nullptr, m, 1000));
    EXPECT_EQ(m.window, nullptr);
    EXPECT_EQ(m.message, static_cast<unsigned>(WM_SDK_ERROR));
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(m.lParam, SDKERR_UNSUPPORTED);
    EXPECT_NE(Tavrin_GetLastError(h), SDKERR_UNSUPPORTED);
    EXPECT_EQ(Tavrin_GetLastError(h), 0);
    Tavrin_Release(h);
}

TEST_F(ExportsTest, ConfigFilterQueuesAndPostsElevenAndReturnsMinusOne) {
    const int h = Tavrin_Initialize(window);
    EXPECT_EQ(Tavrin_GetConfigFilter(h, 3, nullptr), -1);
    EXPECT_EQ(Tavrin_SetConfigFilter(h, 3, 5), -1);
    PostedMessage m{};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(NextMessage(window, m, 1000));
        EXPECT_EQ(m.message, static_cast<unsigned>(WM_SDK_ERROR));
        EXPECT_EQ(m.lParam, SDKERR_UNSUPPORTED);
    }
    EXPECT_EQ(Tavrin_GetLastError(h), SDKERR_UNSUPPORTED);
    EXPECT_EQ(Tavrin_GetLastError(h), SDKERR_UNSUPPORTED);
    EXPECT_EQ(Tavrin_GetLastError(h), 0);
    Tavrin_Release(h);
}

TEST_F(ExportsTest, QueryGroupStoresZeroAndReportsNothing) {
    const int h = Tavrin_Initialize(window);
    int value = 5;
    EXPECT_EQ(Tavrin_GetVideoFormat(h, &value), 0);
    EXPECT_EQ(value, 0);
    value = 5;
    EXPECT_EQ(Tavrin_GetSamplingRate(h, &value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(Tavrin_GetVideoFormat(h, nullptr), 0);
    EXPECT_EQ(Tavrin_GetLastError(h), 0);
    EXPECT_TRUE(NothingPosted());
    Tavrin_Release(h);
}

TEST_F(ExportsTest, TwentyFiveFailuresReadBackAsTwentyThenZero) {
    const int h = Tavrin_Initialize(nullptr);
    for (int i = 0; i < 25; ++i) {
        Tavrin_GetConfigFilter(h, 1, nullptr);
    }
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(Tavrin_GetLastError(h), SDKERR_UNSUPPORTED) << i;
    }
    EXPECT_EQ(Tavrin_GetLastError(h), 0);
    EXPECT_TRUE(NothingPosted());  // a null notification window gets nothing queued-and-posted
    Tavrin_Release(h);
}

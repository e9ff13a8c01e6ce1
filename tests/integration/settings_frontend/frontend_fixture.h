// A camera handle on a fresh settings store, with the simulated camera in
// the slots the test names, and helpers that read what the library reported.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/TavrinSdk.h"
#include "platform/environment.h"
#include "support/isolation.h"
#include "support/notify_window.h"
#include "unit/settings/fresh_store.h"

namespace tavrin::test {

class FrontEndTest : public ::testing::Test {
protected:
    // Slots holding a camera, as TAVRIN_SIM lists them ("0", "0,2");
    // null leaves the simulator off.
    virtual const char* SimulatedSlots() const { return "0"; }

    void SetUp() override {
        IsolateFromOtherPrograms();
        platform::SetEnvironment("TAVRIN_SIM", SimulatedSlots());
        DrainMessages();
        window = CreateNotifyWindow();
        ASSERT_NE(window, nullptr);
        handle = Tavrin_Initialize(window);
        ASSERT_NE(handle, 0);
        initErrors = TakeErrors();
        DrainMessages();
    }

    void TearDown() override {
        Tavrin_Release(handle);
        DestroyNotifyWindow(window);
        DrainMessages();
    }

    // Everything queued so far, newest first; the queue is empty afterwards.
    std::vector<int> TakeErrors() const {
        std::vector<int> codes;
        for (int code = Tavrin_GetLastError(handle); code != 0; code = Tavrin_GetLastError(handle)) {
            codes.push_back(code);
        }
        return codes;
    }

    // The error codes posted to the notification window within the wait.
    std::vector<int> TakePosted(int waitMs = 50) const {
        std::vector<int> codes;
        PostedMessage m{};
        while (NextMessage(window, m, waitMs)) {
            if (m.message == WM_SDK_ERROR) {
                codes.push_back(static_cast<int>(m.lParam));
            }
        }
        return codes;
    }

    // The one code a failing call queued and posted.
    void ExpectReported(int code) {
        EXPECT_EQ(TakeErrors(), std::vector<int>{code});
        EXPECT_EQ(TakePosted(), std::vector<int>{code});
    }
    void ExpectNothingReported() {
        EXPECT_TRUE(TakeErrors().empty());
        EXPECT_TRUE(TakePosted(10).empty());
    }

    FreshStore store;
    HWND window = nullptr;
    int handle = 0;
    std::vector<int> initErrors;
};

}  // namespace tavrin::test

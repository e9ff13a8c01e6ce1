// A camera handle on a fresh settings store, with the simulated camera in
// the slots the test names, and helpers that read what the library reported.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "platform/environment.h"
#include "support/isolation.h"
#include "support/notify_window.h"
#include "unit/settings/fresh_store.h"

namespace tavrin::test {

class FrontEndTest : public ::testing::Test {
protected:
    // The slots that hold a plugged camera when the handle is made. The
    // simulator is chosen once per process, so every test starts from the
    // same setting and plugs or unplugs slots to get its own.
    virtual std::vector<int> PluggedSlots() const { return {0}; }

    void SetUp() override {
        IsolateFromOtherPrograms();
        platform::SetEnvironment("TAVRIN_SIM", "0;interval=0;settle=0");
        ASSERT_EQ(TavrinSim_IsActive(), 1);
        const std::vector<int> plugged = PluggedSlots();
        for (int slot = 0; slot < 32; ++slot) {
            const bool wanted = std::find(plugged.begin(), plugged.end(), slot) != plugged.end();
            ASSERT_EQ(TavrinSim_SetPresent(slot, wanted ? 1 : 0), 1);
            TavrinSim_InjectFault(slot, TAVRINSIM_FAULT_COMMAND_FAILS, 0);
            TavrinSim_InjectFault(slot, TAVRINSIM_FAULT_OPEN_FAILS, 0);
        }
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

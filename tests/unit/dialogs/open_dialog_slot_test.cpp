// The open-dialog slot: one dialog per kind, and work handed from another
// thread that never outlives the dialog nor waits for ever.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dialogs/open_dialog_slot.h"

using tavrin::dialogs::OpenDialogSlot;

namespace {

struct Page {
    std::atomic<int> shown{0};
};

TEST(OpenDialogSlot, SecondDialogOfAKindIsRefused) {
    OpenDialogSlot<Page> slot;
    Page first, second;
    ASSERT_TRUE(slot.Open(first));
    EXPECT_FALSE(slot.Open(second));
    slot.Close(second);  // not the open one: nothing changes
    EXPECT_TRUE(slot.IsOpen());
    slot.Close(first);
    EXPECT_TRUE(slot.Open(second));
}

TEST(OpenDialogSlot, WorkRunsOnTheDialogThreadUntilItCloses) {
    OpenDialogSlot<Page> slot;
    std::atomic<bool> woken{false}, streaming{true};
    {
        Page page;  // lives on the dialog thread's stack, as the launcher's record does
        slot.Open(page);
        slot.SetWake([&woken] { woken = true; });
        std::atomic<int> delivered{0};
        std::thread acquisition([&] {
            while (streaming) {
                if (slot.Run([](Page& p) { p.shown++; }, [&] { return !streaming.load(); }))
                    delivered++;
            }
        });
        // The dialog thread pumps for a while, then the dialog ends while the
        // acquisition thread keeps handing over work.
        while (delivered < 50) {
            if (woken.exchange(false))
                slot.RunPending();
            std::this_thread::yield();
        }
        slot.Close(page);
        EXPECT_GE(page.shown.load(), 50);
        streaming = false;
        acquisition.join();
    }
    EXPECT_FALSE(slot.Run([](Page&) { FAIL(); }));
}

TEST(OpenDialogSlot, WaitingCallerGivesUpWhenItsStreamStops) {
    OpenDialogSlot<Page> slot;
    Page page;
    slot.Open(page);
    slot.SetWake([] {});  // the dialog thread is busy stopping the stream and never pumps
    std::atomic<bool> stopping{false};
    std::thread acquisition(
        [&] { EXPECT_FALSE(slot.Run([](Page& p) { p.shown++; }, [&] { return stopping.load(); })); });
    stopping = true;  // as a stop clears the run flag before waiting for the thread
    acquisition.join();
    slot.RunPending();
    EXPECT_EQ(page.shown.load(), 0) << "abandoned work must not run later";
    slot.Close(page);
}

}  // namespace

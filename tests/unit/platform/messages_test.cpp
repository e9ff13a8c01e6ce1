#include <gtest/gtest.h>

#include <vector>

#include "platform/message_windows.h"
#include "platform/sync.h"
#include "platform/thread.h"

using namespace tavrin::platform;

namespace {

void DrainOwnQueue() {
    Message m{};
    while (ReceiveMessage(nullptr, m, 0)) {
    }
}

}  // namespace

TEST(Messages, PostFromAnotherThreadArrivesAtTheOwner) {
    DrainOwnQueue();
    WindowHandle window = CreateMessageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WindowExists(window));
    auto poster = Thread::Start([window] { PostWindowMessage(window, 0x8003, 0, 7); }, ThreadPriority::Normal);
    ASSERT_TRUE(poster);
    Message m{};
    ASSERT_TRUE(ReceiveMessage(window, m, 5000));
    EXPECT_EQ(m.window, window);
    EXPECT_EQ(m.message, 0x8003u);
    EXPECT_EQ(m.lParam, 7);
    poster->WaitFinished(kInfinite);
    EXPECT_TRUE(DestroyMessageWindow(window));
}

TEST(Messages, NullWindowPostsQueueToThePosterOnly) {
    DrainOwnQueue();
    WindowHandle window = CreateMessageWindow();
    std::atomic<bool> otherSawIt{false};
    auto other = Thread::Start(
        [&] {
            PostWindowMessage(nullptr, 0x8003, 0, 11);
            Message m{};
            otherSawIt = ReceiveMessage(nullptr, m, 1000) && m.lParam == 11 && m.window == nullptr;
        },
        ThreadPriority::Normal);
    ASSERT_TRUE(other);
    other->WaitFinished(kInfinite);
    EXPECT_TRUE(otherSawIt);
    Message m{};
    EXPECT_FALSE(ReceiveMessage(nullptr, m, 50));  // nothing reached this thread
    DestroyMessageWindow(window);
}

TEST(Messages, FilterByWindowLeavesOthersQueued) {
    DrainOwnQueue();
    WindowHandle a = CreateMessageWindow();
    WindowHandle b = CreateMessageWindow();
    ASSERT_TRUE(PostWindowMessage(a, 0x8002, 1, 0));
    ASSERT_TRUE(PostWindowMessage(b, 0x8002, 2, 0));
    Message m{};
    ASSERT_TRUE(ReceiveMessage(b, m, 1000));
    EXPECT_EQ(m.wParam, 2u);
    ASSERT_TRUE(ReceiveMessage(nullptr, m, 1000));
    EXPECT_EQ(m.wParam, 1u);
    DestroyMessageWindow(a);
    DestroyMessageWindow(b);
}

// A window made after another was destroyed never gets its handle: what
// still posts to the old one (a stream that has not stopped yet) must not
// reach the new one.
TEST(Messages, ADestroyedWindowsHandleIsNeverGivenAgain) {
    DrainOwnQueue();
    std::vector<WindowHandle> destroyed;
    for (int i = 0; i < 64; ++i) {
        WindowHandle window = CreateMessageWindow();
        ASSERT_NE(window, nullptr);
        for (WindowHandle old : destroyed) {
            ASSERT_NE(window, old) << "window " << i;
            EXPECT_FALSE(PostWindowMessage(old, 0x8002, 1, 0));
        }
        ASSERT_TRUE(DestroyMessageWindow(window));
        destroyed.push_back(window);
    }
    Message m{};
    EXPECT_FALSE(ReceiveMessage(nullptr, m, 20));
}

TEST(Messages, PostingToADestroyedWindowFails) {
    DrainOwnQueue();
    WindowHandle window = CreateMessageWindow();
    ASSERT_TRUE(DestroyMessageWindow(window));
    EXPECT_FALSE(WindowExists(window));
    EXPECT_FALSE(PostWindowMessage(window, 0x8003, 0, 1));
    Message m{};
    EXPECT_FALSE(ReceiveMessage(nullptr, m, 20));
}

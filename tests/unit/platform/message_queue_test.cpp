#include <gtest/gtest.h>

#include "platform/posix/message_queue.h"

using tavrin::platform::Message;
using tavrin::platform::MessageQueue;

namespace {

int kA = 0, kB = 0;
void* const a = &kA;
void* const b = &kB;

}  // namespace

// Read now and then, the queue keeps each window's order through
// wrap-arounds, growth, takes from its middle and dropped windows.
TEST(MessageQueue, KeepsOrderThroughWrapsGrowthAndGaps) {
    MessageQueue queue;
    uintptr_t nextA = 0, sentA = 0;
    Message m{};
    for (int round = 0; round < 60; ++round) {
        for (int i = 0; i < round % 23; ++i) {
            ASSERT_TRUE(queue.Push({a, 1, sentA++, 0}));
            ASSERT_TRUE(queue.Push({b, 1, 0, round}));
        }
        if (round % 2 == 0) {
            while (queue.TakeFirst(b, m)) {  // b's messages leave gaps between a's
                ASSERT_EQ(m.window, b);
            }
        } else {
            queue.DropAll(b);
        }
        for (int i = 0; i < round % 7 && queue.TakeFirst(nullptr, m); ++i) {
            ASSERT_EQ(m.wParam, nextA++);
        }
    }
    while (queue.TakeFirst(nullptr, m)) {
        ASSERT_EQ(m.wParam, nextA++);
    }
    EXPECT_EQ(nextA, sentA);
}

TEST(MessageQueue, RefusesPostsAtTheWin32Limit) {
    MessageQueue queue;
    size_t posted = 0;
    while (posted < 2 * MessageQueue::kMaxPostedMessages && queue.Push({a, 1, posted, 0})) {
        ++posted;
    }
    EXPECT_EQ(posted, 10000u);
    Message m{};
    ASSERT_TRUE(queue.TakeFirst(a, m));
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_TRUE(queue.Push({a, 1, 0, 0}));  // room again
}

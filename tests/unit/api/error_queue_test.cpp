#include <gtest/gtest.h>

#include "camera/error_queue.h"

TEST(ErrorQueue, TwentyFivePushesReadBackAsTheTwentyNewestThenZero) {
    tavrin::ErrorQueue queue;
    for (int code = 1; code <= 25; ++code) {
        queue.Push(code);
    }
    for (int expected = 25; expected >= 6; --expected) {
        EXPECT_EQ(queue.Pop(), expected);
    }
    EXPECT_EQ(queue.Pop(), 0);
    EXPECT_EQ(queue.Pop(), 0);
}

TEST(ErrorQueue, PopBetweenPushesKeepsOrder) {
    tavrin::ErrorQueue queue;
    queue.Push(7);
    queue.Push(1);
    EXPECT_EQ(queue.Pop(), 1);
    queue.Push(9);
    EXPECT_EQ(queue.Pop(), 9);
    EXPECT_EQ(queue.Pop(), 7);
    EXPECT_EQ(queue.Pop(), 0);
}

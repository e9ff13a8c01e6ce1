#include <gtest/gtest.h>

#include <atomic>

#ifndef _WIN32
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "platform/sync.h"
#include "platform/thread.h"
#include "platform/time.h"

using namespace tavrin::platform;

// Tick clocks may be 16 ms coarse, and under Wine the tick count is the
// server's, which a busy machine may update late: after the sleep each clock
// gets a second to show the time that passed.
TEST(Clock, TickCountAdvancesWithSleep) {
    const uint32_t start = TickCount();
    const uint32_t startMm = MultimediaTime();
    Sleep(60);
    const auto advanced = [](uint32_t (*clock)(), uint32_t from) {
        for (int waited = 0; clock() - from < 40u && waited < 1000; waited += 10) {
            Sleep(10);
        }
        return clock() - from;
    };
    EXPECT_GE(advanced(TickCount, start), 40u);
    EXPECT_GE(advanced(MultimediaTime, startMm), 40u);
}

TEST(Event, ManualResetStaysSignalledUntilReset) {
    auto event = Event::Create(Event::ResetMode::Manual, false);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->Wait(0), WaitResult::Timeout);
    event->Set();
    EXPECT_EQ(event->Wait(0), WaitResult::Signalled);
    EXPECT_EQ(event->Wait(0), WaitResult::Signalled);
    event->Reset();
    EXPECT_EQ(event->Wait(10), WaitResult::Timeout);
}

TEST(Event, AutoResetReleasesOneWait) {
    auto event = Event::Create(Event::ResetMode::Auto, true);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->Wait(0), WaitResult::Signalled);
    EXPECT_EQ(event->Wait(0), WaitResult::Timeout);
}

TEST(Event, WaitReturnsWhenAnotherThreadSets) {
    auto event = Event::Create(Event::ResetMode::Auto, false);
    auto thread = Thread::Start(
        [&] {
            Sleep(20);
            event->Set();
        },
        ThreadPriority::Normal);
    ASSERT_TRUE(thread);
    EXPECT_EQ(event->Wait(5000), WaitResult::Signalled);
    EXPECT_EQ(thread->WaitFinished(kInfinite), WaitResult::Signalled);
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads) {
    CriticalSection lock;
    int counter = 0;
    lock.Enter();
    lock.Enter();  // the owner may enter again
    lock.Leave();
    lock.Leave();
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            std::lock_guard guard(lock);
            ++counter;
        }
    };
    auto a = Thread::Start(work, ThreadPriority::Normal);
    auto b = Thread::Start(work, ThreadPriority::Normal);
    ASSERT_TRUE(a && b);
    a->WaitFinished(kInfinite);
    b->WaitFinished(kInfinite);
    EXPECT_EQ(counter, 20000);
}

TEST(Thread, FinishedEventFollowsTheBody) {
    auto release = Event::Create(Event::ResetMode::Manual, false);
    std::atomic<bool> ran{false};
    auto thread = Thread::Start(
        [&] {
            release->Wait(kInfinite);
            ran = true;
        },
        ThreadPriority::Highest);
    ASSERT_TRUE(thread);
    EXPECT_EQ(thread->WaitFinished(20), WaitResult::Timeout);
    EXPECT_FALSE(thread->Finished());
    release->Set();
    EXPECT_EQ(thread->WaitFinished(5000), WaitResult::Signalled);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(thread->Finished());
}

#ifndef _WIN32
// A raised thread is never real-time: a busy one would shut the machine's
// other threads out of its processor. It gets a lower nice value where the
// process may set one.
TEST(Thread, RaisedThreadStaysInTheNormalClass) {
    for (const auto& [priority, nice] : {std::pair{ThreadPriority::Highest, -5}, {ThreadPriority::TimeCritical, -10}}) {
        int policy = -1;
        int seen = 0;
        auto thread = Thread::Start(
            [&] {
                policy = sched_getscheduler(0);
                seen = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
            },
            priority);
        ASSERT_TRUE(thread);
        ASSERT_EQ(thread->WaitFinished(5000), WaitResult::Signalled);
        EXPECT_EQ(policy, SCHED_OTHER);
        EXPECT_EQ(seen, thread->GrantedPriority() == priority ? nice : getpriority(PRIO_PROCESS, 0));
    }
}
#endif

TEST(Thread, ExceptionInBodyEndsOnlyTheThread) {
    auto thread = Thread::Start([] { throw 1; }, ThreadPriority::Normal);
    ASSERT_TRUE(thread);
    EXPECT_EQ(thread->WaitFinished(5000), WaitResult::Signalled);
}

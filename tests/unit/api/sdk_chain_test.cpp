#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <set>
#include <thread>
#include <vector>

#include "api/sdk_chain.h"
#include "camera/CTavrin.h"
#include "support/isolation.h"

using tavrin::CSdkChain;

namespace {

// A handle source that replays the given values.
CSdkChain::HandleSource Replay(std::deque<uint32_t> values) {
    auto shared = std::make_shared<std::deque<uint32_t>>(std::move(values));
    return [shared] {
        const uint32_t value = shared->front();
        shared->pop_front();
        return value;
    };
}

class SdkChainTest : public ::testing::Test {
protected:
    void SetUp() override { tavrin::test::IsolateFromOtherPrograms(); }
};

}  // namespace

TEST_F(SdkChainTest, ZeroIsNeverAHandle) {
    CSdkChain chain(Replay({0, 0, 41}));
    EXPECT_EQ(chain.CreateHandle(nullptr), 41);
    EXPECT_EQ(chain.Release(41), 1);
}

TEST_F(SdkChainTest, ALiveHandleIsNeverIssuedTwice) {
    // The count joins the sum: 10 + 0, then 9 + 1 would repeat 10.
    CSdkChain chain(Replay({10, 9, 30}));
    const int first = chain.CreateHandle(nullptr);
    const int second = chain.CreateHandle(nullptr);
    EXPECT_EQ(first, 10);
    EXPECT_EQ(second, 31);
    EXPECT_NE(chain.Lookup(first), chain.Lookup(second));
    chain.Release(first);
    chain.Release(second);
}

TEST_F(SdkChainTest, ReleaseUnregistersAtOnceButACallInFlightKeepsTheCamera) {
    CSdkChain chain;
    const int handle = chain.CreateHandle(nullptr);
    std::shared_ptr<tavrin::CTavrin> inFlight = chain.Lookup(handle);
    std::weak_ptr<tavrin::CTavrin> watch = inFlight;
    ASSERT_TRUE(inFlight);
    EXPECT_EQ(chain.Release(handle), 1);
    EXPECT_EQ(chain.Lookup(handle), nullptr);  // later calls see an unknown handle
    EXPECT_EQ(chain.Release(handle), 0);
    EXPECT_EQ(inFlight->Width(), 656);  // the call in flight still works
    inFlight.reset();
    EXPECT_TRUE(watch.expired());  // destroyed when the last call returned
}

TEST_F(SdkChainTest, ReleasingTheMiddleOfThreeKeepsTheOthers) {
    CSdkChain chain;
    const int a = chain.CreateHandle(nullptr);
    const int b = chain.CreateHandle(nullptr);
    const int c = chain.CreateHandle(nullptr);
    EXPECT_EQ(chain.Release(b), 1);
    EXPECT_TRUE(chain.Lookup(a));
    EXPECT_TRUE(chain.Lookup(c));
    EXPECT_FALSE(chain.Lookup(b));
    EXPECT_EQ(chain.Count(), 2);
    chain.Release(a);
    chain.Release(c);
    EXPECT_EQ(chain.Count(), 0);
}

TEST_F(SdkChainTest, UnknownHandlesAreNotFoundAndChangeNothing) {
    CSdkChain chain(Replay({5, 7}));
    const int live = chain.CreateHandle(nullptr);
    const int released = chain.CreateHandle(nullptr);
    ASSERT_EQ(chain.Release(released), 1);
    for (const int unknown : {0, -1, 12345, released}) {
        SCOPED_TRACE(unknown);
        EXPECT_EQ(chain.Lookup(unknown), nullptr);
        EXPECT_EQ(chain.Release(unknown), 0);
        EXPECT_EQ(chain.Count(), 1);
        EXPECT_TRUE(chain.Lookup(live));
    }
    chain.Release(live);
}

// Run under the thread sanitizer too: threads create handles at once, then
// all look up and release all of them, so that a camera object may go with
// a lookup on one thread while another releases its handle.
TEST_F(SdkChainTest, ThreadsCreatingLookingUpAndReleasingAtOnceAgree) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 2;
    CSdkChain chain;
    std::vector<std::vector<int>> made(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&chain, &mine = made[t]] {
                for (int i = 0; i < kPerThread; ++i) {
                    mine.push_back(chain.CreateHandle(nullptr));
                }
            });
        }
    }
    std::vector<int> handles;
    for (const auto& mine : made) {
        handles.insert(handles.end(), mine.begin(), mine.end());
    }
    const std::set<int> distinct(handles.begin(), handles.end());
    EXPECT_EQ(distinct.size(), handles.size());
    EXPECT_FALSE(distinct.contains(0));
    ASSERT_EQ(chain.Count(), kThreads * kPerThread);

    std::atomic<int> releases = 0;
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (size_t i = 0; i < handles.size(); ++i) {
                    const int handle = handles[(i + t) % handles.size()];
                    if (const auto camera = chain.Lookup(handle)) {
                        EXPECT_EQ(camera->Width(), 656);
                    }
                    releases += chain.Release(handle);
                }
            });
        }
    }
    EXPECT_EQ(releases, kThreads * kPerThread);  // each handle exactly once
    EXPECT_EQ(chain.Count(), 0);
}

#include <gtest/gtest.h>

#include <deque>

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

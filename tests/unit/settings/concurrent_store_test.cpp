// Several writers on one store at once, in threads and in processes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "fresh_store.h"
#include "store_writer.h"

using tavrin::platform::RegistryKey;
using namespace tavrin::test;

namespace {

constexpr int kValuesPerWriter = 300;
const std::string kKeyPath = std::string(kBaseKey) + "\\Concurrent";

void ExpectAllValues(const std::string& prefix) {
    auto key = RegistryKey::Open(nullptr, kKeyPath);
    ASSERT_TRUE(key);
    for (int i = 0; i < kValuesPerWriter; ++i) {
        int32_t value = 0;
        ASSERT_TRUE(key->ReadDword(prefix + std::to_string(i), value)) << prefix << i;
        EXPECT_EQ(static_cast<uint32_t>(value), WriterValue(prefix, i)) << prefix << i;
    }
}

}  // namespace

TEST(StoreConcurrency, TwoThreadsLoseNothing) {
    FreshStore store;
    std::string errorA, errorB;
    bool okA = false, okB = false;
    std::thread a([&] { okA = WriteAndCheck(kKeyPath, "A", kValuesPerWriter, kSharedPatternA, errorA); });
    std::thread b([&] { okB = WriteAndCheck(kKeyPath, "Bee", kValuesPerWriter, kSharedPatternB, errorB); });
    a.join();
    b.join();
    EXPECT_TRUE(okA) << errorA;
    EXPECT_TRUE(okB) << errorB;
    ExpectAllValues("A");
    ExpectAllValues("Bee");
}

// The peer program writes through its own connection while this process
// writes through its own.
TEST(StoreConcurrency, TwoProcessesLoseNothing) {
    FreshStore store;
    ASSERT_TRUE(RegistryKey::Create(nullptr, kKeyPath));
    const std::string command =
        std::string(REGISTRY_PEER_COMMAND) + " \"" + kKeyPath + "\" Peer " + std::to_string(kValuesPerWriter) + " A";
    int peerResult = -1;
    std::thread peer([&] { peerResult = std::system(command.c_str()); });
    std::string error;
    const bool ok = WriteAndCheck(kKeyPath, "Self", kValuesPerWriter, kSharedPatternB, error);
    peer.join();
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(peerResult, 0) << command;
    ExpectAllValues("Peer");
    ExpectAllValues("Self");
}

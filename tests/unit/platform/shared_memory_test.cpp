#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/module.h"
#include "platform/shared_memory.h"
#include "peer_name.h"

using namespace tavrin::platform;

namespace {

std::string UniqueName(const char* what) {
    return std::string("TAVRIN_TEST_") + what + "_" + std::to_string(ProgramInstance() & 0xFFFFFF);
}

}  // namespace

TEST(SharedMemory, CreatesZeroedBlockAndReopensIt) {
    const std::string name = UniqueName("reopen");
    SharedMemory::Unlink(name);
    auto first = SharedMemory::OpenOrCreate(name, 0x4C0000, 0x8000);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->created());
    ASSERT_EQ(first->size(), 0x4C0000u);
    for (size_t i = 0; i < 0x8000; ++i) {
        ASSERT_EQ(first->data()[i], 0) << i;
    }
    first->data()[0x1F9E00] = 0xA5;
    auto second = SharedMemory::OpenOrCreate(name, 0x4C0000, 0x8000);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->created());
    EXPECT_EQ(second->data()[0x1F9E00], 0xA5);
    second.reset();
    first.reset();
    SharedMemory::Unlink(name);
}

// A second process opens the block by name and reports what it read.
TEST(SharedMemory, SecondProcessSeesWhatTheFirstWrote) {
    const std::string name = UniqueName("peer");
    SharedMemory::Unlink(name);
    auto block = SharedMemory::OpenOrCreate(name, 0x10000, 0x8000);
    ASSERT_TRUE(block);
    block->data()[100] = 42;
    const std::string command = std::string(kPeerCommand) + " " + name + " 100 42";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    // The peer also wrote a byte back.
    EXPECT_EQ(block->data()[101], 43);
    block.reset();
    SharedMemory::Unlink(name);
}

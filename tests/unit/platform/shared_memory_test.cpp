#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/module.h"
#include "platform/shared_memory.h"
#include "peer_name.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace tavrin::platform;

namespace {

std::string UniqueName(const char* what) {
    return std::string("TAVRIN_TEST_") + what + "_" + std::to_string(CurrentProcess().id & 0xFFFFFF);
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

#ifndef _WIN32
namespace {

mode_t ModeOf(const std::string& name) {
    const int fd = shm_open(("/" + name).c_str(), O_RDONLY, 0);
    struct stat info {};
    const bool ok = fd >= 0 && fstat(fd, &info) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return ok ? info.st_mode & 07777 : 0;
}

}  // namespace

// Other users may neither write nor read the block, whatever the umask; a
// block of ours left open to them is closed; a block of the wrong size is
// refused, and one that shrinks reads as no longer intact.
TEST(SharedMemory, BlockIsClosedToOtherUsersAndChecksItsSize) {
    const std::string name = UniqueName("mode");
    SharedMemory::Unlink(name);
    const mode_t previous = umask(077);
    auto block = SharedMemory::OpenOrCreate(name, 0x10000, 0x8000);
    umask(previous);
    ASSERT_TRUE(block);
    EXPECT_EQ(ModeOf(name), 0660u);
    EXPECT_TRUE(block->Intact());

    const int fd = shm_open(("/" + name).c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fchmod(fd, 0666), 0);
    EXPECT_TRUE(SharedMemory::OpenOrCreate(name, 0x10000, 0x8000));
    EXPECT_EQ(ModeOf(name), 0660u);
    EXPECT_FALSE(SharedMemory::OpenOrCreate(name, 0x20000, 0x8000));
    EXPECT_FALSE(SharedMemory::OpenOrCreate(name, 0x8000, 0x8000));

    ASSERT_EQ(ftruncate(fd, 4096), 0);
    EXPECT_FALSE(block->Intact());
    EXPECT_FALSE(SharedMemory::OpenOrCreate(name, 0x10000, 0x8000));
    close(fd);
    block.reset();
    SharedMemory::Unlink(name);
}
#endif

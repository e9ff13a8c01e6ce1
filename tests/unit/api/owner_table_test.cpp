#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "camera/owner_table.h"
#include "platform/message_windows.h"
#include "platform/environment.h"
#include "platform/module.h"
#include "platform/shared_memory.h"
#include "platform/time.h"
#include "support/isolation.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

using tavrin::OwnerTable;

namespace {

#ifdef _WIN32
constexpr const char* kPeer = "owner_table_peer.exe";
#else
constexpr const char* kPeer = "./owner_table_peer";
#endif

int RunPeer(const std::string& arguments) { return std::system((std::string(kPeer) + " " + arguments).c_str()); }

class OwnerTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavrin::test::IsolateFromOtherPrograms();
        table = OwnerTable::Open();
        ASSERT_TRUE(table);
        window = tavrin::platform::CreateMessageWindow();
    }
    void TearDown() override {
        for (int i = 0; i < OwnerTable::kEntries; ++i) {
            table->Release(i, reinterpret_cast<uint64_t>(window));
        }
        tavrin::platform::DestroyMessageWindow(window);
    }
    std::unique_ptr<OwnerTable> table;
    void* window = nullptr;
};

}  // namespace

TEST_F(OwnerTableTest, RegisterWritesTheEntryAndReleaseClearsIt) {
    const auto value = reinterpret_cast<uint64_t>(window);
    EXPECT_TRUE(table->Claim(3, value));
    const auto entry = table->Read(3);
    EXPECT_EQ(entry.window, value);
    EXPECT_EQ(entry.instance, tavrin::platform::ProgramInstance());
    EXPECT_EQ(entry.lockWord, 0u);
    EXPECT_EQ(entry.owner, "TavrinSdk_860VX_RUX.dll");
    EXPECT_TRUE(table->InUse(3));
    table->Release(3, value);
    EXPECT_EQ(table->Read(3).window, 0u);
    EXPECT_EQ(table->Read(3).owner, "");
    EXPECT_FALSE(table->InUse(3));
}

TEST_F(OwnerTableTest, AnotherWindowOfTheSameProgramCannotRelease) {
    const auto value = reinterpret_cast<uint64_t>(window);
    table->Claim(4, value);
    table->Release(4, value + 16);
    EXPECT_EQ(table->Read(4).window, value);
    EXPECT_TRUE(table->InUse(4));
}

TEST_F(OwnerTableTest, ASecondProcessReadsTheEntry) {
    table->Claim(5, reinterpret_cast<uint64_t>(window));
    EXPECT_EQ(RunPeer("expect-in-use 5"), 0);
}

TEST_F(OwnerTableTest, ASecondProcessCannotClearOurEntry) {
    table->Claim(6, reinterpret_cast<uint64_t>(window));
    EXPECT_EQ(RunPeer("try-release 6"), 0);
    EXPECT_EQ(table->Read(6).window, reinterpret_cast<uint64_t>(window));
}

// A program that ends while streaming leaves its entry; the camera must not
// stay "in use" for ever because of it.
TEST_F(OwnerTableTest, AnEntryLeftByAnEndedProgramReadsAsFree) {
    EXPECT_EQ(RunPeer("register-and-exit 7"), 0);
    EXPECT_NE(table->Read(7).window, 0u);  // the entry is still there...
    EXPECT_FALSE(table->InUse(7));         // ...but its owner is gone
}

TEST_F(OwnerTableTest, EntriesOutsideTheTableAreIgnored) {
    table->Claim(32, 1);
    table->Claim(-1, 1);
    EXPECT_FALSE(table->InUse(32));
    EXPECT_FALSE(table->InUse(-1));
}

TEST_F(OwnerTableTest, ASecondProcessCannotClaimOurEntry) {
    ASSERT_TRUE(table->Claim(8, reinterpret_cast<uint64_t>(window)));
    EXPECT_EQ(RunPeer("expect-claim-refused 8"), 0);
    EXPECT_EQ(table->Read(8).window, reinterpret_cast<uint64_t>(window));
}

TEST_F(OwnerTableTest, AnEntryLeftByAnEndedProgramCanBeClaimed) {
    ASSERT_EQ(RunPeer("register-and-exit 9"), 0);
    EXPECT_TRUE(table->Claim(9, reinterpret_cast<uint64_t>(window)));
    EXPECT_EQ(table->Read(9).instance, tavrin::platform::ProgramInstance());
}

// Threads stand in for programs here: each claims with a window of its own,
// all at once, and exactly one gets the camera.
TEST_F(OwnerTableTest, OfManySimultaneousClaimsExactlyOneSucceeds) {
    constexpr int kClaimers = 6;
    std::vector<void*> windows;
    for (int i = 0; i < kClaimers; ++i) {
        windows.push_back(tavrin::platform::CreateMessageWindow());
    }
    for (int trial = 0; trial < 20; ++trial) {
        std::atomic<int> ready{0};
        std::atomic<int> claimed{0};
        std::vector<std::thread> claimers;
        for (void* own : windows) {
            claimers.emplace_back([&, own] {
                ready.fetch_add(1);
                while (ready.load() < kClaimers) {
                }
                claimed.fetch_add(table->Claim(10, reinterpret_cast<uint64_t>(own)) ? 1 : 0);
            });
        }
        for (auto& claimer : claimers) {
            claimer.join();
        }
        EXPECT_EQ(claimed.load(), 1) << "trial " << trial;
        for (void* own : windows) {
            table->Release(10, reinterpret_cast<uint64_t>(own));
        }
        ASSERT_FALSE(table->InUse(10));
    }
    for (void* own : windows) {
        tavrin::platform::DestroyMessageWindow(own);
    }
}

uint8_t* EntryOf(tavrin::platform::SharedMemory& block, int index) {
    return block.data() + OwnerTable::kTableOffset + static_cast<size_t>(index) * OwnerTable::kEntrySize;
}

std::unique_ptr<tavrin::platform::SharedMemory> OwnerBlock() {
    return tavrin::platform::SharedMemory::OpenOrCreate(
        *tavrin::platform::GetEnvironment("TAVRIN_SHARED_MEMORY_NAME"), OwnerTable::kBlockSize, 0);
}

// A claim in progress marks the window word with its claimer. However long
// the claimer is held up between its two steps (a debugger, a stopped
// process: here this program, past the five seconds after which marks once
// expired), the mark holds while the claimer runs; a claimer that died in
// the middle of its claim leaves a mark that reads as free.
TEST_F(OwnerTableTest, APendingMarkHoldsTheEntryWhileItsClaimerRuns) {
    auto block = OwnerBlock();
    ASSERT_TRUE(block);
    const uint64_t ours = OwnerTable::PendingMark(tavrin::platform::CurrentProcess());
    std::memcpy(EntryOf(*block, 11), &ours, sizeof ours);
    tavrin::platform::Sleep(5500);
    EXPECT_TRUE(table->InUse(11));
    EXPECT_EQ(RunPeer("expect-claim-refused 11"), 0);
    EXPECT_EQ(RunPeer("mark-and-exit 11"), 0);
    EXPECT_FALSE(table->InUse(11));
    EXPECT_TRUE(table->Claim(11, reinterpret_cast<uint64_t>(window)));
}

// After a crash another program may be given the owner's process id: the
// entry names its process by id and start time, so it reads as free.
TEST_F(OwnerTableTest, AnEntryWhoseProcessIdWasGivenAgainReadsAsFree) {
    auto block = OwnerBlock();
    ASSERT_TRUE(block);
    ASSERT_TRUE(table->Claim(12, reinterpret_cast<uint64_t>(window)));
    uint8_t* startTime = EntryOf(*block, 12) + OwnerTable::kOwnerStartTimeOffset;
    uint64_t started = 0;
    std::memcpy(&started, startTime, sizeof started);
    ASSERT_EQ(started, tavrin::platform::CurrentProcess().startTime);
    ASSERT_NE(started, 0u) << "this system does not tell when a process started";
    const uint64_t earlier = started - 1;
    std::memcpy(startTime, &earlier, sizeof earlier);
    EXPECT_FALSE(table->InUse(12));
    EXPECT_EQ(table->Read(12).owner, OwnerTable::kOwnerName);
    EXPECT_TRUE(table->Claim(12, reinterpret_cast<uint64_t>(window)));
    EXPECT_TRUE(table->InUse(12));
}

#ifndef _WIN32
// Another program of the block's group truncates it while the table is in
// use: nothing may fault; the table then counts as absent (claims succeed,
// nothing is in use), and a block of the wrong size is refused at Open.
TEST_F(OwnerTableTest, ATruncatedBlockIsNoTableAndNeverFaults) {
    const auto value = reinterpret_cast<uint64_t>(window);
    ASSERT_TRUE(table->Claim(5, value));
    std::string name = "/";
    name += tavrin::platform::GetEnvironment("TAVRIN_SHARED_MEMORY_NAME").value_or("");
    const int fd = shm_open(name.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 4096), 0);
    EXPECT_FALSE(table->InUse(5));
    EXPECT_TRUE(table->Claim(6, value));
    table->Release(5, value);
    EXPECT_EQ(table->Read(5).window, 0u);
    EXPECT_FALSE(OwnerTable::Open());
    // Back to full size (zeroed), so that the other cases of this program
    // find a table again.
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(OwnerTable::kBlockSize)), 0);
    close(fd);
    EXPECT_TRUE(table->Claim(5, value));
    EXPECT_TRUE(table->InUse(5));
}
#endif

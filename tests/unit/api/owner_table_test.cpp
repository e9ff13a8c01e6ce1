#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "camera/owner_table.h"
#include "platform/message_windows.h"
#include "platform/module.h"
#include "support/isolation.h"

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
    table->Register(3, value);
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
    table->Register(4, value);
    table->Release(4, value + 16);
    EXPECT_EQ(table->Read(4).window, value);
    EXPECT_TRUE(table->InUse(4));
}

TEST_F(OwnerTableTest, ASecondProcessReadsTheEntry) {
    table->Register(5, reinterpret_cast<uint64_t>(window));
    EXPECT_EQ(RunPeer("expect-in-use 5"), 0);
}

TEST_F(OwnerTableTest, ASecondProcessCannotClearOurEntry) {
    table->Register(6, reinterpret_cast<uint64_t>(window));
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
    table->Register(32, 1);
    table->Register(-1, 1);
    EXPECT_FALSE(table->InUse(32));
    EXPECT_FALSE(table->InUse(-1));
}

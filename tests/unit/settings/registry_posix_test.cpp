// The POSIX store as a file: where it lives, what an independent SQLite
// reader finds in it, and what a writer killed mid-write leaves behind.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "fresh_store.h"
#include "settings/registry_store.h"
#include "store_writer.h"

using tavrin::platform::RegistryKey;
using tavrin::platform::SetEnvironment;
using namespace tavrin::test;
namespace fs = std::filesystem;

namespace {

// Sets variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    void Set(const char* name, const char* value) {
        saved_.emplace_back(name, tavrin::platform::GetEnvironment(name));
        SetEnvironment(name, value);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            SetEnvironment(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class Database {
public:
    explicit Database(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db_);
            db_ = nullptr;
        }
    }
    ~Database() { sqlite3_close(db_); }
    sqlite3* get() const { return db_; }

    // The first column of every row of a query, as text.
    std::vector<std::string> Column(const char* sql) const {
        std::vector<std::string> rows;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK)
            return rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* text = sqlite3_column_text(statement, 0);
            rows.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        sqlite3_finalize(statement);
        return rows;
    }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace

TEST(RegistryFile, LivesAtTheConfiguredPlaceAndCreatesItsDirectories) {
    FreshStore store;
    const fs::path root = fs::path(store.path()).parent_path();
    ScopedEnvironment environment;

    environment.Set("TAVRIN_REGISTRY", (root / "a" / "b" / "store.db").c_str());
    ASSERT_TRUE(RegistryKey::Create(nullptr, "Software\\Where"));
    EXPECT_TRUE(fs::exists(root / "a" / "b" / "store.db"));

    environment.Set("TAVRIN_REGISTRY", nullptr);
    environment.Set("XDG_CONFIG_HOME", (root / "xdg").c_str());
    ASSERT_TRUE(RegistryKey::Create(nullptr, "Software\\Where"));
    EXPECT_TRUE(fs::exists(root / "xdg" / "Quenor" / "registry.sqlite3"));

    // Unset, or relative (which does not count), XDG_CONFIG_HOME gives ~/.config.
    environment.Set("HOME", (root / "home").c_str());
    for (const char* xdg : {"relative/xdg", static_cast<const char*>(nullptr)}) {
        environment.Set("XDG_CONFIG_HOME", xdg);
        fs::remove_all(root / "home");
        ASSERT_TRUE(RegistryKey::Create(nullptr, "Software\\Where"));
        EXPECT_TRUE(fs::exists(root / "home" / ".config" / "Quenor" / "registry.sqlite3"));
        EXPECT_FALSE(fs::exists("relative/xdg"));
        // Each store is its own: this one starts empty.
        EXPECT_FALSE(RegistryKey::Exists(nullptr, "Software\\Quenor"));
    }
}

TEST(RegistryFile, AnIndependentReaderSeesKeysAndLittleEndianDwords) {
    FreshStore store;
    tavrin::FilterRecord filter;
    filter.Set(tavrin::kBrightness, -20);
    ASSERT_EQ(tavrin::SaveAnalogSettings(tavrin::AnalogRecord{}, 0), 1);
    ASSERT_EQ(tavrin::SaveFilterSettings(filter, 0), 1);

    Database db(store.path());
    ASSERT_TRUE(db.get());
    const auto keys = db.Column("SELECT path FROM keys ORDER BY path");
    EXPECT_EQ(keys, (std::vector<std::string>{
                        "Software", "Software\\Quenor", std::string(kBaseKey), std::string(kBaseKey) + "\\Camera_00",
                        std::string(kBaseKey) + "\\Camera_00\\Filter", std::string(kBaseKey) + "\\Camera_00\\Gain"}));
    EXPECT_EQ(db.Column("SELECT type || ':' || hex(data) FROM vals WHERE name = 'Brightness'"),
              std::vector<std::string>{"4:ECFFFFFF"});
    EXPECT_EQ(db.Column("SELECT hex(data) FROM vals WHERE name = 'R_Gain'"), std::vector<std::string>{"00000000"});
    EXPECT_EQ(db.Column("SELECT count(*) FROM vals WHERE length(data) <> 4 OR type <> 4"),
              std::vector<std::string>{"0"});
}

// A writer killed in the middle of its writes leaves a sound database in
// which every value is one that was written whole.
TEST(RegistryFile, AWriterKilledMidWriteTearsNothing) {
    FreshStore store;
    const std::string key = std::string(kBaseKey) + "\\Crash";
    ASSERT_TRUE(RegistryKey::Create(nullptr, key));
    const std::string command =
        "timeout -s KILL 0.5 " + std::string(REGISTRY_PEER_COMMAND) + " \"" + key + "\" Crash 0 A";
    const int status = std::system(command.c_str());
    ASSERT_NE(status, 0) << "the writer was meant to be killed";

    Database db(store.path());
    ASSERT_TRUE(db.get());
    EXPECT_EQ(db.Column("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    auto crash = RegistryKey::Open(nullptr, key);
    ASSERT_TRUE(crash);
    int checked = 0;
    for (const std::string& name : crash->ValueNames()) {
        int32_t value = 0;
        ASSERT_TRUE(crash->ReadDword(name, value)) << name;
        if (name == "Shared") {
            EXPECT_EQ(static_cast<uint32_t>(value), kSharedPatternA);
            continue;
        }
        // "Crash<i>" holds the value of some index i + 64k.
        const int slot = std::stoi(name.substr(5));
        bool known = false;
        for (int i = slot; i < slot + 64 * 100000 && !known; i += 64)
            known = WriterValue("Crash", i) == static_cast<uint32_t>(value);
        EXPECT_TRUE(known) << name;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

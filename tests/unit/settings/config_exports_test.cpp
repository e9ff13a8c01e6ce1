// The register configuration file through the exports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TavrinSdk.h"
#include "fresh_store.h"

using namespace tavrin::test;

namespace {

class ConfigExports : public ::testing::Test {
protected:
    void SetUp() override {
        // The library picks its driver once per process: every test here
        // runs on the simulated camera, whichever comes first.
        tavrin::platform::SetEnvironment("TAVRIN_SIM", "0;interval=0;settle=0");
        handle = Tavrin_Initialize(nullptr);
        ASSERT_NE(handle, 0);
        while (Tavrin_GetLastError(handle) != 0) {
        }
        directory = std::filesystem::temp_directory_path() /
                    ("tavrin-config-exports-" + std::to_string(handle) + "-" +
                     std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(directory);
    }
    void TearDown() override {
        Tavrin_Release(handle);
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    std::string WriteFile(const std::string& name, size_t bytes) {
        const std::string path = (directory / name).string();
        std::ofstream(path, std::ios::binary) << std::string(bytes, '\x5A');
        return path;
    }

    FreshStore store;
    int handle = 0;
    std::filesystem::path directory;
};

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

const TavrinWChar* AsWide(const std::u16string& text) { return reinterpret_cast<const TavrinWChar*>(text.c_str()); }

}  // namespace

TEST_F(ConfigExports, NarrowFormReadsOrReturnsZeroWithoutAReport) {
    EXPECT_EQ(Tavrin_LoadConfigFileA(handle, WriteFile("twenty.bin", 20).c_str()), 1);
    EXPECT_EQ(Tavrin_LoadConfigFileA(handle, WriteFile("empty.bin", 0).c_str()), 1);
    EXPECT_EQ(Tavrin_LoadConfigFileA(handle, (directory / "missing.bin").string().c_str()), 0);
    EXPECT_EQ(Tavrin_LoadConfigFileA(handle, nullptr), 0);
    EXPECT_EQ(Tavrin_GetLastError(handle), 0);
    EXPECT_EQ(Tavrin_LoadConfigFileA(handle + 1, WriteFile("other.bin", 8).c_str()), 0);
}

TEST_F(ConfigExports, WideFormConvertsTheNameOrReportsTwelve) {
    const std::u16string name = Wide(WriteFile("wide.bin", 16));
    EXPECT_EQ(Tavrin_LoadConfigFileW(handle, AsWide(name)), 1);
    EXPECT_EQ(Tavrin_LoadConfigFileW(handle, AsWide(Wide((directory / "missing.bin").string()))), 0);
    EXPECT_EQ(Tavrin_GetLastError(handle), 0);

    // A name longer than the 1023 bytes of the ANSI form cannot be converted.
    const std::u16string tooLong(1100, u'a');
    EXPECT_EQ(Tavrin_LoadConfigFileW(handle, AsWide(tooLong)), 0);
    EXPECT_EQ(Tavrin_GetLastError(handle), 12);
    EXPECT_EQ(Tavrin_GetLastError(handle), 0);
}

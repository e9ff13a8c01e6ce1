#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <utility>

#include "TavrinEx.h"

#include "support/export_table.h"

namespace {

#ifdef _WIN32
constexpr const char* kLibrary = "TavrinSdk_860VX_RUX.dll";
#else
constexpr const char* kLibrary = "libTavrinSdk_860VX_RUX.so";
#endif

std::set<std::string> PublishedExports() {
    std::ifstream in(TAVRIN_SOURCE_DIR "/api/exports.txt");
    std::set<std::string> names;
    for (std::string name; in >> name;) {
        names.insert(name);
    }
    return names;
}

bool IsHelper(const std::string& name) {
    return name.rfind("TavrinPosix_", 0) == 0 || name.rfind("TavrinSim_", 0) == 0 || name.rfind("TavrinEx_", 0) == 0;
}

}  // namespace

// Every name the library exports is a published one or a helper; the
// published names not yet exported are listed so the gap stays visible.
TEST(ExportTable, ExportsOnlyPublishedNamesAndHelpers) {
    const auto published = PublishedExports();
    ASSERT_EQ(published.size(), 124u);
    const auto exported = tavrin::test::ReadExportTable(kLibrary);
    ASSERT_TRUE(exported) << "cannot read " << kLibrary;
    for (const auto& name : *exported) {
        EXPECT_TRUE(published.count(name) != 0 || IsHelper(name)) << "unexpected export " << name;
    }
    std::string missing;
    int missingCount = 0;
    for (const auto& name : published) {
        if (exported->count(name) == 0) {
            missing += " " + name;
            ++missingCount;
        }
    }
    std::printf("exports still missing: %d of 124:%s\n", missingCount, missing.c_str());
}

// The library names each code as the public header spells its macro; other
// numbers have no name, and a short buffer gets the name cut.
TEST(ExportTable, ErrorNamesSpellTheHeadersMacros) {
#define TAVRIN_NAMED(code) std::pair<int, std::string>(code, #code)
    const std::pair<int, std::string> codes[] = {
        TAVRIN_NAMED(SDKERR_NOT_READY),      TAVRIN_NAMED(SDKERR_DEVICE), TAVRIN_NAMED(SDKERR_THREAD),
        TAVRIN_NAMED(SDKERR_WINDOW),         TAVRIN_NAMED(SDKERR_BUFFER), TAVRIN_NAMED(SDKERR_DEVICE_IO),
        TAVRIN_NAMED(SDKERR_CAPTURE_WINDOW), TAVRIN_NAMED(SDKERR_FRAME),  TAVRIN_NAMED(SDKERR_PARAMETER),
        TAVRIN_NAMED(SDKERR_UNSUPPORTED),    TAVRIN_NAMED(SDKERR_FILE),   TAVRIN_NAMED(SDKERR_TRANSFER)};
#undef TAVRIN_NAMED
    char name[32];
    for (const auto& [code, spelled] : codes) {
        EXPECT_EQ(TavrinEx_GetErrorName(code, name, sizeof name), 1) << code;
        EXPECT_EQ(name, spelled);
    }
    for (int other : {0, 10, 14, -1, 0x7fffffff}) {
        std::memset(name, 'x', sizeof name);
        EXPECT_EQ(TavrinEx_GetErrorName(other, name, sizeof name), 0) << other;
        EXPECT_STREQ(name, "");
    }
    EXPECT_EQ(TavrinEx_GetErrorName(SDKERR_FRAME, name, 7), 1);
    EXPECT_STREQ(name, "SDKERR");
    EXPECT_EQ(TavrinEx_GetErrorName(SDKERR_FRAME, nullptr, 0), 1);
}

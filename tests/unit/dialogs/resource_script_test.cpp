// The resource script compiled into the DLL is the one the tables give.
// TAVRIN_WRITE_RC=1 rewrites it after a change of the tables.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "dialogs/resource_script.h"
#include "platform/environment.h"

TEST(ResourceScript, MatchesTheTemplateTables) {
    const std::string path = std::string(TAVRIN_SOURCE_DIR) + "/dialogs/win32/dialogs.rc";
    const std::string expected = tavrin::dialogs::ResourceScript();
    if (tavrin::platform::GetEnvironment("TAVRIN_WRITE_RC"))
        std::ofstream(path, std::ios::binary) << expected;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream stored;
    stored << file.rdbuf();
    EXPECT_EQ(stored.str(), expected) << path << " is out of date: run dialogs_tests with TAVRIN_WRITE_RC=1";
}

// Tests that need a program of the host (an independent reader such as
// ffprobe or Pillow, a virtual X server) skip without it on a developer's
// machine. CI installs every such program (scripts/install-deps.sh) and sets
// TAVRIN_CI=1: there a missing program fails the test instead, so a check that
// could not run never counts as passed. The host's programs are Linux
// programs: a Windows build (under Wine) only ever skips.
//
//   if (!std::filesystem::exists(kFfprobe)) {
//       TAVRIN_SKIP_WITHOUT_TOOL() << kFfprobe << " is not installed";
//   }
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace tavrin::test {

inline bool MissingToolFails() {
#ifdef _WIN32
    return false;
#else
    const char* ci = std::getenv("TAVRIN_CI");
    return ci != nullptr && std::string_view(ci) != "" && std::string_view(ci) != "0";
#endif
}

}  // namespace tavrin::test

// Used as GTEST_SKIP(), with the reason streamed after it: a skip, or under
// TAVRIN_CI a fatal failure (GoogleTest's own way of building both).
#define TAVRIN_SKIP_WITHOUT_TOOL()                                                                     \
    return GTEST_MESSAGE_(                                                                             \
        ::tavrin::test::MissingToolFails() ? "CI (TAVRIN_CI) has every tool a test needs" : "Skipped", \
        ::tavrin::test::MissingToolFails() ? ::testing::TestPartResult::kFatalFailure                  \
                                           : ::testing::TestPartResult::kSkip)

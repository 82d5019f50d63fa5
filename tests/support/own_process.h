#pragma once
// For a case that must be the first in its process to touch some process-wide state: the MIDI layer,
// say, lists JACK's ports through one client for the whole process, on the server it first met for as
// long as that server runs, so a case on a server of its own lists nothing after cases on the fixture's.
// Run alone (as ctest runs every case), such a case runs where it is; among others, it runs again in a
// child of the same program that runs it alone, and takes the child's result for its own.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace pulvan::test {

// At the start of such a case: true when it ran in a child, and the case's body is to return at once.
inline bool ranInAProcessOfItsOwn(std::chrono::milliseconds limit = std::chrono::minutes(5)) {
    constexpr const char* kChild = "PULVAN_TEST_IN_OWN_PROCESS";
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    if (std::getenv(kChild) || unit.test_to_run_count() == 1) return false;
    const ::testing::TestInfo& info = *unit.current_test_info();
    // Not in shards: the child's one case would fall in the first, and the child of any other would run nothing.
    ChildProcess child({"env", "-u", "GTEST_TOTAL_SHARDS", "-u", "GTEST_SHARD_INDEX", std::string(kChild) + "=1",
                        std::filesystem::read_symlink("/proc/self/exe").string(),
                        std::string("--gtest_filter=") + info.test_suite_name() + "." + info.name()});
    EXPECT_EQ(child.exitStatusWithin(limit), 0) << "it failed in a process of its own (its output is above)";
    return true;
}

}  // namespace pulvan::test

// Run whole by own_process_test: several cases, one of which runs in a process of its own and fails there
// when PULVAN_OWN_PROCESS_CHECK_FAILS is set, is killed there by SIGKILL with PULVAN_OWN_PROCESS_CHECK_KILLED,
// and fails wherever it runs among other cases with PULVAN_OWN_PROCESS_CHECK_ALONE.
#include <gtest/gtest.h>

#include "tests/support/own_process.h"

#include <csignal>
#include <cstdlib>

namespace {

// As a program that its launcher started with SIGCHLD ignored.
TEST(Before, IgnoresSIGCHLDWhenAsked) {
    if (std::getenv("PULVAN_OWN_PROCESS_CHECK_IGNORES_SIGCHLD")) std::signal(SIGCHLD, SIG_IGN);
}

TEST(InAProcessOfItsOwn, FailsWhenAsked) {
    if (pulvan::test::ranInAProcessOfItsOwn(std::chrono::seconds(30))) return;
    if (std::getenv("PULVAN_OWN_PROCESS_CHECK_ALONE"))
        EXPECT_EQ(::testing::UnitTest::GetInstance()->test_to_run_count(), 1) << "its body ran among other cases";
    if (std::getenv("PULVAN_OWN_PROCESS_CHECK_KILLED")) std::raise(SIGKILL);
    EXPECT_EQ(std::getenv("PULVAN_OWN_PROCESS_CHECK_FAILS"), nullptr) << "failing as asked";
}

// Two more, so that the case above has company in the second of two shards.
TEST(After, Passes) {}
TEST(After, PassesToo) {}

}  // namespace

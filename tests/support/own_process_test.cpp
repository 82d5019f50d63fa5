// A case that runs in a process of its own fails a run of its whole program when it fails there.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"

#include <chrono>
#include <string>
#include <vector>

namespace pulvan::test {
namespace {

struct WholeRunCase {
    const char* name;
    std::vector<std::string> environment;
    bool fails;
    friend void PrintTo(const WholeRunCase& c, std::ostream* os) { *os << c.name; }
};

class WholeRun : public ::testing::TestWithParam<WholeRunCase> {};

TEST_P(WholeRun, FailsWhereTheCaseFailsInItsOwnProcess) {
    std::vector<std::string> arguments{"env"};
    arguments.insert(arguments.end(), GetParam().environment.begin(), GetParam().environment.end());
    arguments.push_back(PULVAN_OWN_PROCESS_CHECK);
    ChildProcess run(arguments, ChildProcess::Output::discarded);
    const int status = run.exitStatusWithin(std::chrono::seconds(60));
    ASSERT_NE(status, -1) << "the program did not end by itself";
    EXPECT_EQ(status != 0, GetParam().fails) << "exit status " << status;
}

const std::string fails = "PULVAN_OWN_PROCESS_CHECK_FAILS=1", ignoresSIGCHLD = "PULVAN_OWN_PROCESS_CHECK_IGNORES_SIGCHLD=1",
                  killed = "PULVAN_OWN_PROCESS_CHECK_KILLED=1", alone = "PULVAN_OWN_PROCESS_CHECK_ALONE=1";
INSTANTIATE_TEST_SUITE_P(
    Cases, WholeRun,
    ::testing::Values(WholeRunCase{"Passing", {}, false}, WholeRunCase{"Failing", {fails}, true},
                      WholeRunCase{"FailingInTheSecondShard", {fails, "GTEST_TOTAL_SHARDS=2", "GTEST_SHARD_INDEX=1"}, true},
                      WholeRunCase{"FailingWithSIGCHLDIgnored", {fails, ignoresSIGCHLD}, true},
                      WholeRunCase{"PassingWithSIGCHLDIgnored", {ignoresSIGCHLD}, false}, WholeRunCase{"KilledByASignal", {killed}, true},
                      WholeRunCase{"KilledByASignalWithSIGCHLDIgnored", {killed, ignoresSIGCHLD}, true},
                      WholeRunCase{"PassingWithItsBodyRunOnlyInItsOwnProcess", {alone}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::test

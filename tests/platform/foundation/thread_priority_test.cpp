#include "platform/foundation/thread_priority.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace pulvan::foundation {
namespace {

struct Limits {
    const char* name;
    bool privileged;          // keeps the privilege to schedule at will, else an ordinary user's
    rlim_t realTimePriority;  // RLIMIT_RTPRIO
    rlim_t nice;              // RLIMIT_NICE: nice values down to 20 - this
    ThreadPriority expected;
    int expectedPolicy;
    int expectedNice;
};

void PrintTo(const Limits& l, std::ostream* os) { *os << l.name; }

struct Outcome {
    int priority = -1;
    int policy = -1;
    int nice = 99;
};

enum class Child { ran, limitsRefused, failed };

// Runs the raise in a child that holds exactly these limits and, unless privileged, no privilege beyond them.
Child raiseUnder(const Limits& limits, Outcome& outcome) {
    int channel[2];
    if (pipe(channel) != 0) return Child::failed;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        Outcome seen;
        if (!limits.privileged) {
            const rlimit realTime{limits.realTimePriority, limits.realTimePriority};
            const rlimit nice{limits.nice, limits.nice};
            if (setrlimit(RLIMIT_RTPRIO, &realTime) != 0 || setrlimit(RLIMIT_NICE, &nice) != 0) _exit(2);
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
        }
        seen.priority = static_cast<int>(raiseToUserInteractivePriority());
        seen.policy = sched_getscheduler(0);
        seen.nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        _exit(write(channel[1], &seen, sizeof seen) == sizeof seen ? 0 : 1);
    }
    close(channel[1]);
    const bool read = ::read(channel[0], &outcome, sizeof outcome) == sizeof outcome;
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) return Child::limitsRefused;
    return read && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Child::ran : Child::failed;
}

class ThreadPriorityTest : public ::testing::TestWithParam<Limits> {};

TEST_P(ThreadPriorityTest, TakesTheHighestPriorityTheSystemPermits) {
    const Limits& limits = GetParam();
    if (limits.privileged && geteuid() != 0) GTEST_SKIP() << "only a privileged user can be given real-time scheduling at will";
    Outcome outcome;
    const Child child = raiseUnder(limits, outcome);
    if (child == Child::limitsRefused) GTEST_SKIP() << "this machine does not let these limits be raised";
    ASSERT_EQ(child, Child::ran);
    if (limits.expected == ThreadPriority::realTime && outcome.policy != SCHED_FIFO && std::system("chrt -f 5 true 2>/dev/null") != 0) {
        GTEST_SKIP() << "this machine refuses real-time scheduling to anybody";  // a container without a real-time budget
    }
    EXPECT_EQ(outcome.priority, static_cast<int>(limits.expected));
    EXPECT_EQ(outcome.policy, limits.expectedPolicy);
    EXPECT_EQ(outcome.nice, limits.expectedNice);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ThreadPriorityTest,
    ::testing::Values(Limits{"RealTimeForAPrivilegedUser", true, 0, 0, ThreadPriority::realTime, SCHED_FIFO, 0},
                      Limits{"RealTimeWhereTheLimitAllowsIt", false, 10, 0, ThreadPriority::realTime, SCHED_FIFO, 0},
                      Limits{"NiceWhereOnlyThatIsAllowed", false, 0, 30, ThreadPriority::niceLowered, SCHED_OTHER, -10},
                      Limits{"AsMuchNiceAsAllowed", false, 0, 25, ThreadPriority::niceLowered, SCHED_OTHER, -5},
                      Limits{"NothingAndQuietlyWhereNothingIsAllowed", false, 0, 0, ThreadPriority::unchanged, SCHED_OTHER, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::foundation

#include "platform/foundation/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace pulvan::foundation {
namespace {

// Beneath JACK's and PipeWire's threads (10 and up), above every ordinary thread.
constexpr int kRealTimePriority = 5;
constexpr int kNiceValue = -10;

bool becomeRealTime() {
    sched_param parameters{};
    parameters.sched_priority = std::max(kRealTimePriority, sched_get_priority_min(SCHED_FIFO));
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters) == 0;
}

// The nice value RLIMIT_NICE lets this thread reach (20 - limit), but no lower than wanted.
bool lowerNice() {
    const auto thread = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, thread);
    if (errno != 0) return false;
    rlimit limit{};
    int floor = kNiceValue;
    if (getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        floor = 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
    // A process allowed nothing lower may still hold CAP_SYS_NICE, which a try tells.
    for (int nice : {kNiceValue, std::max(kNiceValue, floor)}) {
        if (nice < current && setpriority(PRIO_PROCESS, thread, nice) == 0) return true;
    }
    return false;
}

}  // namespace

ThreadPriority raiseToUserInteractivePriority() {
    if (becomeRealTime()) return ThreadPriority::realTime;
    if (lowerNice()) return ThreadPriority::niceLowered;
    return ThreadPriority::unchanged;
}

}  // namespace pulvan::foundation

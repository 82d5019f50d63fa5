// Preloaded (LD_PRELOAD) into a program under test, as on a machine too busy to run new threads at
// once: every thread whose start routine lies in libjack starts 1.5 s late, which jack2's libjack
// does not survive. Each such thread asked for is written down as a line in the file that
// PULVAN_JACK_THREAD_LOG names; while the file that PULVAN_JACK_THREADS_ON_TIME names exists,
// they start on time.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

struct Start {
    void* (*routine)(void*);
    void* argument;
};

void* startLate(void* start) {
    const Start held = *static_cast<Start*>(start);
    delete static_cast<Start*>(start);
    timespec rest{1, 500'000'000};
    while (::nanosleep(&rest, &rest) != 0) {
    }
    return held.routine(held.argument);
}

bool inLibjack(void* (*routine)(void*)) {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(routine), &info) == 0 || !info.dli_fname) return false;
    const char* slash = std::strrchr(info.dli_fname, '/');
    return std::strncmp(slash ? slash + 1 : info.dli_fname, "libjack.so", 10) == 0;
}

void writeDown() {
    const char* path = std::getenv("PULVAN_JACK_THREAD_LOG");
    if (!path) return;
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    constexpr char kLine[] = "libjack thread\n";
    [[maybe_unused]] const ssize_t written = ::write(fd, kLine, sizeof kLine - 1);
    ::close(fd);
}

bool onTime() {
    const char* path = std::getenv("PULVAN_JACK_THREADS_ON_TIME");
    return path && ::access(path, F_OK) == 0;
}

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*), void* argument) {
    static const auto create = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    if (!inLibjack(routine)) return create(thread, attributes, routine, argument);
    writeDown();
    if (onTime()) return create(thread, attributes, routine, argument);
    auto* start = new Start{routine, argument};
    const int result = create(thread, attributes, startLate, start);
    if (result != 0) delete start;
    return result;
}

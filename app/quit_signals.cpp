#include "app/quit_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace pulvan::app {
namespace {

sigset_t quitSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
    return set;
}

}  // namespace

QuitSignals::QuitSignals(x11::EventLoop& loop, std::function<void()> onQuit) : loop_(loop), onQuit_(std::move(onQuit)) {
    const sigset_t set = quitSignals();
    // Blocked in every thread started from now on; the loop reads them instead.
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ >= 0) loop_.add(*this);
}

QuitSignals::~QuitSignals() {
    if (fd_ < 0) return;
    loop_.remove(*this);
    close(fd_);
}

void QuitSignals::dispatch() {
    signalfd_siginfo info;
    bool received = false;
    while (read(fd_, &info, sizeof info) == sizeof info) received = true;
    if (received && onQuit_) onQuit_();
}

}  // namespace pulvan::app

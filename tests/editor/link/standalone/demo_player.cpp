// The standalone engine host playing the demo on and on in a process of its own, as the
// application plays, for tests that pause that process. It quits on SIGTERM, stopping the
// host first as the application does.
#include "editor/link/standalone/standalone_midi_sender.h"
#include "tests/editor/link/standalone/host_rig.h"

#include <csignal>
#include <pthread.h>

int main() {
    sigset_t quit;
    sigemptyset(&quit);
    sigaddset(&quit, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &quit, nullptr);  // before any thread starts, so that every thread leaves it to sigwait
    pulvan::link::StandaloneMIDISender sender;
    auto host = pulvan::link::test::makeDemoHost(sender);
    if (!host) return 1;
    host->start();
    int signal = 0;
    sigwait(&quit, &signal);
    host.reset();
    return 0;
}

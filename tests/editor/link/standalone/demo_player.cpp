// The standalone engine host playing the demo on and on in a process of its own, as the
// application plays, for tests that pause that process. It quits on SIGTERM as the
// application does: the host stops first, and closing is bounded.
#include "editor/link/standalone/standalone_midi_sender.h"
#include "platform/foundation/bounded_quit.h"
#include "tests/editor/link/standalone/host_rig.h"

#include <pthread.h>

#include <csignal>
#include <optional>

int main() {
    using namespace std::chrono_literals;
    sigset_t quit;
    sigemptyset(&quit);
    sigaddset(&quit, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &quit, nullptr);  // before any thread starts, so that every thread leaves it to sigwait
    std::optional<pulvan::link::StandaloneMIDISender> sender(std::in_place);
    auto host = pulvan::link::test::makeDemoHost(*sender);
    if (!host) return 1;
    host->start();
    int signal = 0;
    sigwait(&quit, &signal);
    pulvan::foundation::closeWithin(2s, [&] {
        host.reset();
        sender.reset();
    });
    return 0;
}

#include "platform/midi/shutdown.h"

#include "platform/midi/backend.h"
#include "platform/midi/client.h"
#include "platform/midi/dispatcher.h"
#include "platform/midi/virtual_source.h"

namespace pulvan::midi {

void shutDown() {
    // The thread first, so that it chooses no MIDI system again while the clients close.
    Dispatcher::stopShared();
    closeEveryPort();
    SharedVirtualSource::closeUnderEveryHolder();
    forgetMachineBackend();
}

}  // namespace pulvan::midi

#pragma once

namespace pulvan::midi {

// Ends everything the MIDI layer runs for the process (the module is being left): stops the layer's
// thread and closes every client of ours on the MIDI system, also those of objects nobody let go
// of, which stay closed. What is made afterwards starts the layer again.
void shutDown();

}  // namespace pulvan::midi

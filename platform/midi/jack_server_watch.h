#pragma once

namespace pulvan::midi {

// Whether a JACK server may take a client now, learnt without opening one where that costs.
// jack2's libjack starts a thread at every jack_client_open and gives the thread a second to run;
// on a busy machine it gives up, frees what the late thread then reads, and the whole process dies.
// So with jack2's libjack no client is opened unless the server's socket is there and takes a
// connection: its folder is watched (inotify) and the socket tried only while it is there, both
// without libjack. Other libjacks (PipeWire's) have no such thread and answer for themselves.
bool jackServerMayAnswer();

}  // namespace pulvan::midi

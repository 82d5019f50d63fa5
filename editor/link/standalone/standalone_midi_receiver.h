#pragma once
#include "editor/link/standalone/running_status_parser.h"
#include "platform/foundation/main_queue.h"
#include "platform/midi/client.h"
#include "platform/midi/midi_types.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace pulvan::link {

// Listens to every MIDI source except the plug-in's own virtual source and hands
// incoming note-ons and note-offs to the main queue. Any change of the MIDI setup
// connects the sources anew. Create and destroy it on the main thread.
class StandaloneMIDIReceiver {
public:
    static constexpr const char* kClientName = "PulvanStandaloneMIDIInClient";
    static constexpr const char* kPortName = "PulvanStandaloneMIDIInPort";

    using NoteHandler = std::function<void(int note, bool isOn)>;

    // `noteHandler` runs on `mainQueue`'s thread, never after the receiver is gone.
    StandaloneMIDIReceiver(foundation::MainQueue& mainQueue, NoteHandler noteHandler);
    ~StandaloneMIDIReceiver();
    StandaloneMIDIReceiver(const StandaloneMIDIReceiver&) = delete;
    StandaloneMIDIReceiver& operator=(const StandaloneMIDIReceiver&) = delete;

    // Main thread or the MIDI layer's thread (setup changes).
    void connectSources();
    void disconnectAll();
    std::vector<midi::Endpoint> connectedSources() const;

private:
    void disconnectAllLocked();

    foundation::MainQueue& mainQueue_;
    // Work already posted to the main queue finds it gone once the receiver is.
    std::shared_ptr<NoteHandler> noteHandler_;
    // Touched only by the MIDI layer's thread, which reads one message at a time.
    RunningStatusParser parser_;
    mutable std::mutex connectionMutex_;
    std::vector<midi::Endpoint> connectedSources_;
    std::unique_ptr<midi::InputPort> inputPort_;
    std::unique_ptr<midi::Client> client_;
};

}  // namespace pulvan::link

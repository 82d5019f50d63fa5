#pragma once
#include "editor/link/standalone/running_status_parser.h"
#include "platform/foundation/main_queue.h"
#include "platform/midi/client.h"
#include "platform/midi/midi_types.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace pulvan::link {

// Listens, through one input port, to every MIDI source but the plug-in's own virtual
// source and hands incoming note-ons, note-offs and control changes to the main queue.
// Inside a plug-in host it hears other programs only: the host's own ports (its tracks'
// outputs) are not connected. Any change of the MIDI setup connects the sources anew.
// Create and destroy it on the main thread.
class StandaloneMIDIReceiver {
public:
    static constexpr const char* kClientName = "PulvanStandaloneMIDIInClient";
    static constexpr const char* kPortName = "PulvanStandaloneMIDIInPort";

    using NoteHandler = std::function<void(int note, bool isOn)>;
    using ControlChangeHandler = std::function<void(int controller, int value)>;

    // The handlers run on `mainQueue`'s thread, never after the receiver is gone. Control
    // changes are passed on only outside a plug-in host, where no host drains them.
    StandaloneMIDIReceiver(foundation::MainQueue& mainQueue, NoteHandler noteHandler, ControlChangeHandler controlChangeHandler = {});
    ~StandaloneMIDIReceiver();
    StandaloneMIDIReceiver(const StandaloneMIDIReceiver&) = delete;
    StandaloneMIDIReceiver& operator=(const StandaloneMIDIReceiver&) = delete;

    // Inside a plug-in host or not; connects the sources anew when it changes. Main thread.
    void setInPluginHost(bool inPluginHost);

    // Main thread or the MIDI layer's thread (setup changes).
    void connectSources();
    void disconnectAll();
    std::vector<midi::Endpoint> connectedSources() const;

private:
    void disconnectAllLocked();

    foundation::MainQueue& mainQueue_;
    struct Handlers {
        NoteHandler note;
        ControlChangeHandler controlChange;
    };
    // Work already posted to the main queue finds them gone once the receiver is.
    std::shared_ptr<Handlers> handlers_;
    std::atomic<bool> inPluginHost_{false};
    // Touched only by the MIDI layer's thread, which reads one message at a time.
    RunningStatusParser parser_;
    mutable std::mutex connectionMutex_;
    std::vector<midi::Endpoint> connectedSources_;
    std::unique_ptr<midi::InputPort> inputPort_;
    std::unique_ptr<midi::Client> client_;
};

}  // namespace pulvan::link

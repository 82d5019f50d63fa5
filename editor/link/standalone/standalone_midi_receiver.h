#pragma once
#include "editor/link/standalone/incoming_midi_backlog.h"
#include "editor/link/standalone/running_status_parser.h"
#include "platform/foundation/main_queue.h"
#include "platform/midi/client.h"
#include "platform/midi/midi_types.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace pulvan::link {

// Listens, through one input port, to every MIDI source but Pulvan's own (the plug-in's
// virtual source, any application's sending port) and hands incoming note-ons, note-offs
// and control changes to the main queue. However fast they come, the main thread takes
// them in bounded runs (see IncomingMIDIBacklog for what is kept when they come faster
// than it takes them, or faster than the MIDI system passes them on).
// Inside a plug-in host it hears other programs only: the host's own ports (its tracks'
// outputs) are not connected. Any change of the MIDI setup connects the sources anew.
// Create and destroy it on the main thread.
class StandaloneMIDIReceiver {
public:
    static constexpr const char* kClientName = "PulvanStandaloneMIDIInClient";
    static constexpr const char* kPortName = "PulvanStandaloneMIDIInPort";

    using NoteHandler = std::function<void(int note, bool isOn)>;
    using ControlChangeHandler = std::function<void(int controller, int value)>;
    using HeldNotesHandler = std::function<void(const IncomingMIDIBacklog::HeldKeys& held)>;
    using NotesTakenHandler = std::function<void()>;

    // However the messages are spread, the main queue's runs come no closer than this: input at
    // a thousand messages a second costs a bounded number of runs and refreshes of the pool.
    static constexpr std::int64_t kRunSpacingNanoseconds = 10'000'000;

    // The handlers run on `mainQueue`'s thread, in the order the messages came, never after
    // the receiver is gone. Control changes are passed on only outside a plug-in host, where
    // no host drains them. When notes come faster than the main thread takes them, the keys
    // held at the input come instead, as a whole, to `heldNotesHandler`. The main queue takes
    // them in runs at least kRunSpacingNanoseconds apart; `notesTakenHandler` follows each run
    // that handed on notes, so that what depends on the keys held is worked out once a run.
    StandaloneMIDIReceiver(foundation::MainQueue& mainQueue, NoteHandler noteHandler, ControlChangeHandler controlChangeHandler = {},
                           HeldNotesHandler heldNotesHandler = {}, NotesTakenHandler notesTakenHandler = {});
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
    struct Inbox {
        foundation::MainQueue& mainQueue;
        NoteHandler note;
        ControlChangeHandler controlChange;
        HeldNotesHandler heldNotes;
        NotesTakenHandler notesTaken;
        IncomingMIDIBacklog backlog;
        // Main thread.
        foundation::Timer nextRun;
        std::int64_t nextRunAllowedAt = INT64_MIN;
        // Whether the item was a note.
        bool handOn(const IncomingMIDIBacklog::Item& item) const;
    };
    struct RunOutcome {
        bool notesHandedOn = false;
        bool more = false;  // the run's limits ended it, not an empty backlog
    };
    void disconnectAllLocked();
    void receive(IncomingMIDIBacklog::Message message);
    // The keys held on each channel, where the MIDI system lost messages on their way in.
    void receiveHeldNotes(const midi::NoteSet& held);
    void drainWhenIdleBefore(bool wasIdle);
    // One bounded run on the main queue, or its postponement to the earliest time one may come;
    // the next is scheduled when messages remain.
    static void drain(const std::weak_ptr<Inbox>& weakInbox);
    static RunOutcome handOnWhatWaits(const std::weak_ptr<Inbox>& weakInbox, const foundation::Clock& clock);

    // A drain already posted to the main queue finds it gone once the receiver is.
    std::shared_ptr<Inbox> inbox_;
    std::atomic<bool> inPluginHost_{false};
    // Touched only by the MIDI layer's thread, which reads one message at a time.
    RunningStatusParser parser_;
    mutable std::mutex connectionMutex_;
    std::vector<midi::Endpoint> connectedSources_;
    std::unique_ptr<midi::InputPort> inputPort_;
    std::unique_ptr<midi::Client> client_;
};

}  // namespace pulvan::link

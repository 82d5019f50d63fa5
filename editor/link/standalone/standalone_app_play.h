#pragma once
#include "editor/link/standalone/standalone_engine_host.h"
#include "editor/link/standalone/standalone_midi_receiver.h"
#include "editor/link/standalone/standalone_midi_sender.h"
#include "editor/link/store_link.h"
#include "platform/audiounit/component_registry.h"
#include "platform/foundation/clock.h"

#include <memory>
#include <vector>

namespace pulvan::link {

// Starting and stopping app play from the store, in a host through the store's hook
// closures and in the standalone application through the standalone engine host, with
// the 33 ms playhead timer that shows what the standalone engine plays. It also owns the
// MIDI receiver, which feeds incoming notes to the store in every setting.
//
// One per store, on the store's thread, made after the store's link and gone before it.
// While standalone play runs it is the link's standalone engine, so that edits and
// launches reach the audio unit.
class StandaloneAppPlay final : private StandaloneEngine {
public:
    // `midiSender` is the sender the store's services send through; it outlives this object,
    // as does `clock`, which the engine host renders by.
    StandaloneAppPlay(StoreLink& link, StandaloneMIDISender& midiSender,
                      const au::ComponentRegistry& registry = au::ComponentRegistry::shared(),
                      const foundation::Clock& clock = foundation::systemClock());
    ~StandaloneAppPlay();
    StandaloneAppPlay(const StandaloneAppPlay&) = delete;
    StandaloneAppPlay& operator=(const StandaloneAppPlay&) = delete;

    void startAppPlay();
    // Ends play, applies pending launches at once and clears the playback display. Also
    // runs when the store switches between hosted and standalone mode while playing.
    void stopAppPlay();

    void startStandalonePlayheadTimer();
    void stopStandalonePlayheadTimer();
    // One tick of the 33 ms timer.
    void pollStandaloneEngineState();

    // Created by the first standalone start and kept; null before.
    StandaloneEngineHost* standaloneEngineHost() { return standaloneEngineHost_.get(); }

private:
    // The link's view of the running engine host.
    void requestNotesOffForTracks(const std::vector<int>& tracks) override;
    void requestAllNotesOff() override;
    void configure(const store::HostedAppPlayPayload& payload, const std::vector<int>& midiOutOffsetsMs) override;
    void scheduleSceneLaunch(const store::HostedAppPlayPayload& payload, double targetBeat) override;
    void schedulePatternLaunch(const store::HostedAppPlayPayload& payload, double targetBeat, int track) override;
    void cancelPatternLaunch() override;
    double beatPosition() override;

    bool standaloneEngineRuns() const { return standaloneEngineHost_ && standaloneEngineHost_->isRunning(); }

    StoreLink& link_;
    store::SequencerStore& store_;
    StandaloneMIDISender& standaloneMIDISender_;
    const au::ComponentRegistry& registry_;
    const foundation::Clock& clock_;
    StandaloneMIDIReceiver standaloneMIDIReceiver_;
    std::unique_ptr<StandaloneEngineHost> standaloneEngineHost_;
    foundation::Connection modeChange_;
};

}  // namespace pulvan::link

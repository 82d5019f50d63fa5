#pragma once
// What the notes-pool modal sounds of the MIDI input while the pool follows it: each incoming note on
// the active track's channel, one note-on per sounding note, latched notes kept until a new chord starts.
#include "editor/store/sequencer_store.h"

#include <map>
#include <optional>
#include <set>

namespace pulvan::views {

class MidiInAudition {
public:
    explicit MidiInAudition(store::SequencerStore& store) : store_(store) {}

    // One incoming note-on or note-off, after the store counted it.
    void noteEvent(int note, bool isOn);
    // The latch was switched; turning it off releases the sounding notes whose keys are up.
    void latchChanged(bool enabled);
    // Releases everything that sounds and forgets what is held.
    void stop();

    std::optional<int> channel() const { return channel_; }

private:
    int auditionChannel() const;
    // Note-offs in ascending order on the audition channel.
    void release(const std::set<int>& notes);
    void forgetChannelWhenIdle();

    store::SequencerStore& store_;
    std::map<int, int> noteCounts_;
    std::set<int> activeNotes_;
    std::optional<int> channel_;
};

// The active track's MIDI output channel; 1 without tracks.
int activeTrackChannel(const store::SequencerStore& store);

}  // namespace pulvan::views

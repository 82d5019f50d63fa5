#include "editor/views/notespool/midi_in_audition.h"

#include "editor/views/shell/active_track.h"

namespace pulvan::views {

int activeTrackChannel(const store::SequencerStore& store) {
    const model::Track* track = activeTrack(store);
    return track ? track->midiOutputChannel : 1;
}

int MidiInAudition::auditionChannel() const { return channel_.value_or(activeTrackChannel(store_)); }

void MidiInAudition::release(const std::set<int>& notes) {
    const int channel = auditionChannel();
    for (int note : notes) store_.sendNoteOff(note, channel);
}

void MidiInAudition::forgetChannelWhenIdle() {
    if (noteCounts_.empty() && activeNotes_.empty()) channel_.reset();
}

void MidiInAudition::noteEvent(int note, bool isOn) {
    // The first note of a gesture fixes the channel until everything is released.
    const int channel = auditionChannel();
    channel_ = channel;
    if (isOn) {
        const bool firstKey = noteCounts_.empty();
        ++noteCounts_[note];
        if (store_.notesPoolMIDILatchEnabled.get() && firstKey) {
            release(activeNotes_);
            activeNotes_.clear();
        }
        if (activeNotes_.insert(note).second) store_.sendNoteOn(note, 100, channel);
        return;
    }
    const auto count = noteCounts_.find(note);
    if (count == noteCounts_.end() || count->second < 1) return;
    if (--count->second == 0) {
        noteCounts_.erase(count);
        if (!store_.notesPoolMIDILatchEnabled.get() && activeNotes_.erase(note) > 0) store_.sendNoteOff(note, channel);
    }
    forgetChannelWhenIdle();
}

void MidiInAudition::latchChanged(bool enabled) {
    if (enabled) return;
    std::set<int> keysUp;
    for (int note : activeNotes_)
        if (!noteCounts_.contains(note)) keysUp.insert(note);
    release(keysUp);
    for (int note : keysUp) activeNotes_.erase(note);
    forgetChannelWhenIdle();
}

void MidiInAudition::stop() {
    release(activeNotes_);
    activeNotes_.clear();
    noteCounts_.clear();
    channel_.reset();
}

}  // namespace pulvan::views

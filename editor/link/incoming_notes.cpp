#include "editor/link/store_link.h"

#include <vector>

namespace pulvan::link {

void StoreLink::handleIncomingMIDINote(int note, bool isOn) {
    if (note < 0 || note > 127) return;
    if (std::this_thread::get_id() != storeThread_) {
        store_.services().mainQueue.async([weak = std::weak_ptr<StoreLink*>(self_), note, isOn] {
            if (const auto self = weak.lock()) (*self)->handleIncomingMIDINote(note, isOn);
        });
        return;
    }
    takeIncomingMIDINote(note, isOn);
    store_.syncNotesPoolFromIncomingMIDI();
}

void StoreLink::takeIncomingMIDINote(int note, bool isOn) {
    if (note < 0 || note > 127) return;
    countIncomingMIDINote(note, isOn);
    if (store_.hooks.incomingMIDINoteEventHandler) store_.hooks.incomingMIDINoteEventHandler(note, isOn);
}

void StoreLink::matchIncomingMIDIHeldNotes(const std::array<std::uint8_t, 128>& channelsHolding) {
    // The view hears one event for every count gained or lost, so that what counts the events as the
    // store counts the keys (the audition) ends where the store does, with no key sounding that none holds.
    std::vector<std::pair<int, bool>> releases, presses;
    auto& counts = store_.incomingMIDINoteCountByNote;
    for (auto it = counts.begin(); it != counts.end();) {
        const int holding = channelsHolding[static_cast<std::size_t>(it->first)];
        for (int count = it->second; count > holding; --count) releases.emplace_back(it->first, false);
        for (int count = it->second; count < holding; ++count) presses.emplace_back(it->first, true);
        if (holding) {
            it->second = holding;
            ++it;
        } else {
            it = counts.erase(it);
        }
    }
    for (int note = 0; note < 128; ++note) {
        const int holding = channelsHolding[static_cast<std::size_t>(note)];
        if (!holding || counts.contains(note)) continue;
        countIncomingMIDINote(note, true);
        counts[note] = holding;
        presses.insert(presses.end(), static_cast<std::size_t>(holding), {note, true});
    }
    store_.syncNotesPoolFromIncomingMIDI();
    if (!store_.hooks.incomingMIDINoteEventHandler) return;
    for (const auto& [note, isOn] : releases) store_.hooks.incomingMIDINoteEventHandler(note, isOn);
    for (const auto& [note, isOn] : presses) store_.hooks.incomingMIDINoteEventHandler(note, isOn);
}

void StoreLink::countIncomingMIDINote(int note, bool isOn) {
    auto& s = store_;
    auto& counts = s.incomingMIDINoteCountByNote;
    if (!isOn) {
        if (auto it = counts.find(note); it != counts.end()) {
            if (it->second > 1) {
                --it->second;
            } else {
                counts.erase(it);
            }
        }
        return;
    }
    if (s.notesPoolMIDILatchEnabled.get()) {
        if (counts.empty()) s.incomingMIDILatchedNotes.clear();  // a new chord starts
        s.incomingMIDILatchedNotes.insert(note);
    }
    ++counts[note];
}

}  // namespace pulvan::link

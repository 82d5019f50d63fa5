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

void StoreLink::matchIncomingMIDIHeldNotes(const std::bitset<128>& held) {
    std::vector<std::pair<int, bool>> changes;
    auto& counts = store_.incomingMIDINoteCountByNote;
    for (auto it = counts.begin(); it != counts.end();) {
        if (held[static_cast<std::size_t>(it->first)]) {
            it->second = 1;
            ++it;
            continue;
        }
        changes.emplace_back(it->first, false);
        it = counts.erase(it);
    }
    for (int note = 0; note < 128; ++note) {
        if (!held[static_cast<std::size_t>(note)] || counts.contains(note)) continue;
        countIncomingMIDINote(note, true);
        changes.emplace_back(note, true);
    }
    store_.syncNotesPoolFromIncomingMIDI();
    if (!store_.hooks.incomingMIDINoteEventHandler) return;
    for (const auto& [note, isOn] : changes) store_.hooks.incomingMIDINoteEventHandler(note, isOn);
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

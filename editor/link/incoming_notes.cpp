#include "editor/link/store_link.h"

namespace pulvan::link {

void StoreLink::handleIncomingMIDINote(int note, bool isOn) {
    if (note < 0 || note > 127) return;
    if (std::this_thread::get_id() != storeThread_) {
        store_.services().mainQueue.async([weak = std::weak_ptr<StoreLink*>(self_), note, isOn] {
            if (const auto self = weak.lock()) (*self)->handleIncomingMIDINote(note, isOn);
        });
        return;
    }
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
    } else {
        if (s.notesPoolMIDILatchEnabled.get()) {
            if (counts.empty()) s.incomingMIDILatchedNotes.clear();  // a new chord starts
            s.incomingMIDILatchedNotes.insert(note);
        }
        ++counts[note];
    }
    s.syncNotesPoolFromIncomingMIDI();
    if (s.hooks.incomingMIDINoteEventHandler) s.hooks.incomingMIDINoteEventHandler(note, isOn);
}

}  // namespace pulvan::link

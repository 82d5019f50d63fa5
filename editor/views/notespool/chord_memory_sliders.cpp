#include "editor/views/notespool/chord_memory_sliders.h"

#include "editor/views/notespool/chord_slider.h"
#include "editor/views/shell/active_track.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <utility>

namespace pulvan::views {

using namespace ui;

namespace {

const std::vector<int>& loadChordMemoryChord(const store::SequencerStore& store) {
    static const std::vector<int> none;
    const model::Track* track = activeTrack(store);
    return track ? track->outputChord : none;
}

}  // namespace

ChordMemorySlots loadChordMemorySlots(const store::SequencerStore& store) {
    ChordMemorySlots slots{};
    const auto& chord = loadChordMemoryChord(store);
    std::copy_n(chord.begin(), std::min(chord.size(), slots.size()), slots.begin());
    return slots;
}

std::vector<int> chordOfSlots(const ChordMemorySlots& slots) {
    std::vector<int> chord;
    std::copy_if(slots.begin(), slots.end(), std::back_inserter(chord), [](int offset) { return offset != 0; });
    return chord;
}

void commitChordMemory(store::SequencerStore& store, const ChordMemorySlots& slots) { store.setChordMemory(chordOfSlots(slots)); }

namespace {

// A drag's edit opens at its first change, so a drag that changes nothing leaves no empty undo step,
// and closes at its end: one undo step and one release of the sounding notes per drag.
struct DragEdit {
    bool open = false;
};

void commitDuringDrag(store::SequencerStore& store, DragEdit& edit, const ChordMemorySlots& slots) {
    if (!edit.open && chordOfSlots(slots) != loadChordMemoryChord(store)) {
        store.beginTransaction("Chord memory");
        edit.open = true;
    }
    commitChordMemory(store, slots);
}

}  // namespace

View ChordMemorySliders::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    const auto edit = context.storage<DragEdit>();
    Views sliders;
    for (std::size_t slot = 0; slot < slots->size(); ++slot) {
        sliders.push_back(
            View(ChordSlider{
                     .value = (*slots)[slot],
                     .setValue = [s = slots, slot](int value) { s.modify([&](ChordMemorySlots& all) { all[slot] = value; }); },
                     .accent = accent,
                     .onCommit = [&store, edit, s = slots] { commitDuringDrag(store, *edit, *s); },
                     .onDragEnded =
                         [&store, edit] {
                             if (std::exchange(edit->open, false)) store.endTransaction();
                         },
                 })
                .frame({.maxWidth = infinity, .maxHeight = infinity})
                .testId("chordSlider" + std::to_string(slot)));
    }
    return hstackOf({.spacing = 10}, std::move(sliders)).frame({.height = 190});
}

}  // namespace pulvan::views

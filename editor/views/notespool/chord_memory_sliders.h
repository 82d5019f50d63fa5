#pragma once
// The chord memory's six slots, one ChordSlider each: loaded from the active track's output chord and
// written back, as its non-zero offsets in slot order, after every movement. One drag is one edit.
#include "editor/store/sequencer_store.h"
#include "platform/ui/view_modifiers.h"

#include <array>

namespace pulvan::views {

using ChordMemorySlots = std::array<int, 6>;

// The first six offsets of the active track's output chord, padded with zeros.
ChordMemorySlots loadChordMemorySlots(const store::SequencerStore& store);
// The non-zero slots, repeats kept, in slot order.
std::vector<int> chordOfSlots(const ChordMemorySlots& slots);
void commitChordMemory(store::SequencerStore& store, const ChordMemorySlots& slots);

struct ChordMemorySliders : ui::ViewModifiers<ChordMemorySliders> {
    ui::State<ChordMemorySlots> slots;
    ui::Color accent;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views

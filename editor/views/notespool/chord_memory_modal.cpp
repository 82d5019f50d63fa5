#include "editor/views/notespool/chord_memory_modal.h"

#include "editor/views/notespool/chord_memory_sliders.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/modal_header.h"
#include "editor/views/shell/modal_panel.h"

namespace pulvan::views {

using namespace ui;

View ChordMemoryModal::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    const Color accent = context.env<KezAccentKey>();
    const auto slots = context.state<ChordMemorySlots>();
    return View(ModalPanel{
                    .width = 320,
                    .content = {ModalHeader{
                                    .title = "Chord memory",
                                    .inlineActionTitle = "Reset",
                                    .inlineActionColor = accent,
                                    .inlineActionFontSize = 11,
                                    .onInlineAction =
                                        [&store, slots] {
                                            slots.set({});
                                            commitChordMemory(store, *slots);
                                        },
                                    .onClose = [&store] { store.setActiveModal(std::nullopt); },
                                },
                                ChordMemorySliders{.slots = slots, .accent = accent}},
                })
        .onAppear([&store, slots] { slots.set(loadChordMemorySlots(store)); })
        .testId("chordMemoryModal");
}

}  // namespace pulvan::views

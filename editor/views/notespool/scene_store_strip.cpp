#include "editor/views/notespool/scene_store_strip.h"

#include "editor/views/notespool/notes_pool_chip.h"
#include "editor/views/shell/armed_tooltip.h"
#include "editor/views/shell/modal_option.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/scroll_view.h"

namespace pulvan::views {

using namespace ui;

void tapStoreStripScene(store::SequencerStore& store, int scene, const State<KeyboardScrollRequest>& scrollRequest) {
    if (store.sceneCopyToActive().get()) {
        store.storeChordToScene(scene);
        store.setSceneCopyToActive(false);
        return;
    }
    followPoolChange(store, scrollRequest, [&store, scene] { store.selectChord(scene); });
}

View SceneStoreStrip::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    const NotesPoolLayout& layout = section.layout;
    Views cells = auditioningSceneCells(store, section, true,
                                        [&store, scroll = section.scrollRequest](int scene) { tapStoreStripScene(store, scene, scroll); });
    const bool storeArmed = store.sceneCopyToActive().get();
    const bool latch = store.notesPoolMIDILatchEnabled.get();
    const View latchChip = View(SingleTouchTapButton{
                                    .allowSecondaryTouches = true,
                                    .action = [&store] { store.setNotesPoolMIDILatchEnabled(!store.notesPoolMIDILatchEnabled.get()); },
                                    .label = NotesPoolChip{.on = latch, .text = "Latch", .accent = systemRedColor},
                                })
                               .testId("latch")
                               .frame({.width = layout.span(2), .alignment = unit::leading});
    const View storeButton =
        ArmedTooltipModifier{.text = "Select the target scene", .visible = storeArmed, .yOffset = 35, .alignment = unit::topTrailing}(
            View(ModalOption{
                     .label = "Store",
                     .leadingSystemImageSize = 11,
                     .active = storeArmed,
                     .activeColor = systemRedColor,
                     .pressHighlight = true,
                     .allowSecondaryTouches = true,
                     .action = [&store] { store.setSceneCopyToActive(!store.sceneCopyToActive().get()); },
                 })
                .testId("store")
                .frame({.width = layout.span(1)})
                .opacity(storeArmed && section.blinkOn ? 0.45 : 1));
    return hstack({.spacing = 0},
                  scrollView({.axis = ScrollAxis::horizontal, .showsIndicators = false}, hstackOf({.spacing = 8}, std::move(cells)))
                      .frame({.maxWidth = infinity, .alignment = unit::leading})
                      .fixedSize(false, true),
                  hstack({.spacing = NotesPoolLayout::gridSpacing}, latchChip, storeButton));
}

}  // namespace pulvan::views

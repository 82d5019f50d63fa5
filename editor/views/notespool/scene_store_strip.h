#pragma once
// The chord scenes while the pool follows the MIDI input: a scrolling strip of eight scene cells that
// store the incoming chord while "Store" is armed and otherwise select a scene, then "Latch" and "Store".
#include "editor/views/notespool/chord_scene_grid.h"

namespace pulvan::views {

// With "Store" armed the pool goes into the scene; otherwise the scene becomes the pool at once.
void tapStoreStripScene(store::SequencerStore& store, int scene, const ui::State<KeyboardScrollRequest>& scrollRequest);

struct SceneStoreStrip : ui::ViewModifiers<SceneStoreStrip> {
    SceneSectionContext section;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views

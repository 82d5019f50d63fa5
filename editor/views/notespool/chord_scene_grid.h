#pragma once
// The chord scenes in "Scene" mode: the progression row under the keyboard (progression presets, "Save",
// the four transpositions) and the scene grid (eight scene cells, the launch resolution, "Copy", "Swap",
// "Clear"), both on the modal's 13-column grid.
#include "editor/store/sequencer_store.h"
#include "editor/views/notespool/keyboard_scroll_request.h"
#include "editor/views/notespool/notes_pool_layout.h"
#include "editor/views/notespool/scene_audition.h"
#include "platform/foundation/uuid.h"
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

// What the modal shares with its scene sections.
struct SceneSectionContext {
    NotesPoolLayout layout;
    bool blinkOn = false;
    bool auditionEnabled = false;
    ui::State<SceneAudition> sceneAudition;
    ui::State<KeyboardScrollRequest> scrollRequest;
};

// Runs a store command that may change the pool and asks the keyboard to follow a change.
void followPoolChange(store::SequencerStore& store, const ui::State<KeyboardScrollRequest>& scrollRequest,
                      const std::function<void()>& command);

// A tap on scene i: pastes or swaps when armed, then selects it.
void tapChordScene(store::SequencerStore& store, int scene, const ui::State<KeyboardScrollRequest>& scrollRequest);
void tapCopy(store::SequencerStore& store);
void tapSwap(store::SequencerStore& store);

struct ProgressionRow : ui::ViewModifiers<ProgressionRow> {
    SceneSectionContext section;
    foundation::Uuid presetsAnchor;

    ui::View body(ui::BuildContext& context) const;
};

struct ChordSceneGrid : ui::ViewModifiers<ChordSceneGrid> {
    SceneSectionContext section;
    foundation::Uuid resolutionAnchor;

    ui::View body(ui::BuildContext& context) const;
};

// The eight scene cells of either section, one cell wide, auditioning while held, blinking with an armed
// mode; a tap runs the section's own action for the scene.
ui::Views auditioningSceneCells(store::SequencerStore& store, const SceneSectionContext& section, bool storeStripStyle,
                                const std::function<void(int scene)>& tap);

// The button that posts the launch resolution dropdown, inset within an item of the given width,
// publishing its bounds under the anchor. The performance modal places it too.
ui::View sceneLaunchResolutionItem(double itemWidth, foundation::Uuid anchor);

}  // namespace pulvan::views

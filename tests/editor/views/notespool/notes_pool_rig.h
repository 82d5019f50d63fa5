#pragma once
// The editor's composition as the notes-pool views reach it: a store recording its MIDI, a preset library
// over a temp folder, and the modal shown in a 1280 x 730 window at a given modal viewport width.
#include "editor/library/preset_library.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/environment_keys.h"
#include "platform/ui/harness.h"
#include "tests/editor/store/store_fixture.h"
#include "tests/editor/views/recorded_services.h"

#include <functional>
#include <memory>

namespace pulvan::views {

class NotesPoolTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> store = makeStore();
    bool shown = true;
    library::PresetLibrary library{
        *store,
        {.applyChordProgressionPreset = [this](const std::vector<model::Chord>& chords) { store->applyChordProgressionPreset(chords); }},
        {.uptime = &main.clock()}};
    RecordedServices services{library};

    // The modal in the window's top-left corner, laid out for the viewport width.
    std::unique_ptr<ui::Harness> show(std::function<ui::View()> modal, double viewportWidth = 1080) {
        return std::make_unique<ui::Harness>(
            [this, modal, viewportWidth] {
                return (shown ? modal() : ui::View())
                    .environment<KezModalViewportWidthKey>(viewportWidth)
                    .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity, .alignment = ui::unit::topLeading})
                    .environmentObject(*store)
                    .environmentObject(store->playhead)
                    .environmentObject(static_cast<EditorServices&>(services));
            },
            ui::Size{1280, 730});
    }
    // Closes the modal as the modal host does: it leaves the tree.
    void hide(ui::Harness& h) {
        shown = false;
        h.root().invalidate();
        h.update();
    }
};

}  // namespace pulvan::views

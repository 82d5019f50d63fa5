#pragma once
// The main screen's grid in the offscreen harness: the sidebar and the content column in the editor
// card, over a store on a manual clock.
#include "editor/views/main/content_column.h"
#include "editor/views/main/lane_rows.h"
#include "editor/views/main/sidebar.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

#include <memory>
#include <string>

namespace pulvan::views {

// The card of the editor's main stack that holds the grid.
inline ui::View gridCard(store::SequencerStore& store) {
    using namespace ui;
    return hstack({.alignment = Edge::top, .spacing = 0},
                  Sidebar{}.frame({.width = 132}).overlay(rectangle().fill(themeBorderColor).frame({.width = 1}), unit::trailing),
                  ContentColumn{}.padding(Edge::leading, 12).frame({.maxWidth = infinity, .alignment = unit::leading}))
        .padding(12)
        .background(color(panelBackgroundColor))
        .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = unit::top})
        .background(color(editorBackgroundColor))
        .environment<KezAccentKey>(colorFromHex(store.trackAccentColor(store.clampedActiveTrackIndex())))
        .environmentObject(store)
        .environmentObject(store.playhead);
}

class GridTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> store;
    std::unique_ptr<ui::Harness> h;

    void show(std::optional<model::Preset> preset = std::nullopt, ui::Size size = {1280, 730}) {
        store = makeStore(std::move(preset));
        h = std::make_unique<ui::Harness>([this] { return gridCard(*store); }, size);
    }
    // The centre of a step column of a lane row, at a height fraction from its top.
    ui::Point step(const std::string& row, int column, double fromTop = 0.5) const {
        const ui::Rect f = h->frame(row);
        return {f.x + (column + 0.5) * f.width / 16, f.y + fromTop * f.height};
    }
    // Clicks apart in time, so none counts as a double click.
    void tap(ui::Point at) {
        h->advance(1);
        h->click(at);
    }
    const model::Lane& lane(model::LaneKind kind) const { return store->activeLaneFor(kind); }
    std::vector<std::string> undoLabels() const {
        auto labels = store->history().labels();
        labels.erase(labels.begin());  // the initial entry
        return labels;
    }
};

}  // namespace pulvan::views

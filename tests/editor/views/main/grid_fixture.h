#pragma once
// The main screen's grid in the offscreen harness, over a store on a manual clock.
#include "editor/views/main/lane_rows.h"
#include "editor/views/shell/dropdown_keys.h"
#include "editor/views/shell/modal_host.h"
#include "platform/ui/harness.h"
#include "platform/ui/preferences.h"
#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"
#include "tests/editor/views/main/grid_card.h"

#include <memory>
#include <string>

namespace pulvan::views {

class GridTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> store;
    std::unique_ptr<ui::Harness> h;
    // What the controls publish for the overlay hosts.
    DropdownAnchorKey::Value dropdownAnchors;
    ModalAnchorKey::Value modalAnchors;

    void show(std::optional<model::Preset> preset = std::nullopt, ui::Size size = {1280, 730}) {
        store = makeStore(std::move(preset));
        h = std::make_unique<ui::Harness>(
            [this] {
                return gridCard(*store)
                    .onPreferenceChange<DropdownAnchorKey>([this](const DropdownAnchorKey::Value& v) { dropdownAnchors = v; })
                    .onPreferenceChange<ModalAnchorKey>([this](const ModalAnchorKey::Value& v) { modalAnchors = v; });
            },
            size);
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

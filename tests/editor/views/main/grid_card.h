#pragma once
// The editor card that holds the grid, as the editor's main stack places it: the sidebar, its border,
// and the content column, over a store and its playhead.
#include "editor/store/sequencer_store.h"
#include "editor/views/main/content_column.h"
#include "editor/views/main/sidebar.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

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

}  // namespace pulvan::views

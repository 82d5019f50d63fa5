#include "editor/views/notespool/scene_pattern_change.h"

#include "editor/views/notespool/notes_pool_chip.h"
#include "editor/views/notespool/notes_pool_layout.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"
#include "platform/ui/scroll_view.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

namespace {

View patternCell(const store::SequencerStore& store, int track, int pattern, double width) {
    const Color trackColor = colorFromHex(store.trackAccentColor(track));
    const bool selected = store.scenePatternIndex(track) == pattern;
    const Color bar = store.isPatternEmpty(track, pattern - 1) ? Color::clear() : trackColor;
    return text(std::to_string(pattern))
        .font(Font::system(12, FontWeight::semibold))
        .foregroundColor(selected ? Color::black() : secondaryTextColor)
        .frame({.width = width, .height = 30})
        .background(rectangle().fill(selected ? trackColor.opacity(0.7) : controlBackgroundColor))
        .overlay(continuousRoundedRectangle(4).strokeBorder(themeBorderColor, 1))
        .clipShape(shapes::continuousRoundedRectangle(4))
        .overlay(rectangle().fill(bar).frame({.height = 1}).padding(Edge::horizontal, 3), unit::bottom);
}

View trackRow(store::SequencerStore& store, const NotesPoolLayout& layout, int track) {
    Views items;
    items.push_back(text(store.preset->tracks[static_cast<std::size_t>(track)].name)
                        .font(Font::system(12, FontWeight::semibold))
                        .foregroundColor(primaryTextColor)
                        .lineLimit(1)
                        .frame({.width = layout.span(NotesPoolLayout::patternTrackSpan), .alignment = unit::leading}));
    for (int pattern = 1; pattern <= 8; ++pattern) {
        items.push_back(View(SingleTouchTapButton{
                                 .allowSecondaryTouches = true,
                                 .action = [&store, track, pattern] { toggleScenePattern(store, track, pattern); },
                                 .label = patternCell(store, track, pattern, layout.cellWidth),
                             })
                            .testId("scenePattern" + std::to_string(track) + "_" + std::to_string(pattern)));
    }
    items.push_back(gridFiller(layout.span(NotesPoolLayout::gridColumns - (NotesPoolLayout::patternTrackSpan + 8))));
    return hstackOf({.spacing = NotesPoolLayout::gridSpacing}, std::move(items))
        .frame({.width = layout.contentWidth, .alignment = unit::leading});
}

}  // namespace

void toggleScenePattern(store::SequencerStore& store, int track, int pattern) {
    if (track < 0 || track >= std::min(6, store.visibleTrackCount()) || pattern < 1 || pattern > 8) return;
    store.setScenePatternIndex(store.scenePatternIndex(track) == pattern ? std::nullopt : std::optional<int>(pattern), track);
}

View ScenePatternChangeSection::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const bool resync = store.preset->resyncOnNewScene;
    const int headerFiller =
        NotesPoolLayout::patternTrackSpan + std::max(8 - NotesPoolLayout::autoResyncSpan, 0) - NotesPoolLayout::patternHeaderSpan;
    const View header = hstack({.spacing = NotesPoolLayout::gridSpacing},
                               text("Scene pattern change")
                                   .font(Font::system(13, FontWeight::semibold))
                                   .foregroundColor(secondaryTextColor)
                                   .frame({.width = layout.span(NotesPoolLayout::patternHeaderSpan), .alignment = unit::leading}),
                               gridFiller(layout.span(headerFiller)),
                               View(SingleTouchTapButton{
                                        .allowSecondaryTouches = true,
                                        .action = [&store] { store.setResyncOnNewScene(!store.preset->resyncOnNewScene); },
                                        .label = NotesPoolChip{.on = resync, .text = "Auto resync", .accent = context.env<KezAccentKey>()},
                                    })
                                   .testId("autoResync")
                                   .frame({.width = layout.span(NotesPoolLayout::autoResyncSpan), .alignment = unit::leading}),
                               gridFiller(layout.span(NotesPoolLayout::patternFillerColumns())))
                            .frame({.width = layout.contentWidth, .alignment = unit::leading});
    Views rows;
    for (int track = 0; track < store.visibleTrackCount(); ++track) rows.push_back(trackRow(store, layout, track));
    return vstack({.alignment = Edge::leading, .spacing = 0}, header.fixedSize(false, true), color(Color::clear()).frame({.height = 16}),
                  scrollView({.showsIndicators = false}, vstackOf({.alignment = Edge::leading, .spacing = 14}, std::move(rows))));
}

}  // namespace pulvan::views

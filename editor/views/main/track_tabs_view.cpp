#include "editor/views/main/track_tabs_view.h"

#include "editor/views/main/playhead_reader.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/shapes.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <string>

namespace pulvan::views {

using namespace ui;

namespace {

const UIRectCorner tabCorners{topLeft, topRight};

// Every tab's width, and the scale of what is drawn inside one.
struct TabStripMetrics {
    double tabWidth;
    double scale;
};

TabStripMetrics tabStripMetrics(const TrackTabsView& strip, double width, int count, bool canAddTrack) {
    double tabWidth = strip.maxTabWidth;
    if (count > 0) {
        const double available = width - (canAddTrack ? strip.addButtonWidth + strip.spacing : 0);
        const double rest = std::max(available, 0.0) - strip.spacing * (count - 1);
        if (rest > 0) tabWidth = std::min(rest / count, strip.maxTabWidth);
    }
    return {tabWidth, std::clamp(tabWidth / strip.maxTabWidth, 0.5, 1.0)};
}

struct TrackTab {
    const TrackTabsView& strip;
    store::SequencerStore& store;
    int index;
    TabStripMetrics metrics;

    const model::Track& track() const { return store.preset->tracks[static_cast<std::size_t>(index)]; }
    Color accent() const { return colorFromHex(track().accentColorHex); }
    bool selected() const { return index == store.activeTrackIndex.get(); }
    bool closable() const { return store.preset->tracks.size() > 1; }

    View content() const {
        const double s = metrics.scale;
        const int i = index;
        return hstack({.alignment = Edge::center, .spacing = 5 * s},
                      // The bar's move left lies outside the reader, so what the reader repaints covers the bar.
                      View(PlayheadReader<bool>{
                               .value = [i](const store::SequencerStore& st) { return st.isTrackNoteActive(i); },
                               .content = [s](const bool& active) -> View { return MIDIActivityIndicator{.isActive = active, .scale = s}; },
                           })
                          .offset(-3 * s, 0),
                      text(track().name).font(Font::system(12 * s, FontWeight::semibold)).tracking(1.2 * s).uppercased().lineLimit(1),
                      TabChannelBadge{.channel = track().midiOutputChannel, .scale = s}.padding(Edge::leading, 6 * s));
    }

    View label() const {
        const double s = metrics.scale;
        View row = content().frame({.maxWidth = infinity, .alignment = unit::leading});
        if (closable()) row = hstack({.alignment = Edge::center, .spacing = 6 * s}, row, color(Color::clear()).frame({.width = 18 * s}));
        const StrokeStyle border{.width = 1, .miterLimit = 10};
        return row.frame({.width = std::max(metrics.tabWidth - 24 * s, 0.0), .height = 18})
            .padding({.top = 10, .leading = 12 * s, .bottom = 10, .trailing = 12 * s})
            .foregroundColor(accent())
            .background(RoundedCorners(8, tabCorners).fill(selected() ? panelBackgroundColor : controlBackgroundColor))
            .overlay(selected() ? TabTopBorder(8).stroke(themeBorderColor, border)
                                : RoundedCorners(8, tabCorners).stroke(themeBorderColor, border))
            .opacity(selected() ? 1.0 : 0.55)
            .contentShape(shapes::rectangle());
    }

    View closeLabel() const {
        const double s = metrics.scale;
        return symbol("xmark")
            .font(Font::system(9 * s, FontWeight::bold))
            .foregroundColor(accent())
            .opacity(selected() ? 0.9 : 0.5)
            .frame({.width = 18 * s, .height = 18 * s})
            .frame({.width = 32 * s, .height = 32})
            .contentShape(shapes::rectangle());
    }

    View body() const {
        store::SequencerStore* st = &store;
        const int i = index;
        View tab = SingleTouchTapButton{
            .enabled = true,
            .allowSecondaryTouches = true,
            .onDoubleTap =
                [st, i] {
                    st->activeTrackIndex.set(i);
                    st->presentRenameTrackDialog();
                },
            .action = [st, i] { st->activeTrackIndex.set(i); },
            .label = label(),
        };
        if (!closable()) return tab.testId("trackTab." + std::to_string(i));
        const double s = metrics.scale;
        View close = View(SingleTouchTapButton{
                              .enabled = true,
                              .allowSecondaryTouches = true,
                              .action = [st, i] { st->presentDeleteTrackDialog(i); },
                              .label = closeLabel(),
                          })
                         .testId("trackTabClose." + std::to_string(i));
        return tab.overlay(close.padding(Edge::trailing, 6 * s).padding(Edge::vertical, 10), unit::trailing)
            .testId("trackTab." + std::to_string(i));
    }
};

View addTrackButtonLabel(const TrackTabsView& strip) {
    return text("+")
        .font(Font::system(16))
        .frame({.width = strip.addButtonWidth, .height = 18})
        .padding(Edge::vertical, 10)
        .foregroundColor(secondaryTextColor)
        .background(RoundedCorners(8, tabCorners).fill(controlBackgroundColor))
        .overlay(RoundedCorners(8, tabCorners).stroke(themeBorderColor, 1))
        .opacity(0.55);
}

}  // namespace

View TrackTabsView::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const TrackTabsView strip = *this;
    return geometryReader([strip, &store](const GeometryProxy& proxy) -> View {
               const int count = store.visibleTrackCount();
               const bool canAddTrack = store.canAddTrack();
               const TabStripMetrics metrics = tabStripMetrics(strip, proxy.size().width, count, canAddTrack);
               Views items;
               for (int i = 0; i < count; ++i) items.push_back(TrackTab{strip, store, i, metrics}.body().id(i));
               if (canAddTrack) {
                   items.push_back(View(SingleTouchTapButton{
                                            .enabled = true,
                                            .allowSecondaryTouches = true,
                                            .action = [&store] { store.addTrack(); },
                                            .label = addTrackButtonLabel(strip),
                                        })
                                       .testId("addTrackButton"));
               }
               return hstackOf({.alignment = Edge::bottom, .spacing = strip.spacing}, std::move(items));
           })
        .frame({.height = tabHeight});
}

View MIDIActivityIndicator::body(BuildContext&) const {
    return roundedRectangle(1.5 * scale).fill(badgeTextColor).frame({.width = 3 * scale, .height = 10 * scale}).opacity(isActive ? 0.5 : 0);
}

View TabChannelBadge::body(BuildContext&) const {
    return text(std::to_string(channel))
        .font(Font::system(9 * scale, FontWeight::semibold).withMonospacedDigits())
        .foregroundColor(badgeTextColor)
        .padding(Edge::horizontal, 4 * scale)
        .frame({.minWidth = 15 * scale})
        .background(capsule().fill(badgeBackgroundColor))
        .opacity(0.6);
}

}  // namespace pulvan::views

#include "editor/views/main/midi_out_offset_field.h"

#include "editor/views/main/grid_button.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {

using namespace ui;
using store::SequencerStore;

namespace {

constexpr const char* undoLabel = "MIDI out offset";

int currentOffset(const SequencerStore& store) {
    const model::Track* track = activeTrack(store);
    return track ? track->midiOutOffsetMs : 0;
}

struct OffsetGesture {
    std::optional<int> dragStartValue;
    bool transactionActive = false;
    std::optional<std::int64_t> lastTapEndTime;  // clock nanoseconds
};

// "Offset -12 ms", "Offset 0 ms", "Offset +35 ms".
std::string midiOutOffsetLabel(int v) { return (v >= 1 ? "Offset +" : "Offset ") + std::to_string(v) + " ms"; }

// The offset a drag from start by dy points (down positive) gives.
int draggedMIDIOutOffset(int start, double dy, double pixelsPerMs) {
    return std::clamp(start + static_cast<int>(std::round(-dy / pixelsPerMs)), -200, 200);
}

}  // namespace

View GridMIDIOutOffsetField::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const Color accent = context.env<KezAccentKey>();
    const auto gesture = context.storage<OffsetGesture>();
    const foundation::Clock* clock = &context.mainQueue().clock();
    SequencerStore* s = &store;
    const int v = currentOffset(store);

    const auto changed = [s, gesture, ppm = pixelsPerMs](const DragValue& drag) {
        OffsetGesture& g = *gesture;
        if (!g.dragStartValue) g.dragStartValue = currentOffset(*s);
        const int start = *g.dragStartValue;
        const int next = draggedMIDIOutOffset(start, drag.translation().y, ppm);
        if (!g.transactionActive) {
            if (next == start) return;
            g.transactionActive = true;
            s->beginTransaction(undoLabel);
        }
        s->setActiveTrackMIDIOutOffset(next);
    };
    const auto ended = [s, gesture, clock](const DragValue& drag) {
        OffsetGesture& g = *gesture;
        g.dragStartValue.reset();
        if (g.transactionActive) {
            g.transactionActive = false;
            s->endGestureTransaction();
            g.lastTapEndTime.reset();
            return;
        }
        const Point t = drag.translation();
        if (std::hypot(t.x, t.y) >= tapMovement) {
            g.lastTapEndTime.reset();
            return;
        }
        const std::int64_t now = clock->nowNanoseconds();
        if (g.lastTapEndTime && now - *g.lastTapEndTime < static_cast<std::int64_t>(doubleTapSeconds * 1e9)) {
            g.lastTapEndTime.reset();
            if (currentOffset(*s) != 0) {
                s->beginTransaction(undoLabel);
                s->setActiveTrackMIDIOutOffset(0);
                s->endTransaction();
            }
            return;
        }
        g.lastTapEndTime = now;
    };

    const Color ink = v == 0 ? secondaryTextColor : Color::black();
    // The chevron's opacity goes into its colour: one symbol needs no opacity group.
    return gridCellFrame(
               hstack({.spacing = 4}, text(midiOutOffsetLabel(v)).lineLimit(1).minimumScaleFactor(0.8),
                      symbol("chevron.up.chevron.down").font(Font::system(8, FontWeight::semibold)).foregroundColor(ink.opacity(0.7)))
                   .font(Font::system(12, FontWeight::semibold))
                   .foregroundColor(ink),
               width)
        .background(color(v == 0 ? controlBackgroundColor : accent.opacity(0.5)))
        .overlay(rectangle().stroke(themeBorderColor, 1))
        .contentShape(shapes::rectangle())
        .onDrag({.minimumDistance = 0}, changed, ended);
}

}  // namespace pulvan::views

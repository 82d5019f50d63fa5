#include "editor/views/notespool/keyboard_keys.h"

#include "editor/views/notespool/value_reader.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <memory>

namespace pulvan::views {

using namespace ui;

namespace {

constexpr Color grabTargetColor = colorFromRGB(0x78141B);

bool isDimmed(const KeyboardKeys& keys, int note) { return keys.grabbedSourceNote == note && keys.grabbedTargetNote != note; }

void drawKey(DisplayList& list, const KeyboardKeys& keys, int note) {
    const KeyboardGeometry& g = keys.geometry;
    const bool black = g.isBlack(note);
    const Rect rect = g.keyRect(note);
    const bool dimmed = isDimmed(keys, note);
    if (dimmed) list.add(draw::BeginGroup{0.55});
    const bool inPool = std::find(keys.pool.begin(), keys.pool.end(), note) != keys.pool.end();
    list.add(draw::Fill{Path().addRect(rect), inPool ? keys.accent : greyLevel(black ? 0.12 : 0.82)});
    list.add(draw::Stroke{Path().addRect(rect), black ? Color::black() : greyLevel(0.35), StrokeStyle{0.5}});
    if (keys.grabbedTargetNote == note) {
        const double width = black ? 2 : 4;
        list.add(draw::Stroke{Path().addRect(rect.insetBy(width / 2, width / 2)), grabTargetColor, StrokeStyle{width}});
    }
    if (dimmed) list.add(draw::EndGroup{});
}

// The part of a key's top that shows: a white key's bar runs under its black neighbours, which cover it.
Rect visibleBarRect(const KeyboardGeometry& g, int note) {
    const Rect key = g.keyRect(note);
    Rect bar{key.x, g.isBlack(note) ? 3.0 : 4.0, key.width, 7};
    if (g.isBlack(note)) return bar;
    const double left = note > 0 && g.isBlack(note - 1) ? g.keyRect(note - 1).maxX() : key.x;
    const double right = note < keyboardNoteCount - 1 && g.isBlack(note + 1) ? g.keyRect(note + 1).x : key.maxX();
    return {left, bar.y, right - left, bar.height};
}

// A bar as wide as the key, edged in the colour's contrasting label colour, shown where the key shows.
View activityBar(const KeyboardGeometry& g, int note, Color color, bool dimmed) {
    const Rect key = g.keyRect(note);
    const Rect visible = visibleBarRect(g, note);
    return canvas([key, visible, color](DisplayList& list, const Rect& frame) {
               list.add(draw::Save{});
               list.add(draw::ClipRect{frame});
               list.add(draw::Concat{Transform::translation(frame.x - visible.x, frame.y - visible.y)});
               const Rect bar{key.x, visible.y, key.width, 7};
               list.add(draw::Fill{Path().addRect(bar), contrastingLabelColor(color)});
               list.add(draw::Fill{Path().addRect(bar.insetBy(1.1, 1.1)), color});
               list.add(draw::Restore{});
           })
        .opacity(dimmed ? 0.55 : 1);
}

// "C-2" for note 0, "C3" for note 60; dimmed with its key.
View octaveLabel(const KeyboardGeometry& g, int note, bool dimmed) {
    return text(std::string("C").append(std::to_string(note / 12 - 2)))
        .font(Font::system(10, FontWeight::bold))
        .foregroundColor(Color::black())
        .fixedSize()
        .frame({.width = g.whiteW, .alignment = unit::bottom})
        .padding(Edge::bottom, 4)
        .opacity(dimmed ? 0.55 : 1)
        .offset(g.keyLeft(note), 0);
}

}  // namespace

View KeyboardKeys::body(BuildContext&) const {
    const KeyboardKeys keys = *this;
    Views layers;
    layers.push_back(canvas([keys](DisplayList& list, const Rect& frame) {
        const KeyboardGeometry& g = keys.geometry;
        list.add(draw::Save{});
        list.add(draw::Concat{Transform::translation(frame.x, frame.y)});
        for (int note = 0; note < keyboardNoteCount; ++note)
            if (!g.isBlack(note)) drawKey(list, keys, note);
        for (int note = 0; note < keyboardNoteCount; ++note)
            if (g.isBlack(note)) drawKey(list, keys, note);
        list.add(draw::Restore{});
    }));
    for (int note = 0; note < keyboardNoteCount; note += 12) layers.push_back(octaveLabel(geometry, note, isDimmed(keys, note)));
    return zstackOf({.alignment = unit::bottomLeading}, std::move(layers))
        .frame({.width = geometry.contentWidth(), .height = geometry.keyboardHeight});
}

View keyboardActivityBars(const KeyboardGeometry& geometry, std::shared_ptr<LitKeys> lit, Color activeTrackColor,
                          std::optional<int> dimmedNote) {
    Views bars;
    for (int note = 0; note < keyboardNoteCount; ++note) {
        const Rect place = visibleBarRect(geometry, note);
        bars.push_back(
            View(ValueReader<bool>{
                     .signals = {&lit->changed},
                     .value = [lit, note] { return lit->isLit(note); },
                     .content = [geometry, note, activeTrackColor, dimmed = dimmedNote == note](
                                    const bool& on) { return on ? activityBar(geometry, note, activeTrackColor, dimmed) : View(); },
                 })
                .frame({.width = place.width, .height = place.height})
                .offset(place.x, place.y));
    }
    return zstackOf({.alignment = unit::topLeading}, std::move(bars))
        .frame({.width = geometry.contentWidth(), .height = geometry.keyboardHeight, .alignment = unit::topLeading});
}

}  // namespace pulvan::views

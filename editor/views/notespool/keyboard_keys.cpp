#include "editor/views/notespool/keyboard_keys.h"

#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <memory>

namespace pulvan::views {

using namespace ui;

namespace {

constexpr Color grabTargetColor = colorFromRGB(0x78141B);
constexpr Color greyLevel(double white) { return makeSRGBColor(white, white, white); }

struct KeyLook {
    const KeyboardKeys& keys;
    const LitNoteHold& lit;
    std::int64_t now;

    void draw(DisplayList& list, int note) const {
        const KeyboardGeometry& g = keys.geometry;
        const bool black = g.isBlack(note);
        const Rect rect = g.keyRect(note);
        const bool dimmed = keys.grabbedSourceNote == note && keys.grabbedTargetNote != note;
        if (dimmed) list.add(draw::BeginGroup{0.55});
        const bool inPool = std::find(keys.pool.begin(), keys.pool.end(), note) != keys.pool.end();
        list.add(draw::Fill{Path().addRect(rect), inPool ? keys.accent : greyLevel(black ? 0.12 : 0.82)});
        list.add(draw::Stroke{Path().addRect(rect), black ? Color::black() : greyLevel(0.35), StrokeStyle{0.5}});
        if (keys.grabbedTargetNote == note) {
            const double width = black ? 2 : 4;
            list.add(draw::Stroke{Path().addRect(rect.insetBy(width / 2, width / 2)), grabTargetColor, StrokeStyle{width}});
        }
        if (lit.isLit(note, now)) {
            const Rect bar{rect.x, rect.y + (black ? 3 : 4), rect.width, 7};
            list.add(draw::Fill{Path().addRect(bar), contrastingLabelColor(keys.activeTrackColor)});
            list.add(draw::Fill{Path().addRect(bar.insetBy(1.1, 1.1)), keys.activeTrackColor});
        }
        if (dimmed) list.add(draw::EndGroup{});
    }
};

// "C-2" for note 0, "C3" for note 60.
View octaveLabel(const KeyboardGeometry& g, int note) {
    return text("C" + std::to_string(note / 12 - 2))
        .font(Font::system(10, FontWeight::bold))
        .foregroundColor(Color::black())
        .fixedSize()
        .frame({.width = g.whiteW, .alignment = unit::bottom})
        .padding(Edge::bottom, 4)
        .offset(g.keyLeft(note), 0);
}

struct LitBookkeeping {
    std::unique_ptr<LitNoteHold> hold;
    std::vector<foundation::Timer> expiryChecks;
};

}  // namespace

View KeyboardKeys::body(BuildContext& context) const {
    const auto redraw = context.state<int>(0);
    const auto book = context.storage<LitBookkeeping>();
    LitBookkeeping& b = *book;
    const std::int64_t now = context.nowNanoseconds();
    if (!b.hold) {
        b.hold = std::make_unique<LitNoteHold>(foundation::nanosecondsFromSeconds(trackActivityHoldDuration));
        b.hold->reset(activeTrackNotes);
    } else if (activeTrackNotes != b.hold->sounding()) {
        std::erase_if(b.expiryChecks, [](const foundation::Timer& t) { return !t.isActive(); });
        for (const auto& [note, deadline] : b.hold->update(activeTrackNotes, now)) {
            // A hundredth of a second past the deadline, so the check finds it passed.
            const std::int64_t delay = std::max<std::int64_t>(0, deadline - now) + foundation::nanosecondsFromSeconds(0.01);
            b.expiryChecks.push_back(context.mainQueue().scheduleOneShot(
                delay, [hold = b.hold.get(), queue = &context.mainQueue(), redraw, note, deadline] {
                    if (hold->expire(note, deadline, queue->clock().nowNanoseconds())) redraw.set(*redraw + 1);
                }));
        }
    }
    const KeyLook look{*this, *b.hold, now};
    const KeyboardGeometry& g = geometry;
    Views layers;
    layers.push_back(canvas([look](DisplayList& list, const Rect& frame) {
        const KeyboardGeometry& g = look.keys.geometry;
        list.add(draw::Save{});
        list.add(draw::Concat{Transform::translation(frame.x, frame.y)});
        for (int note = 0; note < keyboardNoteCount; ++note)
            if (!g.isBlack(note)) look.draw(list, note);
        for (int note = 0; note < keyboardNoteCount; ++note)
            if (g.isBlack(note)) look.draw(list, note);
        list.add(draw::Restore{});
    }));
    for (int note = 0; note < keyboardNoteCount; note += 12) layers.push_back(octaveLabel(g, note));
    return zstackOf({.alignment = unit::bottomLeading}, std::move(layers)).frame({.width = g.contentWidth(), .height = g.keyboardHeight});
}

}  // namespace pulvan::views

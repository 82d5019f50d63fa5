#include "editor/views/notespool/mini_keyboard_overview.h"

#include "editor/views/notespool/keyboard_geometry.h"
#include "editor/views/shell/capture_surface.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <memory>

namespace pulvan::views {

using namespace ui;

namespace {

void drawStrip(DisplayList& list, const MiniKeyboardOverview& strip, const MiniKeyboardOverview::Measures& m, Color accent) {
    const KeyboardGeometry keys{.blackPitchClasses = KeyboardGeometry::pitchClassMask(strip.blackPCs)};
    const auto inPool = [&](int note) { return std::find(strip.pool.begin(), strip.pool.end(), note) != strip.pool.end(); };
    list.add(draw::Fill{Path().addRect({0, 0, m.w, m.h}), greyLevel(0.18)});
    for (int note = 0; note < keyboardNoteCount; ++note) {
        if (keys.isBlack(note)) continue;
        const Rect key{m.keyW * keys.whiteIndex(note), 0, m.keyW, m.h};
        list.add(draw::Fill{Path().addRect(key), inPool(note) ? accent : greyLevel(0.82)});
        list.add(draw::Stroke{Path().addRect(key), greyLevel(0.35), StrokeStyle{0.25}});
    }
    const double blackW = m.keyW * 0.7;
    for (int note = 0; note < keyboardNoteCount; ++note) {
        if (!keys.isBlack(note)) continue;
        const Rect mark{m.keyW * keys.whiteIndex(note) - blackW / 2, 0, blackW, m.h * 0.62};
        list.add(draw::Fill{Path().addRect(mark), inPool(note) ? accent : greyLevel(0.12)});
        list.add(draw::Stroke{Path().addRect(mark), Color::black(), StrokeStyle{0.25}});
    }
    const Color shade = Color::black().opacity(strip.dimOpacity);
    if (m.windowX > 0) list.add(draw::Fill{Path().addRect({0, 0, m.windowX, m.h}), shade});
    if (m.windowX + m.windowW < m.w)
        list.add(draw::Fill{Path().addRect({m.windowX + m.windowW, 0, m.w - m.windowX - m.windowW, m.h}), shade});
    const Path frame = shapes::continuousRoundedRectangle(3)({m.frameX, 0, m.frameW, m.h});
    list.add(draw::Stroke{frame, greyLevel(0.95), StrokeStyle{1}});
}

struct DragStart {
    std::optional<double> scrollLeft;
};

}  // namespace

MiniKeyboardOverview::Measures MiniKeyboardOverview::measure(Size size) const {
    Measures m{};
    m.w = std::max(size.width, 1.0);
    m.h = std::max(size.height, 1.0);
    m.keyW = m.w / KeyboardGeometry{.blackPitchClasses = KeyboardGeometry::pitchClassMask(blackPCs)}.whiteCount();
    m.content = std::max(contentWidth, 1.0);
    m.maxLeft = std::max(m.content - viewportWidth, 0.0);
    m.s = std::clamp(scrollLeft, 0.0, m.maxLeft);
    const double fraction = std::clamp(viewportWidth / m.content, 0.0, 1.0);
    m.windowW = m.w * fraction;
    m.windowX = m.w * m.s / m.content;
    m.frameW = std::max(m.windowW, 16.0);
    m.frameX = std::min(std::max(m.windowX, 0.0), std::max(m.w - m.frameW, 0.0));
    return m;
}

View MiniKeyboardOverview::body(BuildContext& context) const {
    const auto drag = context.storage<DragStart>();
    const Color accent = context.env<KezAccentKey>();
    const MiniKeyboardOverview self = *this;
    return geometryReader([self, drag, accent](const GeometryProxy& proxy) {
               const Measures m = self.measure(proxy.size());
               const auto request = [&self, m](double offset) { callIfSet(self.onScrollRequest, std::clamp(offset, 0.0, m.maxLeft)); };
               return canvas([self, m, accent](DisplayList& list, const Rect& frame) {
                          list.add(draw::Save{});
                          list.add(draw::Concat{Transform::translation(frame.x, frame.y)});
                          drawStrip(list, self, m, accent);
                          list.add(draw::Restore{});
                      })
                   .onDrag(
                       {.minimumDistance = 0},
                       [drag, m, request](const DragValue& value) {
                           auto& start = drag->scrollLeft;
                           if (!start) {
                               if (!m.insideFrame(value.startLocation.x)) return;
                               start = m.s;
                           }
                           request(*start + value.translation().x * m.content / m.w);
                       },
                       [drag, m, request, viewport = self.viewportWidth](const DragValue& value) {
                           if (!std::exchange(drag->scrollLeft, std::nullopt) && !m.insideFrame(value.startLocation.x)) {
                               const double x = std::clamp(value.location.x, 0.0, m.w);
                               request(m.content * x / m.w - viewport / 2);
                           }
                       });
           })
        .contentShape(shapes::rectangle())
        .clipShape(shapes::continuousRoundedRectangle(4))
        .overlay(continuousRoundedRectangle(4).strokeBorder(themeBorderColor, 1).allowsHitTesting(false));
}

}  // namespace pulvan::views

#include "editor/views/notespool/chord_slider.h"

#include "editor/views/shell/capture_surface.h"
#include "editor/views/shell/dot_texture.h"
#include "editor/views/shell/editor_helpers.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pulvan::views {

using namespace ui;

namespace {

constexpr Color centreLineColor = colorFromHex(0x3A3A3E);

View track(int value, Color accent, Size size) {
    const double mid = size.height / 2;
    const double bar = mid * std::abs(value) / 12;
    const double barCentreY = value >= 0 ? mid - bar / 2 : mid + bar / 2;
    // An empty slot (0) has no bar, not even its outline: the grey centre line alone says it adds no note.
    const View barView = value == 0 ? View()
                                    : View(DotTexture{.color = accent, .spacing = 3, .diameter = 1.3})
                                          .overlay(rectangle().stroke(accent.opacity(0.5), 1))
                                          .frame({.width = size.width, .height = bar})
                                          .offset(0, barCentreY - bar / 2);
    return zstack({.alignment = unit::topLeading}, rectangle().fill(controlBackgroundColor),
                  rectangle().fill(centreLineColor).frame({.height = 1}).offset(0, mid - 0.5), barView,
                  rectangle().stroke(themeBorderColor, 1));
}

}  // namespace

int ChordSlider::valueAt(double y, double height, int lo, int hi) {
    const double f = height > 0 ? std::clamp(1 - y / height, 0.0, 1.0) : 0.0;
    return static_cast<int>(std::round(f * (hi - lo) + lo));
}

View ChordSlider::body(BuildContext&) const {
    const ChordSlider self = *this;
    return vstack({.alignment = Edge::center, .spacing = 6},
                  text(signedNumberLabel(value))
                      .font(Font::system(13, FontWeight::semibold))
                      .foregroundColor(value == 0 ? secondaryTextColor : accent),
                  geometryReader([self](const GeometryProxy& proxy) {
                      const Size size = proxy.size();
                      return track(self.value, self.accent, size)
                          .contentShape(shapes::rectangle())
                          .onDrag(
                              {.minimumDistance = 0},
                              [self, size](const DragValue& drag) {
                                  callIfSet(self.setValue, valueAt(drag.location.y, size.height, self.lo, self.hi));
                                  callIfSet(self.onCommit);
                              },
                              [self](const DragValue&) { callIfSet(self.onDragEnded); });
                  }));
}

}  // namespace pulvan::views

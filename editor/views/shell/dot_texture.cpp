#include "editor/views/shell/dot_texture.h"

#include "platform/ui/content.h"

namespace pulvan::views {

using namespace ui;

View DotTexture::body(BuildContext&) const {
    return canvas([color = color, spacing = spacing, diameter = diameter](DisplayList& list, const Rect& frame) {
               const double half = diameter / 2;
               // A spacing that is not positive would never reach the edge.
               if (!(spacing > 0) || half > frame.height || half > frame.width) return;
               // All dots in one path: one fill, rendered as one layer.
               Path dots;
               for (double y = half; y <= frame.height; y += spacing)
                   for (double x = half; x <= frame.width; x += spacing) dots.addEllipse({frame.x + x - half, frame.y + y - half, diameter, diameter});
               list.add(draw::Fill{std::move(dots), color});
           });
}

}  // namespace pulvan::views

#include "editor/views/shell/dot_texture.h"

#include "platform/ui/content.h"

namespace pulvan::views {

using namespace ui;

View DotTexture::body(BuildContext&) const {
    return canvas([color = color, spacing = spacing, diameter = diameter](DisplayList& list, const Rect& frame) {
               const double half = diameter / 2;
               // A spacing that is not positive would never reach the edge.
               if (!(spacing > 0) || half > frame.height) return;
               for (double y = half; y <= frame.height; y += spacing) {
                   if (!(half <= frame.width)) continue;
                   for (double x = half; x <= frame.width; x += spacing)
                       list.add(draw::Fill{Path{}.addEllipse({frame.x + x - half, frame.y + y - half, diameter, diameter}), color});
               }
           })
        .compositingGroup();
}

}  // namespace pulvan::views

#include "editor/views/shell/floppy_disk_icon.h"

#include "platform/ui/content.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

namespace {

// On a 24-unit grid.
Path diskOutline() {
    return Path{}
        .moveTo({5, 3})
        .lineTo({16, 3})
        .lineTo({19, 6})
        .lineTo({19, 19})
        .quadTo({17, 21}, {19, 21})
        .lineTo({5, 21})
        .quadTo({3, 19}, {3, 21})
        .lineTo({3, 5})
        .quadTo({5, 3}, {3, 3})
        .close();
}
Path shutter() { return Path{}.moveTo({8, 3}).lineTo({8, 9}).lineTo({15, 9}).lineTo({15, 3}); }
Path label() { return Path{}.moveTo({7, 21}).lineTo({7, 14}).lineTo({17, 14}).lineTo({17, 21}); }

}  // namespace

View FloppyDiskIcon::body(BuildContext& context) const {
    return canvas([color = context.env<ForegroundColorKey>()](DisplayList& list, const Rect& frame) {
               const double sx = frame.width / 24, sy = frame.height / 24;
               const Transform grid = Transform::translation(frame.x, frame.y).after(Transform::scale(sx, sy));
               const StrokeStyle style{2 * std::min(sx, sy), LineCap::round, LineJoin::round, 10};
               for (const Path& path : {diskOutline(), shutter(), label()}) list.add(draw::Stroke{path.transformed(grid), color, style});
           })
        .aspectRatio(1);
}

}  // namespace pulvan::views

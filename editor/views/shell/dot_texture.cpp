#include "editor/views/shell/dot_texture.h"

#include "platform/ui/content.h"

#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace pulvan::views {

using namespace ui;

namespace {

// One dot in its square of the grid; the same texture keeps the same tile, so its pixels are drawn once.
std::shared_ptr<const DisplayList> dotTile(Color color, double spacing, double diameter) {
    using Tiles = std::map<std::tuple<double, double, double, double, double, double>, std::shared_ptr<const DisplayList>>;
    thread_local std::unique_ptr<Tiles> tiles;  // by pointer, to keep the bundle's thread-local block small
    if (!tiles) tiles = std::make_unique<Tiles>();
    if (tiles->size() > 64) tiles->clear();  // colours come and go (tracks recoloured): keep the few in use
    auto& tile = (*tiles)[{color.red, color.green, color.blue, color.alpha, spacing, diameter}];
    if (!tile) {
        auto list = std::make_shared<DisplayList>();
        list->add(draw::Fill{Path{}.addEllipse({0, 0, diameter, diameter}), color});
        tile = std::move(list);
    }
    return tile;
}

}  // namespace

View DotTexture::body(BuildContext&) const {
    return canvas([color = color, spacing = spacing, diameter = diameter](DisplayList& list, const Rect& frame) {
        const double half = diameter / 2;
        // A spacing that is not positive would never reach the edge.
        if (!(spacing > 0) || half > frame.height || half > frame.width) return;
        // As far as the last dots whose centres lie inside.
        const double columns = std::floor((frame.width - half) / spacing), rows = std::floor((frame.height - half) / spacing);
        const Rect area{frame.x, frame.y, std::min(frame.width, columns * spacing + diameter),
                        std::min(frame.height, rows * spacing + diameter)};
        list.add(draw::Tiled{dotTile(color, spacing, diameter), {spacing, spacing}, area});
    });
}

}  // namespace pulvan::views

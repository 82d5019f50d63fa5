#include "platform/ui/tile_cache.h"

#include "platform/ui/cairo_painter.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace pulvan::ui {

namespace {

constexpr std::size_t cacheCapacity = 32;

// Copies of a period whose total is (nearly) a whole number of pixels: the pixels then repeat exactly.
int copiesForWholePixels(double periodPixels) {
    int best = 1;
    double bestError = 1;
    for (int copies = 1; copies <= 64; ++copies) {
        const double length = copies * periodPixels, error = std::abs(length - std::round(length));
        if (error < bestError - 1e-9) best = copies, bestError = error;
        if (error < 0.01) break;
    }
    return best;
}

struct CachedTile {
    std::weak_ptr<const DisplayList> tile;  // an expired tile's address may be reused by another
    Size period;
    double scaleX = 0, scaleY = 0;
    cairo_pattern_t* pattern = nullptr;
};

struct Cache {
    std::vector<CachedTile> tiles;  // most recently used last
    ~Cache() {
        for (CachedTile& t : tiles) cairo_pattern_destroy(t.pattern);
    }
};

cairo_pattern_t* makePattern(const draw::Tiled& tiled, double scaleX, double scaleY) {
    const int copiesX = copiesForWholePixels(tiled.period.width * scaleX), copiesY = copiesForWholePixels(tiled.period.height * scaleY);
    const int width = std::max(1, static_cast<int>(std::lround(copiesX * tiled.period.width * scaleX)));
    const int height = std::max(1, static_cast<int>(std::lround(copiesY * tiled.period.height * scaleY)));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, width / (copiesX * tiled.period.width), height / (copiesY * tiled.period.height));
    for (int row = 0; row < copiesY; ++row)
        for (int column = 0; column < copiesX; ++column) {
            cairo_save(cr);
            cairo_translate(cr, column * tiled.period.width, row * tiled.period.height);
            cairo_rectangle(cr, 0, 0, tiled.period.width, tiled.period.height);
            cairo_clip(cr);
            paint(cr, *tiled.tile);
            cairo_restore(cr);
        }
    cairo_destroy(cr);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
    cairo_surface_destroy(surface);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    return pattern;
}

cairo_pattern_t* patternFor(const draw::Tiled& tiled, double scaleX, double scaleY) {
    // Held by pointer: the bundle's whole thread-local block must fit the loader's small reserve.
    thread_local std::unique_ptr<Cache> cache;
    if (!cache) cache = std::make_unique<Cache>();
    auto& tiles = cache->tiles;
    for (auto it = tiles.begin(); it != tiles.end(); ++it) {
        if (it->tile.lock() != tiled.tile || it->period != tiled.period || it->scaleX != scaleX || it->scaleY != scaleY) continue;
        std::rotate(it, it + 1, tiles.end());
        return tiles.back().pattern;
    }
    std::erase_if(tiles, [](CachedTile& t) {
        if (!t.tile.expired()) return false;
        cairo_pattern_destroy(t.pattern);
        return true;
    });
    if (tiles.size() >= cacheCapacity) {
        cairo_pattern_destroy(tiles.front().pattern);
        tiles.erase(tiles.begin());
    }
    tiles.push_back({tiled.tile, tiled.period, scaleX, scaleY, makePattern(tiled, scaleX, scaleY)});
    return tiles.back().pattern;
}

}  // namespace

bool fillWithTiles(cairo_t* cr, const draw::Tiled& tiled) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (m.xy != 0 || m.yx != 0 || !(m.xx > 0) || !(m.yy > 0)) return false;
    if (!tiled.tile || tiled.area.isEmpty() || !(tiled.period.width > 0) || !(tiled.period.height > 0)) return true;
    double left = tiled.area.x, top = tiled.area.y, right = tiled.area.maxX(), bottom = tiled.area.maxY();
    cairo_user_to_device(cr, &left, &top);
    cairo_user_to_device(cr, &right, &bottom);
    // The area moves with its corner, so every copy shows the same pixels.
    const double x = std::round(left), y = std::round(top);
    const double width = std::round(right - left), height = std::round(bottom - top);
    if (width <= 0 || height <= 0) return true;
    cairo_pattern_t* pattern = patternFor(tiled, m.xx, m.yy);
    cairo_matrix_t placed;
    cairo_matrix_init_translate(&placed, -x, -y);
    cairo_pattern_set_matrix(pattern, &placed);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source(cr, pattern);
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
    cairo_restore(cr);
    return true;
}

}  // namespace pulvan::ui

#include "platform/ui/cairo_painter.h"

#include "platform/ui/cairo_image.h"
#include "platform/ui/drawn_bounds.h"
#include "platform/ui/pango_text_layout.h"
#include "platform/ui/pixel_snapping.h"
#include "platform/ui/tile_cache.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pulvan::ui {

namespace {

void setPath(cairo_t* cr, const Path& path) {
    cairo_new_path(cr);
    Point current;
    for (const Path::Element& e : path.elements()) {
        const Point* p = e.points;
        switch (e.verb) {
            case Path::Verb::move:
                cairo_move_to(cr, p[0].x, p[0].y);
                current = p[0];
                break;
            case Path::Verb::line:
                cairo_line_to(cr, p[0].x, p[0].y);
                current = p[0];
                break;
            case Path::Verb::quad: {
                // The same curve as a cubic: control points two thirds of the way to the quadratic's one.
                const Point c1{current.x + 2.0 / 3 * (p[0].x - current.x), current.y + 2.0 / 3 * (p[0].y - current.y)};
                const Point c2{p[1].x + 2.0 / 3 * (p[0].x - p[1].x), p[1].y + 2.0 / 3 * (p[0].y - p[1].y)};
                cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, p[1].x, p[1].y);
                current = p[1];
                break;
            }
            case Path::Verb::cubic:
                cairo_curve_to(cr, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
                current = p[2];
                break;
            case Path::Verb::close: {
                cairo_close_path(cr);
                double x = 0, y = 0;
                cairo_get_current_point(cr, &x, &y);
                current = {x, y};
                break;
            }
        }
    }
}

void setColor(cairo_t* cr, Color c) { cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha); }

cairo_line_cap_t cairoCap(LineCap cap) {
    switch (cap) {
        case LineCap::butt: return CAIRO_LINE_CAP_BUTT;
        case LineCap::round: return CAIRO_LINE_CAP_ROUND;
        case LineCap::square: return CAIRO_LINE_CAP_SQUARE;
    }
    return CAIRO_LINE_CAP_BUTT;
}

cairo_line_join_t cairoJoin(LineJoin join) {
    switch (join) {
        case LineJoin::miter: return CAIRO_LINE_JOIN_MITER;
        case LineJoin::round: return CAIRO_LINE_JOIN_ROUND;
        case LineJoin::bevel: return CAIRO_LINE_JOIN_BEVEL;
    }
    return CAIRO_LINE_JOIN_MITER;
}

// One pass of a box blur of half-width `radius` along rows (step 1) or columns (step = stride).
void boxBlur(unsigned char* data, int lines, int length, std::ptrdiff_t lineStep, std::ptrdiff_t step, int radius,
             std::vector<unsigned char>& scratch) {
    scratch.resize(static_cast<std::size_t>(length));
    const int window = 2 * radius + 1;
    for (int line = 0; line < lines; ++line) {
        unsigned char* start = data + line * lineStep;
        for (int i = 0; i < length; ++i) scratch[static_cast<std::size_t>(i)] = start[i * step];
        int sum = 0;
        for (int i = 0; i < std::min(radius, length); ++i) sum += scratch[static_cast<std::size_t>(i)];
        for (int i = 0; i < length; ++i) {
            if (i + radius < length) sum += scratch[static_cast<std::size_t>(i + radius)];
            if (i - radius - 1 >= 0) sum -= scratch[static_cast<std::size_t>(i - radius - 1)];
            start[i * step] = static_cast<unsigned char>((sum + window / 2) / window);
        }
    }
}

// Three box blurs come close to a gaussian of this deviation (in pixels).
void gaussianBlur(cairo_surface_t* alpha, double sigma) {
    const int radius = static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2));
    if (radius < 1) return;
    cairo_surface_flush(alpha);
    unsigned char* data = cairo_image_surface_get_data(alpha);
    const int width = cairo_image_surface_get_width(alpha), height = cairo_image_surface_get_height(alpha);
    const std::ptrdiff_t stride = cairo_image_surface_get_stride(alpha);
    std::vector<unsigned char> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(data, height, width, stride, 1, radius, scratch);
        boxBlur(data, width, height, 1, stride, radius, scratch);
    }
    cairo_surface_mark_dirty(alpha);
}

double deviceScale(cairo_t* cr) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    return std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx));
}

// The device pixels a user-space rectangle covers.
Rect deviceRect(cairo_t* cr, const Rect& r) {
    double xs[4] = {r.x, r.maxX(), r.x, r.maxX()}, ys[4] = {r.y, r.y, r.maxY(), r.maxY()};
    for (int i = 0; i < 4; ++i) cairo_user_to_device(cr, &xs[i], &ys[i]);
    const double left = *std::min_element(xs, xs + 4), top = *std::min_element(ys, ys + 4);
    return {left, top, *std::max_element(xs, xs + 4) - left, *std::max_element(ys, ys + 4) - top};
}

Rect deviceClip(cairo_t* cr) {
    cairo_save(cr);
    cairo_identity_matrix(cr);
    double x0, y0, x1, y1;
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    cairo_restore(cr);
    return {x0, y0, x1 - x0, y1 - y0};
}

// Draws the content's shadow, then the content. The context's state is the one the group began in;
// contentBounds, when known, holds everything the content drew (user space).
void drawWithShadow(cairo_t* cr, cairo_pattern_t* content, const draw::BeginShadow& shadow, std::optional<Rect> contentBounds) {
    const double sigma = shadow.radius / 2 * deviceScale(cr);
    const double margin = std::ceil(3 * sigma) + 1;

    // The shadow is only seen inside the clip, and only around where the content drew; the blur also
    // takes in what lies within its reach outside the clip, so a repaint of part of it matches the whole.
    Rect area = deviceClip(cr).insetBy(-margin, -margin);
    if (contentBounds)
        area = area.intersection(deviceRect(cr, contentBounds->offsetBy(shadow.offset.x, shadow.offset.y)).insetBy(-margin, -margin));
    const int left = static_cast<int>(std::floor(area.x)), top = static_cast<int>(std::floor(area.y));
    const int width = static_cast<int>(std::ceil(area.maxX())) - left, height = static_cast<int>(std::ceil(area.maxY())) - top;
    if (!area.isEmpty() && shadow.color.alpha > 0) {
        cairo_matrix_t userToDevice;
        cairo_get_matrix(cr, &userToDevice);
        cairo_surface_t* alpha = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
        cairo_t* mask = cairo_create(alpha);
        cairo_translate(mask, -left, -top);
        cairo_transform(mask, &userToDevice);
        cairo_translate(mask, shadow.offset.x, shadow.offset.y);
        cairo_set_source(mask, content);
        cairo_paint(mask);
        cairo_destroy(mask);
        gaussianBlur(alpha, sigma);

        cairo_save(cr);
        cairo_identity_matrix(cr);
        setColor(cr, shadow.color);
        cairo_mask_surface(cr, alpha, left, top);
        cairo_restore(cr);
        cairo_surface_destroy(alpha);
    }
    cairo_set_source(cr, content);
    cairo_paint(cr);
}

class Painter {
public:
    explicit Painter(cairo_t* cr) : cr_(cr) {}
    ~Painter() {
        while (!open_.empty()) close();
    }
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    void operator()(const draw::Save&) {
        cairo_save(cr_);
        open_.push_back({Kind::save});
    }
    void operator()(const draw::Restore&) {
        if (!open_.empty() && open_.back().kind == Kind::save) close();
    }
    void operator()(const draw::Concat& c) {
        const Transform& t = c.transform;
        const cairo_matrix_t m{t.a, t.b, t.c, t.d, t.tx, t.ty};
        cairo_transform(cr_, &m);
    }
    void operator()(const draw::ClipRect& c) {
        cairo_new_path(cr_);
        cairo_rectangle(cr_, c.rect.x, c.rect.y, c.rect.width, c.rect.height);
        cairo_clip(cr_);
    }
    void operator()(const draw::ClipPath& c) {
        setPath(cr_, c.path);
        cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
        cairo_clip(cr_);
    }
    void operator()(const draw::Fill& f) {
        cairo_matrix_t m;
        cairo_get_matrix(cr_, &m);
        const std::optional<Path> snapped = snappedThinFill(f.path, m);
        setPath(cr_, snapped ? *snapped : f.path);
        cairo_set_fill_rule(cr_, f.rule == FillRule::evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        setColor(cr_, f.color);
        cairo_fill(cr_);
    }
    void operator()(const draw::Stroke& s) {
        cairo_matrix_t m;
        cairo_get_matrix(cr_, &m);
        const std::optional<Path> snapped = snappedHairline(s.path, s.style.width, m);
        setPath(cr_, snapped ? *snapped : s.path);
        cairo_set_line_width(cr_, s.style.width);
        cairo_set_line_cap(cr_, cairoCap(s.style.cap));
        cairo_set_line_join(cr_, cairoJoin(s.style.join));
        cairo_set_miter_limit(cr_, s.style.miterLimit);
        setColor(cr_, s.color);
        cairo_stroke(cr_);
    }
    void operator()(const draw::Text& t) {
        if (const auto* layout = dynamic_cast<const PangoTextLayout*>(t.layout.get())) layout->draw(cr_, t.origin, t.color, t.asMeasured);
    }
    void operator()(const draw::DrawImage& d) {
        const auto* image = dynamic_cast<const CairoImage*>(d.image.get());
        if (!image || d.destination.isEmpty()) return;
        const Size pixels = image->pixelSize();
        if (pixels.width <= 0 || pixels.height <= 0) return;
        cairo_save(cr_);
        cairo_translate(cr_, d.destination.x, d.destination.y);
        cairo_scale(cr_, d.destination.width / pixels.width, d.destination.height / pixels.height);
        cairo_set_source_surface(cr_, image->surface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
        cairo_new_path(cr_);
        cairo_rectangle(cr_, 0, 0, pixels.width, pixels.height);
        cairo_fill(cr_);
        cairo_restore(cr_);
    }
    void operator()(const draw::Tiled& t) {
        if (fillWithTiles(cr_, t)) return;
        // Turned: every copy drawn where it lies.
        cairo_save(cr_);
        cairo_new_path(cr_);
        cairo_rectangle(cr_, t.area.x, t.area.y, t.area.width, t.area.height);
        cairo_clip(cr_);
        for (double y = t.area.y; y < t.area.maxY(); y += t.period.height)
            for (double x = t.area.x; x < t.area.maxX(); x += t.period.width) {
                cairo_save(cr_);
                cairo_translate(cr_, x, y);
                paint(cr_, *t.tile);
                cairo_restore(cr_);
            }
        cairo_restore(cr_);
    }
    void operator()(const draw::BeginGroup& g) {
        cairo_push_group(cr_);
        open_.push_back({Kind::group, g.opacity});
    }
    // `content` runs from the command after this one to the end of the list.
    void beginShadow(const draw::BeginShadow& s, std::span<const DrawCommand> content) {
        // Composed as large as what it draws, inside the clip or not (its shadow may reach into the
        // clip); the clip returns before the shadow and the content are drawn.
        const std::optional<Rect> bounds = groupContentBounds(content);
        cairo_save(cr_);
        if (bounds) {
            cairo_reset_clip(cr_);
            cairo_new_path(cr_);
            cairo_rectangle(cr_, bounds->x, bounds->y, bounds->width, bounds->height);
            cairo_clip(cr_);
        }
        cairo_push_group(cr_);
        open_.push_back({Kind::shadow, 1, s, bounds});
    }
    void operator()(const draw::BeginShadow&) {}  // paint() calls beginShadow instead
    void operator()(const draw::EndGroup&) {
        if (!open_.empty() && open_.back().kind != Kind::save) close();
    }

private:
    enum class Kind { save, group, shadow };
    struct Open {
        Kind kind;
        double opacity = 1;
        draw::BeginShadow shadow{};
        std::optional<Rect> contentBounds{};
    };

    void close() {
        const Open open = open_.back();
        open_.pop_back();
        switch (open.kind) {
            case Kind::save: cairo_restore(cr_); break;
            case Kind::group:
                cairo_pop_group_to_source(cr_);
                cairo_paint_with_alpha(cr_, open.opacity);
                break;
            case Kind::shadow: {
                cairo_pattern_t* content = cairo_pop_group(cr_);
                cairo_restore(cr_);
                drawWithShadow(cr_, content, open.shadow, open.contentBounds);
                cairo_pattern_destroy(content);
                break;
            }
        }
    }

    cairo_t* cr_;
    std::vector<Open> open_;  // saves and groups not yet closed, innermost last
};

}  // namespace

void paint(cairo_t* context, const DisplayList& list) {
    cairo_save(context);
    {
        Painter painter(context);
        const std::span<const DrawCommand> commands(list.commands());
        for (std::size_t i = 0; i < commands.size(); ++i) {
            if (const auto* shadow = std::get_if<draw::BeginShadow>(&commands[i])) {
                painter.beginShadow(*shadow, commands.subspan(i + 1));
            } else {
                std::visit(painter, commands[i]);
            }
        }
    }
    cairo_restore(context);
}

}  // namespace pulvan::ui

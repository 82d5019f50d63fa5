#include "platform/ui/drawn_bounds.h"

#include "platform/ui/pango_text_layout.h"

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <optional>
#include <variant>
#include <vector>

namespace pulvan::ui {

namespace {

// The first of the directions that has a length.
Point directionOf(std::initializer_list<Point> candidates) {
    for (const Point d : candidates)
        if (std::abs(d.x) + std::abs(d.y) > 1e-9) return d;
    return {};
}

// How far a stroke reaches past its path: half its width, more at a miter join, by as much as the join's angle asks
// within the limit (a rectangle's corner: the square root of two), and at a square cap's corner.
double strokeReach(const draw::Stroke& s) {
    double factor = 1;
    Point start, current;
    std::optional<Point> firstOut, lastIn;  // directions leaving the subpath's start and arriving at its end
    const auto join = [&](Point in, Point out) {
        if (s.style.join != LineJoin::miter) return;
        const double cosTurn = (in.x * out.x + in.y * out.y) / (std::hypot(in.x, in.y) * std::hypot(out.x, out.y));
        const double miter = 1 / std::sqrt(std::max((1 + cosTurn) / 2, 1e-12));
        if (miter <= s.style.miterLimit) factor = std::max(factor, miter);
    };
    const auto segment = [&](Point out, Point in, Point to) {
        if (out.x == 0 && out.y == 0) return;  // no length: no join
        if (lastIn) join(*lastIn, out);
        else firstOut = out;
        lastIn = in;
        current = to;
    };
    const auto endSubpath = [&](bool closed) {
        if (closed && lastIn && firstOut) join(*lastIn, *firstOut);
        else if (lastIn && s.style.cap == LineCap::square) factor = std::max(factor, std::numbers::sqrt2);
        firstOut.reset();
        lastIn.reset();
    };
    for (const Path::Element& e : s.path.elements()) {
        const Point* p = e.points;
        switch (e.verb) {
            case Path::Verb::move:
                endSubpath(false);
                start = current = p[0];
                break;
            case Path::Verb::line: segment(p[0] - current, p[0] - current, p[0]); break;
            case Path::Verb::quad:
                segment(directionOf({p[0] - current, p[1] - current}), directionOf({p[1] - p[0], p[1] - current}), p[1]);
                break;
            case Path::Verb::cubic:
                segment(directionOf({p[0] - current, p[1] - current, p[2] - current}),
                        directionOf({p[2] - p[1], p[2] - p[0], p[2] - current}), p[2]);
                break;
            case Path::Verb::close:
                segment(start - current, start - current, start);
                endSubpath(true);
                break;
        }
    }
    endSubpath(false);
    return s.style.width / 2 * factor;
}

Rect strokeBounds(const draw::Stroke& s) {
    const double reach = strokeReach(s);
    return s.path.bounds().insetBy(-reach, -reach);
}

}  // namespace

std::optional<Rect> drawnBounds(const DrawCommand& command) {
    if (const auto* fill = std::get_if<draw::Fill>(&command)) return fill->path.bounds();
    if (const auto* stroke = std::get_if<draw::Stroke>(&command)) return strokeBounds(*stroke);
    if (const auto* text = std::get_if<draw::Text>(&command)) {
        // cairo moves each glyph to a whole device pixel and hints its outline: its ink may lie up to a pixel
        // beyond the extents pango measures. Two points are a pixel down to a scale of one half.
        if (const auto* layout = dynamic_cast<const PangoTextLayout*>(text->layout.get()))
            return layout->inkBounds().offsetBy(text->origin.x, text->origin.y).insetBy(-2, -2);
        return Rect{};
    }
    if (const auto* image = std::get_if<draw::DrawImage>(&command)) return image->destination;
    // Its origin moves to a whole device pixel: up to half of one, which is under a point.
    if (const auto* tiled = std::get_if<draw::Tiled>(&command)) return tiled->area.insetBy(-1, -1);
    return std::nullopt;
}

std::optional<Rect> groupContentBounds(std::span<const DrawCommand> commands) {
    std::vector<Transform> saved;
    Transform current;
    Rect bounds;
    int depth = 0;
    for (const DrawCommand& command : commands) {
        if (std::holds_alternative<draw::BeginShadow>(command)) return std::nullopt;
        if (std::holds_alternative<draw::BeginGroup>(command)) {
            ++depth;
        } else if (std::holds_alternative<draw::EndGroup>(command)) {
            if (depth-- == 0) break;
        } else if (std::holds_alternative<draw::Save>(command)) {
            saved.push_back(current);
        } else if (std::holds_alternative<draw::Restore>(command)) {
            if (!saved.empty()) current = saved.back(), saved.pop_back();
        } else if (const auto* concat = std::get_if<draw::Concat>(&command)) {
            current = current.after(concat->transform);
        } else if (const auto drawn = drawnBounds(command)) {
            bounds = bounds.united(current.apply(*drawn));
        }
    }
    return bounds;
}

namespace {

// The transforms in force while walking a list: the one now and those saved.
struct TransformWalk {
    std::vector<Transform> saved;
    Transform current;
    void step(const DrawCommand& command) {
        if (std::holds_alternative<draw::Save>(command)) saved.push_back(current);
        else if (std::holds_alternative<draw::Restore>(command) && !saved.empty()) current = saved.back(), saved.pop_back();
        else if (const auto* concat = std::get_if<draw::Concat>(&command)) current = current.after(concat->transform);
    }
};

// Everything the commands draw, from the transforms in force before them; none with a shadow among them.
std::optional<Rect> spanBounds(std::span<const DrawCommand> commands, TransformWalk walk) {
    Rect bounds;
    for (const DrawCommand& command : commands) {
        if (std::holds_alternative<draw::BeginShadow>(command)) return std::nullopt;
        if (const auto drawn = drawnBounds(command)) bounds = bounds.united(walk.current.apply(*drawn));
        walk.step(command);
    }
    return bounds;
}

// Whether commands leave the state they began in (transform, clip, group) as it was: what follows them then draws
// the same wherever they differ.
bool leavesTheStateAsItWas(std::span<const DrawCommand> commands) {
    int depth = 0;
    for (const DrawCommand& command : commands) {
        if (std::holds_alternative<draw::Save>(command) || std::holds_alternative<draw::BeginGroup>(command) ||
            std::holds_alternative<draw::BeginShadow>(command))
            ++depth;
        else if (std::holds_alternative<draw::Restore>(command) || std::holds_alternative<draw::EndGroup>(command)) {
            if (--depth < 0) return false;
        } else if (depth == 0 && (std::holds_alternative<draw::Concat>(command) || std::holds_alternative<draw::ClipRect>(command) ||
                                  std::holds_alternative<draw::ClipPath>(command)))
            return false;
    }
    return depth == 0;
}

}  // namespace

std::vector<Rect> changedAreas(const DisplayList& before, const DisplayList& after) {
    const std::span<const DrawCommand> a(before.commands()), b(after.commands());
    // What both begin and end with is the same; between, a view came, went or changed its commands.
    std::size_t head = 0;
    TransformWalk walk;
    while (head < a.size() && head < b.size() && a[head] == b[head]) walk.step(a[head++]);
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    // The same commands after a transform or clip that changed draw elsewhere: they changed too.
    if (!leavesTheStateAsItWas(a.subspan(head, a.size() - head - tail)) || !leavesTheStateAsItWas(b.subspan(head, b.size() - head - tail)))
        tail = 0;
    const auto first = a.subspan(head, a.size() - head - tail), second = b.subspan(head, b.size() - head - tail);
    if (first.size() == second.size()) {
        // The same structure: only the commands that differ, unless a state (a clip, an opacity) changed.
        std::vector<Rect> changed;
        for (std::size_t i = 0; i < first.size(); ++i) {
            if (!(first[i] == second[i])) {
                const auto was = drawnBounds(first[i]), is = drawnBounds(second[i]);
                if (!was || !is) {
                    changed.clear();
                    break;
                }
                changed.push_back(walk.current.apply(was->united(*is)));
            }
            walk.step(first[i]);
        }
        if (!changed.empty() || first.empty()) return changed;
        walk = {};
        for (std::size_t i = 0; i < head; ++i) walk.step(a[i]);
    }
    const auto was = spanBounds(first, walk), is = spanBounds(second, walk);
    if (!was || !is) return {Rect{-1e9, -1e9, 2e9, 2e9}};
    return {was->united(*is)};
}

}  // namespace pulvan::ui

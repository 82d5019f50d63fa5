#include "platform/ui/drawn_bounds.h"

#include "platform/ui/pango_text_layout.h"

#include <numbers>
#include <variant>
#include <vector>

namespace pulvan::ui {

namespace {

Rect strokeBounds(const draw::Stroke& s) {
    // A miter reaches out to the limit; a square cap to the corner of its square.
    const double reach = s.style.width / 2 * std::max(s.style.join == LineJoin::miter ? s.style.miterLimit : 1.0, std::numbers::sqrt2);
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

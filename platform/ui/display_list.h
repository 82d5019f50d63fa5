#pragma once
// What a frame draws, as a list of commands: the views write it, a back end executes it.
#include "platform/ui/color.h"
#include "platform/ui/geometry.h"
#include "platform/ui/path.h"

#include <memory>
#include <variant>
#include <vector>

namespace pulvan::ui {

class TextLayout;
class Image;
class DisplayList;

enum class LineCap : unsigned char { butt, round, square };
enum class LineJoin : unsigned char { miter, round, bevel };
enum class FillRule : unsigned char { nonZero, evenOdd };

struct StrokeStyle {
    double width = 1;
    LineCap cap = LineCap::butt;
    LineJoin join = LineJoin::miter;
    double miterLimit = 10;
    friend bool operator==(const StrokeStyle&, const StrokeStyle&) = default;
};

namespace draw {
struct Save {
    friend bool operator==(const Save&, const Save&) = default;
};
struct Restore {
    friend bool operator==(const Restore&, const Restore&) = default;
};
struct Concat {
    Transform transform;
    friend bool operator==(const Concat&, const Concat&) = default;
};
struct ClipRect {
    Rect rect;
    friend bool operator==(const ClipRect&, const ClipRect&) = default;
};
struct ClipPath {
    Path path;
    friend bool operator==(const ClipPath&, const ClipPath&) = default;
};
struct Fill {
    Path path;
    Color color;
    FillRule rule = FillRule::nonZero;
    friend bool operator==(const Fill&, const Fill&) = default;
};
struct Stroke {
    Path path;
    Color color;
    StrokeStyle style;
    friend bool operator==(const Stroke&, const Stroke&) = default;
};
// A laid-out text with its top-left corner at origin.
struct Text {
    std::shared_ptr<const TextLayout> layout;
    Point origin;
    Color color;
    // Glyphs exactly where the layout measures them, for text that a caret moves through; else, below one
    // pixel a point, a back end may round advances to whole pixels, which moves a long line's far end.
    bool asMeasured = false;
    friend bool operator==(const Text&, const Text&) = default;
};
struct DrawImage {
    std::shared_ptr<const Image> image;
    Rect destination;
    friend bool operator==(const DrawImage&, const DrawImage&) = default;
};
// A small picture repeated every period across the area, its first copy at the area's top-left corner:
// a back end draws the picture once for its scale and repeats those pixels, from a whole device pixel.
// The picture stays inside its period; the same tile (by address) is the same picture.
struct Tiled {
    std::shared_ptr<const DisplayList> tile;
    Size period;
    Rect area;
    friend bool operator==(const Tiled&, const Tiled&) = default;
};
// Everything until the matching EndGroup is composed on its own and then drawn with the opacity.
struct BeginGroup {
    double opacity = 1;
    friend bool operator==(const BeginGroup&, const BeginGroup&) = default;
};
// Everything until the matching EndGroup casts a shadow: its alpha, blurred by radius and moved by offset.
struct BeginShadow {
    Color color;
    double radius = 0;
    Point offset;
    friend bool operator==(const BeginShadow&, const BeginShadow&) = default;
};
struct EndGroup {
    friend bool operator==(const EndGroup&, const EndGroup&) = default;
};
}  // namespace draw

using DrawCommand = std::variant<draw::Save, draw::Restore, draw::Concat, draw::ClipRect, draw::ClipPath, draw::Fill, draw::Stroke,
                                 draw::Text, draw::DrawImage, draw::Tiled, draw::BeginGroup, draw::BeginShadow, draw::EndGroup>;

// Reused from frame to frame: clear() keeps the storage.
class DisplayList {
public:
    template <typename Command>
    void add(Command&& command) {
        commands_.emplace_back(std::forward<Command>(command));
    }
    void clear() { commands_.clear(); }
    const std::vector<DrawCommand>& commands() const { return commands_; }
    bool isEmpty() const { return commands_.empty(); }

private:
    std::vector<DrawCommand> commands_;
};

}  // namespace pulvan::ui

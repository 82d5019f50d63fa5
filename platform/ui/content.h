#pragma once
// The leaves of the tree: shapes, text, images, symbols and free drawing.
#include "platform/ui/display_list.h"
#include "platform/ui/environment.h"
#include "platform/ui/text.h"
#include "platform/ui/view.h"

#include <functional>
#include <string>

namespace pulvan::ui {

// The colour text, symbols and unfilled shapes draw in.
struct ForegroundColorKey {
    using Value = Color;
    static Color defaultValue() { return Color::white(); }
};
// How text below is set.
struct TextStyleKey {
    using Value = TextStyle;
    static TextStyle defaultValue() { return {}; }
};

// A shape that becomes a view once it is filled or stroked; it takes the whole proposed size.
class ShapeView {
public:
    explicit ShapeView(Shape shape) : shape_(std::move(shape)) {}
    View fill(Color color) const;
    // A filled shape in the foreground colour.
    operator View() const;
    View stroke(Color color, double width) const { return stroke(color, StrokeStyle{width}); }
    View stroke(Color color, StrokeStyle style) const;
    // Stroked inside its edge, so the whole line shows within the frame.
    View strokeBorder(Color color, double width) const;
    const Shape& shape() const { return shape_; }

private:
    Shape shape_;
};

ShapeView rectangle();
ShapeView roundedRectangle(double radius);
ShapeView capsule();
ShapeView circle();
ShapeView ellipse();
ShapeView shape(Shape shape);

// A colour that fills whatever it is offered.
View color(Color color);

// A text in the style and colour of the environment.
View text(std::string string);

// A bundled image by name, fitted to its frame (keeping its aspect) when resizable, else at its size in points.
View image(const std::string& name, bool resizable = true);

// A named symbol at the environment's font size and weight, in the foreground colour.
View symbol(const std::string& name);

// Free drawing in a frame of the proposed size.
View canvas(std::function<void(DisplayList&, const Rect&)> draw);

}  // namespace pulvan::ui

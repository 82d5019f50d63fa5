#include "platform/ui/content.h"

#include "platform/ui/drawn_bounds.h"
#include "platform/ui/image.h"
#include "platform/ui/node.h"
#include "platform/ui/symbols.h"

#include <array>
#include <cmath>

namespace pulvan::ui {

namespace {

struct ShapeParameters {
    Shape shape;
    std::optional<Color> fill;
    std::optional<Color> strokeColor;
    StrokeStyle stroke;
    bool inside = false;
    bool useForeground = false;
};

class ShapeNode final : public Node {
public:
    using Parameters = ShapeParameters;
    void apply(const ShapeParameters& p, const BuildScope& scope) {
        p_ = p;
        if (p_.useForeground) p_.fill = scope.environment.get<ForegroundColorKey>();
    }
    // A filled shape takes hits; an outline or a clear fill is decoration and lets them through.
    bool acceptsHits() const override { return p_.fill && p_.fill->alpha > 0; }
    void draw(DisplayList& list) override {
        // Nothing to see: nothing to draw.
        if (p_.fill && p_.fill->alpha > 0) list.add(draw::Fill{p_.shape(frame_), *p_.fill});
        if (auto stroke = strokeCommand()) list.add(std::move(*stroke));
    }
    // An outline reaches half its width beyond the frame, and draws even around an empty one.
    Rect computeDrawnBounds() const override {
        const auto stroke = strokeCommand();
        return stroke ? frame_.united(*ui::drawnBounds(*stroke)) : frame_;
    }

protected:
    Size sizeThatFits(ProposedSize p) override { return p.replacingUnspecified({10, 10}); }

private:
    std::optional<draw::Stroke> strokeCommand() const {
        if (!p_.strokeColor || !(p_.strokeColor->alpha > 0)) return std::nullopt;
        const double inset = p_.inside ? p_.stroke.width / 2 : 0;
        return draw::Stroke{p_.shape(frame_.insetBy(inset, inset)), *p_.strokeColor, p_.stroke};
    }

    ShapeParameters p_;
};

class TextNode final : public Node {
public:
    using Parameters = std::string;
    void apply(const std::string& string, const BuildScope& scope) {
        const Environment& environment = scope.environment;
        if (string != string_ || !(style_ == environment.get<TextStyleKey>())) {
            natural_.reset();
            narrower_ = {};
        }
        string_ = string;
        style_ = environment.get<TextStyleKey>();
        color_ = environment.get<ForegroundColorKey>();
    }
    bool acceptsHits() const override { return true; }
    std::optional<double> firstBaseline(Size size) override { return layoutFor(size.width)->firstBaseline(); }
    void draw(DisplayList& list) override { list.add(textCommand()); }
    // Glyphs overhang the text's measured box (a "G"'s curve, an italic's slant).
    Rect computeDrawnBounds() const override { return frame_.united(*ui::drawnBounds(textCommand())); }

protected:
    Size sizeThatFits(ProposedSize p) override {
        const auto layout = layoutFor(p.width);
        return layout->size();
    }

private:
    draw::Text textCommand() const {
        auto layout = layoutFor(frame_.width);
        double x = frame_.x;
        // A multi-line text narrower than its frame sits by its alignment; pango aligns the lines within it.
        if (style_.alignment == TextAlignment::center) x += (frame_.width - layout->size().width) / 2;
        else if (style_.alignment == TextAlignment::trailing) x += frame_.width - layout->size().width;
        return draw::Text{layout, {x, frame_.y + (frame_.height - layout->size().height) / 2}, color_};
    }
    // Layouts are kept per width while the text and its style stay: rebuilds and layout passes reuse them.
    std::shared_ptr<const TextLayout> layoutFor(std::optional<double> width) const {
        if (width && !std::isfinite(*width)) width.reset();
        if (!natural_) natural_ = TextEngine::shared().layout(string_, style_, std::nullopt);
        // At its natural width or wider a text is laid out as it is naturally. A stack that hands out its
        // width by subtraction may offer the natural width less a rounding error: that still fits.
        constexpr double roundingAllowance = 1e-6;
        if (!width || *width + roundingAllowance >= natural_->size().width) return natural_;
        for (const auto& [w, layout] : narrower_)
            if (layout && w == *width) return layout;
        auto layout = TextEngine::shared().layout(string_, style_, width);
        narrower_[nextNarrower_] = {*width, layout};
        nextNarrower_ = (nextNarrower_ + 1) % narrower_.size();
        return layout;
    }
    std::string string_;
    TextStyle style_;
    Color color_;
    mutable std::shared_ptr<const TextLayout> natural_;
    mutable std::array<std::pair<double, std::shared_ptr<const TextLayout>>, 3> narrower_{};
    mutable std::size_t nextNarrower_ = 0;
};

struct ImageParameters {
    std::string name;
    bool resizable = true;
};
class ImageNode final : public Node {
public:
    using Parameters = ImageParameters;
    void apply(const ImageParameters& p, const BuildScope&) {
        if (p.name != name_) image_ = Image::named(p.name);
        name_ = p.name;
        resizable_ = p.resizable;
    }
    bool acceptsHits() const override { return true; }
    void draw(DisplayList& list) override {
        if (image_) list.add(draw::DrawImage{image_, frame_});
    }

protected:
    Size sizeThatFits(ProposedSize p) override {
        const Size natural = image_ ? image_->pixelSize() : Size{};
        if (!resizable_) return natural;
        return p.replacingUnspecified(natural);
    }

private:
    std::string name_;
    bool resizable_ = true;
    std::shared_ptr<const Image> image_;
};

class SymbolNode final : public Node {
public:
    using Parameters = std::string;
    void apply(const std::string& name, const BuildScope& scope) {
        symbol_ = symbolNamed(name);
        const TextStyle style = scope.environment.get<TextStyleKey>();
        pointSize_ = style.font.size;
        weight_ = style.font.weight;
        color_ = scope.environment.get<ForegroundColorKey>();
    }
    bool acceptsHits() const override { return true; }
    void draw(DisplayList& list) override {
        if (symbol_) drawSymbol(list, *symbol_, frame_, weight_, color_);
    }

protected:
    Size sizeThatFits(ProposedSize) override { return symbol_ ? symbolSize(*symbol_, pointSize_) : Size{}; }

private:
    std::optional<Symbol> symbol_;
    double pointSize_ = 13;
    FontWeight weight_ = FontWeight::regular;
    Color color_;
};

class CanvasNode final : public Node {
public:
    using Parameters = std::function<void(DisplayList&, const Rect&)>;
    void apply(const Parameters& draw, const BuildScope&) { draw_ = draw; }
    bool acceptsHits() const override { return true; }
    void draw(DisplayList& list) override {
        if (draw_) draw_(list, frame_);
    }

protected:
    Size sizeThatFits(ProposedSize p) override { return p.replacingUnspecified({10, 10}); }

private:
    std::function<void(DisplayList&, const Rect&)> draw_;
};

View shapeView(ShapeParameters p) { return made<ShapeNode>(std::move(p)); }

template <typename Change>
View withTextStyle(const View& content, Change change) {
    return withEnvironment(content, [change](const Environment& e) {
        TextStyle style = e.get<TextStyleKey>();
        change(style);
        return e.with<TextStyleKey>(style);
    });
}

}  // namespace

View ShapeView::fill(Color color) const { return shapeView({shape_, color, {}, {}, false, false}); }
ShapeView::operator View() const { return shapeView({shape_, {}, {}, {}, false, true}); }
View ShapeView::stroke(Color color, StrokeStyle style) const { return shapeView({shape_, {}, color, style, false, false}); }
View ShapeView::strokeBorder(Color color, double width) const { return shapeView({shape_, {}, color, StrokeStyle{width}, true, false}); }

ShapeView rectangle() { return ShapeView(shapes::rectangle()); }
ShapeView roundedRectangle(double radius) { return ShapeView(shapes::roundedRectangle(radius)); }
ShapeView capsule() { return ShapeView(shapes::capsule()); }
ShapeView circle() { return ShapeView(shapes::circle()); }
ShapeView ellipse() { return ShapeView(shapes::ellipse()); }
ShapeView shape(Shape s) { return ShapeView(std::move(s)); }

View color(Color c) { return rectangle().fill(c); }
View text(std::string string) { return made<TextNode>(std::move(string)); }
View image(const std::string& name, bool resizable) { return made<ImageNode>({name, resizable}); }
View symbol(const std::string& name) { return made<SymbolNode>(name); }
View canvas(std::function<void(DisplayList&, const Rect&)> draw) { return made<CanvasNode>(std::move(draw)); }

View View::font(Font font) const {
    return withTextStyle(*this, [font](TextStyle& s) { s.font = font; });
}
View View::foregroundColor(Color color) const { return environment<ForegroundColorKey>(color); }
View View::lineLimit(int lines) const {
    return withTextStyle(*this, [lines](TextStyle& s) { s.lineLimit = lines; });
}
View View::minimumScaleFactor(double factor) const {
    return withTextStyle(*this, [factor](TextStyle& s) { s.minimumScaleFactor = factor; });
}
View View::tracking(double points) const {
    return withTextStyle(*this, [points](TextStyle& s) { s.tracking = points; });
}
View View::uppercased() const {
    return withTextStyle(*this, [](TextStyle& s) { s.uppercase = true; });
}
View View::multilineTextAlignment(TextAlignment alignment) const {
    return withTextStyle(*this, [alignment](TextStyle& s) { s.alignment = alignment; });
}
View View::monospacedDigit() const {
    return withTextStyle(*this, [](TextStyle& s) { s.font.monospacedDigits = true; });
}

}  // namespace pulvan::ui

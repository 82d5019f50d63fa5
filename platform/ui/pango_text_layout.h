#pragma once
// The pango side of a text layout, for the cairo back end and the engine's tests.
#include "platform/ui/color.h"
#include "platform/ui/text.h"

#include <pango/pangocairo.h>

namespace pulvan::ui {

class PangoTextLayout final : public TextLayout {
public:
    explicit PangoTextLayout(PangoLayout* layout);  // takes the reference
    ~PangoTextLayout() override;
    PangoTextLayout(const PangoTextLayout&) = delete;
    PangoTextLayout& operator=(const PangoTextLayout&) = delete;

    Size size() const override { return size_; }
    double firstBaseline() const override { return baseline_; }
    bool isTruncated() const override { return truncated_; }
    int lineCount() const override { return pango_layout_get_line_count(layout_); }
    std::size_t offsetAt(double x) const override;
    double xOf(std::size_t offset) const override;
    std::size_t adjacentCaretOffset(std::size_t offset, bool forward) const override;
    std::size_t visualCaretOffset(std::size_t offset, bool rightward) const override;
    std::size_t backspaceOffset(std::size_t offset) const override;
    std::vector<std::pair<double, double>> spansOf(std::size_t from, std::size_t to) const override;

    PangoLayout* pangoLayout() const { return layout_; }
    // Where the glyphs reach, relative to the top-left corner: past the size for overhanging glyphs.
    Rect inkBounds() const { return inkBounds_; }
    // Draws with the layout's top-left corner at origin; see draw::Text for `asMeasured`.
    void draw(cairo_t* context, Point origin, Color color, bool asMeasured) const;

private:
    PangoLayout* shownAt(double deviceScale) const;
    // The offset in bytes of the layout's text, at most its length.
    int indexOf(std::size_t offset) const;

    PangoLayout* layout_;
    // The layout again with its advances in whole device pixels, for the scale below one it was last drawn
    // at: cairo puts each glyph on a whole pixel, and positions rounded one by one lose small text's spaces.
    mutable PangoLayout* shown_ = nullptr;
    mutable double shownScale_ = 0;
    Point logicalOrigin_;  // where the logical box starts inside pango's own box (centred lines)
    Size size_;
    Rect inkBounds_;
    double baseline_ = 0;
    bool truncated_ = false;
};

}  // namespace pulvan::ui

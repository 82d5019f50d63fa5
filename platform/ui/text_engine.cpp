#include "platform/ui/pango_text_layout.h"
#include "platform/ui/resources.h"
#include "platform/ui/text_editing.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <list>
#include <unordered_map>
#include <vector>

namespace pulvan::ui {

PangoTextLayout::PangoTextLayout(PangoLayout* layout) : layout_(layout) {
    PangoRectangle ink, logical;
    pango_layout_get_extents(layout_, &ink, &logical);
    logicalOrigin_ = {pango_units_to_double(logical.x), pango_units_to_double(logical.y)};
    size_ = {pango_units_to_double(logical.width), pango_units_to_double(logical.height)};
    inkBounds_ = Rect{pango_units_to_double(ink.x), pango_units_to_double(ink.y), pango_units_to_double(ink.width),
                      pango_units_to_double(ink.height)}
                     .offsetBy(-logicalOrigin_.x, -logicalOrigin_.y);
    baseline_ = pango_units_to_double(pango_layout_get_baseline(layout_)) - logicalOrigin_.y;
    truncated_ = pango_layout_is_ellipsized(layout_);
}

std::size_t PangoTextLayout::offsetAt(double x) const {
    const int at = pango_units_from_double(x + logicalOrigin_.x);
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(layout_, at, pango_layout_get_baseline(layout_), &index, &trailing);
    // Pango splits a cluster's width evenly among its characters, a letter's combining marks too, which
    // moves the middle of such a grapheme away from its own: the nearer edge of the grapheme decides.
    PangoRectangle grapheme;
    pango_layout_index_to_pos(layout_, index, &grapheme);
    if (std::abs(at - grapheme.x) <= std::abs(at - (grapheme.x + grapheme.width))) return static_cast<std::size_t>(index);
    return adjacentCaretOffset(static_cast<std::size_t>(index), true);
}

int PangoTextLayout::indexOf(std::size_t offset) const {
    return static_cast<int>(std::min(offset, std::strlen(pango_layout_get_text(layout_))));
}

double PangoTextLayout::xOf(std::size_t offset) const {
    PangoRectangle strong;
    pango_layout_get_cursor_pos(layout_, indexOf(offset), &strong, nullptr);
    return pango_units_to_double(strong.x) - logicalOrigin_.x;
}

std::size_t PangoTextLayout::adjacentCaretOffset(std::size_t offset, bool forward) const {
    const char* text = pango_layout_get_text(layout_);
    int count = 0;
    const PangoLogAttr* attributes = pango_layout_get_log_attrs_readonly(layout_, &count);
    const glong last = count - 1;  // the offset after the last character
    glong i = g_utf8_pointer_to_offset(text, text + indexOf(offset));
    do i += forward ? 1 : -1;
    while (i > 0 && i < last && !attributes[i].is_cursor_position);
    return static_cast<std::size_t>(g_utf8_offset_to_pointer(text, std::clamp(i, glong{0}, last)) - text);
}

std::size_t PangoTextLayout::visualCaretOffset(std::size_t offset, bool rightward) const {
    const char* text = pango_layout_get_text(layout_);
    const int from = indexOf(offset);
    int index = 0, trailing = 0;
    // The strong cursor, the one xOf draws.
    pango_layout_move_cursor_visually(layout_, TRUE, from, 0, rightward ? 1 : -1, &index, &trailing);
    // Pango answers a move past the line's visual edge with -1 or G_MAXINT; the caret stays at that edge.
    if (index < 0 || index == G_MAXINT) return static_cast<std::size_t>(from);
    // The stop is `trailing` characters after the index: the far side of the character there.
    return static_cast<std::size_t>(g_utf8_offset_to_pointer(text + index, trailing) - text);
}

std::size_t PangoTextLayout::backspaceOffset(std::size_t offset) const {
    const std::size_t previous = adjacentCaretOffset(offset, false);
    const char* text = pango_layout_get_text(layout_);
    const int at = indexOf(offset);
    int count = 0;
    const PangoLogAttr* attributes = pango_layout_get_log_attrs_readonly(layout_, &count);
    if (previous == static_cast<std::size_t>(at) || !attributes[g_utf8_pointer_to_offset(text, text + at)].backspace_deletes_character)
        return previous;
    return static_cast<std::size_t>(g_utf8_find_prev_char(text, text + at) - text);
}

std::vector<std::pair<double, double>> PangoTextLayout::spansOf(std::size_t from, std::size_t to) const {
    int* ranges = nullptr;
    int count = 0;
    pango_layout_line_get_x_ranges(pango_layout_get_line_readonly(layout_, 0), indexOf(std::min(from, to)), indexOf(std::max(from, to)),
                                   &ranges, &count);
    std::vector<std::pair<double, double>> spans;
    for (int i = 0; i < count; ++i)
        spans.emplace_back(pango_units_to_double(ranges[2 * i]) - logicalOrigin_.x,
                           pango_units_to_double(ranges[2 * i + 1]) - logicalOrigin_.x);
    g_free(ranges);
    return spans;
}

PangoTextLayout::~PangoTextLayout() {
    if (shown_) g_object_unref(shown_);
    g_object_unref(layout_);
}

namespace {

constexpr const char* systemFamily = "Inter";
constexpr const char* monospacedFamily = "JetBrains Mono";
constexpr std::size_t cacheCapacity = 1024;
// A layout holds some 60 bytes for each byte of its text: a field editing 100 kB makes a 6 MB layout at every
// keystroke. The main screen's labels come to a few hundred bytes in all; 1024 names as long as a file name
// can be (255 bytes) still fit.
constexpr std::size_t cacheTextBytes = 512 * 1024;

// The system's fonts stay for glyphs our faces lack, but never stand in for our faces themselves.
constexpr const char* rejectInstalledCopies = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><selectfont><rejectfont>
  <pattern><patelt name="family"><string>Inter</string></patelt></pattern>
  <pattern><patelt name="family"><string>JetBrains Mono</string></patelt></pattern>
</rejectfont></selectfont></fontconfig>)";

struct FontConfigRelease {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};

FcConfig* bundledFontConfig() {
    // Released at exit, after this thread's engine: the font maps hold their own references.
    static const std::unique_ptr<FcConfig, FontConfigRelease> config([] {
        FcConfig* c = FcInitLoadConfig();
        FcConfigParseAndLoadFromMemory(c, reinterpret_cast<const FcChar8*>(rejectInstalledCopies), FcTrue);
        FcConfigBuildFonts(c);
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(resourcesDirectory() + "/fonts", error)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".otf" || extension == ".ttf")
                FcConfigAppFontAddFile(c, reinterpret_cast<const FcChar8*>(entry.path().c_str()));
        }
        return c;
    }());
    return config.get();
}

PangoWeight pangoWeight(FontWeight weight) {
    switch (weight) {
        case FontWeight::light: return PANGO_WEIGHT_LIGHT;
        case FontWeight::regular: return PANGO_WEIGHT_NORMAL;
        case FontWeight::medium: return PANGO_WEIGHT_MEDIUM;
        case FontWeight::semibold: return PANGO_WEIGHT_SEMIBOLD;
        case FontWeight::bold: return PANGO_WEIGHT_BOLD;
    }
    return PANGO_WEIGHT_NORMAL;
}

PangoAlignment pangoAlignment(TextAlignment alignment) {
    switch (alignment) {
        case TextAlignment::leading: return PANGO_ALIGN_LEFT;
        case TextAlignment::center: return PANGO_ALIGN_CENTER;
        case TextAlignment::trailing: return PANGO_ALIGN_RIGHT;
    }
    return PANGO_ALIGN_LEFT;
}

// Valid UTF-8: g_utf8_make_valid also replaces NULs, where pango would stop.
std::string plainText(std::string_view text) {
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(valid);
    g_free(valid);
    return result;
}

void setFont(PangoLayout* layout, const TextStyle& style, double scale) {
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family_static(font, style.font.design == FontDesign::monospaced ? monospacedFamily : systemFamily);
    pango_font_description_set_weight(font, pangoWeight(style.font.weight));
    pango_font_description_set_absolute_size(font, style.font.size * scale * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);

    PangoAttrList* attributes = pango_attr_list_new();
    if (style.tracking != 0)
        pango_attr_list_insert(attributes,
                               pango_attr_letter_spacing_new(static_cast<int>(std::lround(style.tracking * scale * PANGO_SCALE))));
    if (style.font.monospacedDigits) pango_attr_list_insert(attributes, pango_attr_font_features_new("tnum"));
    if (style.uppercase) pango_attr_list_insert(attributes, pango_attr_text_transform_new(PANGO_TEXT_TRANSFORM_UPPERCASE));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
}

double naturalWidth(PangoLayout* layout) {
    pango_layout_set_width(layout, -1);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return pango_units_to_double(logical.width);
}

struct LayoutKeyView {
    std::string_view text;
    TextStyle style;
    double width;  // negative: none
    friend bool operator==(const LayoutKeyView&, const LayoutKeyView&) = default;
};

struct LayoutKey {
    std::string text;
    TextStyle style;
    double width;
    LayoutKeyView view() const { return {text, style, width}; }
};

struct LayoutKeyHash {
    std::size_t operator()(const LayoutKeyView& k) const {
        std::size_t h = std::hash<std::string_view>{}(k.text);
        const auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
        mix(std::hash<double>{}(k.width));
        mix(std::hash<double>{}(k.style.font.size));
        mix(static_cast<std::size_t>(k.style.font.weight) | static_cast<std::size_t>(k.style.font.design) << 4 |
            static_cast<std::size_t>(k.style.font.monospacedDigits) << 8 | static_cast<std::size_t>(k.style.uppercase) << 9 |
            static_cast<std::size_t>(k.style.alignment) << 10);
        mix(std::hash<double>{}(k.style.tracking));
        mix(std::hash<int>{}(k.style.lineLimit));
        mix(std::hash<double>{}(k.style.minimumScaleFactor));
        return h;
    }
};

class PangoTextEngine final : public TextEngine {
public:
    PangoTextEngine() {
        fontMap_ = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap_), bundledFontConfig());
        context_ = pango_font_map_create_context(fontMap_);
        // Unhinted metrics and unrounded positions: a layout measures the same at every display scale.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        pango_cairo_context_set_font_options(context_, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(context_, FALSE);
    }
    ~PangoTextEngine() override {
        for (auto& [scale, context] : deviceContexts_) g_object_unref(context);
        g_object_unref(context_);
        // Pango keeps its reference to the configuration past the font map's end unless told to let go.
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap_), nullptr);
        g_object_unref(fontMap_);
    }
    PangoTextEngine(const PangoTextEngine&) = delete;
    PangoTextEngine& operator=(const PangoTextEngine&) = delete;

    std::shared_ptr<const TextLayout> layout(std::string_view text, const TextStyle& style, std::optional<double> maxWidth) override {
        const bool bounded = maxWidth && std::isfinite(*maxWidth);
        const LayoutKeyView wanted{text, style, bounded ? std::max(0.0, *maxWidth) : -1.0};
        if (const auto found = index_.find(wanted); found != index_.end()) {
            recent_.splice(recent_.begin(), recent_, found->second);
            return found->second->second;
        }
        LayoutKey key{std::string(text), wanted.style, wanted.width};
        auto made = std::make_shared<const PangoTextLayout>(shape(key));
        textBytes_ += key.text.size();
        recent_.emplace_front(std::move(key), made);
        index_.emplace(recent_.front().first.view(), recent_.begin());
        // The newest stays whatever its size: it is about to be drawn, again and again.
        while (recent_.size() > cacheCapacity || (textBytes_ > cacheTextBytes && recent_.size() > 1)) {
            textBytes_ -= recent_.back().first.text.size();
            index_.erase(recent_.back().first.view());
            recent_.pop_back();
        }
        return made;
    }

    // Shapes with advances rounded to whole device pixels at the scale, for drawing.
    PangoContext* deviceContext(double scale) {
        for (auto& [s, context] : deviceContexts_)
            if (s == scale) return context;
        if (deviceContexts_.size() >= 8) {
            g_object_unref(deviceContexts_.front().second);
            deviceContexts_.erase(deviceContexts_.begin());
        }
        PangoContext* context = pango_font_map_create_context(fontMap_);
        cairo_font_options_t* options = cairo_font_options_copy(pango_cairo_context_get_font_options(context_));
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        PangoMatrix matrix = PANGO_MATRIX_INIT;
        pango_matrix_scale(&matrix, scale, scale);
        pango_context_set_matrix(context, &matrix);
        pango_context_set_round_glyph_positions(context, TRUE);
        deviceContexts_.emplace_back(scale, context);
        return context;
    }

private:
    PangoLayout* shape(const LayoutKey& key) const {
        const TextStyle& style = key.style;
        PangoLayout* layout = pango_layout_new(context_);
        // One line: every kind of line break reads as a space (pango would count each paragraph as a line of its own).
        const std::string plain = style.lineLimit == 1 ? oneLine(plainText(key.text)) : plainText(key.text);
        pango_layout_set_text(layout, plain.data(), static_cast<int>(plain.size()));
        pango_layout_set_alignment(layout, pangoAlignment(style.alignment));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        setFont(layout, style, 1);
        if (key.width < 0) return layout;

        if (style.lineLimit == 1 && style.minimumScaleFactor < 1) {
            // Shrink towards the minimum scale before cutting; widths are close to linear in the size.
            double scale = 1;
            for (int attempt = 0; attempt < 3; ++attempt) {
                const double width = naturalWidth(layout);
                if (width <= key.width || scale <= style.minimumScaleFactor) break;
                scale = std::max(style.minimumScaleFactor, scale * key.width / width);
                setFont(layout, style, scale);
            }
        }
        pango_layout_set_width(layout, static_cast<int>(key.width * PANGO_SCALE));
        if (style.lineLimit > 0) {
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
            pango_layout_set_height(layout, -style.lineLimit);
        }
        return layout;
    }

    PangoFontMap* fontMap_;
    PangoContext* context_;
    std::vector<std::pair<double, PangoContext*>> deviceContexts_;
    using Entry = std::pair<LayoutKey, std::shared_ptr<const TextLayout>>;
    std::list<Entry> recent_;    // most recently used first
    std::size_t textBytes_ = 0;  // of the texts of recent_
    // Keys view the texts held by the entries of recent_.
    std::unordered_map<LayoutKeyView, std::list<Entry>::iterator, LayoutKeyHash> index_;
};

PangoTextEngine& engine() {
    thread_local PangoTextEngine engine;
    return engine;
}

double deviceScaleOf(cairo_t* context) {
    cairo_matrix_t m;
    cairo_get_matrix(context, &m);
    return std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx));
}

}  // namespace

TextEngine& TextEngine::shared() { return engine(); }

PangoLayout* PangoTextLayout::shownAt(double scale) const {
    if (shown_ && shownScale_ == scale) return shown_;
    if (shown_) g_object_unref(shown_);
    shown_ = pango_layout_new(engine().deviceContext(scale));
    shownScale_ = scale;
    pango_layout_set_text(shown_, pango_layout_get_text(layout_), -1);
    pango_layout_set_attributes(shown_, pango_layout_get_attributes(layout_));
    pango_layout_set_font_description(shown_, pango_layout_get_font_description(layout_));
    pango_layout_set_alignment(shown_, pango_layout_get_alignment(layout_));
    pango_layout_set_wrap(shown_, pango_layout_get_wrap(layout_));
    pango_layout_set_width(shown_, pango_layout_get_width(layout_));
    pango_layout_set_height(shown_, pango_layout_get_height(layout_));
    pango_layout_set_ellipsize(shown_, pango_layout_get_ellipsize(layout_));
    return shown_;
}

void PangoTextLayout::draw(cairo_t* context, Point origin, Color color, bool asMeasured) const {
    cairo_save(context);
    cairo_translate(context, origin.x - logicalOrigin_.x, origin.y - logicalOrigin_.y);
    cairo_set_source_rgba(context, color.red, color.green, color.blue, color.alpha);
    // Below one pixel a point, glyphs rounded one by one to whole pixels lose the spaces between words.
    const double scale = deviceScaleOf(context);
    pango_cairo_show_layout(context, scale < 1 && !asMeasured ? shownAt(scale) : layout_);
    cairo_restore(context);
}

}  // namespace pulvan::ui

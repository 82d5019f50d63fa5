#include <gtest/gtest.h>

#include "platform/ui/pango_text_layout.h"
#include "platform/ui/resources.h"
#include "tests/platform/ui/golden.h"
#include "tests/platform/ui/ink_within.h"

#include <hb.h>
#include <pango/pangofc-font.h>

#include <cstring>
#include <filesystem>

namespace pulvan::ui {
namespace {

constexpr FontWeight allWeights[] = {FontWeight::light, FontWeight::regular, FontWeight::medium, FontWeight::semibold, FontWeight::bold};

std::shared_ptr<const PangoTextLayout> layout(std::string_view text, const TextStyle& style, std::optional<double> width = std::nullopt) {
    return std::dynamic_pointer_cast<const PangoTextLayout>(TextEngine::shared().layout(text, style, width));
}

TextStyle styled(Font font) { return {.font = font}; }

// The runs of the first line: the font each was shaped with and its glyphs.
std::vector<PangoGlyphItem*> runs(const PangoTextLayout& l) {
    std::vector<PangoGlyphItem*> result;
    for (GSList* r = pango_layout_get_line_readonly(l.pangoLayout(), 0)->runs; r; r = r->next)
        result.push_back(static_cast<PangoGlyphItem*>(r->data));
    return result;
}

std::string fontFile(PangoFont* font) {
    FcChar8* file = nullptr;
    FcPatternGetString(pango_fc_font_get_pattern(PANGO_FC_FONT(font)), FC_FILE, 0, &file);
    return file ? reinterpret_cast<const char*>(file) : "";
}

TEST(Text, WeightsAndDesignsUseTheBundledFaces) {
    const std::string fonts = resourcesDirectory() + "/fonts/";
    struct Case {
        Font font;
        const char* file;
    };
    const Case cases[] = {
        {Font::system(13, FontWeight::light), "Inter-Light.otf"},
        {Font::system(13, FontWeight::regular), "Inter-Regular.otf"},
        {Font::system(13, FontWeight::medium), "Inter-Medium.otf"},
        {Font::system(13, FontWeight::semibold), "Inter-SemiBold.otf"},
        {Font::system(13, FontWeight::bold), "Inter-Bold.otf"},
        {Font::monospaced(11, FontWeight::regular), "JetBrainsMono-Regular.ttf"},
        {Font::monospaced(11, FontWeight::medium), "JetBrainsMono-Medium.ttf"},
        {Font::monospaced(11, FontWeight::bold), "JetBrainsMono-Bold.ttf"},
    };
    for (const Case& c : cases) {
        const auto l = layout("Tempo 120", styled(c.font));
        for (PangoGlyphItem* run : runs(*l)) EXPECT_EQ(fontFile(run->item->analysis.font), fonts + c.file);
    }
}

TEST(Text, EveryGlyphTheEditorUsesRenders) {
    for (const FontDesign design : {FontDesign::system, FontDesign::monospaced}) {
        for (const FontWeight weight : allWeights) {
            const auto l = layout("…♯▶×+−°• Aa09 ÄÖÜß é", styled({12, weight, design}));
            EXPECT_EQ(pango_layout_get_unknown_glyphs_count(l->pangoLayout()), 0)
                << static_cast<int>(design) << "/" << static_cast<int>(weight);
        }
    }
}

TEST(Text, OneLineTextIsCutAtTheTailWithAnEllipsis) {
    const TextStyle style{.font = Font::system(13), .lineLimit = 1};
    const auto cut = layout("Chord progression with a very long name", style, 90);
    EXPECT_TRUE(cut->isTruncated());
    EXPECT_LE(cut->size().width, 90);
    EXPECT_EQ(cut->lineCount(), 1);
    const PangoGlyphItem* last = runs(*cut).back();
    hb_codepoint_t ellipsis = 0;
    ASSERT_TRUE(hb_font_get_nominal_glyph(pango_font_get_hb_font(last->item->analysis.font), 0x2026, &ellipsis));
    EXPECT_EQ(last->glyphs->glyphs[last->glyphs->num_glyphs - 1].glyph, ellipsis);

    const auto fits = layout("Chord", style, 90);
    EXPECT_FALSE(fits->isTruncated());
    for (const char* lineBreak : {"\n", "\r\n", "\v", "\f", "\u0085", "\u2028", "\u2029"}) {
        const std::string text = std::string("Two") + lineBreak + "lines";
        EXPECT_EQ(layout(text, style, 200)->lineCount(), 1) << text;
        EXPECT_DOUBLE_EQ(layout(text, style, 200)->size().width, layout("Two lines", style, 200)->size().width) << text;
    }
}

TEST(Text, MinimumScaleShrinksBeforeItCuts) {
    const std::string text = "Velocity randomisation";
    const double natural = layout(text, styled(Font::system(13)))->size().width;
    const double height = layout(text, styled(Font::system(13)))->size().height;
    struct Case {
        double widthFraction;
        double minimumScale;
        bool truncated;
        bool shrunk;
    };
    const Case cases[] = {{1.2, 0.5, false, false}, {0.8, 0.5, false, true}, {0.6, 0.7, true, true}, {0.8, 1, true, false}};
    for (const Case& c : cases) {
        const TextStyle style{.font = Font::system(13), .lineLimit = 1, .minimumScaleFactor = c.minimumScale};
        const auto l = layout(text, style, natural * c.widthFraction);
        EXPECT_EQ(l->isTruncated(), c.truncated) << c.widthFraction;
        EXPECT_LE(l->size().width, natural * c.widthFraction + 0.01) << c.widthFraction;
        EXPECT_EQ(l->size().height < height - 1, c.shrunk) << c.widthFraction;
        if (c.shrunk) {
            EXPECT_GE(l->size().height, height * c.minimumScale - 1) << c.widthFraction;
        }
    }
}

TEST(Text, WrappingMeasuresEveryLine) {
    const std::string text = "Notes of the chord are spread over the steps of the pattern";
    const auto oneLine = layout(text, styled(Font::system(13)));
    const auto wrapped = layout(text, styled(Font::system(13)), 120);
    EXPECT_EQ(oneLine->lineCount(), 1);
    EXPECT_GE(wrapped->lineCount(), 3);
    EXPECT_LE(wrapped->size().width, 120);
    EXPECT_NEAR(wrapped->size().height, oneLine->size().height * wrapped->lineCount(), 1);
    EXPECT_GT(oneLine->firstBaseline(), oneLine->size().height / 2);
    EXPECT_NEAR(wrapped->firstBaseline(), oneLine->firstBaseline(), 0.01);
    const auto twoLines = layout(text, {.font = Font::system(13), .lineLimit = 2}, 120);
    EXPECT_EQ(twoLines->lineCount(), 2);
    EXPECT_TRUE(twoLines->isTruncated());
}

TEST(Text, StyleChangesTheMeasuredWidth) {
    const Font font = Font::system(13);
    EXPECT_NE(layout("1111", styled(font))->size().width, layout("8888", styled(font))->size().width);
    EXPECT_DOUBLE_EQ(layout("1111", styled(font.withMonospacedDigits()))->size().width,
                     layout("8888", styled(font.withMonospacedDigits()))->size().width);
    EXPECT_DOUBLE_EQ(layout("1111", styled(Font::monospaced(13)))->size().width,
                     layout("8888", styled(Font::monospaced(13)))->size().width);
    EXPECT_DOUBLE_EQ(layout("Step", {.font = font, .uppercase = true})->size().width, layout("STEP", styled(font))->size().width);
    EXPECT_NEAR(layout("Step", {.font = font, .tracking = 2})->size().width, layout("Step", styled(font))->size().width + 3 * 2, 0.1);
}

TEST(Text, TextIsPlainAndAlwaysValid) {
    struct Case {
        std::string input;
        std::string shown;
    };
    const Case cases[] = {
        {"<b>x</b>", "<b>x</b>"},
        {"&amp;", "&amp;"},
        {"<span foreground=\"red\">x</span>", "<span foreground=\"red\">x</span>"},
        {"ab\xff\xfe"
         "cd",
         "ab\xEF\xBF\xBD\xEF\xBF\xBD"
         "cd"},
        {std::string("a\0b", 3),
         "a\xEF\xBF\xBD"
         "b"},
        {"caf\xC3", "caf\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        const auto l = layout(c.input, styled(Font::system(13)));
        EXPECT_EQ(pango_layout_get_text(l->pangoLayout()), c.shown);
        PangoAttrList* attributes = pango_layout_get_attributes(l->pangoLayout());
        GSList* markup = attributes ? pango_attr_list_get_attributes(attributes) : nullptr;
        EXPECT_EQ(markup, nullptr) << c.input;
        g_slist_free_full(markup, reinterpret_cast<GDestroyNotify>(pango_attribute_destroy));
    }
    EXPECT_GT(layout("<b>x</b>", styled(Font::system(13)))->size().width, 3 * layout("x", styled(Font::system(13)))->size().width);
}

// The caret stands where pango puts the cursor: right-to-left text starts at the right and ends at the left.
TEST(Text, TheCaretOfAnOffsetIsWhereTheTextRuns) {
    const struct {
        const char* text;
        double start, end;  // the caret's x at the text's first and last offset, in widths of the text
    } cases[] = {{"Bass", 0, 1}, {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", 1, 0}, {"\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85", 1, 0}};
    for (const auto& c : cases) {
        const auto l = layout(c.text, {});
        EXPECT_NEAR(l->xOf(0), c.start * l->size().width, 0.01) << c.text;
        EXPECT_NEAR(l->xOf(std::strlen(c.text)), c.end * l->size().width, 0.01) << c.text;
    }
}

TEST(Text, TheSameTextIsShapedOnce) {
    TextEngine& engine = TextEngine::shared();
    const TextStyle style = styled(Font::system(13));
    const auto first = engine.layout("Pattern 1", style, 100);
    EXPECT_EQ(engine.layout("Pattern 1", style, 100), first);
    EXPECT_NE(engine.layout("Pattern 1", style, 101), first);
    EXPECT_NE(engine.layout("Pattern 1", styled(Font::system(13, FontWeight::bold)), 100), first);
    EXPECT_NE(engine.layout("Pattern 2", style, 100), first);
    EXPECT_EQ(engine.layout("Pattern 1", style, infinity), engine.layout("Pattern 1", style, std::nullopt));

    // Long unused layouts make room; the recently used ones stay.
    const void* oldest = first.get();
    const auto recent = engine.layout("Pattern 3", style, 100);
    for (int i = 0; i < 2000; ++i) {
        engine.layout("Step " + std::to_string(i), style, 100);
        engine.layout("Pattern 3", style, 100);
    }
    EXPECT_EQ(engine.layout("Pattern 3", style, 100), recent);
    const auto again = engine.layout("Pattern 1", style, 100);
    EXPECT_NE(again.get(), oldest);
    EXPECT_EQ(again->size(), first->size());
}

// A field editing pasted text makes a layout of all of it at every keystroke: the long ones go by their
// size, while labels in use stay.
TEST(Text, LongTextsMakeRoomByTheirSize) {
    TextEngine& engine = TextEngine::shared();
    const TextStyle style = styled(Font::system(13));
    const std::string pasted(100'000, 'x');
    const auto label = engine.layout("Pattern 4", style, std::nullopt);
    const auto first = engine.layout(pasted, style, std::nullopt);
    for (int i = 0; i < 5; ++i) {
        engine.layout(pasted + std::to_string(i), style, std::nullopt);
        EXPECT_EQ(engine.layout("Pattern 4", style, std::nullopt), label);
    }
    EXPECT_NE(engine.layout(pasted, style, std::nullopt), first);
}

// Text drawn many times, at many sizes and at scales below, at and above one pixel a point, keeps
// nothing of cairo's or pango's (the sanitizer stage's leak check holds it).
// Every pixel a text inks lies in the bounds its drawing is damaged and recorded by, wherever cairo puts and hints
// its glyphs: at scales below, at and above one pixel a point and at any fraction of a pixel.
TEST(Text, InkStaysWithinItsDrawnBounds) {
    for (const char* string : {"Groove 7q", "Default", "jGyf", "Wolf", "Ag"})
        for (const double scale : {0.75, 1.0, 1.25, 2.0})
            for (const double shift : {0.0, 0.3, 0.5, 0.8}) {
                SCOPED_TRACE(std::string(string) + " at scale " + std::to_string(scale) + " shifted " + std::to_string(shift));
                const draw::Text command{TextEngine::shared().layout(string, styled(Font::system(13, FontWeight::semibold)), std::nullopt),
                                         {20 + shift, 10 + shift},
                                         Color::white()};
                test::expectInkWithinDrawnBounds(command, scale, {160, 50});
            }
}

TEST(Text, DrawingTextManyTimesKeepsNothing) {
    Bitmap bitmap(200, 40);
    for (int i = 0; i < 600; ++i) {
        DisplayList list;
        const auto l = TextEngine::shared().layout("App play " + std::to_string(i), styled(Font::system(8 + i % 13)), std::nullopt);
        list.add(draw::Text{l, {2, 2}, colorFromRGB(0x111827)});
        bitmap.render(list, (i % 5 + 1) * 0.45, Color::white());
    }
}

TEST(Text, WeightsInBothFacesMatchGoldenImage) {
    DisplayList list;
    double y = 4;
    for (const FontDesign design : {FontDesign::system, FontDesign::monospaced}) {
        for (const FontWeight weight : allWeights) {
            const auto l = TextEngine::shared().layout("Pulvan 0123 ♯ ▶ … × − ° •", styled({13, weight, design}), std::nullopt);
            list.add(draw::Text{l, {6, y}, colorFromRGB(0x111827)});
            y += l->size().height + 2;
        }
    }
    const auto centred =
        TextEngine::shared().layout("Centred over\ntwo lines", {.font = Font::system(11), .alignment = TextAlignment::center}, 200);
    list.add(draw::Text{centred, {6, y}, colorFromRGB(0x2563EB)});
    Bitmap bitmap(2 * 230, static_cast<int>(2 * (y + centred->size().height + 4)));
    bitmap.render(list, 2, Color::white());
    expectMatchesGolden(bitmap, "text_weights");
}

}  // namespace
}  // namespace pulvan::ui

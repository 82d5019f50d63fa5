#include "editor/views/shell/dropdown_panel.h"
#include "editor/views/shell/dropdown_placement.h"
#include "tests/editor/views/shell/overlay_stage.h"
#include "tests/platform/ui/golden.h"

namespace pulvan::views {
namespace {

using store::DropdownItem;
using store::DropdownRequest;
using ui::Point;
using ui::Rect;

std::vector<DropdownItem> items(int count, std::function<void(int)> chosen = nullptr) {
    std::vector<DropdownItem> result;
    for (int i = 0; i < count; ++i)
        result.push_back({.label = "Item " + std::to_string(i), .action = [chosen, i] {
                              if (chosen) chosen(i);
                          }});
    return result;
}

TEST(DropdownPlacement, Origins) {
    const Rect anchor{600, 100, 60, 30};
    struct Case {
        const char* name;
        DropdownRequest request;
        DropdownPlacementInput input;
        Point origin;
    };
    const Case cases[] = {
        {"no anchor published", {.items = items(3)}, {{1280, 730}}, {16, 80}},
        {"a list below, left edges together", {.items = items(3), .verticalAlignLeading = true}, {{1280, 730}, anchor}, {600, 136}},
        {"a list below, right edges together", {.items = items(3)}, {{1280, 730}, anchor}, {360, 136}},
        {"a list near the left edge stays inside", {.items = items(3)}, {{1280, 730}, Rect{20, 100, 60, 30}}, {16, 136}},
        {"a list near the right edge stays inside",
         {.items = items(3), .width = 200, .verticalAlignLeading = true},
         {{1280, 730}, Rect{1200, 100, 60, 30}},
         {1064, 136}},
        {"an upward list before it is measured: estimated",
         {.items = items(5), .opensUpward = true},
         {{1280, 730}, Rect{600, 600, 60, 30}},
         {360, 600 - 159 - 6}},
        {"an upward list once measured",
         {.items = items(5), .opensUpward = true},
         {{1280, 730}, Rect{600, 600, 60, 30}, {300, 200}},
         {360, 394}},
        {"an upward list estimated at the 420 cap",
         {.items = items(30), .opensUpward = true},
         {{1280, 730}, Rect{600, 600, 60, 30}},
         {360, 600 - 426 - 6}},
        {"an upward list that does not fit sits at the top margin",
         {.items = items(5), .opensUpward = true},
         {{1280, 730}, Rect{600, 50, 60, 30}, {300, 200}},
         {360, 16}},
        {"a row centred on its anchor", {.items = items(3), .vertical = false}, {{1280, 730}, anchor, {}, 200}, {530, 136}},
        {"a row by its measured size before its width is reported",
         {.items = items(3), .vertical = false},
         {{1280, 730}, anchor, {180, 35}},
         {540, 136}},
        {"a row, right edges together, offset",
         {.items = items(3), .vertical = false, .horizontalAlignTrailing = true, .horizontalOffset = 20},
         {{1280, 730}, anchor, {}, 200},
         {480, 136}},
        {"a row wider than the window sits at the left margin",
         {.items = items(3), .vertical = false},
         {{1280, 730}, anchor, {}, 1300},
         {16, 136}},
        {"an upward grid of 3 rows, estimated",
         {.items = items(10), .vertical = false, .opensUpward = true, .gridColumns = 4},
         {{1280, 730}, anchor, {}, 200},
         {530, 16}},
        {"an upward grid with 40-high cells",
         {.items = items(10), .vertical = false, .opensUpward = true, .gridColumns = 4, .gridCellSize = store::DropdownCellSize{50, 40}},
         {{1280, 730}, Rect{600, 400, 60, 30}, {}, 200},
         {530, 400 - 130 - 6}},
        {"grid columns 0: one entry per row",
         {.items = items(10), .vertical = false, .opensUpward = true, .gridColumns = 0},
         {{1280, 730}, Rect{600, 400, 60, 30}, {}, 62},
         {599, 400 - 314 - 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dropdownOrigin(c.request, c.input), c.origin);
    }
}

TEST(DropdownPlacement, AvailableHeightAndListWidth) {
    const DropdownRequest list{.items = items(3)}, upward{.items = items(3), .opensUpward = true}, row{.vertical = false},
        chromeless{.vertical = false, .chromeless = true};
    EXPECT_EQ(dropdownAvailableHeight(list, {1280, 730}, Rect{0, 100, 60, 30}), 730 - 136 - 16);
    EXPECT_EQ(dropdownAvailableHeight(list, {1280, 730}, Rect{0, 630, 60, 30}), 87) << "never less than three rows";
    EXPECT_EQ(dropdownAvailableHeight(upward, {1280, 730}, Rect{0, 300, 60, 30}), 300 - 6 - 16);
    EXPECT_EQ(dropdownAvailableHeight(list, {1280, 730}, std::nullopt), ui::infinity);
    EXPECT_EQ(dropdownAvailableHeight(row, {1280, 730}, Rect{0, 100, 60, 30}), ui::infinity);
    EXPECT_EQ(dropdownListWidth(list, 100), 0);
    EXPECT_EQ(dropdownListWidth(row, 100), 106);
    EXPECT_EQ(dropdownListWidth(chromeless, 100), 100) << "no allowance for padding it does not have";
    EXPECT_EQ(dropdownListWidth(row, 0), 0);
    EXPECT_EQ(estimatedVerticalListHeight(items(14)), 432);
}

class DropdownTest : public OverlayTest {
protected:
    foundation::Uuid anchorID = foundation::Uuid::random();
    std::vector<std::string> log;
    std::unique_ptr<ui::Harness> harness = stage({dropdownOpener({600, 100}, anchorID)});

    void open(DropdownRequest request) {
        request.anchorID = anchorID;
        store->dropdown.set(std::move(request));
        harness->update();
    }
    std::vector<DropdownItem> logged(int count) {
        return items(count, [this](int i) {
            log.push_back("chose " + std::to_string(i) + (store->dropdown->has_value() ? " (open)" : " (closed)"));
        });
    }
};

TEST_F(DropdownTest, PanelFramesFromTheHost) {
    struct Case {
        const char* name;
        DropdownRequest request;
        Point origin;
        double width;  // 0: the entries' natural width, centred on the anchor
        int rows;      // the panel is this many entries high, or capped at 420 with -1
    };
    const Case cases[] = {
        {"a list under its anchor, right edges together", {.items = items(3)}, {360, 136}, 306, 3},
        {"14 entries scroll within 420", {.items = items(14), .verticalAlignLeading = true}, {600, 136}, 306, -1},
        {"a row centred on its anchor", {.items = items(2), .vertical = false}, {0, 136}, 0, 1},
        {"a grid of one column", {.items = items(3), .vertical = false, .gridColumns = 0}, {596, 136}, 68, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.request);
        const Rect panel = harness->frame("dropdown.panel");
        const double entry = harness->frame("dropdown.item.Item 0").height;
        if (c.width == 0) {
            EXPECT_DOUBLE_EQ(panel.midX(), 630);
        } else {
            EXPECT_EQ(panel.origin(), c.origin);
            EXPECT_EQ(panel.width, c.width);
        }
        EXPECT_EQ(panel.y, c.origin.y);
        EXPECT_DOUBLE_EQ(panel.height, c.rows < 0 ? 426 : c.rows * entry + (c.rows - 1) * 2 + 6);
    }
    open({.items = items(4), .vertical = false, .gridColumns = 2, .gridCellSize = store::DropdownCellSize{50, 40}, .chromeless = true});
    EXPECT_EQ(harness->frame("dropdown.panel"), (Rect{580, 136, 100, 80})) << "chromeless: no padding, no spacing";
    EXPECT_EQ(harness->frame("dropdown.item.Item 3"), (Rect{630, 176, 50, 40}));
}

TEST_F(DropdownTest, ALongListOpensAtItsActiveEntryAndAWheelNotchMovesThreeEntries) {
    auto many = items(128);
    many[65].active = true;
    open({.items = many});
    const Rect panel = harness->frame("dropdown.panel");
    const Rect shown = harness->frame("dropdown.item.Item 65");
    EXPECT_TRUE(panel.contains(shown.origin()) && panel.contains({shown.maxX(), shown.maxY()}));
    harness->scroll(panel.center(), 0, 1);
    EXPECT_NEAR(harness->frame("dropdown.item.Item 65").y, shown.y - 3 * (shown.height + 2), 3) << "by the estimated entry height";
}

TEST_F(DropdownTest, ChoosingClosesFirstThenActs) {
    struct Case {
        const char* name;
        bool sticky;
        std::function<void(ui::Harness&)> taps;
        std::vector<std::string> log;
        bool open;
    };
    const Case cases[] = {
        {"a choice", false, [](ui::Harness& h) { h.clickOn("dropdown.item.Item 1"); }, {"chose 1 (closed)"}, false},
        {"sticky choices",
         true,
         [](ui::Harness& h) { h.clickOn("dropdown.item.Item 1"), h.clickOn("dropdown.item.Item 2"); },
         {"chose 1 (open)", "chose 2 (open)"},
         true},
        {"the backdrop",
         false,
         [](ui::Harness& h) {
             h.click({1200, 700});
         },
         {},
         false},
        {"a sticky dropdown has no backdrop",
         true,
         [](ui::Harness& h) {
             h.click({1200, 700});
         },
         {},
         true},
        {"a tap on the panel's padding",
         false,
         [](ui::Harness& h) {
             h.click(h.frame("dropdown.panel").origin() + Point{1, 1});
         },
         {},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        editorTaps = 0;
        open({.items = logged(3), .sticky = c.sticky});
        c.taps(*harness);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(store->dropdown->has_value(), c.open);
        EXPECT_EQ(editorTaps, c.name == std::string("a sticky dropdown has no backdrop") ? 1 : 0);
    }
}

TEST_F(DropdownTest, DisabledEntriesAndDeleteButtons) {
    auto entries = logged(3);
    entries[0].disabled = true;
    entries[1].onDelete = [this] { log.push_back(std::string("deleted 1") + (store->dropdown->has_value() ? " (open)" : " (closed)")); };
    open({.items = entries, .sticky = true});
    harness->clickOn("dropdown.item.Item 0");
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(store->dropdown->has_value());
    const Rect row = harness->frame("dropdown.item.Item 1");
    harness->click({row.maxX() - 3 - 16, row.midY()});
    EXPECT_EQ(log, (std::vector<std::string>{"deleted 1 (closed)"})) << "the delete button closes even a sticky dropdown";
}

TEST_F(DropdownTest, PressHighlightLightsWhileHeldAndAfterEachStickyChoiceGoesOut) {
    auto entries = logged(2);
    entries[0].pressHighlight = entries[1].pressHighlight = true;
    entries[1].disabled = true;
    open({.items = entries, .sticky = true});
    const auto litAt = [&](const char* id) {
        const Rect row = harness->frame(id);
        return harness->render().pixel(static_cast<int>(row.x + 4), static_cast<int>(row.midY())) ==
               colorFromHex(store->trackAccentColor(0));
    };
    for (const char* id : {"dropdown.item.Item 0", "dropdown.item.Item 1"}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(litAt(id));
        harness->press(harness->center(id));
        EXPECT_TRUE(litAt(id)) << "held, disabled or not";
        harness->release(harness->center(id));
        EXPECT_FALSE(litAt(id));
    }
    EXPECT_EQ(log, (std::vector<std::string>{"chose 0 (open)"}));
}

TEST_F(DropdownTest, PanelsMatchGoldenImages) {
    const auto lit = [](std::vector<DropdownItem> entries) {
        entries[1].active = true;
        return entries;
    };
    std::vector<DropdownItem> styled = items(7);
    styled[0].active = true;
    styled[1].highlight = true;
    styled[2].disabled = true;
    styled[3].isSeparator = true;
    styled[4].onDelete = [] {};
    styled[5].optionBackgroundColor = 0x2E5E3E;
    styled[5].active = true;
    styled[6].optionForegroundColor = 0xD9A441;
    styled[6].disabled = true;
    styled[6].label = "A label too long to fit in the list's width, cut at its tail";
    std::vector<DropdownItem> directions;  // the pattern direction list at its narrowest
    for (const char* label : {"\u21FE   Forward", "\u21FD   Backward", "\u27F7   Ping-pong", "\u21C4   Ping-pong 2", "\u2681   Random",
                              "\u2682   Smart random"})
        directions.push_back({.label = label});
    struct Case {
        const char* name;
        DropdownRequest request;
        ui::Size size;
    };
    const Case cases[] = {
        {"dropdown_list", {.items = styled, .width = 220}, {240, 260}},
        {"dropdown_directions", {.items = directions, .width = verticalListWidthFitting(directions, 120)}, {170, 230}},
        {"dropdown_row", {.items = lit(items(4)), .vertical = false}, {330, 60}},
        {"dropdown_grid_bordered", {.items = items(7), .vertical = false, .gridColumns = 3, .borderedCells = true}, {230, 130}},
        {"dropdown_grid_chromeless",
         {.items = items(4),
          .vertical = false,
          .gridColumns = 2,
          .gridCellSize = store::DropdownCellSize{72, 30},
          .borderedCells = true,
          .chromeless = true},
         {164, 80}},
        {"dropdown_empty", {}, {40, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::Harness h(
            [&] {
                return ui::View(DropdownPanel{.request = c.request, .accent = trackAccentColors()[0], .maxWidth = 1000})
                    .padding(10)
                    .frame({.width = c.size.width, .height = c.size.height, .alignment = ui::unit::topLeading})
                    .background(ui::color(editorBackgroundColor))
                    .environmentObject(*store);
            },
            c.size, 2);
        ui::expectMatchesGolden(h.render(), c.name);
    }
}

}  // namespace
}  // namespace pulvan::views

#include "editor/views/modals/portamento_value_scrub_field.h"
#include "editor/views/modals/settings_scroll_int_field.h"
#include "platform/ui/layout.h"
#include "tests/editor/views/modals/modal_view_test.h"

#include <functional>

namespace pulvan::views {
namespace {

using ui::Point;

// The store's UI max width in the field, as the global settings modal shows it; commits are recorded and
// stored unless the owner ignores them.
struct WidthField {
    std::vector<int>* commits;
    const bool* ignoreCommits;
    ui::View body(ui::BuildContext& context) const {
        auto& store = context.object<store::SequencerStore>();
        context.observe(store.didChange);
        return SettingsScrollIntField{
            .value = store.uiMaxContentWidth.get(),
            .range = {1000, 2000},
            .step = 50,
            .resetValue = 2000,
            .onCommit =
                [&store, commits = commits, ignore = ignoreCommits](int v) {
                    commits->push_back(v);
                    if (!*ignore) store.setUIMaxContentWidth(v);
                },
            .pixelsPerStep = 10,
        }
            .testId("field");
    }
};

class SettingsScrollIntFieldTest : public ModalViewTest {
protected:
    std::vector<int> commits;
    bool ignoreCommits = false;
    ui::Harness h{[this] { return ui::View(WidthField{&commits, &ignoreCommits}).environmentObject(*store); }, {130, 40}};

    Point at() const { return h.center("field"); }
    void tap() { h.click(at()); }
    void dragBy(double dx, double dy) { h.drag(at(), {at().x + dx, at().y + dy}); }
    void width(int w) {
        store->uiMaxContentWidth.set(w);
        h.update();
    }
};

TEST_F(SettingsScrollIntFieldTest, CommitsOncePerGestureAndResetsOnADoubleTap) {
    struct Case {
        const char* name;
        int start;
        std::function<void()> gesture;
        std::vector<int> commits;
    };
    const Case cases[] = {
        {"a double tap restores the reset value",
         1500,
         [&] {
             tap();
             h.advance(0.3);
             tap();
         },
         {2000}},
        {"a double tap at the reset value commits nothing",
         2000,
         [&] {
             tap();
             h.advance(0.3);
             tap();
         },
         {}},
        {"taps 0.35 s apart do not reset; the second becomes the first",
         1500,
         [&] {
             tap();
             h.advance(0.35);
             tap();
             h.advance(0.34);
             tap();
         },
         {2000}},
        {"a horizontal drag of 12 changes nothing and breaks the double tap",
         1500,
         [&] {
             tap();
             dragBy(12, 0);
             tap();
         },
         {}},
        {"a drag up of 4 is no step but counts as a tap",
         1500,
         [&] {
             dragBy(0, -4);
             tap();
         },
         {2000}},
        {"15 points up: two steps", 1500, [&] { dragBy(0, -15); }, {1600}},
        {"far up: the upper bound, committed once", 1200, [&] { dragBy(0, -300); }, {2000}},
        {"up and back to the start: nothing, and no tap",
         1500,
         [&] {
             tap();
             h.press(at());
             h.move({at().x, at().y - 30});
             h.move(at());
             h.release(at());
             tap();
         },
         {}},
        {"off the grid: a plain tap commits the snapped value", 1030, [&] { tap(); }, {1050}},
        {"above the range: 2030 snaps to 2000",
         1000,
         [&] {
             width(2030);
             tap();
         },
         {2000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        h.advance(1);
        width(c.start);
        commits.clear();
        c.gesture();
        EXPECT_EQ(commits, c.commits);
    }
}

TEST_F(SettingsScrollIntFieldTest, PreviewsWhileDraggingAndShowsTheOwnersValueAfterwards) {
    ignoreCommits = true;
    width(1500);
    // What the field shows with no gesture, at a given value.
    const auto still = [&](int value) {
        width(value);
        return h.render();
    };
    const ui::Bitmap at1500 = still(1500);
    const ui::Bitmap at1700 = still(1700);
    width(1500);
    h.press(at());
    h.move({at().x, at().y - 40});
    EXPECT_EQ(h.render().compare(at1700, 2).differingPixels, 0) << "the preview";
    EXPECT_EQ(store->uiMaxContentWidth.get(), 1500) << "nothing is stored while dragging";
    h.release({at().x, at().y - 40});
    EXPECT_EQ(commits, std::vector<int>{1700});
    EXPECT_EQ(h.render().compare(at1500, 2).differingPixels, 0) << "the owner ignored the commit";
}

class PortamentoValueScrubFieldTest : public ModalViewTest {
protected:
    PortamentoValueScrubFieldTest() {
        store->preset.modify([](model::Preset& p) {
            p.tracks[0].portamentoCC = 65;
            p.tracks[0].portamentoOnValue = 60;
            p.tracks[0].portamentoOffValue = 10;
        });
    }
    ui::Harness h{[this] {
                      return ui::vstack({}, PortamentoValueScrubField{.isOnValue = true, .pixelsPerUnit = 5}.testId("on"),
                                        PortamentoValueScrubField{.isOnValue = false, .pixelsPerUnit = 5}.testId("off"))
                          .environmentObject(*store);
                  },
                  {120, 90}};

    const model::Track& track() const { return store->preset->tracks[0]; }
    void dragBy(const std::string& field, double dy) {
        const Point p = h.center(field);
        h.drag(p, {p.x, p.y + dy});
    }
};

TEST_F(PortamentoValueScrubFieldTest, DragsFromTheirStartAreOneUndoStepEach) {
    struct Case {
        const char* name;
        std::function<void()> gesture;
        int on, off;
        std::vector<std::string> undo;
    };
    const Case cases[] = {
        {"a click without movement", [&] { h.clickOn("on"); }, 60, 10, {}},
        {"12 points up from 60: 2.4 rounds to 2", [&] { dragBy("on", -12); }, 62, 10, {"Portamento CC value"}},
        {"13 points up: 2.6 rounds to 3", [&] { dragBy("on", -13); }, 65, 10, {"Portamento CC value"}},
        {"12.5 points up: 2.5 rounds away from zero", [&] { dragBy("on", -12.5); }, 68, 10, {"Portamento CC value"}},
        {"up and back to where it began: no undo step",
         [&] {
             const Point p = h.center("on");
             h.press(p);
             h.move({p.x, p.y - 40});
             h.move(p);
             h.release(p);
         },
         68,
         10,
         {}},
        {"the OFF field, far down: stops at 0", [&] { dragBy("off", 400); }, 68, 0, {"Portamento CC value"}},
        {"far up: stops at 127", [&] { dragBy("on", -800); }, 127, 0, {"Portamento CC value"}},
        {"from 127 upward: no transaction", [&] { dragBy("on", -30); }, 127, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = undoLabels().size();
        c.gesture();
        EXPECT_EQ(track().portamentoOnValue, c.on);
        EXPECT_EQ(track().portamentoOffValue, c.off);
        const auto labels = undoLabels();
        EXPECT_EQ(std::vector<std::string>(labels.begin() + static_cast<std::ptrdiff_t>(before), labels.end()), c.undo);
        EXPECT_EQ(store->txnDepth, 0);
    }
}

TEST_F(PortamentoValueScrubFieldTest, NoTransactionOpensUntilTheValueMoves) {
    const Point p = h.center("on");
    h.press(p);
    h.move({p.x, p.y - 2});
    EXPECT_EQ(store->txnDepth, 0);
    h.move({p.x, p.y - 40});
    EXPECT_EQ(store->txnDepth, 1);
    h.move({p.x, p.y});
    h.release({p.x, p.y});
    EXPECT_EQ(store->txnDepth, 0) << "back at its start, the drag still closes its transaction";
}

}  // namespace
}  // namespace pulvan::views

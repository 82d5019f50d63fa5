#include "editor/views/main/pages_row.h"
#include "editor/views/main/patterns_row.h"
#include "platform/ui/continuous_corners.h"
#include "tests/editor/views/main/grid_fixture.h"

namespace pulvan::views {
namespace {

using model::LaneKind;

class GridRows : public GridTest {
protected:
    std::vector<std::string> dropdownLabels() const {
        std::vector<std::string> labels;
        for (const auto& item : store->dropdown.get()->items) labels.push_back(item.label);
        return labels;
    }
    std::vector<std::string> activeDropdownLabels() const {
        std::vector<std::string> labels;
        for (const auto& item : store->dropdown.get()->items)
            if (item.active) labels.push_back(item.label);
        return labels;
    }
    // The mean brightness of a view's pixels.
    double brightness(const std::string& id) {
        const ui::Bitmap bitmap = h->render();
        const ui::Rect f = h->frame(id);
        double sum = 0;
        int n = 0;
        for (int y = int(f.y) + 2; y < int(f.maxY()) - 2; ++y)
            for (int x = int(f.x) + 2; x < int(f.maxX()) - 2; ++x, ++n) {
                const ui::Color c = bitmap.pixel(x, y);
                sum += c.red + c.green + c.blue;
            }
        return sum / n;
    }
};

TEST_F(GridRows, TheTrackRowsMenusOfferTheirValuesAndEachChoiceIsOneUndoEntry) {
    show(test::presetWithTracks(1));
    const struct {
        const char* menu;
        std::size_t count;
        const char* first;
        const char* active;
        int pick;
        const char* label;
    } cases[] = {
        {"octave", 7, "-3", "0", 5, "Octave"},
        {"transpose", 25, "-12", "0", 13, "Transpose"},
        {"channel", 16, "1", "1", 9, "Channel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.menu);
        tap(h->center(c.menu));
        ASSERT_TRUE(store->dropdown.get());
        EXPECT_EQ(dropdownLabels().size(), c.count);
        EXPECT_EQ(dropdownLabels().front(), c.first);
        EXPECT_EQ(activeDropdownLabels(), std::vector<std::string>{c.active});
        const auto highlighted =
            std::count_if(store->dropdown.get()->items.begin(), store->dropdown.get()->items.end(), [](auto& i) { return i.highlight; });
        EXPECT_EQ(highlighted, std::string(c.menu) == "channel" ? 0 : 1) << "the entry for 0";
        store->dropdown.get()->items[static_cast<std::size_t>(c.pick)].action();
        EXPECT_EQ(undoLabels().back(), c.label);
    }
    const model::Track& track = store->preset->tracks[0];
    EXPECT_EQ(std::tuple(track.octave, track.transpose, track.midiOutputChannel), std::tuple(2, 1, 10));
}

TEST_F(GridRows, TheRowsEndWithTheLanesAndTheFlashButtonSitsAtTheTallLanesFoot) {
    show(test::presetWithTracks(1));
    const double lanesEnd = h->frame("gate-lane").maxX();
    EXPECT_NEAR(h->frame("→").maxX(), lanesEnd, 0.5) << "pages";
    EXPECT_NEAR(h->frame("Clear").maxX(), lanesEnd, 0.5) << "patterns";
    EXPECT_NEAR(h->frame("flash").maxY(), h->frame("tall-lane").maxY() - 4, 0.5);
}

TEST_F(GridRows, ControlsThatOpenOverlaysPublishTheirBounds) {
    show(test::presetWithTracks(1));
    for (const char* control : {"octave", "transpose", "channel", "direction", "resolution", "launch-resolution"}) {
        SCOPED_TRACE(control);
        tap(h->center(control));
        ASSERT_TRUE(store->dropdown.get());
        ASSERT_TRUE(dropdownAnchors.contains(store->dropdown.get()->anchorID));
        EXPECT_EQ(dropdownAnchors.at(store->dropdown.get()->anchorID).rootRect, h->frame(control));
    }
    for (auto [modal, control] : {std::pair{store::KezModal::chord, "chord-memory"},
                                  {store::KezModal::settings, "track-settings"},
                                  {store::KezModal::performance, "flash"}}) {
        SCOPED_TRACE(control);
        ASSERT_TRUE(modalAnchors.contains(modal));
        EXPECT_EQ(modalAnchors.at(modal).rootRect, h->frame(control));
    }
}

TEST_F(GridRows, TheTrackRowsButtonsActOnTheActiveTrack) {
    show(test::presetWithTracks(6));
    tap(h->center("poly"));
    EXPECT_TRUE(store->preset->tracks[0].poly);
    tap(h->center("chord-memory"));
    EXPECT_EQ(store->activeModal().get(), store::KezModal::chord);
    tap(h->center("track-settings"));
    EXPECT_EQ(store->activeModal().get(), store::KezModal::settings);
    tap(h->center("duplicate"));
    EXPECT_EQ(store->preset->tracks.size(), 6u);
    ASSERT_TRUE(store->dialog.get());
    EXPECT_EQ(store->dialog.get()->title, "Track limit");
}

TEST_F(GridRows, TheOffsetFieldDragsInTenPointsPerMillisecondAndADoubleTapResetsIt) {
    show(test::presetWithTracks(1));
    const auto offset = [&] { return store->preset->tracks[0].midiOutOffsetMs; };
    const ui::Point centre = h->center("offset");
    const struct {
        const char* name;
        ui::Point by;
        bool andBack;  // released where it was pressed
        int expected;
        std::size_t entries;
    } drags[] = {
        {"up 35: 3.5 rounds away from zero", {0, -35}, false, 4, 1},
        {"sideways changes nothing", {60, 0}, false, 4, 1},
        {"up and back to where it began: no entry", {0, -80}, true, 4, 1},
        {"far up stops at +200", {0, -3000}, false, 200, 2},
        {"far down stops at -200", {0, 6000}, false, -200, 3},
    };
    for (const auto& d : drags) {
        SCOPED_TRACE(d.name);
        h->advance(1);
        const ui::Point to{centre.x + d.by.x, centre.y + d.by.y};
        if (d.andBack) {
            h->press(centre);
            h->move(to);
            h->move(centre);
            h->release(centre);
        } else {
            h->drag(centre, to, 10);
        }
        EXPECT_EQ(store->txnDepth, 0);
        EXPECT_EQ(offset(), d.expected);
        EXPECT_EQ(undoLabels().size(), d.entries);
        EXPECT_EQ(undoLabels().back(), "MIDI out offset");
    }
    const struct {
        double gap;
        int expected;
        std::size_t entries;
    } doubleTaps[] = {{0.5, -200, 3}, {0.3, 0, 4}, {0.3, 0, 4}};
    for (const auto& t : doubleTaps) {
        SCOPED_TRACE(t.gap);
        h->advance(1);
        h->click(centre);
        h->advance(t.gap);
        h->click(centre);
        EXPECT_EQ(offset(), t.expected);
        EXPECT_EQ(undoLabels().size(), t.entries) << "a double tap at 0 leaves no entry";
    }
}

TEST_F(GridRows, TheDirectionAndResolutionDropdownsMarkThePatternsValues) {
    model::Preset preset = test::presetWithTracks(1);
    preset.tracks[0].patterns[0].direction = model::PatternDirection::random;
    preset.tracks[0].patterns[0].resolution = 116;
    show(preset);
    tap(h->center("direction"));
    ASSERT_TRUE(store->dropdown.get());
    EXPECT_EQ(dropdownLabels().front(), "\u21FE   Forward");
    EXPECT_EQ(activeDropdownLabels(), std::vector<std::string>{"\u2681   Random"});
    EXPECT_TRUE(store->dropdown.get()->opensUpward);
    store->dropdown.get()->items[2].action();
    EXPECT_EQ(store->activePatternDirection(), model::PatternDirection::pingPong);
    EXPECT_EQ(undoLabels().back(), "Pattern direction");

    tap(h->center("resolution"));
    EXPECT_EQ(dropdownLabels().size(), 18u);
    EXPECT_EQ(store->dropdown.get()->gridColumns, 6);
    EXPECT_EQ(activeDropdownLabels(), std::vector<std::string>{"1/16D"});
    store->dropdown.get()->items[13].action();
    EXPECT_EQ(store->activePatternResolution(), 216);
    EXPECT_EQ(undoLabels().back(), "Resolution");
}

TEST_F(GridRows, LastStepPicksToggleAndThePagesShowWhereLanesReach) {
    model::Preset preset = test::presetWithTracks(1);
    preset.tracks[0].patterns[0].lane(LaneKind::velocity).lastStep = 40;
    show(preset);
    const struct {
        const char* button;
        std::optional<store::LastStepMode> mode;
    } presses[] = {{"Last A", store::LastStepMode::all},
                   {"Last A", std::nullopt},
                   {"Last A", store::LastStepMode::all},
                   {"Last L", store::LastStepMode::single}};
    for (const auto& p : presses) {
        tap(h->center(p.button));
        EXPECT_EQ(store->lastStepMode.get(), p.mode) << p.button;
    }
    for (int page = 0; page < 4; ++page) EXPECT_EQ(store->isPageInUse(page), page < 3) << page;
    const ui::Bitmap screen = h->render();
    const auto presenceLine = [&](const char* page) {
        const ui::Rect f = h->frame(page);
        return screen.pixel(int(f.center().x), int(f.maxY()) - 1);
    };
    const ui::Color accent = colorFromHex(store->trackAccentColor(0));
    EXPECT_NEAR(presenceLine("page-3").blue, accent.blue, 0.1);
    EXPECT_LT(presenceLine("page-4").blue, 0.2) << "no lane reaches page 4";
}

class PatternsRowTest : public GridRows {
protected:
    void showWithScheduler() {
        show(test::threeTrackPreset());
        store->linkHooks.schedulePatternSelection = [raw = store.get()](const foundation::Uuid& id, int slot) {
            raw->pendingPatternSelectionTrackID = id;
            raw->pendingPatternSelectionPatternIndex = slot;
            return true;
        };
    }
};

TEST_F(PatternsRowTest, AQuantisedLaunchFillsItsSlotAsTheProgressRises) {
    showWithScheduler();
    tap(h->center("pattern-4"));
    EXPECT_EQ(store->activePatternIndex(), 0) << "waits for the launch";
    std::vector<double> shown;
    for (double progress : {0.0, 0.5, 1.0}) {
        store->playhead.patternSelectionProgress.set(progress);
        h->update();
        shown.push_back(brightness("pattern-4"));
    }
    EXPECT_LT(shown[0], shown[1]);
    EXPECT_LT(shown[1], shown[2]);
}

TEST_F(PatternsRowTest, CopyAndSwapBlinkUntilATargetIsChosen) {
    showWithScheduler();
    tap(h->center("Copy"));
    tap(h->center("Swap"));
    EXPECT_FALSE(store->patternCopyToActive().get()) << "only swap stays armed";
    tap(h->center("Copy"));
    ASSERT_TRUE(store->patternCopyToActive().get());

    const double phase[] = {brightness("pattern-2"), (h->advance(0.5), brightness("pattern-2")),
                            (h->advance(0.5), brightness("pattern-2"))};
    EXPECT_NE(phase[0], phase[1]);
    EXPECT_EQ(phase[0], phase[2]);

    h->clickOn("pattern-3");
    EXPECT_FALSE(store->patternCopyToActive().get());
    EXPECT_EQ(store->preset->tracks[0].patterns[2].lanes, store->preset->tracks[0].patterns[0].lanes);
    EXPECT_EQ(undoLabels().back(), "Paste pattern");
    const double still = brightness("pattern-2");
    h->advance(0.5);
    EXPECT_EQ(brightness("pattern-2"), still) << "no blinking once disarmed";

    tap(h->center("Swap"));
    tap(h->center("pattern-2"));
    EXPECT_EQ(undoLabels().back(), "Swap patterns");
    EXPECT_FALSE(store->patternSwapWithActive().get());

    tap(h->center("Clear"));
    ASSERT_TRUE(store->dialog.get());
    EXPECT_EQ(store->dialog.get()->title, "Clear pattern");
    const auto confirm = store->dialog.get()->onConfirm;
    store->dialog.set(std::nullopt);
    confirm("");
    EXPECT_EQ(undoLabels().back(), "Clear pattern");
}

// Armed, "Copy" and "Swap" light in the same system red as the chord scenes' "Copy" and "Swap".
TEST_F(PatternsRowTest, ArmedCopyAndSwapLightInTheSystemRed) {
    const ui::Color expected{0.7 * systemRedColor.red + 0.3 * controlBackgroundColor.red,
                             0.7 * systemRedColor.green + 0.3 * controlBackgroundColor.green,
                             0.7 * systemRedColor.blue + 0.3 * controlBackgroundColor.blue};
    for (const char* button : {"Copy", "Swap"}) {
        SCOPED_TRACE(button);
        showWithScheduler();
        tap(h->center(button));
        // Left of the label, in both blink phases; the brighter one is drawn at full opacity.
        const ui::Rect f = h->frame(button);
        const auto sample = [&] { return h->render().pixel(int(f.x) + 3, int(f.midY())); };
        const ui::Color phases[] = {sample(), (h->advance(0.5), sample())};
        const ui::Color lit = phases[0].red > phases[1].red ? phases[0] : phases[1];
        EXPECT_NEAR(lit.red, expected.red, 2.0 / 255);
        EXPECT_NEAR(lit.green, expected.green, 2.0 / 255);
        EXPECT_NEAR(lit.blue, expected.blue, 2.0 / 255);
    }
}

TEST_F(PatternsRowTest, TheLaunchResolutionDropdownOpensUpwardTwoColumnsWide) {
    showWithScheduler();
    store->setPatternLaunchResolution(4);
    h->update();
    tap(h->center("launch-resolution"));
    ASSERT_TRUE(store->dropdown.get());
    EXPECT_EQ(dropdownLabels(), (std::vector<std::string>{"1/16", "1/8", "1/4", "1 bar"}));
    EXPECT_EQ(activeDropdownLabels(), std::vector<std::string>{"1/4"});
    const double column = h->frame("pattern-1").width;
    EXPECT_NEAR(*store->dropdown.get()->width, 2 * column - 28, 1e-6);
    EXPECT_TRUE(store->dropdown.get()->opensUpward);
}

// The launch-resolution button sits on the control background inside a 1-pt border of radius 4 with
// continuous corners: drawn 8 times larger, its corners look exactly like that shape at its place.
TEST_F(PatternsRowTest, TheLaunchResolutionBorderHasContinuousCorners) {
    show(test::presetWithTracks(1));
    constexpr double scale = 8;
    ui::Harness row(
        [this] {
            return PatternsRow{}
                .environment<KezAccentKey>(globalAccentColor())
                .environmentObject(*store)
                .environmentObject(store->playhead);
        },
        {1000, 25}, scale);
    const ui::Rect f = row.frame("launch-resolution");
    ui::Harness described(
        [f] {
            using namespace ui;
            return zstack({unit::topLeading}, color(controlBackgroundColor)
                                                  .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1))
                                                  .frame({.width = f.width, .height = f.height})
                                                  .offset(f.x, f.y))
                .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = unit::topLeading});
        },
        {1000, 25}, scale);
    const ui::Bitmap drawn = row.render(), expected = described.render();
    // A 6-point square at each corner: 5 points inside the button and the point beyond that the border's
    // outer half reaches.
    const auto premultiplied = [](ui::Color c) { return std::array{c.red * c.alpha, c.green * c.alpha, c.blue * c.alpha, c.alpha}; };
    int differing = 0;
    for (const ui::Point square :
         {ui::Point{f.x - 1, f.y - 1}, {f.maxX() - 5, f.y - 1}, {f.x - 1, f.maxY() - 5}, {f.maxX() - 5, f.maxY() - 5}})
        for (int y = int(square.y * scale); y < int((square.y + 6) * scale); ++y)
            for (int x = int(square.x * scale); x < int((square.x + 6) * scale); ++x) {
                const auto a = premultiplied(drawn.pixel(x, y)), b = premultiplied(expected.pixel(x, y));
                for (std::size_t i = 0; i < 4; ++i) differing += std::abs(a[i] - b[i]) > 2.0 / 255;
            }
    EXPECT_EQ(differing, 0);
}

class SidebarTest : public GridTest {};

TEST_F(SidebarTest, TheLaneSelectorSetsTheTallLanesLane) {
    show(test::presetWithTracks(1));
    for (LaneKind kind : Sidebar::selectableLanes) {
        tap(h->center("lane-" + std::string(model::rawValue(kind))));
        EXPECT_EQ(store->activeLane.get(), kind);
    }
    EXPECT_TRUE(undoLabels().empty()) << "not undoable";
}

TEST_F(SidebarTest, MuteAndSoloToggleTheActiveTrack) {
    show(test::presetWithTracks(2));
    store->activeTrackIndex.set(1);
    h->update();
    tap(h->center("mute"));
    tap(h->center("solo"));
    EXPECT_TRUE(store->preset->tracks[1].mute);
    EXPECT_TRUE(store->preset->tracks[1].solo);
    EXPECT_EQ(undoLabels(), (std::vector<std::string>{"Mute", "Solo"}));
}

TEST_F(SidebarTest, TheFlashButtonHoldsThePerformanceModalUnlessPinned) {
    using store::KezModal;
    const struct {
        const char* name;
        bool pinned, forced;
        std::optional<KezModal> before;
        std::optional<KezModal> held, released, secondHeld, secondReleased;
    } cases[] = {
        {"unpinned", false, false, std::nullopt, KezModal::performance, std::nullopt, KezModal::performance, std::nullopt},
        {"unpinned over another modal", false, false, KezModal::chord, KezModal::performance, std::nullopt, KezModal::performance,
         std::nullopt},
        {"pinned", true, false, std::nullopt, KezModal::performance, KezModal::performance, std::nullopt, std::nullopt},
        {"pinning forced by the host", false, true, std::nullopt, KezModal::performance, KezModal::performance, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        show(test::presetWithTracks(1));
        store->setPinPerformanceDialog(c.pinned);
        store->forcePinnedPerformanceDialog = c.forced;
        store->setActiveModal(c.before);
        h->update();
        const ui::Point flash = h->center("flash");
        std::optional<KezModal> seen[4];
        for (int i = 0; i < 2; ++i) {
            h->advance(1);
            h->press(flash);
            seen[2 * i] = store->activeModal().get();
            h->release(flash);
            seen[2 * i + 1] = store->activeModal().get();
        }
        EXPECT_EQ(seen[0], c.held);
        EXPECT_EQ(seen[1], c.released);
        EXPECT_EQ(seen[2], c.secondHeld);
        EXPECT_EQ(seen[3], c.secondReleased);
    }
}

}  // namespace
}  // namespace pulvan::views

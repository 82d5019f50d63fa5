#include "editor/views/notespool/chord_memory_sliders.h"
#include "editor/views/notespool/chord_slider.h"
#include "platform/ui/harness.h"
#include "tests/editor/store/store_fixture.h"
#include "tests/platform/ui/frames_from_damage.h"

namespace pulvan::views {
namespace {

class ChordMemoryTest : public test::StoreTest {};

TEST(ChordSlider, ValueFromTouch) {
    struct Case {
        double y, height;
        int value;
    };
    const Case cases[] = {{-5, 160, 12},   {0, 160, 12},      {20, 160, 9},     {80, 160, 0},      {160, 160, -12},
                          {400, 160, -12}, {13.333, 160, 10}, {73.333, 160, 1}, {86.667, 160, -1}, {0, 0, -12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y << " of " << c.height);
        EXPECT_EQ(ChordSlider::valueAt(c.y, c.height, -12, 12), c.value);
    }
}

// Six sliders in a 320-point row, loaded from the active track as the modal loads them.
struct SlidersRig {
    store::SequencerStore& store;
    double scale = 1;
    double left = 0;  // room before the row, which moves its sliders off whole pixels
    ui::Harness harness{[this] { return view(); }, {320 + left, 190}, scale};

    ui::View view() {
        struct Host {
            store::SequencerStore* store;
            ui::View body(ui::BuildContext& context) const {
                const auto slots = context.state<ChordMemorySlots>(loadChordMemorySlots(*store));
                return ChordMemorySliders{.slots = slots, .accent = ui::Color::white()};
            }
        };
        return ui::View(Host{&store}).padding({.leading = left}).environmentObject(store);
    }
    // A point on slider i at the value's height (the track starts below the value text).
    ui::Point at(int slider, int value) {
        const ui::Rect f = harness.frame("chordSlider" + std::to_string(slider));
        const double trackTop = f.y + 22, trackHeight = f.height - 22;
        return {f.midX(), trackTop + trackHeight * (12.0 - value) / 24.0};
    }
};

TEST_F(ChordMemoryTest, ADragIsOneEditWithOneRelease) {
    struct Case {
        const char* name;
        std::vector<int> chord;
        int slider;
        std::vector<int> values;  // pressed at the first, moved through the rest
        std::vector<int> written;
        int undoEntries;
    };
    const Case cases[] = {
        {"a sweep through many values", {7, 12}, 2, {0, -2, -4, -5}, {7, 12, -5}, 1},
        {"zeros are dropped, repeats kept", {4}, 2, {4}, {4, 4}, 1},
        {"a drag that changes nothing adds no entry", {7, 12}, 1, {12}, {7, 12}, 0},
        {"back to zero empties the slot", {7, 12}, 0, {3, 0}, {12}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = makeStore();
        store->preset.modify([&](model::Preset& p) { p.tracks[0].outputChord = c.chord; });
        store->resetHistory();
        refreshes.clear();
        SlidersRig rig{*store};
        rig.harness.press(rig.at(c.slider, c.values.front()));
        for (std::size_t i = 1; i < c.values.size(); ++i) rig.harness.move(rig.at(c.slider, c.values[i]));
        EXPECT_EQ(store->txnDepth, c.undoEntries) << "the drag keeps its edit open once it changed the chord";
        rig.harness.release(rig.at(c.slider, c.values.back()));
        EXPECT_EQ(store->txnDepth, 0);
        EXPECT_EQ(store->preset->tracks[0].outputChord, c.written);
        EXPECT_EQ(store->history().count() - 1, c.undoEntries);
        if (c.undoEntries) {
            EXPECT_EQ(store->history().label(store->history().index()), "Chord memory");
        }
        ASSERT_EQ(refreshes.size(), static_cast<std::size_t>(c.undoEntries)) << "one refresh, so the sounding notes are cut once";
        if (c.undoEntries) {
            EXPECT_EQ(refreshes[0].queuedReleases, std::set<int>{0});
        }
    }
}

// Each frame of a drag through 0 and past it, painted from damage, is the whole paint of its state: a slider at 0
// shows the centre line alone in both.
TEST_F(ChordMemoryTest, EveryFrameOfADragIsAWholePaint) {
    // Slider 2 is at 0: across its track's centre, the centre line's grey and no bar.
    {
        auto store = makeStore();
        store->preset.modify([](model::Preset& p) { p.tracks[0].outputChord = {7, -5}; });
        SlidersRig rig{*store};
        const ui::Point centre = rig.at(2, 0);
        const ui::Bitmap picture = rig.harness.render();
        double brightest = 0;
        for (int y = static_cast<int>(centre.y) - 6; y <= static_cast<int>(centre.y) + 6; ++y)
            brightest = std::max(brightest, picture.pixel(static_cast<int>(centre.x), y).red);
        EXPECT_NEAR(brightest, 0x3A / 255.0, 0.02) << "the centre line and nothing brighter (the bar's white outline)";
    }
    for (const auto& [scale, left] : {std::pair{1.0, 0.0}, std::pair{1.25, 0.0}, std::pair{1.25, 2.8}, std::pair{1.25, 3.3}}) {
        SCOPED_TRACE("scale " + std::to_string(scale) + ", " + std::to_string(left) + " points in");
        auto store = makeStore();
        store->preset.modify([](model::Preset& p) { p.tracks[0].outputChord = {7, -5}; });
        SlidersRig rig{*store, scale, left};
        ui::test::FramesFromDamage frames(rig.harness, scale);
        rig.harness.press(rig.at(0, 7));
        EXPECT_LE(frames.paintAndCompare(), 6);
        for (const int value : {4, 1, 0, -1, -6, 0, 9}) {
            rig.harness.move(rig.at(0, value));
            EXPECT_LE(frames.paintAndCompare(), 6) << "at " << value;
        }
        rig.harness.release(rig.at(0, 9));
        EXPECT_LE(frames.paintAndCompare(), 6);
    }
}

TEST_F(ChordMemoryTest, ALostGrabStillClosesTheEdit) {
    auto store = makeStore();
    SlidersRig rig{*store};
    rig.harness.press(rig.at(0, 5));
    rig.harness.move(rig.at(0, 6));
    rig.harness.root().cancelPointer();
    rig.harness.update();
    EXPECT_EQ(store->txnDepth, 0);
    EXPECT_EQ(store->preset->tracks[0].outputChord, std::vector<int>{6});
}

TEST_F(ChordMemoryTest, LoadsTheFirstSixOffsets) {
    auto store = makeStore();
    store->preset.modify([](model::Preset& p) { p.tracks[0].outputChord = {1, 2, 3, 4, 5, 6, 7}; });
    EXPECT_EQ(loadChordMemorySlots(*store), (ChordMemorySlots{1, 2, 3, 4, 5, 6}));
    store->preset.modify([](model::Preset& p) { p.tracks[0].outputChord = {7, 12}; });
    EXPECT_EQ(loadChordMemorySlots(*store), (ChordMemorySlots{7, 12, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace pulvan::views

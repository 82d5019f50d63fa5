#include "editor/views/notespool/notes_pool_modal.h"

#include "editor/views/notespool/chord_memory_modal.h"
#include "tests/editor/views/notespool/notes_pool_rig.h"
#include "tests/platform/ui/golden.h"

#include <filesystem>

namespace pulvan::views {
namespace {

using model::NotesPoolInput;
using Sent = std::vector<std::array<int, 3>>;

class NotesPoolModalTest : public NotesPoolTest {
protected:
    std::unique_ptr<ui::Harness> open(double viewportWidth = 1080) {
        store->setActiveModal(store::KezModal::notesPool);
        return show([] { return ui::View(NotesPoolModal{}); }, viewportWidth);
    }
    // The store's timers run on the fixture's queue, the views' on the harness's.
    void wait(ui::Harness& h, double seconds) {
        main.advanceSeconds(seconds);
        h.advance(seconds);
    }
    void useScenes(std::vector<int> first, std::vector<int> second) {
        store->preset.modify([&](model::Preset& p) {
            p.chordPresets[0].chord = std::move(first);
            p.chordPresets[1].chord = std::move(second);
            p.tracks[0].midiOutputChannel = 5;
        });
        store->selectChord(0);
        store->resetHistory();
    }
};

TEST_F(NotesPoolModalTest, GoldenInBothSources) {
    useScenes({60, 64, 67}, {62, 65});
    store->playhead.activeTrackNotes.set({64});
    auto h = open();
    ui::expectMatchesGolden(h->render(), "notes_pool_scene");
    store->setNotesPoolInput(NotesPoolInput::midiIn);
    h->update();
    ui::expectMatchesGolden(h->render(), "notes_pool_midi_in");
    store->setNotesPoolInput(NotesPoolInput::internalChord);
    auto narrow = open(300);
    ui::expectMatchesGolden(narrow->render(), "notes_pool_narrowest");
}

TEST_F(NotesPoolModalTest, APlayheadTickRepaintsOnlyTheLitKeys) {
    auto h = open();
    h->render();
    h->root().takeDamage();
    store->playhead.activeTrackNotes.set({60, 64});
    store->playhead.sceneSelectionProgress.set(0.5);
    h->update();
    const ui::Rect damage = h->root().takeDamage().bounds();
    EXPECT_LE(damage.height, 12);
    EXPECT_LE(damage.width, 4 * 36);
}

TEST_F(NotesPoolModalTest, Widths) {
    struct Case {
        double viewport, panel, keyboardWidth;
    };
    const Case cases[] = {{300, 360, 324}, {700, 700, 664}, {2000, 1080, 1044}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.viewport);
        auto h = open(c.viewport);
        EXPECT_NEAR(h->frame("notesPoolModal").width, c.panel, 0.5);
        EXPECT_NEAR(h->frame("keyboard").width, c.keyboardWidth, 0.5);
        h->clickOn("sceneLaunchResolution");
        ASSERT_TRUE(store->dropdown.get().has_value());
        EXPECT_NEAR(*store->dropdown.get()->width, std::max(2 * (c.keyboardWidth - 96) / 13 + 8 - 12, 98.0), 0.001);
    }
}

TEST_F(NotesPoolModalTest, SixTracksStayWithinTheHeightGivenAndTheirRowsScroll) {
    while (store->preset->tracks.size() < 6) store->addTrack();
    store->setActiveModal(store::KezModal::notesPool);
    auto h = show([] { return ui::View(NotesPoolModal{}).environment<KezModalViewportHeightKey>(600); });
    EXPECT_LE(h->frame("notesPoolModal").height, 600);
    const ui::Rect lastRow = h->frame("scenePattern5_1");
    EXPECT_GT(lastRow.maxY(), h->frame("notesPoolModal").maxY()) << "below the fold";
    h->scroll(h->center("scenePattern0_4"), 0, 200, ui::ScrollPhase::none, true);
    EXPECT_LT(h->frame("scenePattern5_1").y, lastRow.y);
}

TEST_F(NotesPoolModalTest, KeyboardEditsAndAuditions) {
    useScenes({60, 64, 67}, {});
    auto h = open();
    h->clickOn("audition");
    sentMIDI.clear();
    const ui::Rect keys = h->frame("keyboard");
    // Centred on C3: D3 lies one white key right of the middle, low on the keys.
    const ui::Point d3{keys.midX() + 36, keys.maxY() - 10};
    h->click(d3);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{60, 62, 64, 67}));
    EXPECT_EQ(store->history().label(store->history().index()), "Edit notes pool");
    wait(*h, 0.14);
    EXPECT_EQ(sentMIDI, (Sent{{0x94, 62, 100}, {0x84, 62, 0}}));

    sentMIDI.clear();
    store->setNotesPoolInput(NotesPoolInput::midiIn);
    h->update();
    const auto pool = store->preset->notesPool;
    h->click(d3);
    wait(*h, 1);
    EXPECT_EQ(store->preset->notesPool, pool) << "MIDI in: the keyboard edits nothing";
    EXPECT_TRUE(sentMIDI.empty());
    EXPECT_FALSE(h->exists("progressionPresets"));
    EXPECT_FALSE(h->exists("scenePattern0_1"));
}

TEST_F(NotesPoolModalTest, ClosingEndsATapsAuditionNoteAtOnce) {
    useScenes({60, 64, 67}, {});
    auto h = open();
    h->clickOn("audition");
    sentMIDI.clear();
    const ui::Rect keys = h->frame("keyboard");
    h->click({keys.midX() + 36, keys.maxY() - 10});
    hide(*h);
    EXPECT_EQ(sentMIDI, (Sent{{0x94, 62, 100}, {0x84, 62, 0}}));
    wait(*h, 1);
    EXPECT_EQ(sentMIDI.size(), 2u) << "and only once";
}

TEST_F(NotesPoolModalTest, SourceSwitchCallsTheStoreEvenWhenSelected) {
    auto h = open();
    store->setSceneCopyToActive(true);
    h->clickOn("source Scene");
    EXPECT_FALSE(store->sceneCopyToActive().get()) << "the store's command ran and disarmed Copy";
    h->clickOn("source MIDI in");
    EXPECT_EQ(store->preset->notesPoolInput, NotesPoolInput::midiIn);
}

TEST_F(NotesPoolModalTest, CopySwapBlinkAndTimeOut) {
    useScenes({60, 64, 67}, {62, 65});
    auto h = open();
    const auto cellPixel = [&] {
        const ui::Rect cell = h->frame("scene3");
        return h->render().pixel(static_cast<int>(cell.x + 6), static_cast<int>(cell.midY()));
    };
    const ui::Color idle = cellPixel();
    struct Step {
        const char* name;
        std::function<void()> act;
        bool copy, swap;
        std::vector<int> sceneOne, sceneTwo;
    };
    const Step steps[] = {
        {"Copy arms copy", [&] { h->clickOn("Copy"); }, true, false, {62, 65}, {}},
        {"Copy again disarms", [&] { h->clickOn("Copy"); }, false, false, {62, 65}, {}},
        {"Copy then Swap moves the arming", [&] { h->clickOn("Copy"), h->clickOn("Swap"); }, false, true, {62, 65}, {}},
        {"a scene tap swaps it with the active scene and selects it", [&] { h->clickOn("scene2"); }, false, false, {62, 65}, {60, 64, 67}},
        {"Copy, then a scene tap pastes there",
         [&] { h->clickOn("Copy"), h->clickOn("scene1"); },
         false,
         false,
         {60, 64, 67},
         {60, 64, 67}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(store->sceneCopyToActive().get(), s.copy);
        EXPECT_EQ(store->sceneSwapWithActive().get(), s.swap);
        EXPECT_EQ(store->preset->chordPresets[1].chord, s.sceneOne);
        EXPECT_EQ(store->preset->chordPresets[2].chord, s.sceneTwo);
    }
    EXPECT_EQ(store->activeSceneIndex.get(), 1);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{60, 64, 67}));

    h->clickOn("Swap");
    wait(*h, 0.5 - std::fmod(h->root().nowNanoseconds() * 1e-9, 0.5) + 0.01);
    const ui::Color first = cellPixel();
    wait(*h, 0.5);
    EXPECT_NE(first.alpha * first.red, cellPixel().alpha * cellPixel().red) << "armed cells blink";
    wait(*h, 9.5);
    EXPECT_FALSE(store->sceneSwapWithActive().get()) << "ten seconds after arming";
    EXPECT_EQ(cellPixel(), idle);
    wait(*h, 0.5);
    EXPECT_EQ(cellPixel(), idle) << "no blinking once disarmed";
}

TEST_F(NotesPoolModalTest, HeldSceneAuditionEndsWhenAuditionGoesOff) {
    useScenes({64, 60, 64}, {});
    auto h = open();
    h->clickOn("audition");
    sentMIDI.clear();
    h->press(h->center("scene0"));
    store->preset.modify([](model::Preset& p) { p.tracks[0].midiOutputChannel = 9; });
    h->update();
    h->release(h->center("scene0"));
    EXPECT_EQ(sentMIDI, (Sent{{0x94, 60, 100}, {0x94, 64, 100}, {0x84, 60, 0}, {0x84, 64, 0}}));
}

TEST_F(NotesPoolModalTest, MidiInAuditionWiring) {
    store->setNotesPoolInput(NotesPoolInput::midiIn);
    store->preset.modify([](model::Preset& p) { p.tracks[0].midiOutputChannel = 2; });
    auto h = open();
    EXPECT_FALSE(store->hooks.incomingMIDINoteEventHandler) << "audition off";
    h->clickOn("audition");
    ASSERT_TRUE(store->hooks.incomingMIDINoteEventHandler);
    sentMIDI.clear();
    store->hooks.incomingMIDINoteEventHandler(60, true);
    store->hooks.incomingMIDINoteEventHandler(64, true);
    EXPECT_EQ(sentMIDI, (Sent{{0x91, 60, 100}, {0x91, 64, 100}}));
    sentMIDI.clear();
    hide(*h);
    EXPECT_EQ(sentMIDI, (Sent{{0x81, 60, 0}, {0x81, 64, 0}})) << "closing releases what sounds";
    EXPECT_FALSE(store->hooks.incomingMIDINoteEventHandler);
}

TEST_F(NotesPoolModalTest, StoreStripAndLatch) {
    store->setNotesPoolInput(NotesPoolInput::midiIn);
    auto h = open();
    h->clickOn("latch");
    EXPECT_TRUE(store->notesPoolMIDILatchEnabled.get());
    store->preset.modify([](model::Preset& p) { p.notesPool = {64, 60, 64}; });
    h->clickOn("store");
    ui::expectMatchesGolden(h->render(), "notes_pool_store_armed");
    h->clickOn("scene3");
    EXPECT_EQ(store->preset->chordPresets[3].chord, (std::vector<int>{60, 64}));
    EXPECT_FALSE(store->sceneCopyToActive().get());
    EXPECT_EQ(store->activeSceneIndex.get(), 0);
}

TEST_F(NotesPoolModalTest, ChordProgressionsThroughTheLibrary) {
    useScenes({60, 64, 67}, {62, 65});
    auto h = open();
    h->clickOn("saveProgression");
    ASSERT_TRUE(store->dialog.get().has_value());
    const store::DialogRequest prompt = *store->dialog.get();
    store->dialog.set(std::nullopt);
    prompt.onConfirm("Pop");

    useScenes({}, {});
    h->update();
    h->clickOn("progressionPresets");
    ASSERT_TRUE(store->dropdown.get().has_value());
    auto items = store->dropdown.get()->items;
    const auto pop = std::find_if(items.begin(), items.end(), [](const store::DropdownItem& i) { return i.label == "Pop"; });
    ASSERT_NE(pop, items.end());
    pop->action();
    EXPECT_EQ(store->preset->chordPresets[1].chord, (std::vector<int>{62, 65}));
    EXPECT_EQ(store->history().label(store->history().index()), "Load chord progression");

    pop->onDelete();
    const store::DialogRequest confirmation = *store->dialog.get();
    store->dialog.set(std::nullopt);
    confirmation.onConfirm("");
    const auto after = store->dropdown.get()->items;
    EXPECT_TRUE(std::none_of(after.begin(), after.end(), [](const store::DropdownItem& i) { return i.label == "Pop"; }));
}

TEST_F(NotesPoolModalTest, ChordMemoryModal) {
    store->preset.modify([](model::Preset& p) { p.tracks[0].outputChord = {7, 12}; });
    store->setActiveModal(store::KezModal::chord);
    auto h = show([] { return ui::View(ChordMemoryModal{}); });
    EXPECT_NEAR(h->frame("chordMemoryModal").width, 320, 0.5);
    ui::expectMatchesGolden(h->render(), "chord_memory");
    const int before = store->history().count();
    // "Reset" is the header's only text in the accent colour.
    const ui::Bitmap shot = h->render();
    const int row = static_cast<int>(h->center("modal.close").y);
    int x = 0;
    while (x < 320 && !(shot.pixel(x, row).green > 0.6 && shot.pixel(x, row).red < 0.4)) ++x;
    ASSERT_LT(x, 320);
    h->click({x + 4.0, static_cast<double>(row)});
    EXPECT_TRUE(store->preset->tracks[0].outputChord.empty());
    EXPECT_EQ(store->history().count(), before + 1);
    h->clickOn("modal.close");
    EXPECT_FALSE(store->activeModal().get().has_value());
}

}  // namespace
}  // namespace pulvan::views

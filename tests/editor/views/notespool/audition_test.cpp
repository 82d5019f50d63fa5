#include "editor/views/notespool/midi_in_audition.h"
#include "editor/views/notespool/scene_audition.h"
#include "tests/editor/store/store_fixture.h"

#include <functional>

namespace pulvan::views {
namespace {

using Sent = std::vector<std::array<int, 3>>;
constexpr int on = 0x92, off = 0x82;  // channel 3

class AuditionTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> storeOnChannel(int channel) {
        auto store = makeStore();
        store->preset.modify([&](model::Preset& p) { p.tracks[0].midiOutputChannel = channel; });
        return store;
    }
};

TEST_F(AuditionTest, MidiInLatchAndOrder) {
    struct Case {
        const char* name;
        bool latch;
        std::function<void(MidiInAudition&, store::SequencerStore&)> play;
        Sent sent;
        std::optional<int> channelAfter;
    };
    const Case cases[] = {
        {"latch off: each release ends its note, the last clears the channel",
         false,
         [](MidiInAudition& a, auto&) { a.noteEvent(60, true), a.noteEvent(64, true), a.noteEvent(60, false), a.noteEvent(64, false); },
         {{on, 60, 100}, {on, 64, 100}, {off, 60, 0}, {off, 64, 0}},
         std::nullopt},
        {"latch on: a new chord first releases the latched one, ascending",
         true,
         [](MidiInAudition& a, auto&) {
             for (int n : {67, 60, 64}) a.noteEvent(n, true);
             for (int n : {60, 64, 67}) a.noteEvent(n, false);
             a.noteEvent(62, true);
         },
         {{on, 67, 100}, {on, 60, 100}, {on, 64, 100}, {off, 60, 0}, {off, 64, 0}, {off, 67, 0}, {on, 62, 100}},
         3},
        {"turning the latch off releases only the keys that are up",
         true,
         [](MidiInAudition& a, store::SequencerStore& s) {
             a.noteEvent(60, true), a.noteEvent(64, true), a.noteEvent(60, false);
             s.setNotesPoolMIDILatchEnabled(false);
             a.latchChanged(false);
         },
         {{on, 60, 100}, {on, 64, 100}, {off, 60, 0}},
         3},
        {"a key held twice sounds once and ends with its last release",
         false,
         [](MidiInAudition& a, auto&) { a.noteEvent(60, true), a.noteEvent(60, true), a.noteEvent(60, false), a.noteEvent(60, false); },
         {{on, 60, 100}, {off, 60, 0}},
         std::nullopt},
        {"a stray note-off sends nothing but fixes the channel", false, [](MidiInAudition& a, auto&) { a.noteEvent(61, false); }, {}, 3},
        {"the first note fixes the channel while keys are held",
         false,
         [](MidiInAudition& a, store::SequencerStore& s) {
             a.noteEvent(60, true);
             s.preset.modify([](model::Preset& p) { p.tracks[0].midiOutputChannel = 9; });
             a.noteEvent(64, true), a.noteEvent(60, false), a.noteEvent(64, false), a.noteEvent(65, true);
         },
         {{on, 60, 100}, {on, 64, 100}, {off, 60, 0}, {off, 64, 0}, {0x98, 65, 100}},
         9},
        {"stopping releases what sounds, ascending",
         true,
         [](MidiInAudition& a, auto&) { a.noteEvent(64, true), a.noteEvent(60, true), a.stop(); },
         {{on, 64, 100}, {on, 60, 100}, {off, 60, 0}, {off, 64, 0}},
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = storeOnChannel(3);
        store->notesPoolMIDILatchEnabled.set(c.latch);
        sentMIDI.clear();
        MidiInAudition audition(*store);
        c.play(audition, *store);
        EXPECT_EQ(sentMIDI, c.sent);
        EXPECT_EQ(audition.channel(), c.channelAfter);
    }
}

TEST_F(AuditionTest, HeldScene) {
    struct Case {
        const char* name;
        int channel;
        std::vector<int> chord;
        bool audition;
        bool armed;
        Sent sent;
    };
    const Case cases[] = {
        {"distinct notes, lowest first, off on release",
         3,
         {64, 60, 64},
         true,
         false,
         {{on, 60, 100}, {on, 64, 100}, {off, 60, 0}, {off, 64, 0}}},
        {"audition off sounds nothing", 3, {60}, false, false, {}},
        {"an armed mode sounds nothing", 3, {60}, true, true, {}},
        {"an empty chord sounds nothing", 3, {}, true, false, {}},
        {"channel 0 sends on the first channel", 0, {60}, true, false, {{0x90, 60, 100}, {0x80, 60, 0}}},
        {"channel 17 sends on the last channel", 17, {60}, true, false, {{0x9F, 60, 100}, {0x8F, 60, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = storeOnChannel(c.channel);
        store->preset.modify([&](model::Preset& p) { p.chordPresets[2].chord = c.chord; });
        store->setSceneSwapWithActive(c.armed);
        sentMIDI.clear();
        SceneAudition held;
        held.start(*store, 2, c.audition);
        // The active track's channel changing meanwhile does not move the note-offs.
        store->preset.modify([](model::Preset& p) { p.tracks[0].midiOutputChannel = 12; });
        held.end(*store);
        EXPECT_EQ(sentMIDI, c.sent);
        EXPECT_FALSE(held.pressed);
    }
}

}  // namespace
}  // namespace pulvan::views

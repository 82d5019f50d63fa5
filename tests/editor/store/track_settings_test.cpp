#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;
using Bytes = std::array<int, 3>;

TEST_F(StoreTest, AuditionAndControllerBytesCarryTheChannelWithinOneToSixteenAndValuesWithinTheirRange) {
    struct Case {
        int channel, note, velocity;
        Bytes noteOn;
        int noteOff, cc;
    };
    for (const Case& c : std::vector<Case>{{0, 130, -5, {0x90, 127, 0}, 0x80, 0xB0},
                                           {1, -5, 200, {0x90, 0, 127}, 0x80, 0xB0},
                                           {16, 60, 100, {0x9F, 60, 100}, 0x8F, 0xBF},
                                           {17, 130, -5, {0x9F, 127, 0}, 0x8F, 0xBF}}) {
        auto store = makeStore();
        sentMIDI.clear();
        store->sendNoteOn(c.note, c.velocity, c.channel);
        store->sendNoteOff(60, c.channel);
        store->sendCC(74, 200, c.channel);
        EXPECT_EQ(sentMIDI, (std::vector<Bytes>{c.noteOn, {c.noteOff, 60, 0}, {c.cc, 74, 127}})) << "channel " << c.channel;
        EXPECT_EQ(store->outgoingCCEchoCounts, (std::map<int, int>{{(74 << 8) | 127, 1}}));
    }
    auto store = makeStore();
    sentMIDI.clear();
    store->isHostedUI.set(true);
    store->sendNoteOn(60, 100, 1);
    std::vector<Bytes> hosted;
    store->hooks.hostedSendImmediateMIDI = [&](std::uint8_t s, std::uint8_t a, std::uint8_t b) { hosted.push_back({s, a, b}); };
    store->sendNoteOff(61, 2);
    store->sendNoteOn(-5, 100, 16);
    EXPECT_EQ(hosted, (std::vector<Bytes>{{0x81, 61, 0}, {0x9F, 0, 100}})) << "hosted: only through the engine, and dropped while unbound";
    EXPECT_TRUE(sentMIDI.empty());
}

TEST_F(StoreTest, LiveCCValuesAreSentOnlyWhenTheyChange) {
    auto store = makeStore(threeTrackPreset());
    store->preset.modify([](model::Preset& p) {
        p.tracks[1].ccA = 20;
        p.tracks[1].ccB = 21;
    });
    store->setLiveCCValue(64, 1, LaneKind::ccA);
    store->setLiveCCValue(64, 1, LaneKind::ccA);
    store->setLiveCCValue(300, 1, LaneKind::ccB);
    store->setLiveCCValue(50, 1, LaneKind::velocity);
    store->setLiveCCValue(50, 3, LaneKind::ccA);
    EXPECT_EQ(sentMIDI, (std::vector<Bytes>{{0xB1, 20, 64}, {0xB1, 21, 127}}));
    EXPECT_EQ(std::make_pair(store->liveCCValue(1, LaneKind::ccB), store->liveCCValue(9, LaneKind::ccA)), std::make_pair(127, 0));
    EXPECT_EQ(store->history().count(), 1) << "live values are not undoable";
    sentMIDI.clear();
    store->sendLiveCCValues();
    EXPECT_EQ(sentMIDI.size(), 6u);
    EXPECT_EQ(sentMIDI[2], (Bytes{0xB1, 20, 64}));
}

TEST_F(StoreTest, TrackSettingsAreClampedUnchangedValuesRecordNothingAndDefaultCCsAreUndoablePreferences) {
    auto store = makeStore(threeTrackPreset());
    const model::Track track = store->preset->tracks[0];
    store->applyTrackSettings(track.fillEmpty, track.ccA, track.ccB);
    store->beginTransaction("Portamento CC value");
    store->setPortamentoValue(-3, false);
    store->endTransaction();
    store->applyTrackSettings(model::FillEmpty::circular, 300, -4, 65, 128, -1, 0x1FFFFFF);
    const model::Track& t = store->preset->tracks[0];
    EXPECT_EQ(std::vector<int>({t.ccA, t.ccB, t.portamentoCC, t.portamentoOnValue, t.portamentoOffValue, t.accentColorHex}),
              (std::vector<int>{127, 0, 65, 127, 0, 0xFFFFFF}));
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Portamento CC value", "Track settings"}));

    // Default controllers are preferences; applying them to the tracks is undoable.
    store->setDefaultCCs(std::nullopt, 300);
    EXPECT_EQ(std::make_pair(store->defaultCCA.get(), store->defaultCCB.get()), std::make_pair(74, 127));
    EXPECT_EQ(makeStore()->defaultCCB.get(), 127) << "saved with the preferences";
    store->applyDefaultCCsToCurrentPreset();
    store->applyDefaultCCsToAllTracks();
    EXPECT_EQ(store->history().labels().back(), "Apply default CCs");
    EXPECT_EQ(store->history().count(), 4);
    store->setUIMaxContentWidth(1337);
    EXPECT_EQ(store->uiMaxContentWidth.get(), 1350);
    selectPattern(*store, 0, -2);
    store->preset.modify([](model::Preset& p) { p.tracks[2].patterns.resize(3); });
    selectPattern(*store, 2, 6);
    EXPECT_EQ(store->currentTrackPatternIndices(store->preset->tracks), (std::vector<int>{0, 0, 2}));
}

TEST_F(StoreTest, TheHostedTransportCountsAsMovingForAGraceAfterItsLastReport) {
    auto store = makeStore();
    EXPECT_FALSE(store->isHostedTransportMoving()) << "not hosted";
    bool moving = true;
    store->hooks.hostedAppPlayState = [&](int) { return std::pair<int, bool>{0, moving}; };
    store->isHostedUI.set(true);
    main.advanceSeconds(100);
    store->hostedTransportConsecutiveStoppedPollCount = 3;
    EXPECT_TRUE(store->isHostedTransportMoving());
    EXPECT_EQ(store->hostedTransportConsecutiveStoppedPollCount, 0);
    moving = false;
    main.advanceSeconds(0.15);
    EXPECT_TRUE(store->isHostedTransportMoving());
    main.advanceSeconds(0.1);
    EXPECT_FALSE(store->isHostedTransportMoving());
}

}  // namespace pulvan::test

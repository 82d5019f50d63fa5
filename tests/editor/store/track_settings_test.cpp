#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;
using Bytes = std::array<int, 3>;

TEST_F(StoreTest, AuditionBytesCarryTheChannelWithinOneToSixteen) {
    struct Case {
        int channel;
        int noteOn, noteOff, cc;
    };
    const std::vector<Case> cases{{0, 0x90, 0x80, 0xB0}, {1, 0x90, 0x80, 0xB0}, {16, 0x9F, 0x8F, 0xBF}, {17, 0x9F, 0x8F, 0xBF}};
    for (const Case& c : cases) {
        auto store = makeStore();
        sentMIDI.clear();
        store->sendNoteOn(60, 100, c.channel);
        store->sendNoteOff(60, c.channel);
        store->sendCC(74, 5, c.channel);
        EXPECT_EQ(sentMIDI, (std::vector<Bytes>{{c.noteOn, 60, 100}, {c.noteOff, 60, 0}, {c.cc, 74, 5}})) << "channel " << c.channel;
    }
    auto store = makeStore();
    sentMIDI.clear();
    store->sendNoteOn(130, -5, 0);
    store->sendCC(74, 200, 3);
    EXPECT_EQ(sentMIDI, (std::vector<Bytes>{{0x90, 127, 0}, {0xB2, 74, 127}}));
    EXPECT_EQ(store->outgoingCCEchoCounts, (std::map<int, int>{{(74 << 8) | 127, 1}}));
}

TEST_F(StoreTest, HostedMessagesGoOnlyThroughTheEnginesImmediateQueue) {
    auto store = makeStore();
    store->isHostedUI.set(true);
    store->sendNoteOn(60, 100, 1);
    EXPECT_TRUE(sentMIDI.empty()) << "no closure bound: dropped";
    std::vector<Bytes> hosted;
    store->hooks.hostedSendImmediateMIDI = [&](std::uint8_t s, std::uint8_t a, std::uint8_t b) { hosted.push_back({s, a, b}); };
    store->sendNoteOff(61, 2);
    EXPECT_EQ(hosted, (std::vector<Bytes>{{0x81, 61, 0}}));
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
    EXPECT_EQ(store->liveCCValue(1, LaneKind::ccA), 64);
    EXPECT_EQ(store->liveCCValue(1, LaneKind::ccB), 127);
    EXPECT_EQ(store->liveCCValue(1, LaneKind::velocity), 0);
    EXPECT_EQ(store->liveCCValue(9, LaneKind::ccA), 0);
    EXPECT_EQ(store->history().count(), 1) << "live values are not undoable";

    sentMIDI.clear();
    store->sendLiveCCValues();
    ASSERT_EQ(sentMIDI.size(), 6u);
    EXPECT_EQ(sentMIDI[2], (Bytes{0xB1, 20, 64}));
    EXPECT_EQ(sentMIDI[3], (Bytes{0xB1, 21, 127}));
}

TEST_F(StoreTest, TrackSettingsAreClampedAndUnchangedValuesRecordNothing) {
    auto store = makeStore(threeTrackPreset());
    const model::Track track = store->preset->tracks[0];
    store->applyTrackSettings(track.fillEmpty, track.ccA, track.ccB);
    store->applyTrackSettings(track.fillEmpty, track.ccA, track.ccB, track.portamentoCC, track.portamentoOnValue, track.portamentoOffValue,
                              track.accentColorHex);
    EXPECT_EQ(store->history().count(), 1);
    store->applyTrackSettings(model::FillEmpty::circular, 300, -4, 65, 128, -1, 0x1FFFFFF);
    const model::Track& changed = store->preset->tracks[0];
    EXPECT_EQ(changed.fillEmpty, model::FillEmpty::circular);
    EXPECT_EQ(std::vector<int>({changed.ccA, changed.ccB, changed.portamentoCC, changed.portamentoOnValue, changed.portamentoOffValue}),
              (std::vector<int>{127, 0, 65, 127, 0}));
    EXPECT_EQ(changed.accentColorHex, 0xFFFFFF);
    EXPECT_EQ(store->history().label(1), "Track settings");
}

TEST_F(StoreTest, ThePortamentoValueIsWrittenInsideTheCallersDrag) {
    auto store = makeStore();
    store->beginTransaction("Portamento CC value");
    store->setPortamentoValue(140, true);
    store->setPortamentoValue(-3, false);  // already 0
    store->setPortamentoValue(20, false);
    store->endTransaction();
    EXPECT_EQ(store->preset->tracks[0].portamentoOnValue, 127);
    EXPECT_EQ(store->preset->tracks[0].portamentoOffValue, 20);
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Portamento CC value"}));
}

TEST_F(StoreTest, MuteAndSoloToggleValidTracksOnly) {
    auto store = makeStore(threeTrackPreset());
    store->toggleTrackMute(2);
    store->toggleSolo(0);
    store->toggleMute(3);
    store->toggleSolo(-1);
    EXPECT_TRUE(store->preset->tracks[2].mute);
    EXPECT_TRUE(store->preset->tracks[0].solo);
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Mute", "Solo"}));
}

TEST_F(StoreTest, DefaultCCsArePreferencesAndApplyingThemIsUndoable) {
    auto store = makeStore(threeTrackPreset());
    store->setDefaultCCs(std::nullopt, 300);
    EXPECT_EQ(store->defaultCCA.get(), 74);
    EXPECT_EQ(store->defaultCCB.get(), 127);
    EXPECT_EQ(makeStore()->defaultCCB.get(), 127) << "saved with the preferences";
    store->applyDefaultCCsToCurrentPreset();
    for (const auto& track : store->preset->tracks) EXPECT_EQ(std::make_pair(track.ccA, track.ccB), std::make_pair(74, 127));
    store->applyDefaultCCsToAllTracks();
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Apply default CCs"}));
    store->setUIMaxContentWidth(1337);
    EXPECT_EQ(store->uiMaxContentWidth.get(), 1350);
}

TEST_F(StoreTest, SelectedPatternIndicesStayWithinEachTracksPatterns) {
    model::Preset preset = threeTrackPreset();
    preset.tracks[2].patterns.resize(3);
    auto store = makeStore(preset);
    store->selections.modify([&](auto& map) {
        map[store->preset->tracks[0].id].pattern = -2;
        map[store->preset->tracks[2].id].pattern = 6;
    });
    EXPECT_EQ(store->currentTrackPatternIndices(store->preset->tracks), (std::vector<int>{0, 0, 2}));
}

TEST_F(StoreTest, TheHostedTransportCountsAsMovingForAGraceAfterItsLastReport) {
    auto store = makeStore();
    EXPECT_FALSE(store->isHostedTransportMoving()) << "not hosted";
    bool moving = true;
    store->hooks.hostedAppPlayState = [&](int track) {
        EXPECT_EQ(track, 0);
        return std::pair<int, bool>{0, moving};
    };
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

#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using store::KezModal;
using store::MIDILearnElement;

namespace {

class MIDILearn : public StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> makeLearnStore() {
        auto store = makeStore(threeTrackPreset());
        store->hooks.hostedSendImmediateMIDI = [this](std::uint8_t s, std::uint8_t a, std::uint8_t b) { hostedMIDI.push_back({s, a, b}); };
        return store;
    }

    static void bind(store::SequencerStore& store, const MIDILearnElement& element, int controller) {
        store.midiLearnMappings.modify([&](store::MIDILearnMappings& m) { m.ccByElement[element] = controller; });
    }

    std::optional<nlohmann::json> storedMappings() { return foundation::UserDefaults::standard().value(store::midiMappingsDefaultsKey); }

    std::vector<std::array<int, 3>> hostedMIDI;
    static constexpr double learnedMappingsSaveInterval = store::SequencerStore::learnedMappingsSaveIntervalSeconds;
};

}  // namespace

TEST_F(MIDILearn, AnArmedElementBindsTheNextControllerAndSelectsNothing) {
    auto store = makeLearnStore();
    bind(*store, MIDILearnElement::mute(0), 9);
    store->clearMIDILearnMapping(MIDILearnElement::mute(0));
    EXPECT_FALSE(storedMappings().has_value()) << "unlearning needs learn mode";
    store->midiLearnMappings.set({});
    store->toggleMIDILearn();
    EXPECT_TRUE(store->isMIDILearnActive.get());
    EXPECT_EQ(store->activeModal().get(), KezModal::performance);
    EXPECT_TRUE(store->pinPerformanceDialog().get());
    store->midiLearnSelection.set(MIDILearnElement::scene(2));
    store->handleIncomingMIDICC(20, 90);
    EXPECT_EQ(store->midiLearnMappings->ccByElement, (std::map<MIDILearnElement, int>{{MIDILearnElement::scene(2), 20}}));
    EXPECT_EQ(storedMappings(), nlohmann::json({{"scene_3", 20}}));
    EXPECT_EQ(store->activeSceneIndex.get(), 0);
    EXPECT_TRUE(store->lastIncomingCCValueByController.empty()) << "a learning message acts on nothing";

    foundation::UserDefaults::standard().removeValue(store::midiMappingsDefaultsKey);
    store->handleIncomingMIDICC(20, 10);
    EXPECT_FALSE(storedMappings().has_value()) << "the same binding again saves nothing";
    store->handleIncomingMIDICC(0, 10);
    EXPECT_EQ(store->midiLearnMappings->ccByElement.at(MIDILearnElement::scene(2)), 20) << "controller 0 is never bound";
    store->handleIncomingMIDICC(21, 10);
    EXPECT_EQ(store->midiLearnMappings->ccByElement.at(MIDILearnElement::scene(2)), 21) << "the selection stays armed";

    store->clearMIDILearnMapping(MIDILearnElement::scene(2));
    EXPECT_TRUE(store->midiLearnMappings->ccByElement.empty());
    EXPECT_EQ(storedMappings(), nlohmann::json::object());
    store->toggleMIDILearn();
    EXPECT_FALSE(store->isMIDILearnActive.get());
    EXPECT_FALSE(store->midiLearnSelection->has_value());
}

TEST_F(MIDILearn, ASceneControllerSelectsOnRisingEdgesOnly) {
    auto store = makeLearnStore();
    bind(*store, MIDILearnElement::scene(1), 30);
    std::vector<int> selected;
    auto connection = store->activeSceneIndex.subscribe([&](const int& scene) { selected.push_back(scene); });
    for (int value : {0, 70, 100, 50, 90}) {
        store->handleIncomingMIDICC(30, value);
        if (store->activeSceneIndex.get() == 1) store->activeSceneIndex.set(0);
    }
    EXPECT_EQ(std::count(selected.begin(), selected.end(), 1), 2) << "at 70 and at 90";

    store->preset.modify([](model::Preset& p) { p.notesPoolInput = model::NotesPoolInput::midiIn; });
    store->isMIDILearnActive.set(true);  // with nothing armed a bound controller acts as usual
    store->handleIncomingMIDICC(30, 10);
    store->handleIncomingMIDICC(30, 127);
    EXPECT_EQ(store->preset->notesPoolInput, model::NotesPoolInput::internalChord) << "a scene controller leaves MIDI-in mode";
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
}

TEST_F(MIDILearn, MuteAndSoloFollowTheControllersLevelWithoutUndo) {
    auto store = makeLearnStore();
    bind(*store, MIDILearnElement::mute(1), 40);
    bind(*store, MIDILearnElement::solo(1), 40);  // two elements on one controller both act
    bind(*store, MIDILearnElement::mute(5), 40);  // no sixth track
    struct Step {
        int value;
        bool on;
        std::size_t refreshes;
    };
    for (const Step& step : std::vector<Step>{{100, true, 2}, {100, true, 2}, {10, false, 4}}) {
        store->handleIncomingMIDICC(40, step.value);
        EXPECT_EQ(store->preset->tracks[1].mute, step.on) << step.value;
        EXPECT_EQ(store->preset->tracks[1].solo, step.on);
        EXPECT_EQ(refreshes.size(), step.refreshes);
    }
    EXPECT_EQ(store->history().count(), 1);
}

TEST_F(MIDILearn, LiveControllersAreSentOnAndTheirEchoesSwallowedOnceWithinTwoSeconds) {
    auto store = makeLearnStore();
    store->isHostedUI.set(true);
    store->preset.modify([](model::Preset& p) { p.tracks[0].ccA = 74; });
    bind(*store, MIDILearnElement::trackCCA(0), 12);
    store->handleIncomingMIDICC(12, 64);
    EXPECT_EQ(store->preset->tracks[0].liveCCA, 64);
    EXPECT_EQ(hostedMIDI, (std::vector<std::array<int, 3>>{{0xB0, 74, 64}}));
    bind(*store, MIDILearnElement::trackCCB(0), 74);
    store->handleIncomingMIDICC(74, 64);
    EXPECT_EQ(store->preset->tracks[0].liveCCB, 0) << "the echo of what was just sent";
    store->handleIncomingMIDICC(74, 64);
    EXPECT_EQ(store->preset->tracks[0].liveCCB, 64) << "only once";

    // Echoes are counted and expire two seconds after the last send.
    store = makeLearnStore();
    store->noteOutgoingCCEcho(74, 64);
    main.advanceSeconds(1.5);
    store->noteOutgoingCCEcho(74, 64);
    main.advanceSeconds(1.5);
    EXPECT_TRUE(store->consumeOutgoingCCEcho(74, 64)) << "the second send moved the deadline";
    EXPECT_TRUE(store->consumeOutgoingCCEcho(74, 64));
    EXPECT_FALSE(store->consumeOutgoingCCEcho(74, 64));
    EXPECT_TRUE(store->outgoingCCEchoCounts.empty());

    store->noteOutgoingCCEcho(10, 1);
    store->noteOutgoingCCEcho(10, 1);
    EXPECT_FALSE(store->consumeOutgoingCCEcho(10, 2)) << "another value is another message";
    main.advanceSeconds(2.5);
    EXPECT_FALSE(store->consumeOutgoingCCEcho(10, 1)) << "late: acted on";
    EXPECT_TRUE(store->outgoingCCEchoCounts.empty());
    EXPECT_TRUE(store->outgoingCCEchoDeadlines.empty());
}

// A stream of controllers while an element is armed rebinds it with each; the file is written
// for the first, then once a second with the binding of the moment, and last when the store goes.
TEST_F(MIDILearn, AStreamOfLearnedControllersWritesTheFileOnceASecond) {
    auto store = makeLearnStore();
    store->toggleMIDILearn();
    store->midiLearnSelection.set(MIDILearnElement::mute(1));
    store->handleIncomingMIDICC(20, 64);
    EXPECT_EQ(storedMappings(), nlohmann::json({{"mute_2", 20}}));
    foundation::UserDefaults::standard().removeValue(store::midiMappingsDefaultsKey);
    for (int i = 0; i < 500; ++i) store->handleIncomingMIDICC(21 + i % 3, 64);
    EXPECT_FALSE(storedMappings().has_value()) << "written for every controller";
    main.advanceSeconds(learnedMappingsSaveInterval);
    EXPECT_EQ(storedMappings(), nlohmann::json({{"mute_2", 22}}));

    main.advanceSeconds(learnedMappingsSaveInterval);
    store->handleIncomingMIDICC(30, 64);
    EXPECT_EQ(storedMappings(), nlohmann::json({{"mute_2", 30}})) << "a second after the last write, at once";
    store->handleIncomingMIDICC(31, 64);
    store.reset();
    EXPECT_EQ(storedMappings(), nlohmann::json({{"mute_2", 31}})) << "the binding last learned is lost";
}

TEST_F(MIDILearn, MappingsSurviveARestartAndCorruptOnesAreDiscarded) {
    {
        auto store = makeLearnStore();
        bind(*store, MIDILearnElement::solo(5), 99);
        bind(*store, MIDILearnElement::trackCCB(0), 7);
        store->saveMIDILearnMappings();
    }
    EXPECT_EQ(makeStore()->midiLearnMappings->ccByElement,
              (std::map<MIDILearnElement, int>{{MIDILearnElement::solo(5), 99}, {MIDILearnElement::trackCCB(0), 7}}));
    const std::vector<std::pair<nlohmann::json, std::map<MIDILearnElement, int>>> stored{
        {{{"scene_1", 20}, {"mute_7", 30}, {"solo_2", 0}}, {{MIDILearnElement::scene(0), 20}}},
        {{{"scene_1", 20}, {"solo_2", "x"}}, {}},
        {{{"scene_1", 20.5}}, {}},
        {{{"scene_1", true}}, {}},
        {nlohmann::json::array({1, 2}), {}},
        {{{"track_1_cc_a", 128}, {"track_1_cc_b", 127}}, {{MIDILearnElement::trackCCB(0), 127}}},
    };
    for (const auto& [document, expected] : stored) {
        foundation::UserDefaults::standard().setValue(store::midiMappingsDefaultsKey, document);
        EXPECT_EQ(makeStore()->midiLearnMappings->ccByElement, expected) << document.dump();
    }
}

}  // namespace pulvan::test

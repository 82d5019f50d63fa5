// Drives the built bundle through its exported ABI only, as a host does.
#include <gtest/gtest.h>

#include "engine/config_buffer.h"
#include "engine/engine_hooks.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/common/memorystream.h"
#include "tests/support/allocation_counter.h"
#include "tests/vst3/plugin_instance.h"
#include "vst3/class_ids.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace kez::test {
namespace {

class Bundle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bundle = new LoadedBundle(PULVAN_VST3_BUNDLE_PATH);
        host = makeHostContext().release();
    }
    static void TearDownTestSuite() {
        delete host;
        delete bundle;
    }
    void SetUp() override { ASSERT_TRUE(bundle->loaded()) << bundle->error(); }

    // The processor's behaviour is tested on its own engine; the editor side, which
    // drives the same engine from its own thread, only where it is the subject.
    std::unique_ptr<PluginInstance> makeInstance(EditorSide editorSide = EditorSide::absent) {
        IPluginFactory* factory = bundle->factory();
        auto instance = std::make_unique<PluginInstance>(factory, host, editorSide);
        factory->release();
        EXPECT_TRUE(instance->ready());
        return instance;
    }

    static LoadedBundle* bundle;
    static HostApplication* host;
};
LoadedBundle* Bundle::bundle = nullptr;
HostApplication* Bundle::host = nullptr;

// Every note-on in `events` is matched by a note-off of the same note.
void expectEveryNoteEnded(const std::vector<NoteEvent>& events) {
    std::map<int, int> sounding;
    for (const NoteEvent& e : events) {
        if (e.type == Event::kNoteOnEvent) ++sounding[e.data1];
        if (e.type == Event::kNoteOffEvent) --sounding[e.data1];
    }
    for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << "note " << note << " left hanging";
}

void* enginePointer(PluginInstance& instance) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(instance.toController()->enginePtr));
}

// The dynamic symbols that the bundle defines, as the dynamic linker sees them.
std::set<std::string> definedDynamicSymbols(const char* path) {
    std::set<std::string> names;
    const std::string command = std::string("nm -D --defined-only --format=just-symbols '") + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string name(line);
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
        if (!name.empty()) names.insert(name);
    }
    pclose(pipe);
    return names;
}

TEST_F(Bundle, ExportsExactlyTheModuleEntryPointsAndTheComponentRegistry) {
    const std::set<std::string> entryPoints{"GetPluginFactory", "ModuleEntry", "ModuleExit",
                                            "bundleEntry",      "bundleExit",  "KezBundleComponentRegistry"};
    EXPECT_EQ(definedDynamicSymbols(PULVAN_VST3_BUNDLE_PATH), entryPoints);
    for (const std::string& name : entryPoints) EXPECT_NE(bundle->symbol(name.c_str()), nullptr) << name;
}

TEST_F(Bundle, FactoryDescribesTheTwoClassesInOrder) {
    IPluginFactory* factory = bundle->factory();
    ASSERT_NE(factory, nullptr);
    PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Kez");
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 2);

    IPluginFactory2* factory2 = nullptr;
    ASSERT_EQ(factory->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory2)), kResultOk);
    PClassInfo2 processor, controller;
    ASSERT_EQ(factory2->getClassInfo2(0, &processor), kResultOk);
    ASSERT_EQ(factory2->getClassInfo2(1, &controller), kResultOk);
    EXPECT_NE(factory2->getClassInfo2(2, &controller), kResultOk);
    factory2->release();

    EXPECT_EQ(FUID::fromTUID(processor.cid), kProcessorClassId);
    EXPECT_STREQ(processor.category, "Audio Module Class");
    EXPECT_STREQ(processor.name, "Pulvan");
    EXPECT_STREQ(processor.subCategories, "Instrument");
    EXPECT_STREQ(processor.version, "1.14.16");
    EXPECT_STREQ(processor.sdkVersion, "VST 3.7.12");
    EXPECT_EQ(processor.cardinality, PClassInfo::kManyInstances);
    EXPECT_EQ(processor.classFlags, 1u);
    EXPECT_EQ(FUID::fromTUID(controller.cid), kControllerClassId);
    EXPECT_STREQ(controller.category, "Component Controller Class");
    EXPECT_STREQ(controller.name, "PulvanController");
    EXPECT_STREQ(controller.subCategories, "");
    EXPECT_EQ(controller.classFlags, 0u);

    const std::uint8_t processorBytes[16] = {0x8E, 0x5F, 0x1D, 0x42, 0x3B, 0x7A, 0x4C, 0x9E,
                                             0x9D, 0x2B, 0x6F, 0x01, 0x7C, 0x4A, 0x5E, 0x33};
    EXPECT_EQ(std::memcmp(processor.cid, processorBytes, 16), 0);
    factory->release();
}

TEST_F(Bundle, FactoryIsSharedAndSurvivesBeingReleasedToZero) {
    IPluginFactory* first = bundle->factory();
    IPluginFactory* second = bundle->factory();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->addRef(), 3u);
    first->release();
    first->release();
    second->release();  // gone now; the module must not hand out the freed object
    IPluginFactory* fresh = bundle->factory();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->countClasses(), 2);
    auto instance = std::make_unique<PluginInstance>(fresh, host);
    EXPECT_TRUE(instance->ready());
    instance.reset();
    fresh->release();
}

TEST_F(Bundle, ProcessorDeclaresItsThreeBuses) {
    auto plugin = makeInstance();
    IComponent* c = plugin->component();
    ASSERT_EQ(c->getBusCount(kAudio, kOutput), 1);
    ASSERT_EQ(c->getBusCount(kAudio, kInput), 0);
    ASSERT_EQ(c->getBusCount(kEvent, kInput), 1);
    ASSERT_EQ(c->getBusCount(kEvent, kOutput), 1);
    BusInfo info;
    ASSERT_EQ(c->getBusInfo(kAudio, kOutput, 0, info), kResultOk);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, kMain);
    EXPECT_EQ(info.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    EXPECT_EQ(narrow(info.name), "Silent Out");
    ASSERT_EQ(c->getBusInfo(kEvent, kInput, 0, info), kResultOk);
    EXPECT_EQ(info.channelCount, 16);
    EXPECT_EQ(narrow(info.name), "MIDI In");
    ASSERT_EQ(c->getBusInfo(kEvent, kOutput, 0, info), kResultOk);
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(narrow(info.name), "MIDI Out");

    TUID controllerId;
    ASSERT_EQ(c->getControllerClassId(controllerId), kResultOk);
    EXPECT_EQ(FUID::fromTUID(controllerId), kControllerClassId);
    EXPECT_EQ(plugin->processor()->canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_EQ(plugin->processor()->canProcessSampleSize(2), kResultFalse);
}

TEST_F(Bundle, ControllerPublishesHiddenMidiControllerParameters) {
    auto plugin = makeInstance();
    IEditController* controller = plugin->controller();
    ASSERT_EQ(controller->getParameterCount(), 2080);
    struct Expected {
        int index;
        ParamID id;
        const char* title;
        double defaultValue;
    };
    for (const Expected& e :
         {Expected{0, 1000, "MIDI ch1 #0", 0.0}, Expected{7, 1007, "MIDI ch1 #7", 0.0}, Expected{129, 1129, "MIDI ch1 #129", 0.5},
          Expected{2079, 3079, "MIDI ch16 #129", 0.5}, Expected{130, 1130, "MIDI ch2 #0", 0.0}}) {
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(e.index, info), kResultOk);
        EXPECT_EQ(info.id, e.id);
        EXPECT_EQ(narrow(info.title), e.title);
        EXPECT_EQ(info.flags, ParameterInfo::kIsHidden);
        EXPECT_EQ(info.stepCount, 0);
        EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, e.defaultValue);
    }
}

TEST_F(Bundle, MidiMappingCoversBusZeroSixteenChannelsAnd130Controllers) {
    auto plugin = makeInstance();
    IMidiMapping* mapping = nullptr;
    ASSERT_EQ(plugin->controller()->queryInterface(IMidiMapping::iid, reinterpret_cast<void**>(&mapping)), kResultOk);
    struct Case {
        int32 bus;
        int16 channel;
        CtrlNumber controller;
        tresult result;
        ParamID id;
    };
    for (const Case& c : {Case{0, 15, 129, kResultTrue, 3079}, Case{0, 0, 7, kResultTrue, 1007}, Case{0, 16, 0, kResultFalse, 0},
                          Case{1, 0, 7, kResultFalse, 0}, Case{0, 0, 130, kResultFalse, 0}, Case{0, -1, 7, kResultFalse, 0}}) {
        ParamID id = 0;
        EXPECT_EQ(mapping->getMidiControllerAssignment(c.bus, c.channel, c.controller, id), c.result);
        if (c.result == kResultTrue) {
            EXPECT_EQ(id, c.id);
        }
    }
    mapping->release();
}

TEST_F(Bundle, ConnectingHandsTheEngineToTheControllerAndTerminatingTakesItBack) {
    auto plugin = makeInstance(EditorSide::connected);
    ASSERT_FALSE(plugin->toController()->messageIds.empty());
    EXPECT_EQ(plugin->toController()->messageIds.front(), "KezEngineHooks");
    EXPECT_NE(plugin->toController()->enginePtr, 0);
    IPlugView* editor = plugin->controller()->createView("editor");
    ASSERT_NE(editor, nullptr) << "the engine started an editor side";
    editor->release();
    EXPECT_EQ(plugin->controller()->createView("other"), nullptr);
    ConnectionProxy* proxy = plugin->toController();
    proxy->addRef();
    plugin.reset();
    EXPECT_EQ(proxy->messageIds.back(), "KezEngineGone");
    proxy->release();
}

TEST_F(Bundle, TheEditorSideConfiguresTheEngineFromItsPresetAndKeepsItInTheState) {
    auto plugin = makeInstance(EditorSide::connected);
    EXPECT_TRUE(ofType(plugin->play(200, 512), Event::kNoteOnEvent).empty()) << "the default preset has no step on";
    MemoryStream stream;
    ASSERT_EQ(plugin->component()->getState(&stream), kResultOk);
    const std::string state(stream.getData(), static_cast<size_t>(stream.getSize()));
    EXPECT_NE(state.find("\"version\":\"v11\""), std::string::npos) << "the preset travels with the project";
}

// The demo pattern: eighth notes at 120 BPM are 12000 samples apart at 48 kHz;
// steps 3 and 6 rest; steps 0 and 4 are accented.
TEST_F(Bundle, DemoPlaysAtSampleAccurateOffsets) {
    auto plugin = makeInstance();
    const auto events = plugin->play(200, 512);
    const auto ons = ofType(events, Event::kNoteOnEvent);
    ASSERT_GE(ons.size(), 6u);
    const std::int64_t expectedStarts[] = {0, 12000, 24000, 48000, 60000, 84000};
    const int expectedVelocities[] = {110, 90, 90, 110, 90, 90};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(ons[i].sample, expectedStarts[i]) << "note " << i;
        EXPECT_EQ(ons[i].data2, expectedVelocities[i]) << "note " << i;
        EXPECT_EQ(ons[i].channel, 0);
    }
    EXPECT_EQ(ons[0].data1, 48);
    EXPECT_EQ(ons[1].data1, 60);
    EXPECT_EQ(ons[2].data1, 63);
    // The same music whatever the block size.
    auto other = makeInstance();
    const auto otherOns = ofType(other->play(25, 4096), Event::kNoteOnEvent);
    ASSERT_GE(otherOns.size(), 6u);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(otherOns[i].sample, ons[i].sample);
}

TEST_F(Bundle, ConfigurationPushedThroughTheHooksReachesTheOutput) {
    auto plugin = makeInstance();
    namespace L = pulvan::engine::config_layout;
    pulvan::engine::EngineConfigBuffer words{};
    words[L::kMagicWord] = L::kMagic;
    words[L::kTrackCount] = 1;
    words[L::kSwingPercent] = 50;
    const int pool[] = {72, 74, 76, 77};
    words[L::kNotePoolCount] = 4;
    for (int i = 0; i < 4; ++i) words[L::kNotePool + i] = pool[i];
    words[L::trackWord(L::kResolutions, 0)] = 4;  // quarter notes
    words[L::trackWord(L::kChannels, 0)] = 10;
    for (int base : {L::kLastSteps, L::kTieLastSteps, L::kNotesLastSteps, L::kOctaveLastSteps, L::kVelocityLastSteps, L::kLengthLastSteps,
                     L::kProbabilityLastSteps, L::kCcALastSteps, L::kCcBLastSteps})
        words[L::trackWord(base, 0)] = 4;
    words[L::trackWord(L::kFillModes, 0)] = 1;
    for (int step = 0; step < 4; ++step) {
        words[L::stepWord(L::kGateSteps, 0, step)] = 1;
        words[L::stepWord(L::kVelocitySteps, 0, step)] = 100;
        words[L::stepWord(L::kLengthSteps, 0, step)] = 50;
        words[L::stepWord(L::kNoteStepChordCounts, 0, step)] = 1;
        words[L::chordValueWord(0, step, 0)] = step;
    }
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(enginePointer(*plugin));
    hooks.pushConfigBuffer(hooks.engine, words.data(), static_cast<int32_t>(words.size()));

    const auto ons = ofType(plugin->play(250, 480), Event::kNoteOnEvent);  // two bars
    ASSERT_GE(ons.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ons[i].sample, 24000 * i);
        EXPECT_EQ(ons[i].channel, 9);
        EXPECT_EQ(ons[i].data1, pool[i]);
        EXPECT_EQ(ons[i].data2, 100);
    }
}

TEST_F(Bundle, StoppingReleasesEverySoundingNote) {
    auto plugin = makeInstance();
    auto events = plugin->play(30, 512);  // stops inside a sounding note
    Transport stopped;
    stopped.playing = false;
    for (const NoteEvent& e : plugin->processBlock(512, &stopped, 30 * 512)) events.push_back(e);
    expectEveryNoteEnded(events);
    EXPECT_FALSE(ofType(events, Event::kNoteOffEvent).empty());
}

TEST_F(Bundle, OwnNoteOffComingBackIsDroppedOnce) {
    auto plugin = makeInstance();
    const auto events = plugin->play(40, 512);
    const auto offs = ofType(events, Event::kNoteOffEvent);
    ASSERT_FALSE(offs.empty());
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(enginePointer(*plugin));
    std::uint8_t status = 0, d1 = 0, d2 = 0;
    while (hooks.popIncomingMIDI(hooks.engine, &status, &d1, &d2)) {
    }

    EventList input;
    for (int copy = 0; copy < 2; ++copy) {
        Event back{};
        back.type = Event::kNoteOffEvent;
        back.noteOff.channel = 5;  // any channel, any velocity
        back.noteOff.pitch = static_cast<int16>(offs.back().data1);
        back.noteOff.velocity = 0.3f;
        input.events.push_back(back);
    }
    Transport stopped;
    stopped.playing = false;
    plugin->processBlock(512, &stopped, 40 * 512, &input);
    int received = 0;
    while (hooks.popIncomingMIDI(hooks.engine, &status, &d1, &d2)) {
        ++received;
        EXPECT_EQ(status, 0x85);
        EXPECT_EQ(d1, offs.back().data1);
    }
    EXPECT_EQ(received, 1);
}

TEST_F(Bundle, InputEventsAndControllerParametersReachTheEditorRing) {
    auto plugin = makeInstance();
    EventList input;
    Event on{};
    on.type = Event::kNoteOnEvent;
    on.noteOn = {2, 61, 0.f, 0.f, 0, -1};
    input.events.push_back(on);
    ParamChanges changes;
    changes.add(1007, 1.0);
    changes.add(1128, 1.0);  // after-touch: no control change
    plugin->processBlock(64, nullptr, 0, &input, &changes);
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(enginePointer(*plugin));
    std::uint8_t m[3];
    ASSERT_EQ(hooks.popIncomingMIDI(hooks.engine, &m[0], &m[1], &m[2]), 1);
    EXPECT_EQ((std::vector<int>{m[0], m[1], m[2]}), (std::vector<int>{0x92, 61, 1}));
    ASSERT_EQ(hooks.popIncomingMIDI(hooks.engine, &m[0], &m[1], &m[2]), 1);
    EXPECT_EQ((std::vector<int>{m[0], m[1], m[2]}), (std::vector<int>{0xB0, 7, 127}));
    EXPECT_EQ(hooks.popIncomingMIDI(hooks.engine, &m[0], &m[1], &m[2]), 0);
}

std::vector<std::uint8_t> stateOf(PluginInstance& plugin) {
    MemoryStream stream;
    EXPECT_EQ(plugin.component()->getState(&stream), kResultOk);
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.getData());
    return {data, data + stream.getSize()};
}

tresult restore(PluginInstance& plugin, const std::vector<std::uint8_t>& bytes) {
    MemoryStream stream(const_cast<std::uint8_t*>(bytes.data()), static_cast<TSize>(bytes.size()));
    return plugin.component()->setState(&stream);
}

TEST_F(Bundle, StateRoundTripsByteForByteIntoASecondInstance) {
    auto first = makeInstance();
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(enginePointer(*first));
    pulvan::engine::EngineConfigBuffer words{};
    words[0] = pulvan::engine::config_layout::kMagic;
    words[1] = 2;
    hooks.pushConfigBuffer(hooks.engine, words.data(), static_cast<int32_t>(words.size()));
    const int32_t offsets[] = {-15, 200, 0, 3, 0, 7};
    hooks.setTrackMIDIOutOffsetsMs(hooks.engine, offsets, 6);
    std::string blob(100000, 'p');
    hooks.pushPresetBlob(hooks.engine, reinterpret_cast<const uint8_t*>(blob.data()), static_cast<int32_t>(blob.size()));
    const std::vector<std::uint8_t> saved = stateOf(*first);
    ASSERT_EQ(saved.size(), 40u + 4u * 11112u + blob.size());

    auto second = makeInstance();
    const KezVst3EngineHooks secondHooks = KezVst3EngineMakeHooks(enginePointer(*second));
    const uint64_t versionBefore = secondHooks.hostStateVersion(secondHooks.engine);
    ASSERT_EQ(restore(*second, saved), kResultOk);
    EXPECT_EQ(stateOf(*second), saved);
    EXPECT_EQ(secondHooks.hostStateVersion(secondHooks.engine), versionBefore + 1);
}

TEST_F(Bundle, DamagedStatesAreRefusedAndChangeNothing) {
    auto plugin = makeInstance();
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(enginePointer(*plugin));
    const int32_t offsets[] = {1, 2, 3, 4, 5, 6};
    hooks.setTrackMIDIOutOffsetsMs(hooks.engine, offsets, 6);
    hooks.pushPresetBlob(hooks.engine, reinterpret_cast<const uint8_t*>("{\"v\":1}"), 7);
    const std::vector<std::uint8_t> before = stateOf(*plugin);
    const uint64_t version = hooks.hostStateVersion(hooks.engine);

    std::vector<std::uint8_t> valid = before;
    valid[8] = 9;  // a different first offset, so an accepted copy would show
    std::mt19937 random(7);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> damaged = valid;
        switch (round % 3) {
            case 0: damaged.resize(random() % valid.size()); break;  // truncated
            case 1: {                                                // a length word claiming too much
                const std::size_t at = round % 2 ? 32 : 36 + 4 * (valid[32] | valid[33] << 8);
                const std::uint32_t claim = static_cast<std::uint32_t>(valid.size()) + 1 + random() % 0x7FFFFFFF;
                std::memcpy(&damaged[at], &claim, 4);
                break;
            }
            default:  // a damaged magic, or version 0
                if (round % 2) {
                    damaged[random() % 4] ^= static_cast<std::uint8_t>(1 + random() % 255);
                } else {
                    std::memset(&damaged[4], 0, 4);
                }
                break;
        }
        if (damaged.empty()) continue;
        ASSERT_EQ(restore(*plugin, damaged), kResultFalse) << "round " << round;
        ++refused;
    }
    EXPECT_GT(refused, 2900);
    EXPECT_EQ(stateOf(*plugin), before);
    EXPECT_EQ(hooks.hostStateVersion(hooks.engine), version);
    EXPECT_EQ(plugin->component()->setState(nullptr), kResultFalse);
    EXPECT_EQ(plugin->component()->getState(nullptr), kResultFalse);
}

// A host looping the first half bar: the lanes keep counting across each loop,
// so the looped stream sounds exactly like playing straight on, sample for sample.
TEST_F(Bundle, AHostLoopContinuesThePatternSeamlessly) {
    constexpr int kBlock = 480;
    constexpr std::int64_t kLoopSamples = 48000;  // two quarter notes at 120 BPM
    const double qnPerSample = 120.0 / 60.0 / kSampleRate;
    auto playLooped = [&](std::int64_t loopSamples) {
        auto plugin = makeInstance();
        Transport transport;
        std::vector<NoteEvent> events;
        for (std::int64_t first = 0; first < 4 * kLoopSamples; first += kBlock) {
            transport.positionQn = static_cast<double>(first % loopSamples) * qnPerSample;
            for (const NoteEvent& e : plugin->processBlock(kBlock, &transport, first)) events.push_back(e);
        }
        const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(enginePointer(*plugin));
        EXPECT_DOUBLE_EQ(hooks.beatPosition(hooks.engine), transport.positionQn) << "the engine follows the host's position";
        return events;
    };
    const auto looped = playLooped(kLoopSamples);
    const auto straight = playLooped(std::numeric_limits<std::int64_t>::max());
    ASSERT_EQ(looped.size(), straight.size());
    ASSERT_GT(ofType(looped, Event::kNoteOnEvent).size(), 10u);
    for (size_t i = 0; i < looped.size(); ++i) {
        // A release due right on a block's end goes out on that block's last sample,
        // and which side of the end it falls on is rounding: one sample either way.
        const std::int64_t tolerance = looped[i].type == Event::kNoteOffEvent ? 1 : 0;
        EXPECT_LE(std::abs(looped[i].sample - straight[i].sample), tolerance) << "event " << i;
        EXPECT_EQ(looped[i].type, straight[i].type) << "event " << i;
        EXPECT_EQ(looped[i].data1, straight[i].data1) << "event " << i;
        EXPECT_EQ(looped[i].data2, straight[i].data2) << "event " << i;
    }
}

// During a count-in (positions below zero) what the engine stamps at the block's start goes
// out on the block's first sample, before the block's own notes.
struct CountInRequest {
    const char* name;
    int block;  // of 512 samples, counted from -4 quarter notes at 120 BPM
    void (*request)(const KezVst3EngineHooks&);
    int type;
    int data1;
};

class BundleCountIn : public Bundle, public ::testing::WithParamInterface<CountInRequest> {};

TEST_P(BundleCountIn, BlockStartEventsGoOutOnTheFirstSample) {
    const CountInRequest& c = GetParam();
    auto plugin = makeInstance();
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(enginePointer(*plugin));
    Transport transport;
    std::vector<NoteEvent> block;
    for (int i = 0; i <= c.block; ++i) {
        if (i == c.block) c.request(hooks);
        transport.positionQn = -4.0 + i * 512 * 120.0 / 60.0 / kSampleRate;
        block = plugin->processBlock(512, &transport, i * 512);
    }
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block[0].sample, c.block * 512);
    EXPECT_EQ(block[0].type, c.type);
    EXPECT_EQ(block[0].data1, c.data1);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, BundleCountIn,
    ::testing::Values(CountInRequest{"allNotesOff", 1, [](const KezVst3EngineHooks& h) { h.forceAllNotesOff(h.engine); },
                                     Event::kNoteOffEvent, 48},
                      CountInRequest{"immediateNote", 46, [](const KezVst3EngineHooks& h) { h.sendImmediateMIDI(h.engine, 0x90, 72, 90); },
                                     Event::kNoteOnEvent, 72}),
    [](const auto& info) { return std::string(info.param.name); });

// The host's time signature sets the bar that launches and the measure display count in.
TEST_F(Bundle, TheHostsTimeSignatureSetsTheBar) {
    auto plugin = makeInstance();
    const KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(enginePointer(*plugin));
    struct Case {
        int numerator, denominator;
        bool valid;
        double positionQn, progress;
    };
    for (const Case& c :
         {Case{4, 4, true, 1.5, 0.375}, Case{3, 4, true, 1.5, 0.5}, Case{6, 8, true, 4.5, 0.5}, Case{7, 8, true, 4.0, 0.5 / 3.5},
          Case{3, 4, false, 1.5, 0.375}, Case{3, 0, true, 1.5, 0.375}, Case{5, 4, true, 9.0, 0.8}}) {
        Transport transport;
        transport.numerator = c.numerator;
        transport.denominator = c.denominator;
        transport.positionQn = c.positionQn;
        if (!c.valid) transport.removeFlags = ProcessContext::kTimeSigValid;
        plugin->processBlock(64, &transport, 0);
        EXPECT_NEAR(hooks.measureProgress(hooks.engine), c.progress, 1e-12)
            << c.numerator << "/" << c.denominator << (c.valid ? "" : " (not valid)") << " at " << c.positionQn;
    }
}

TEST_F(Bundle, ZeroSamplesAndMissingContextAreSafe) {
    auto plugin = makeInstance();
    Transport playing;
    EXPECT_TRUE(plugin->processBlock(0, &playing, 0).size() <= 512u);
    EXPECT_TRUE(plugin->processBlock(256, nullptr, 0).empty());
    Transport noTempo;
    noTempo.removeFlags = ProcessContext::kTempoValid;
    EXPECT_TRUE(plugin->processBlock(256, &noTempo, 0).empty());
    Transport nanTempo;
    nanTempo.tempo = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(plugin->processBlock(256, &nanTempo, 0).empty());
    Transport infinitePosition;
    infinitePosition.positionQn = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(plugin->processBlock(256, &infinitePosition, 0).empty());
}

TEST_F(Bundle, ActivateDeactivateCyclesStartThePatternAfresh) {
    auto plugin = makeInstance();
    for (int cycle = 0; cycle < 5; ++cycle) {
        const auto ons = ofType(plugin->play(30, 512), Event::kNoteOnEvent);
        ASSERT_FALSE(ons.empty()) << "cycle " << cycle;
        EXPECT_EQ(ons.front().sample, 0);
        EXPECT_EQ(ons.front().data1, 48);
        plugin->setActive(false);
        plugin->setActive(true);
    }
}

TEST_F(Bundle, NotesSoundingWhenTheHostDeactivatesEndInTheFirstBlockAfter) {
    auto plugin = makeInstance();
    auto events = plugin->play(30, 512);  // deactivated inside a sounding note
    plugin->setActive(false);
    plugin->setActive(true);
    Transport stopped;
    stopped.playing = false;
    for (const NoteEvent& e : plugin->processBlock(512, &stopped, 30 * 512)) events.push_back(e);
    expectEveryNoteEnded(events);
}

TEST_F(Bundle, ProcessDoesNotAllocate) {
    auto plugin = makeInstance();
    plugin->play(4, 512);  // first blocks may touch lazily built state of the host side
    EventList input;
    Event on{};
    on.type = Event::kNoteOnEvent;
    on.noteOn = {0, 64, 0.f, 0.5f, 0, -1};
    for (int i = 0; i < 20; ++i) input.events.push_back(on);
    ParamChanges changes;
    for (ParamID id = 1000; id < 1020; ++id) changes.add(id, 0.25);
    EventList output;
    output.events.reserve(4096);
    std::vector<float> left(512), right(512);
    float* channels[] = {left.data(), right.data()};
    AudioBusBuffers out{};
    out.numChannels = 2;
    out.channelBuffers32 = channels;
    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
                    ProcessContext::kTimeSigValid | ProcessContext::kSystemTimeValid;
    context.tempo = 140;
    context.timeSigNumerator = 6;
    context.timeSigDenominator = 8;
    ProcessData data{};
    data.numSamples = 512;
    data.numOutputs = 1;
    data.outputs = &out;
    data.inputEvents = &input;
    data.outputEvents = &output;
    data.inputParameterChanges = &changes;
    data.processContext = &context;

    pulvan::test::ScopedAllocationCount counter;
    for (int block = 0; block < 200; ++block) {
        context.projectTimeMusic = block * 512 * 140.0 / 60.0 / kSampleRate;
        output.events.clear();
        plugin->processor()->process(data);
    }
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_EQ(left[100], 0.f);
    EXPECT_EQ(out.silenceFlags, 3u);
}

}  // namespace
}  // namespace kez::test

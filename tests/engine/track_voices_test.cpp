#include "engine/track_voices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace pulvan::engine {
namespace {

constexpr double kNoFlush = -1e300;

struct Step {
    double time;
    std::vector<int> notes;
    int tie;
    double flushTo = kNoFlush;  // what falls due up to here is sent after the step
    int channel = 0;
    int portamentoCC = 0;
    double length = 0.125;
};

ScheduledStep scheduled(const Step& in, int track = 0) {
    ScheduledStep s{};
    s.time = in.time;
    s.length = in.tie == 0 ? in.length : 0.0;
    s.track = track;
    s.channel = static_cast<std::uint8_t>(in.channel);
    s.velocity = 100;
    s.tie = in.tie;
    s.portamentoCC = static_cast<std::uint8_t>(in.portamentoCC);
    s.portamentoOnValue = 127;
    s.portamentoOffValue = 0;
    s.gateLength = 0.225;
    s.noteCount = static_cast<int>(in.notes.size());
    for (size_t i = 0; i < in.notes.size(); ++i) s.notes[i] = static_cast<std::uint8_t>(in.notes[i]);
    return s;
}

struct Out {
    double time;
    int kind;
    int channel;
    int data1;
    int data2;
    bool operator==(const Out&) const = default;
};

void PrintTo(const Out& o, std::ostream* os) {
    *os << "{" << o.time << " k" << o.kind << " ch" << o.channel << " " << o.data1 << "/" << o.data2 << "}";
}

class Voices : public ::testing::Test {
protected:
    void SetUp() override {
        clearVoices(*voices);
        voices->legatoOverlapQN = 0.01;
        events->clear();
    }
    std::vector<Out> drain() {
        std::vector<Out> out;
        for (int i = 0; i < events->count; ++i) {
            const EngineEvent& e = events->events[i];
            out.push_back({e.time, e.kind, e.channel, e.data1, e.data2});
        }
        events->clear();
        return out;
    }
    void play(const Step& s) {
        playScheduledStep(*voices, scheduled(s), *events);
        flushDueTrackNotes(*voices, 0, *events, s.flushTo, kNoFlush);
    }

    std::unique_ptr<VoiceBank> voices = std::make_unique<VoiceBank>();
    std::unique_ptr<EngineEventBuffer> events = std::make_unique<EngineEventBuffer>();
};

constexpr int kOn = kEventNoteOn, kOff = kEventNoteOff, kCC = kEventControlChange;

struct VoiceCase {
    const char* name;
    std::vector<Step> steps;
    bool onlyControlChanges;
    std::vector<Out> expected;
};

class VoiceSequences : public Voices, public ::testing::WithParamInterface<VoiceCase> {};

TEST_P(VoiceSequences, SendExactlyTheseEvents) {
    for (const Step& s : GetParam().steps) play(s);
    auto out = drain();
    if (GetParam().onlyControlChanges) std::erase_if(out, [](const Out& o) { return o.kind != kCC; });
    EXPECT_EQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Voices, VoiceSequences,
    ::testing::Values(
        VoiceCase{"plainStepEndsAfterItsLength", {{1.0, {60}, 0, 2.0}}, false, {{1.0, kOn, 0, 60, 100}, {1.125, kOff, 0, 60, 0}}},
        VoiceCase{"heldNoteIsRestruckByTheNextStep",
                  {{0.0, {60}, 1, 0.24}, {0.25, {60}, 0}},
                  false,
                  {{0.0, kOn, 0, 60, 100}, {0.25, kOff, 0, 60, 0}, {0.25, kOn, 0, 60, 100}}},
        VoiceCase{"legatoKeepsSharedNotesAndOverlapsTheRest",
                  {{0.0, {60, 64}, 2}, {0.25, {60, 67}, 0, 0.26}},
                  false,
                  {{0.0, kOn, 0, 60, 100}, {0.0, kOn, 0, 64, 100}, {0.25, kOn, 0, 67, 100}, {0.26, kOff, 0, 64, 0}}},
        VoiceCase{"legatoAcrossChannelsCarriesNothingOver",
                  {{0.0, {60, 64}, 2, kNoFlush, 0}, {0.25, {60, 67}, 0, 0.3, 1}},
                  false,
                  {{0.0, kOn, 0, 60, 100},
                   {0.0, kOn, 0, 64, 100},
                   {0.25, kOn, 1, 60, 100},
                   {0.25, kOn, 1, 67, 100},
                   {0.26, kOff, 0, 60, 0},
                   {0.26, kOff, 0, 64, 0}}},
        VoiceCase{"portamentoOnNearTheLegatoStepsEndOffAfterTheNext",
                  {{0.0, {60}, 2, 0.249, 0, 65}, {0.25, {62}, 0, 1.0, 0, 65}},
                  true,
                  {{0.225, kCC, 0, 65, 127}, {0.475, kCC, 0, 65, 0}}},
        VoiceCase{"portamentoWithoutControllerSendsNothing", {{0.0, {60}, 2}, {0.25, {62}, 0, 1.0}}, true, {}},
        VoiceCase{"twoLegatoStepsInARowSendOneOnChange",
                  {{0.0, {60}, 2, 0.249, 0, 65}, {0.25, {62}, 2, 0.499, 0, 65}, {0.5, {64}, 2, 0.749, 0, 65}},
                  true,
                  {{0.225, kCC, 0, 65, 127}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Lists merged by time whatever their times: items beyond any sentinel or not a number are
// each taken once, and the merge ends.
struct MergeCase {
    const char* name;
    std::vector<double> markers, changes, steps;
    std::vector<std::pair<int, int>> expected;  // (kind, note or controller value) in order
};

class MergedLists : public Voices, public ::testing::WithParamInterface<MergeCase> {};

TEST_P(MergedLists, TakeEveryItemOnceAndEnd) {
    const MergeCase& c = GetParam();
    auto scratch = std::make_unique<StepScratch>();
    scratch->clear();
    for (double t : c.markers) scratch->markers[scratch->markerCount++] = {t, 0};
    for (double t : c.changes)
        scratch->ccs[scratch->ccCount] = {t, 0, 0, 7, static_cast<std::uint8_t>(scratch->ccCount)}, ++scratch->ccCount;
    for (double t : c.steps) scratch->steps[scratch->stepCount++] = scheduled({t, {60}, 0});
    emitTrackEventsInOrder(*scratch, *voices, *events, 0.0);
    std::vector<std::pair<int, int>> out;
    for (const Out& o : drain()) out.emplace_back(o.kind, o.kind == kCC ? o.data2 : o.data1);
    EXPECT_EQ(out, c.expected);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Voices, MergedLists,
    ::testing::Values(MergeCase{"changeBeyondTheLastStep", {}, {2e300}, {1.0}, {{kOn, 60}, {kOff, 60}, {kCC, 0}}},
                      MergeCase{"markerBeyondEverything", {2e300}, {}, {}, {}}, MergeCase{"changeNotANumber", {}, {kNaN}, {}, {{kCC, 0}}},
                      MergeCase{"everyListBeyond", {4e300}, {3e300, kNaN}, {2e300}, {{kOn, 60}, {kOff, 60}, {kCC, 0}, {kCC, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Voices, ReleaseSendsNoteOffsThenPortamentoOff) {
    play({0.0, {60, 64}, 2, 0.24, 3, 65});
    drain();
    releaseTrackNotes(*voices, 0, *events, 0.3);
    EXPECT_EQ(drain(), (std::vector<Out>{{0.3, kOff, 3, 60, 0}, {0.3, kOff, 3, 64, 0}, {0.3, kCC, 3, 65, 0}}));
    releaseTrackNotes(*voices, 0, *events, 0.4);
    EXPECT_TRUE(drain().empty());
}

TEST_F(Voices, ReleaseDropsAScheduledButUnsentChange) {
    play({0.0, {60}, 2, kNoFlush, 0, 65});
    drain();
    releaseTrackNotes(*voices, 0, *events, 0.1);  // before the on change at 0.225
    flushDueTrackNotes(*voices, 0, *events, 1.0, kNoFlush);
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].kind, kOff);
}

TEST_F(Voices, FullBufferDropsNewEventsButKeepsRoomForEveryNoteOff) {
    // Six tracks each hold a 17-note legato chord plus a 17-note overlap and portamento on.
    std::vector<int> low, high;
    for (int n = 0; n < 17; ++n) low.push_back(n), high.push_back(60 + n);
    for (int t = 0; t < kTrackCount; ++t) {
        playScheduledStep(*voices, scheduled({0.0, low, 2, kNoFlush, t, 65}, t), *events);
        flushDueTrackNotes(*voices, t, *events, 0.24, kNoFlush);
        playScheduledStep(*voices, scheduled({0.25, high, 2, kNoFlush, t, 65}, t), *events);
    }
    // Fill the rest with ordinary events until they are refused.
    EXPECT_EQ(owedReleases(*voices), 6 * (2 * 17 + 1));
    while (appendEvent(*events, {0.3, -1, kCC, 0, 1, 1}, owedReleases(*voices))) {
    }
    EXPECT_EQ(events->overflow, 1);
    EXPECT_EQ(events->count, kEventCapacity - owedReleases(*voices));
    for (int t = 0; t < kTrackCount; ++t) releaseTrackNotes(*voices, t, *events, 0.3);
    std::vector<int> sounding(16 * 128, 0);
    for (const Out& o : drain())
        if (o.kind == kOn || o.kind == kOff) sounding[o.channel * 128 + o.data1] = o.kind == kOn;
    EXPECT_EQ(std::count(sounding.begin(), sounding.end(), 1), 0) << "every note that went out was also ended";
}

TEST(EventBuffer, The513thEventIsDroppedAndOrderKept) {
    auto events = std::make_unique<EngineEventBuffer>();
    events->clear();
    for (int i = 0; i < kEventCapacity + 1; ++i)
        appendReleaseEvent(*events, {static_cast<double>(i), 0, kOff, 0, static_cast<std::uint8_t>(i % 128), 0});
    EXPECT_EQ(events->count, kEventCapacity);
    EXPECT_EQ(events->overflow, 1);
    for (int i = 0; i < kEventCapacity; ++i) EXPECT_EQ(events->events[i].time, i);
}

}  // namespace
}  // namespace pulvan::engine

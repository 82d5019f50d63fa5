#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/track_voices.h"

namespace pulvan::engine {
namespace {

ScheduledStep step(double time, std::vector<int> notes, int tie, double length = 0.125, int channel = 0,
                   int portamentoCC = 0) {
    ScheduledStep s{};
    s.time = time;
    s.length = tie == 0 ? length : 0.0;
    s.track = 0;
    s.channel = static_cast<std::uint8_t>(channel);
    s.velocity = 100;
    s.tie = tie;
    s.portamentoCC = static_cast<std::uint8_t>(portamentoCC);
    s.portamentoOnValue = 127;
    s.portamentoOffValue = 0;
    s.gateLength = 0.225;
    s.noteCount = static_cast<int>(notes.size());
    for (size_t i = 0; i < notes.size(); ++i) s.notes[i] = static_cast<std::uint8_t>(notes[i]);
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
    void play(const ScheduledStep& s) { playScheduledStep(*voices, s, *events); }
    void flush(double limit) { flushDueTrackNotes(*voices, 0, *events, limit, -1e300); }

    std::unique_ptr<VoiceBank> voices = std::make_unique<VoiceBank>();
    std::unique_ptr<EngineEventBuffer> events = std::make_unique<EngineEventBuffer>();
};

TEST_F(Voices, PlainStepEndsAfterItsLength) {
    play(step(1.0, {60}, 0, 0.125));
    flush(2.0);
    EXPECT_EQ(drain(), (std::vector<Out>{{1.0, kEventNoteOn, 0, 60, 100}, {1.125, kEventNoteOff, 0, 60, 0}}));
}

TEST_F(Voices, HeldNoteIsRestruckByTheNextStep) {
    play(step(0.0, {60}, 1));
    flush(0.24);
    play(step(0.25, {60}, 0));
    EXPECT_EQ(drain(), (std::vector<Out>{{0.0, kEventNoteOn, 0, 60, 100},
                                         {0.25, kEventNoteOff, 0, 60, 0},
                                         {0.25, kEventNoteOn, 0, 60, 100}}));
}

TEST_F(Voices, LegatoKeepsSharedNotesAndOverlapsTheRest) {
    play(step(0.0, {60, 64}, 2));
    play(step(0.25, {60, 67}, 0));
    flush(0.25 + 0.01);
    EXPECT_EQ(drain(), (std::vector<Out>{{0.0, kEventNoteOn, 0, 60, 100},
                                         {0.0, kEventNoteOn, 0, 64, 100},
                                         {0.25, kEventNoteOn, 0, 67, 100},
                                         {0.26, kEventNoteOff, 0, 64, 0}}));
}

TEST_F(Voices, LegatoAcrossChannelsCarriesNothingOver) {
    play(step(0.0, {60, 64}, 2, 0, 0));
    play(step(0.25, {60, 67}, 0, 0.125, 1));
    flush(0.3);
    EXPECT_EQ(drain(), (std::vector<Out>{{0.0, kEventNoteOn, 0, 60, 100},
                                         {0.0, kEventNoteOn, 0, 64, 100},
                                         {0.25, kEventNoteOn, 1, 60, 100},
                                         {0.25, kEventNoteOn, 1, 67, 100},
                                         {0.26, kEventNoteOff, 0, 60, 0},
                                         {0.26, kEventNoteOff, 0, 64, 0}}));
}

TEST_F(Voices, PortamentoSwitchesOnNearTheLegatoStepsEndAndOffAfterTheNext) {
    play(step(0.0, {60}, 2, 0, 0, 65));
    flush(0.249);
    play(step(0.25, {62}, 0, 0.125, 0, 65));
    flush(1.0);
    const auto out = drain();
    std::vector<Out> changes;
    for (const Out& o : out)
        if (o.kind == kEventControlChange) changes.push_back(o);
    EXPECT_EQ(changes, (std::vector<Out>{{0.225, kEventControlChange, 0, 65, 127}, {0.475, kEventControlChange, 0, 65, 0}}));
}

TEST_F(Voices, PortamentoWithoutControllerSendsNothing) {
    play(step(0.0, {60}, 2, 0, 0, 0));
    play(step(0.25, {62}, 0));
    flush(1.0);
    for (const Out& o : drain()) EXPECT_NE(o.kind, kEventControlChange);
}

TEST_F(Voices, TwoLegatoStepsInARowSendOneOnChange) {
    play(step(0.0, {60}, 2, 0, 0, 65));
    flush(0.249);
    play(step(0.25, {62}, 2, 0, 0, 65));
    flush(0.499);
    play(step(0.5, {64}, 2, 0, 0, 65));
    flush(0.749);
    int changes = 0;
    for (const Out& o : drain()) changes += o.kind == kEventControlChange;
    EXPECT_EQ(changes, 1);
}

TEST_F(Voices, ReleaseSendsNoteOffsThenPortamentoOff) {
    play(step(0.0, {60, 64}, 2, 0, 3, 65));
    flush(0.24);
    drain();
    releaseTrackNotes(*voices, 0, *events, 0.3);
    EXPECT_EQ(drain(), (std::vector<Out>{{0.3, kEventNoteOff, 3, 60, 0},
                                         {0.3, kEventNoteOff, 3, 64, 0},
                                         {0.3, kEventControlChange, 3, 65, 0}}));
    releaseTrackNotes(*voices, 0, *events, 0.4);
    EXPECT_TRUE(drain().empty());
}

TEST_F(Voices, ReleaseDropsAScheduledButUnsentChange) {
    play(step(0.0, {60}, 2, 0, 0, 65));
    drain();
    releaseTrackNotes(*voices, 0, *events, 0.1);  // before the on change at 0.225
    flush(1.0);
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].kind, kEventNoteOff);
}

TEST_F(Voices, FullBufferDropsNewEventsButKeepsRoomForEveryNoteOff) {
    // Six tracks each hold a 17-note legato chord plus a 17-note overlap and portamento on.
    for (int t = 0; t < kTrackCount; ++t) {
        std::vector<int> low, high;
        for (int n = 0; n < 17; ++n) low.push_back(n), high.push_back(60 + n);
        ScheduledStep a = step(0.0, low, 2, 0, t, 65);
        a.track = t;
        playScheduledStep(*voices, a, *events);
        flushDueTrackNotes(*voices, t, *events, 0.24, -1e300);
        ScheduledStep b = step(0.25, high, 2, 0, t, 65);
        b.track = t;
        playScheduledStep(*voices, b, *events);
    }
    // Fill the rest with ordinary events until they are refused.
    while (appendEvent(*events, {0.3, -1, kEventControlChange, 0, 1, 1})) {
    }
    EXPECT_EQ(events->overflow, 1);
    const int before = events->count;
    EXPECT_EQ(before, kEventCapacity - kReleaseReserve);
    for (int t = 0; t < kTrackCount; ++t) releaseTrackNotes(*voices, t, *events, 0.3);
    const auto out = drain();
    const auto sounding = [&] {
        std::vector<int> on(16 * 128, 0);
        for (const Out& o : out)
            if (o.kind == kEventNoteOn) on[o.channel * 128 + o.data1] = 1;
            else if (o.kind == kEventNoteOff) on[o.channel * 128 + o.data1] = 0;
        return std::count(on.begin(), on.end(), 1);
    }();
    EXPECT_EQ(sounding, 0) << "every note that went out was also ended";
}

TEST(EventBuffer, The513thEventIsDroppedAndOrderKept) {
    auto events = std::make_unique<EngineEventBuffer>();
    events->clear();
    for (int i = 0; i < kEventCapacity + 1; ++i)
        appendReleaseEvent(*events, {static_cast<double>(i), 0, kEventNoteOff, 0, static_cast<std::uint8_t>(i % 128), 0});
    EXPECT_EQ(events->count, kEventCapacity);
    EXPECT_EQ(events->overflow, 1);
    for (int i = 0; i < kEventCapacity; ++i) EXPECT_EQ(events->events[i].time, i);
}

}  // namespace
}  // namespace pulvan::engine

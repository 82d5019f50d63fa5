#include "vst3/midi_input_mapping.h"

#include <gtest/gtest.h>

#include "vst3/echo_table.h"

#include <deque>
#include <limits>
#include <memory>
#include <random>

namespace kez {
namespace {

using Steinberg::Vst::Event;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Event note(Event::EventTypes type, int channel, int pitch, float velocity) {
    Event event{};
    event.type = type;
    // Note-on and note-off share their leading channel and pitch fields but not the velocity's place.
    if (type == Event::kNoteOnEvent) {
        event.noteOn.channel = static_cast<Steinberg::int16>(channel);
        event.noteOn.pitch = static_cast<Steinberg::int16>(pitch);
        event.noteOn.velocity = velocity;
    } else {
        event.noteOff.channel = static_cast<Steinberg::int16>(channel);
        event.noteOff.pitch = static_cast<Steinberg::int16>(pitch);
        event.noteOff.velocity = velocity;
    }
    return event;
}
Event noteOn(int channel, int pitch, float velocity) { return note(Event::kNoteOnEvent, channel, pitch, velocity); }
Event noteOff(int channel, int pitch, float velocity) { return note(Event::kNoteOffEvent, channel, pitch, velocity); }

struct ByteCase {
    double value;
    std::uint8_t lo;
    std::uint8_t expected;
};

class NormalizedToMidiByte : public ::testing::TestWithParam<ByteCase> {};

TEST_P(NormalizedToMidiByte, RoundsHalfAwayAndClamps) {
    EXPECT_EQ(normalizedToMidiByte(GetParam().value, GetParam().lo, 127), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, NormalizedToMidiByte,
                         ::testing::Values(ByteCase{0.0, 1, 1}, ByteCase{0.0, 0, 0}, ByteCase{1.0, 0, 127},
                                           ByteCase{0.5, 0, 64},  // 63.5 rounds up
                                           ByteCase{62.5 / 127.0, 0, 63}, ByteCase{-3.0, 0, 0}, ByteCase{7.0, 0, 127}, ByteCase{kNaN, 0, 0},
                                           ByteCase{kNaN, 1, 1}, ByteCase{kInf, 1, 127}, ByteCase{-kInf, 1, 1}));

TEST(MapInputEvent, NonFiniteVelocitiesBecomeValidBytes) {
    const auto on = mapInputEvent(noteOn(0, 60, std::numeric_limits<float>::quiet_NaN()));
    ASSERT_TRUE(on);
    EXPECT_EQ(on->data2, 1);
    const auto off = mapInputEvent(noteOff(0, 60, std::numeric_limits<float>::infinity()));
    ASSERT_TRUE(off);
    EXPECT_EQ(off->data2, 127);
}

TEST(MapInputEvent, NoteOffTagIgnoresVelocityAndChannelIsMasked) {
    const auto a = mapInputEvent(noteOff(17, 64, 0.2f));
    const auto b = mapInputEvent(noteOff(3, 64, 0.9f));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->status, 0x81);
    EXPECT_EQ(b->status, 0x83);
    EXPECT_EQ(a->echoTag, b->echoTag);
    EXPECT_EQ(a->echoTag, 0x20000u | 64u << 8);
}

TEST(MapInputEvent, OutOfRangePitchesAndOtherEventsAreIgnored) {
    EXPECT_FALSE(mapInputEvent(noteOn(0, 128, 1.f)));
    EXPECT_FALSE(mapInputEvent(noteOn(0, -1, 1.f)));
    EXPECT_FALSE(mapInputEvent(noteOff(0, 200, 1.f)));
    Event other{};
    other.type = Event::kPolyPressureEvent;
    EXPECT_FALSE(mapInputEvent(other));
}

struct ParameterCase {
    Steinberg::Vst::ParamID id;
    double value;
    bool produces;
    std::uint8_t status, controller, byte;
};

class MapParameterPoint : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(MapParameterPoint, GivesControlChangesForControllersBelow128) {
    const ParameterCase& c = GetParam();
    const auto message = mapParameterPoint(c.id, c.value);
    ASSERT_EQ(message.has_value(), c.produces);
    if (!message) return;
    EXPECT_EQ(message->status, c.status);
    EXPECT_EQ(message->data1, c.controller);
    EXPECT_EQ(message->data2, c.byte);
    EXPECT_EQ(message->echoTag, 0x30000u | std::uint32_t{c.controller} << 8 | c.byte);
}

INSTANTIATE_TEST_SUITE_P(Ids, MapParameterPoint,
                         ::testing::Values(ParameterCase{1007, 1.0, true, 0xB0, 7, 127}, ParameterCase{1000, 0.0, true, 0xB0, 0, 0},
                                           ParameterCase{1000 + 130 * 15 + 127, 0.5, true, 0xBF, 127, 64},
                                           ParameterCase{1007, kNaN, true, 0xB0, 7, 0}, ParameterCase{1128, 1.0, false, 0, 0, 0},
                                           ParameterCase{1129, 1.0, false, 0, 0, 0}, ParameterCase{3079, 1.0, false, 0, 0, 0},
                                           ParameterCase{3080, 1.0, false, 0, 0, 0}, ParameterCase{999, 1.0, false, 0, 0, 0}));

TEST(EchoTable, AnEchoIsDroppedOnceWithinItsLifetime) {
    EchoTable table;
    table.record(0x20000 | 60 << 8, 1000);
    EXPECT_TRUE(table.consumeEcho(0x20000 | 60 << 8, 1000));  // expiry is inclusive
    EXPECT_FALSE(table.consumeEcho(0x20000 | 60 << 8, 1000));
}

TEST(EchoTable, ExpiredOrUnknownTagsPass) {
    EchoTable table;
    table.record(42, 1000);
    EXPECT_FALSE(table.consumeEcho(42, 1001));
    EXPECT_FALSE(table.consumeEcho(43, 0));
    EchoTable fresh;
    EXPECT_FALSE(fresh.consumeEcho(0, -5));  // unused entries never match
}

TEST(EchoTable, TwoSendsSuppressTwoEchoes) {
    EchoTable table;
    table.record(7, 100);
    table.record(7, 100);
    EXPECT_TRUE(table.consumeEcho(7, 50));
    EXPECT_TRUE(table.consumeEcho(7, 50));
    EXPECT_FALSE(table.consumeEcho(7, 50));
}

TEST(EchoTable, OldestEntriesAreOverwrittenRoundRobin) {
    EchoTable table;
    table.record(1, 1'000'000);
    for (std::uint32_t i = 0; i < EchoTable::kCapacity; ++i) table.record(2, 1'000'000);
    EXPECT_FALSE(table.consumeEcho(1, 0));
    EXPECT_TRUE(table.consumeEcho(2, 0));
}

// The table's rules written plainly: the newest 1024 records, each suppressing one echo of
// its tag until it expires, the oldest unexpired record first.
class PlainEchoModel {
public:
    void record(std::uint32_t tag, std::int64_t expires) {
        records_.push_back({tag, expires, true});
        if (records_.size() > EchoTable::kCapacity) records_.pop_front();
    }
    bool consume(std::uint32_t tag, std::int64_t now) {
        for (Record& r : records_)
            if (r.live && r.tag == tag && r.expires >= now) return !(r.live = false);
        return false;
    }

private:
    struct Record {
        std::uint32_t tag;
        std::int64_t expires;
        bool live;
    };
    std::deque<Record> records_;
};

struct EchoTraffic {
    const char* name;
    std::uint32_t distinctTags;  // few tags: long chains; many: a crowded hash table
    int sendsPerBlock;
    int echoesPerBlock;
};

class EchoTableAgainstModel : public ::testing::TestWithParam<EchoTraffic> {};

TEST_P(EchoTableAgainstModel, AgreesOnEveryLookup) {
    const EchoTraffic& c = GetParam();
    auto table = std::make_unique<EchoTable>();
    PlainEchoModel model;
    std::mt19937 random(7);
    std::int64_t now = 0;
    for (int block = 0; block < 3000; ++block, now += 512) {
        for (int i = 0; i < c.sendsPerBlock; ++i) {
            const std::uint32_t tag = 0x10000 + random() % c.distinctTags;
            const std::int64_t expires = now + 96000 - static_cast<std::int64_t>(random() % 4) * 40000;
            table->record(tag, expires);
            model.record(tag, expires);
        }
        for (int i = 0; i < c.echoesPerBlock; ++i) {
            const std::uint32_t tag = 0x10000 + random() % c.distinctTags;
            ASSERT_EQ(table->consumeEcho(tag, now), model.consume(tag, now)) << "block " << block << " tag " << tag;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Traffic, EchoTableAgainstModel,
                         ::testing::Values(EchoTraffic{"fewTags", 5, 12, 8}, EchoTraffic{"manyTags", 40000, 40, 16},
                                           EchoTraffic{"overwriting", 900, 64, 4}, EchoTraffic{"echoStorm", 300, 2, 48}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EchoTable, LifetimeIsTwoSecondsOfSamples) {
    EXPECT_EQ(EchoTable::lifetimeSamples(48000.0), 96000);
    EXPECT_EQ(EchoTable::lifetimeSamples(44100.5), 88201);
    EXPECT_EQ(EchoTable::lifetimeSamples(0.0), 192000);
    EXPECT_EQ(EchoTable::lifetimeSamples(kNaN), 192000);
}

}  // namespace
}  // namespace kez

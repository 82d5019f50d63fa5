#include <gtest/gtest.h>

#include "platform/midi/backend.h"
#include "platform/midi/client.h"
#include "platform/midi/dispatcher.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/jack_backend.h"
#include "platform/midi/jack_port_client.h"
#include "platform/midi/sounding_notes.h"
#include "platform/midi/virtual_source.h"
#include "tests/platform/midi/jack_program.h"
#include "tests/platform/midi/jack_server.h"
#include "tests/platform/midi/message_recorder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace pulvan::midi {
namespace {

using namespace std::chrono_literals;
using test::JackProgram;
using test::millisecondsFromNow;

constexpr Timestamp kMillisecond = 1'000'000;

// The peer program on a pipe; it ends by itself after the time it was given.
class Peer {
public:
    explicit Peer(const std::string& arguments)
        : pipe_(::popen((std::string(PULVAN_MIDI_JACK_PEER) + " " + arguments).c_str(), "r"), ::pclose) {}

    bool ready() { return !linesStartingWith("ready", 1).empty(); }

    // Reads on until `count` lines start with `prefix` or the peer ends.
    std::vector<std::string> linesStartingWith(const std::string& prefix, std::size_t count) {
        std::vector<std::string> found;
        char line[256];
        while (found.size() < count && pipe_ && std::fgets(line, sizeof line, pipe_.get())) {
            if (std::string_view(line).starts_with(prefix)) found.emplace_back(line);
        }
        return found;
    }

private:
    std::unique_ptr<FILE, int (*)(FILE*)> pipe_;
};

// A message line: "message <hex bytes> <monotonic ns>".
std::pair<std::string, Timestamp> parseMessage(const std::string& line) {
    std::istringstream in(line);
    std::string word, hex;
    Timestamp at = 0;
    in >> word >> hex >> at;
    return {hex, at};
}

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = 3s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Waits until what `heard` asks of the destination is there. When it is not, says how the
// server fared meanwhile: starved of time, it runs few cycles or goes on without a late
// destination, which then never hears what was written in the cycles it missed.
template <typename Condition>
::testing::AssertionResult hears(const JackProgram& destination, Condition heard, std::chrono::milliseconds timeout = 3s) {
    const std::uint64_t ran = destination.cycles();
    const std::uint64_t missed = destination.missedCycles();
    if (eventually(heard, timeout)) return ::testing::AssertionSuccess();
    const auto period = destination.period();
    const std::uint64_t due = period.count() > 0 ? static_cast<std::uint64_t>(timeout / period) : 1;
    const std::uint64_t ranSince = destination.cycles() - ran;
    const std::uint64_t missedSince = destination.missedCycles() - missed;
    auto failure = ::testing::AssertionFailure() << "not heard in " << timeout.count() << " ms, in which the destination ran " << ranSince
                                                 << " of " << due << " cycles and missed " << missedSince;
    if (ranSince * 2 < due) return failure << ": the server was starved";
    if (missedSince > 0) return failure << ": the destination was starved, and never hears what was written in a cycle it missed";
    return failure << ": lost while the destination ran every cycle";
}

std::optional<Endpoint> waitForEndpoint(bool source, const std::string& address, std::chrono::milliseconds timeout = 3s) {
    std::optional<Endpoint> found;
    eventually(
        [&] {
            for (const Endpoint& endpoint : source ? sources() : destinations()) {
                if (endpoint.address == address) found = endpoint;
            }
            return found.has_value();
        },
        timeout);
    return found;
}

// Names of the JACK clients with MIDI ports, as a patchbay lists them.
std::multiset<std::string> clientsNamed(const std::string& prefix, jack_client_t* asker) {
    std::set<std::string> ports;
    if (const char** names = jack_get_ports(asker, nullptr, JACK_DEFAULT_MIDI_TYPE, 0)) {
        for (const char** name = names; *name; ++name) ports.insert(*name);
        jack_free(names);
    }
    std::multiset<std::string> clients;
    for (const std::string& port : ports) {
        const std::string client = port.substr(0, port.find(':'));
        if (client.starts_with(prefix)) clients.insert(client);
    }
    return clients;
}

class JackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
        ::setenv("JACK_NO_START_SERVER", "1", 1);  // the fixture's server or none
    }
};

struct TimingCase {
    const char* name;
    int period;    // frames
    double tempo;  // beats a minute; the notes fall on sixteenths
};

void PrintTo(const TimingCase& c, std::ostream* os) { *os << c.name; }

class JackTimingTest : public JackTest, public ::testing::WithParamInterface<TimingCase> {};

TEST_P(JackTimingTest, EveryNoteLeavesOnItsFrame) {
    const TimingCase& c = GetParam();
    test::OwnJackServer server("timing", c.period);
    ASSERT_TRUE(server.started());
    ScopedBackend jack(makeJackBackend());
    auto synth = JackProgram::open("Timing Synth", "in", JackProgram::Kind::destination);
    ASSERT_NE(synth, nullptr);
    Client client("PulvanStandaloneMIDIClient");
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    const auto destination = waitForEndpoint(false, synth->portName());
    ASSERT_TRUE(destination.has_value());

    constexpr int kNotes = 8;
    const auto sixteenth = static_cast<Timestamp>(15e9 / c.tempo);
    const Timestamp first = millisecondsFromNow(80);
    std::vector<Timestamp> dues;
    for (int i = 0; i < kNotes; ++i) {
        const Timestamp due = first + static_cast<Timestamp>(i) * sixteenth;
        dues.push_back(due);
        ASSERT_TRUE(port.send(*destination, std::vector<std::uint8_t>{0x90, static_cast<std::uint8_t>(60 + i), 100}, due));
    }
    ASSERT_TRUE(hears(
        *synth, [&] { return synth->arrivals().size() >= kNotes; }, 5s))
        << synth->arrivals().size() << " of " << kNotes << " note-ons arrived";
    const auto arrivals = synth->arrivals();
    // One frame, and the microsecond in which the server counts its time.
    const double frame = 1e9 / synth->sampleRate() + 1e3;
    // A server without real-time scheduling on a busy machine now and then falls behind
    // and moves its clock on; a note written at the start of a cycle, as a message handed
    // on when it is due lands, is up to a period off every time.
    int onFrame = 0;
    for (int i = 0; i < kNotes; ++i) {
        EXPECT_EQ(arrivals[i].bytes[1], 60 + i);
        const double error = std::abs(static_cast<double>(arrivals[i].at) - static_cast<double>(dues[i]));
        if (error <= frame) ++onFrame;
    }
    EXPECT_GE(onFrame, kNotes - 2) << "note-ons off their frames, while the destination missed " << synth->missedCycles() << " cycles";
}

INSTANTIATE_TEST_SUITE_P(Periods, JackTimingTest,
                         ::testing::Values(TimingCase{"period128at174", 128, 174}, TimingCase{"period256at120", 256, 120},
                                           TimingCase{"period1024at90", 1024, 90}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(JackTest, SendsToAnotherProgramAndStillWhenItCameBackUnderTheSameName) {
    std::atomic<int> setupChanges = 0;
    Client client("PulvanStandaloneMIDIClient", [&] { ++setupChanges; });
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    auto synth = JackProgram::open("Synth A", "in", JackProgram::Kind::destination);
    ASSERT_NE(synth, nullptr);
    const auto destination = waitForEndpoint(false, synth->portName());
    ASSERT_TRUE(destination.has_value());
    EXPECT_EQ(destination->displayName, "Synth A in");
    port.send(*destination, std::vector<std::uint8_t>{0x90, 0x3C, 0x64});
    ASSERT_TRUE(eventually([&] { return synth->arrivals().size() == 1; }));
    const auto isOurs = [](const Endpoint& e) { return e.name.starts_with("PulvanStandaloneMIDI"); };
    for (const auto& offered : {sources(), destinations()}) {
        EXPECT_TRUE(std::none_of(offered.begin(), offered.end(), isOurs)) << "our own port is on offer";
    }
    EXPECT_TRUE(eventually([&] { return setupChanges.load() >= 1; })) << "the destination came without a notification";

    synth.reset();
    ASSERT_TRUE(eventually([&] {
        const auto listed = destinations();
        return std::none_of(listed.begin(), listed.end(), [](const Endpoint& e) { return e.address == "Synth A:in"; });
    }));
    auto again = JackProgram::open("Synth A", "in", JackProgram::Kind::destination);
    ASSERT_NE(again, nullptr);
    port.send(waitForEndpoint(false, again->portName()).value(), std::vector<std::uint8_t>{0x80, 0x3C, 0x00});
    ASSERT_TRUE(eventually([&] { return again->arrivals().size() == 1; })) << "the note-off went to the old connection";
    EXPECT_EQ(again->arrivals()[0].bytes, (std::vector<std::uint8_t>{0x80, 0x3C, 0x00}));
}

// A listener that misses cycles never hears what was written in them; a note-off lost so
// would leave its note hanging, so the port writes its recent note-offs again.
TEST_F(JackTest, NoteOffsALaggingListenerMissedAreWrittenAgain) {
    auto synth = JackProgram::open("Lagging Synth", "in", JackProgram::Kind::destination);
    ASSERT_NE(synth, nullptr);
    Client client("PulvanStandaloneMIDIClient");
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    const auto destination = waitForEndpoint(false, synth->portName());
    ASSERT_TRUE(destination.has_value());
    const auto stillSounding = [&] {
        std::set<int> sounding;
        for (const auto& arrival : synth->arrivals()) {
            const bool on = (arrival.bytes[0] & 0xF0) == 0x90 && arrival.bytes[2] != 0;
            if (on) sounding.insert(arrival.bytes[1]);
            if (!on) sounding.erase(arrival.bytes[1]);
        }
        return sounding;
    };
    for (int round = 0; round < 5; ++round) {
        const std::uint8_t note = static_cast<std::uint8_t>(60 + round);
        ASSERT_TRUE(port.send(*destination, std::vector<std::uint8_t>{0x90, note, 100}));
        ASSERT_TRUE(hears(*synth, [&] { return stillSounding().contains(note); })) << "note-on " << int{note};
        synth->stall(12ms, 6);
        std::this_thread::sleep_for(8ms);
        if (round % 2 == 0) {
            port.silence();  // as a stop does
        } else {
            ASSERT_TRUE(port.send(*destination, std::vector<std::uint8_t>{0x80, note, 0}));
        }
        std::this_thread::sleep_for(200ms);
        EXPECT_TRUE(stillSounding().empty()) << "note " << int{note} << " hangs after the listener missed cycles";
    }
}

struct ConnectionCase {
    const char* name;
    bool newProgramEachTime;  // else two take turns
};

void PrintTo(const ConnectionCase& c, std::ostream* os) { *os << c.name; }

class JackConnectionTest : public JackTest, public ::testing::WithParamInterface<ConnectionCase> {};

// The server puts a new connection in place only when it switches its graph at the start of a
// cycle, and holds the switch back while a program is late with the last cycle: a note written
// before then would reach nobody, or the destination the port left. A program that overruns
// every cycle keeps the server switching late throughout.
TEST_P(JackConnectionTest, TheFirstNoteAfterConnectingReachesTheNewDestinationWhileAProgramRunsLate) {
    const ConnectionCase& c = GetParam();
    auto late = JackProgram::open("Late Program", "in", JackProgram::Kind::destination);
    ASSERT_NE(late, nullptr);
    ASSERT_TRUE(eventually([&] { return late->cycles() > 0; }));
    late->stall(late->period() * 4, std::numeric_limits<int>::max());
    Client client("PulvanStandaloneMIDIClient");
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    std::vector<std::unique_ptr<JackProgram>> synths;
    std::map<int, std::size_t> sentTo;  // the synth each note was for
    for (int round = 0; round < 8; ++round) {
        const std::size_t index = c.newProgramEachTime ? static_cast<std::size_t>(round) : static_cast<std::size_t>(round % 2);
        if (index == synths.size()) {
            if (c.newProgramEachTime && !synths.empty()) synths.back().reset();
            synths.push_back(JackProgram::open("Synth " + std::to_string(index), "in", JackProgram::Kind::destination));
            ASSERT_NE(synths.back(), nullptr);
        }
        JackProgram& synth = *synths[index];
        const auto destination = waitForEndpoint(false, synth.portName());
        ASSERT_TRUE(destination.has_value());
        const int note = 60 + round;
        sentTo[note] = index;
        ASSERT_TRUE(port.send(*destination, std::vector<std::uint8_t>{0x90, static_cast<std::uint8_t>(note), 100}));
        const auto heardNote = [&] {
            const auto arrivals = synth.arrivals();
            return std::ranges::any_of(arrivals, [&](const test::JackArrival& a) { return a.bytes[1] == note; });
        };
        EXPECT_TRUE(hears(synth, heardNote, 1s)) << "note " << note << ", the first after connecting to " << synth.portName();
    }
    for (std::size_t index = 0; index < synths.size(); ++index) {
        if (!synths[index]) continue;
        for (const auto& arrival : synths[index]->arrivals()) {
            const auto sent = sentTo.find(arrival.bytes[1]);
            ASSERT_NE(sent, sentTo.end()) << "note " << int{arrival.bytes[1]} << " was never sent";
            EXPECT_EQ(sent->second, index) << "note " << int{arrival.bytes[1]} << " reached the destination the port left";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Destinations, JackConnectionTest,
                         ::testing::Values(ConnectionCase{"aNewProgramEachTime", true}, ConnectionCase{"twoProgramsTakingTurns", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(JackTest, OneClientAndOnePortHearEverySource) {
    std::vector<std::unique_ptr<JackProgram>> keyboards;
    for (int i = 0; i < 8; ++i) {
        keyboards.push_back(JackProgram::open("Keys " + std::to_string(i), "out", JackProgram::Kind::source));
        ASSERT_NE(keyboards.back(), nullptr);
    }
    Client client("PulvanStandaloneMIDIInClient");
    test::MessageRecorder heard;
    InputPort input(client, "PulvanStandaloneMIDIInPort", heard.handler());
    for (const auto& keyboard : keyboards) {
        const auto source = waitForEndpoint(true, keyboard->portName());
        ASSERT_TRUE(source.has_value());
        ASSERT_TRUE(input.connectSource(*source));
    }
    for (std::uint8_t i = 0; i < 8; ++i) keyboards[i]->play({0x90, static_cast<std::uint8_t>(60 + i), 100});
    const auto messages = heard.waitFor(8);
    std::set<int> notes;
    for (const auto& message : messages) notes.insert(message.bytes[1]);
    EXPECT_EQ(notes.size(), 8u) << "a source went unheard";
    EXPECT_EQ(clientsNamed("Pulvan", keyboards[0]->client()), (std::multiset<std::string>{"PulvanStandaloneMIDIInClient"}));
}

using Message = std::array<std::uint8_t, 3>;

struct LossCase {
    const char* name;
    std::vector<Message> queued;  // the port's queue takes these
    std::vector<Message> lost;    // these come once it is full
};

void PrintTo(const LossCase& c, std::ostream* os) { *os << c.name; }

// Holds the MIDI layer's thread up until freed, at the latest when it goes. What the held task writes
// it shares with it, so that a test ended by a failing assertion leaves it nothing dead to write to.
// Going, it frees the task before it cancels it: a cancel waits for the delivery under way, the held
// task itself.
class HeldDispatcher {
public:
    HeldDispatcher() {
        dispatcher_->schedule(this, kSendNow, [holding = holding_, released = release_.get_future().share()] {
            holding->store(true);
            released.wait();
        });
    }
    ~HeldDispatcher() {
        free();
        dispatcher_->cancel(this);
    }
    HeldDispatcher(const HeldDispatcher&) = delete;
    HeldDispatcher& operator=(const HeldDispatcher&) = delete;

    bool holding() const { return holding_->load(); }
    void free() {
        if (!std::exchange(freed_, true)) release_.set_value();
    }

private:
    std::shared_ptr<Dispatcher> dispatcher_ = Dispatcher::shared();
    std::shared_ptr<std::atomic<bool>> holding_ = std::make_shared<std::atomic<bool>>(false);
    std::promise<void> release_;
    bool freed_ = false;
};

class JackInputLossTest : public JackTest, public ::testing::WithParamInterface<LossCase> {};

// A flood while the MIDI layer's thread is held up, as on a busy machine, fills the port's queue:
// what the queue refuses still counts for the notes held, told after the messages queued before.
// On a server that waits for every client each cycle: one that does not, on a busy machine, now and
// then goes on without the port while it is late, and what the keyboard wrote then never reaches it.
TEST_P(JackInputLossTest, TheNotesHeldAfterALossAreWhatEveryMessageLeft) {
    test::OwnJackServer server("flood", 256, test::OwnJackServer::Scheduling::waitingForEveryClient);
    ASSERT_TRUE(server.started());
    ScopedBackend jack(makeJackBackend());
    auto keyboard = JackProgram::open("Flooding Keys", "out", JackProgram::Kind::source);
    ASSERT_NE(keyboard, nullptr);
    constexpr std::uint8_t kAfterTheLoss = 70;
    std::mutex mutex;
    NoteSet heard;  // as the messages read and the notes told after a loss leave them
    int losses = 0;
    Client client("PulvanStandaloneMIDIInClient");
    InputPort input(
        client, "PulvanStandaloneMIDIInPort",
        [&](std::span<const std::uint8_t> bytes, Timestamp) {
            std::lock_guard lock(mutex);
            const NoteChange change = NoteChange::of(bytes);
            if (change.kind == NoteChange::Kind::on) heard.add(change.channel, change.note);
            if (change.kind == NoteChange::Kind::off) heard.remove(change.channel, change.note);
        },
        [&](const NoteSet& held) {
            std::lock_guard lock(mutex);
            heard = held;
            ++losses;
        });
    const auto source = waitForEndpoint(true, keyboard->portName());
    ASSERT_TRUE(source.has_value() && input.connectSource(*source));
    // What the keyboard plays before the server puts the connection in place reaches nobody.
    ASSERT_TRUE(eventually([&] { return keyboard->connectedTo("PulvanStandaloneMIDIInClient:PulvanStandaloneMIDIInPort"); }));

    HeldDispatcher hold;
    ASSERT_TRUE(eventually([&] { return hold.holding(); }));

    SoundingNotes played;
    std::uint64_t sent = 0;
    // False when the keyboard did not play them all.
    const auto play = [&](const std::vector<Message>& messages) {
        const auto allPlayed = [&] { return keyboard->played() >= sent; };
        for (const Message& m : messages) {
            keyboard->play({m[0], m[1], m[2]});
            played.deliver(m);
            // The program's own queue holds 1,024.
            if (++sent % 512 == 0 && !eventually(allPlayed)) return false;
        }
        return eventually(allPlayed);
    };
    std::vector<Message> filler;
    for (std::size_t i = 0; i < JackPortClient::kQueueCapacity; ++i) filler.push_back({0xB0, 7, static_cast<std::uint8_t>(i % 128)});
    ASSERT_TRUE(play(GetParam().queued));
    ASSERT_TRUE(play(filler));
    ASSERT_TRUE(play(GetParam().lost));
    // This server starts a cycle once every client ended the one before: the keyboard's next cycle
    // after the one that carried the last message ends after the port took that message.
    const std::uint64_t cycle = keyboard->cycles();
    ASSERT_TRUE(eventually([&] { return keyboard->cycles() >= cycle + 2; }));
    hold.free();
    ASSERT_TRUE(play({{0x90, kAfterTheLoss, 1}}));  // after the loss, messages count again
    // The note after the loss comes in order, read or among the notes told after a loss (refused while the
    // queue was still full): once it is there, so is everything before it, however long that took.
    const auto settled = [&] {
        std::lock_guard lock(mutex);
        return losses > 0 && heard.contains(0, kAfterTheLoss);
    };
    ASSERT_TRUE(eventually(settled, 20s)) << "the loss or the note after it was never told";
    std::lock_guard lock(mutex);
    EXPECT_TRUE(heard == played.notes()) << "the notes held are not what the keyboard left";
}

INSTANTIATE_TEST_SUITE_P(
    Floods, JackInputLossTest,
    ::testing::Values(LossCase{"AReleaseIsLost", {{0x90, 60, 100}}, {{0x80, 60, 0}}},
                      LossCase{"PressesAreLost", {}, {{0x90, 48, 100}, {0x90, 52, 100}, {0x90, 55, 100}}},
                      LossCase{"EachChannelApart", {{0x90, 60, 100}, {0x91, 62, 100}}, {{0x92, 60, 100}, {0x80, 60, 0}, {0x91, 62, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(JackTest, AnotherProgramFindsTheSharedSourceByItsIdentifierAndHearsItOnTime) {
    SharedVirtualSource source;
    ASSERT_TRUE(source.isOpen());
    Peer peer("listen-shared-source 1500");
    ASSERT_TRUE(peer.ready());
    const Timestamp due = millisecondsFromNow(100);
    const std::uint8_t noteOn[] = {0x91, 0x40, 0x50};
    const std::uint8_t noteOff[] = {0x81, 0x40, 0x00};
    ASSERT_TRUE(source.send(noteOff, 3, due + 50 * kMillisecond));
    ASSERT_TRUE(source.send(noteOn, 3, due));
    // Other tests' plug-ins may share the JACK server and have their own source.
    const auto lines = peer.linesStartingWith("message 91", 1);
    ASSERT_EQ(lines.size(), 1u) << "the other program did not find the source by its identifier";
    const auto [hex, at] = parseMessage(lines[0]);
    EXPECT_EQ(hex, "914050");
    // The listener stamps each message with its cycle's frame: within a frame (23 µs) of its time.
    EXPECT_NEAR(static_cast<double>(at), static_cast<double>(due), 50'000.0);
    const auto offs = peer.linesStartingWith("message 81", 1);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_NEAR(static_cast<double>(parseMessage(offs[0]).second), static_cast<double>(due + 50 * kMillisecond), 50'000.0);
}

// Another program's client comes and goes on and on, as a patchbay that polls the server does. News
// that it went, reaching a client of ours that is still opening, is lost in libjack, which then keeps
// the number that client had bound, in this process, to its wake-up: the port of ours opened next may
// get the number. Each round starts as the application does when the server comes late, with no client
// of this process open, so that the first port (the receiver's) takes long to open.
TEST_F(JackTest, AnOutputOpenedWhileAnotherProgramsClientComesAndGoesPlays) {
    test::OwnJackServer server("reuse", 256);  // few clients, so that a number that comes free is the next one given
    ASSERT_TRUE(server.started());
    forgetMachineBackend();  // its clients, which earlier tests may have left open
    Peer churn("churn 20 600000");
    ASSERT_TRUE(churn.ready());
    for (std::uint8_t round = 0; round < 20; ++round) {
        ScopedBackend jack(makeJackBackend());
        Client receiver("PulvanStandaloneMIDIInClient");
        InputPort input(receiver, "PulvanStandaloneMIDIInPort", [](std::span<const std::uint8_t>, Timestamp) {});
        Client sender("PulvanStandaloneMIDIClient");
        OutputPort output(sender, "PulvanStandaloneMIDIPort");
        auto synth = JackProgram::open("Synth R", "in", JackProgram::Kind::destination);
        ASSERT_TRUE(synth);
        const Endpoint destination{synth->portName(), "in", "Synth R in"};
        const std::uint8_t note[] = {0x90, round, 100};
        ASSERT_TRUE(eventually([&] { return output.send(destination, note) && !synth->arrivals().empty(); }, 10s))
            << "round " << int{round} << ": nothing the output sends arrives";
    }
}

// A thread's first wake-up may be a cycle or two late on a busy machine, every program's alike.
constexpr int kCyclesAJoinMayHold = 2;

// The cycles the server reports that a client of ours held it up, each time waiting for its process thread.
int cyclesHeldByPulvan(const std::string& serverName) {
    std::ifstream log("/tmp/pulvan-jackd-" + serverName + ".log");
    int held = 0;
    for (std::string line; std::getline(log, line);) {
        if (line.find("was not finished") != std::string::npos && line.find("client = Pulvan") != std::string::npos) ++held;
    }
    return held;
}

// A server that starts after the application's ports exist, while another program's client comes and
// goes, as a patchbay's that looks at the server: each of Pulvan's clients
// joins it and runs its cycles without holding up the server, and every other program on it.
TEST_F(JackTest, AServerThatStartsLaterIsJoinedWithoutHoldingItsCycles) {
    test::OwnJackServer server("join", 256, test::OwnJackServer::Scheduling::realtime, 48'000);
    ASSERT_TRUE(server.started() && server.stop());
    forgetMachineBackend();            // its clients, which earlier tests may have left open
    Peer patchbay("churn 50 600000");  // it looks at the server whenever one is there
    ASSERT_TRUE(patchbay.ready());
    Client sender("PulvanStandaloneMIDIClient");
    OutputPort output(sender, "PulvanStandaloneMIDIPort");
    Client receiver("PulvanStandaloneMIDIInClient");
    test::MessageRecorder heard;
    InputPort input(receiver, "PulvanStandaloneMIDIInPort", heard.handler());
    for (int join = 0; join < 4; ++join) {
        ASSERT_TRUE(server.start());
        // Both threads run: the output's cycle length is known, and the input hears a keyboard.
        EXPECT_TRUE(eventually([&] { return output.periodNanoseconds() > 0; }, 10s)) << "join " << join << ": the output never ran";
        std::unique_ptr<JackProgram> keys;
        ASSERT_TRUE(eventually([&] { return (keys = JackProgram::open("Keys J", "out", JackProgram::Kind::source)) != nullptr; }, 10s));
        const Endpoint source{keys->portName(), "out", "Keys J out"};
        EXPECT_TRUE(eventually([&] { return input.connectSource(source); }, 10s)) << "join " << join;
        EXPECT_TRUE(eventually([&] { return keys->connectedTo("PulvanStandaloneMIDIInClient:PulvanStandaloneMIDIInPort"); }, 10s));
        const std::size_t before = heard.waitFor(0, 0ms).size();
        keys->play({0x90, 60, 100});
        EXPECT_GT(heard.waitFor(before + 1, 10s).size(), before) << "join " << join << ": the input never heard";
        EXPECT_LE(cyclesHeldByPulvan(test::OwnJackServer::nameFor("join")), kCyclesAJoinMayHold) << "join " << join;
        input.disconnectEverySource();
        keys.reset();
        ASSERT_TRUE(server.stop());
    }
}

TEST_F(JackTest, AfterTheServerRestartsMIDIComesBack) {
    test::OwnJackServer server("restart", 256);
    ASSERT_TRUE(server.started());
    ScopedBackend jack(makeJackBackend());
    Client client("PulvanStandaloneMIDIClient", [] {});
    OutputPort output(client, "PulvanStandaloneMIDIPort");
    test::MessageRecorder heard;
    InputPort input(client, "PulvanStandaloneMIDIInPort", heard.handler());

    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(server.stop());
    const std::uint8_t note[] = {0x90, 60, 100};
    for (int i = 0; i < 40; ++i) {  // playing on while there is no server
        output.send(Endpoint{"Gone:in", "in", "Gone in", 1}, note);
        sources();
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(server.start());
    auto synth = JackProgram::open("Synth B", "in", JackProgram::Kind::destination);
    auto keys = JackProgram::open("Keys B", "out", JackProgram::Kind::source);
    ASSERT_TRUE(synth && keys);
    // A server that has just started on a busy machine may take a while to answer everybody.
    const auto destination = waitForEndpoint(false, synth->portName(), 10s);
    const auto source = waitForEndpoint(true, keys->portName(), 10s);
    ASSERT_TRUE(destination && source);
    EXPECT_TRUE(eventually([&] { return output.send(*destination, note) && !synth->arrivals().empty(); }, 10s))
        << "nothing is sent any more";
    EXPECT_TRUE(eventually([&] { return input.connectSource(*source); }, 10s));
    keys->play({0x90, 61, 100});
    EXPECT_EQ(heard.waitFor(1, 10s).size(), 1u) << "nothing is heard any more";
    // libjack's own threads report the lost server once; asking for it again is silent.
    EXPECT_EQ(::testing::internal::GetCapturedStderr().find("not running"), std::string::npos);
}

}  // namespace
}  // namespace pulvan::midi

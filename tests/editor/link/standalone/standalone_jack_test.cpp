// The standalone host, sender and receiver against other programs on a real JACK server.
#include <gtest/gtest.h>

#include "editor/link/standalone/app_play_arguments.h"
#include "editor/link/standalone/render_clock.h"
#include "editor/link/standalone/standalone_app_play.h"
#include "editor/link/standalone/standalone_engine_host.h"
#include "editor/link/standalone/standalone_midi_receiver.h"
#include "editor/link/standalone/standalone_midi_sender.h"
#include "editor/link/store_link.h"
#include "editor/model/preset.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"
#include "tests/editor/link/standalone/demo_payload.h"
#include "tests/editor/link/standalone/host_rig.h"
#include "tests/editor/link/standalone/receiving_program.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/midi/jack_server.h"
#include "tests/support/child_process.h"
#include "tests/support/own_process.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace pulvan::link {
namespace {

using namespace std::chrono_literals;
using midi::test::JackProgram;
using test::eventually;

constexpr std::int64_t kMillisecond = 1'000'000;
// One frame at 44.1 kHz, and the microsecond in which JACK counts its time.
constexpr std::int64_t kOneFrame = 22'676 + 1'000;
constexpr std::int64_t kLateness = 15 * kMillisecond;

bool destinationListed(const std::string& part) {
    for (const auto& destination : midi::destinations()) {
        if (destination.displayName.find(part) != std::string::npos) return true;
    }
    return false;
}

// Runs the main queue until `condition` holds or a while passes.
bool pumpUntil(foundation::MainQueue& main, const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3s) {
    return eventually(
        [&] {
            main.pump();
            return condition();
        },
        timeout);
}

class StandaloneJackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
        ::setenv("JACK_NO_START_SERVER", "1", 1);
    }
};

TEST_F(StandaloneJackTest, HostPlaysTheDemoIntoSessionOneOnTimeAndReleasesOnStop) {
    // Listed before "Session 1" whatever the order: the preference, not the order, must decide.
    ReceivingProgram other("Aux Synth", "in");
    ReceivingProgram session("Session 1", "in");
    ASSERT_TRUE(eventually([] { return destinationListed("Session 1") && destinationListed("Aux Synth"); }));

    StandaloneMIDISender sender;
    auto host = test::makeDemoHost(sender);
    ASSERT_NE(host, nullptr);
    host->start();
    const std::int64_t anchor = host->anchorHostTime();
    const std::size_t wanted = test::demoBar().size() + 1;
    ASSERT_TRUE(eventually(
        [&] {
            const auto arrivals = session.arrivals();
            return static_cast<std::size_t>(std::count_if(arrivals.begin(), arrivals.end(), noteOn)) >= wanted;
        },
        4s));
    host->stop();
    std::this_thread::sleep_for(50ms);

    const auto arrivals = session.arrivals();
    std::vector<Arrival> ons;
    std::copy_if(arrivals.begin(), arrivals.end(), std::back_inserter(ons), noteOn);
    ASSERT_GE(ons.size(), wanted);
    for (std::size_t i = 0; i < wanted; ++i) {
        const auto& bar = test::demoBar();
        const test::DemoNote expected = i < bar.size() ? bar[i] : test::DemoNote{4.0, bar[0].note, bar[0].velocity};
        EXPECT_EQ(ons[i].bytes, (std::vector<unsigned char>{0x90, static_cast<unsigned char>(expected.note),
                                                            static_cast<unsigned char>(expected.velocity)}));
        // The frame itself is held by the MIDI layer's tests and the test below; here a stalled
        // render thread on a busy machine may move the clock on.
        const std::int64_t lateness = ons[i].at - (anchor + static_cast<std::int64_t>(expected.beat * 500 * kMillisecond));
        EXPECT_GE(lateness, -kOneFrame) << "note-on " << i << " came early";
        EXPECT_LE(lateness, kLateness) << "note-on " << i << " came late";
    }
    EXPECT_TRUE(stillSounding(arrivals).empty()) << "a note sounds after stop";
    EXPECT_TRUE(other.arrivals().empty()) << "only Session 1 plays";
}

// The first note of a run is due the moment its frame 0 comes, one look-ahead after the
// start, like any other note on its grid: rendered at the start, it has the lead of every other.
TEST_F(StandaloneJackTest, TheFirstNoteOfEveryRunLandsOnItsFrame) {
    ReceivingProgram session("Session 1", "in");
    ASSERT_TRUE(eventually([] { return destinationListed("Session 1"); }));
    StandaloneMIDISender sender;
    // The host's clock is the server's, held still at each start a while ahead of it: whatever the
    // host times from the start is then sent long before it is due, and only its time decides its frame.
    foundation::ManualClock clock;
    auto host = test::makeDemoHost(sender, clock);
    ASSERT_NE(host, nullptr);
    constexpr int kRuns = 10;
    constexpr std::int64_t kStartAhead = 100 * kMillisecond;
    const std::int64_t lead = render_clock::nanosecondsFor(render_clock::kLookAheadFrames);
    int onFrame = 0;
    for (int run = 0; run < kRuns; ++run) {
        const std::size_t before = session.arrivals().size();
        clock.setNanoseconds(foundation::systemClock().nowNanoseconds() + kStartAhead);
        const std::int64_t started = clock.nowNanoseconds();
        host->start();
        // A note-off of the run before may come again first: the port repeats them after a missed cycle.
        const auto firstNoteOn = [&] {
            const auto arrivals = session.arrivals();
            const auto found = std::find_if(arrivals.begin() + static_cast<std::ptrdiff_t>(before), arrivals.end(), noteOn);
            return found == arrivals.end() ? std::optional<Arrival>() : *found;
        };
        ASSERT_TRUE(eventually([&] { return firstNoteOn().has_value(); }, 2s));
        host->stop();
        const Arrival first = *firstNoteOn();
        EXPECT_EQ(first.bytes[1], test::demoBar()[0].note);
        const std::int64_t lateness = first.at - (started + lead);
        EXPECT_GE(lateness, -kOneFrame) << "run " << run << " began early";
        if (std::abs(lateness) <= kOneFrame) ++onFrame;
        std::this_thread::sleep_for(20ms);
    }
    // A server without real-time scheduling on a busy machine now and then misses a cycle.
    EXPECT_GE(onFrame, kRuns - 2) << "first notes off their frames";
}

// A JACK server of the test's own with "Session 1" on it, and the demo host ready to play into it.
struct PlayingOnOwnServer {
    PlayingOnOwnServer(std::string suffix, int period, int rate = 44'100)
        : server(std::move(suffix), period, midi::test::OwnJackServer::Scheduling::plain, rate) {}
    bool ready() const { return server.started() && listed && host; }

    midi::test::OwnJackServer server;
    ReceivingProgram session{"Session 1", "in"};
    bool listed = eventually([] { return destinationListed("Session 1"); });
    StandaloneMIDISender sender;
    std::unique_ptr<StandaloneEngineHost> host = test::makeDemoHost(sender);
};

// A note-on every sixteenth: the demo's pool on every step, a step a sixteenth long.
store::HostedAppPlayPayload sixteenths() {
    store::HostedAppPlayPayload payload = test::demoPayload();
    payload.resolutions = {16};
    std::fill(payload.gateSteps.begin(), payload.gateSteps.end(), 1);
    return payload;
}

struct PeriodCase {
    const char* name;
    int period;                 // the server's as it starts
    int changedTo = 0;          // the server's from after the output opened, when it changes
    int rate = 44'100;          // the server's frames a second; the application renders at 44.1 kHz whatever it is
    bool whilePlaying = false;  // the change comes after the first notes of every run, not before play
};

// Sets the server's period, as a user does with jack_bufsize, and waits until a cycle ran at it.
bool periodBecomes(const ReceivingProgram& session, int frames, int rate) {
    if (std::system(("jack_bufsize " + std::to_string(frames) + " >/dev/null").c_str()) != 0) return false;
    const auto period = std::chrono::microseconds(static_cast<std::int64_t>(1e6 * frames / rate));
    return eventually([&] { return session.period() == period; });
}

void PrintTo(const PeriodCase& c, std::ostream* os) { *os << c.name; }

class OutputPeriodTest : public StandaloneJackTest, public ::testing::WithParamInterface<PeriodCase> {};

// However long the server's cycles, every note-on lands on its frame of the sixteenth grid: a
// message reaches the cycle that holds its time only when the output had it before that cycle began.
TEST_P(OutputPeriodTest, EveryNoteOnLandsOnTheSixteenthGrid) {
    if (pulvan::test::ranInAProcessOfItsOwn()) return;  // on a server of its own
    const PeriodCase& c = GetParam();
    PlayingOnOwnServer rig("period", c.period, c.rate);
    ASSERT_TRUE(rig.ready());
    ReceivingProgram& session = rig.session;
    StandaloneEngineHost& host = *rig.host;
    const store::HostedAppPlayPayload payload = sixteenths();
    configureStandaloneAppPlay(host.audioUnit(), payload, {0});
    if (c.changedTo && !c.whilePlaying) {
        ASSERT_TRUE(periodBecomes(session, c.changedTo, c.rate)) << "the server kept its period";
    }
    constexpr std::size_t kNotes = 16;
    constexpr double kSixteenthFrames = 44'100 / 8.0;  // at 120 beats a minute
    constexpr double kTolerance = 2;                   // frames: the grid's half frames, and the port's rounding
    // A busy machine now and then holds the render thread or a client up for longer than any look-ahead
    // covers, and a note of that run comes late: it runs again. A look-ahead short of the period puts
    // notes off the grid in every run.
    std::vector<std::string> offGrid;
    for (int run = 0; run < 3 && (run == 0 || !offGrid.empty()); ++run) {
        offGrid.clear();
        // Every run starts at the shorter period, so that the host starts with the shorter look-ahead.
        if (c.whilePlaying) {
            ASSERT_TRUE(periodBecomes(session, c.period, c.rate)) << "the server kept its period";
        }
        const std::size_t before = session.arrivals().size();
        host.start();
        const std::int64_t anchor = host.anchorHostTime();
        std::vector<Arrival> ons;
        const auto playedSince = [&](std::int64_t from, std::size_t count) {
            return eventually(
                [&] {
                    const auto arrivals = session.arrivals();
                    ons.clear();
                    std::copy_if(arrivals.begin() + static_cast<std::ptrdiff_t>(before), arrivals.end(), std::back_inserter(ons),
                                 [&](const Arrival& a) { return noteOn(a) && a.at >= from; });
                    return ons.size() >= count;
                },
                10s);
        };
        std::int64_t from = 0;
        if (c.whilePlaying) {
            ASSERT_TRUE(playedSince(0, 3)) << "it never played";
            ASSERT_TRUE(periodBecomes(session, c.changedTo, c.rate)) << "the server kept its period";
            // Notes due within the first longer cycle were rendered before the host could know of it; from the next cycle on, none is.
            from = foundation::systemClock().nowNanoseconds() + 1'000'000'000LL * c.changedTo / c.rate;
        }
        const bool played = playedSince(from, kNotes);
        host.stop();
        ASSERT_TRUE(played) << "it never played " << kNotes << " notes";
        for (std::size_t i = 0; i < kNotes; ++i) {
            const double frames = static_cast<double>(ons[i].at - anchor) * 44'100 / 1e9;
            const double off = frames - std::round(frames / kSixteenthFrames) * kSixteenthFrames;
            if (std::abs(off) > kTolerance) {
                offGrid.push_back("run " + std::to_string(run) + ", note-on " + std::to_string(i) + ": " + std::to_string(off) + " frames");
            }
        }
    }
    EXPECT_TRUE(offGrid.empty()) << ::testing::PrintToString(offGrid);
}

INSTANTIATE_TEST_SUITE_P(
    Periods, OutputPeriodTest,
    ::testing::Values(PeriodCase{"Of256Frames", 256}, PeriodCase{"Of1024Frames", 1024}, PeriodCase{"Of2048Frames", 2048},
                      PeriodCase{"Of4096Frames", 4096}, PeriodCase{"ChangedFrom256To2048", 256, 2048},
                      PeriodCase{.name = "ChangedFrom256To2048WhilePlaying", .period = 256, .changedTo = 2048, .whilePlaying = true},
                      PeriodCase{"Of256FramesAt48kHz", 256, 0, 48'000}, PeriodCase{"Of1024FramesAt48kHz", 1024, 0, 48'000},
                      PeriodCase{"Of2048FramesAt48kHz", 2048, 0, 48'000}, PeriodCase{"Of4096FramesAt48kHz", 4096, 0, 48'000},
                      PeriodCase{"Of2048FramesAt22kHz", 2048, 0, 22'050}),
    [](const auto& info) { return std::string(info.param.name); });

// What starts and stops play: the engine host itself, or app play on a store as the
// application's play button does (app play off on the audio unit from the editor's
// thread first, then the host's stop).
class Player {
public:
    virtual ~Player() = default;
    virtual bool ready() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
};

class EngineHostPlayer final : public Player {
public:
    bool ready() const override { return host_ != nullptr; }
    void start() override { host_->start(); }
    void stop() override { host_->stop(); }

private:
    StandaloneMIDISender sender_;
    std::unique_ptr<StandaloneEngineHost> host_ = test::makeDemoHost(sender_);
};

class AppPlayPlayer final : public Player {
public:
    AppPlayPlayer() {
        model::Preset preset = model::defaultPreset();
        preset.tracks[0].patterns[0].lane(model::LaneKind::gate).steps.assign(64, 1);
        store_ = std::make_unique<store::SequencerStore>(
            store::StoreServices{main_.queue(), pasteboard_, foundation::UserDefaults::standard(),
                                 [this](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { sender_.send(s, d1, d2); }},
            std::move(preset));
        link_ = std::make_unique<StoreLink>(*store_);
        appPlay_ = std::make_unique<StandaloneAppPlay>(*link_, sender_, test::sequencerRegistry());
    }
    ~AppPlayPlayer() override {
        appPlay_.reset();
        link_.reset();
        store_.reset();
    }
    bool ready() const override { return true; }
    void start() override { appPlay_->startAppPlay(); }
    void stop() override { appPlay_->stopAppPlay(); }

private:
    pulvan::test::TempFolder home_;
    pulvan::test::ScopedEnvironment dataHome_{"XDG_DATA_HOME", (home_.path() / "data").string()};
    pulvan::test::ScopedEnvironment configHome_{"XDG_CONFIG_HOME", (home_.path() / "config").string()};
    foundation::ManualMainQueue main_;
    foundation::MemoryPasteboard pasteboard_;
    StandaloneMIDISender sender_;
    std::unique_ptr<store::SequencerStore> store_;
    std::unique_ptr<StoreLink> link_;
    std::unique_ptr<StandaloneAppPlay> appPlay_;
};

struct StopsCase {
    const char* name;
    std::function<std::unique_ptr<Player>()> make;
};

void PrintTo(const StopsCase& c, std::ostream* os) { *os << c.name; }

class RandomStopsTest : public StandaloneJackTest, public ::testing::WithParamInterface<StopsCase> {};

// Starts and stops at random moments, as a user does; after every stop nothing
// sounds until the next start, and every note that sounded got its note-off.
TEST_P(RandomStopsTest, NothingSoundsAfterAnyOfManyRandomStops) {
    ReceivingProgram session("Session 1", "in");
    ASSERT_TRUE(eventually([] { return destinationListed("Session 1"); }));
    const std::unique_ptr<Player> player = GetParam().make();
    ASSERT_TRUE(player->ready());
    std::mt19937 random(24);
    std::vector<std::size_t> heardByStop;  // what had arrived when the next start came
    for (int cycle = 0; cycle < 200; ++cycle) {
        player->start();
        // Up to a note and a half: stops fall before, on and after note-ons rendered ahead.
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30'000)(random)));
        player->stop();
        // The release leaves within a period or so; on a busy machine it is waited for, up to a bound.
        std::this_thread::sleep_for(20ms);
        eventually([&] { return stillSounding(session.arrivals()).empty(); }, 1s);
        heardByStop.push_back(session.arrivals().size());
    }
    std::this_thread::sleep_for(50ms);
    const auto arrivals = session.arrivals();
    ASSERT_TRUE(std::any_of(arrivals.begin(), arrivals.end(), noteOn)) << "it never played";
    for (std::size_t stop = 0; stop < heardByStop.size(); ++stop) {
        const std::vector<Arrival> heard(arrivals.begin(), arrivals.begin() + static_cast<std::ptrdiff_t>(heardByStop[stop]));
        ASSERT_TRUE(stillSounding(heard).empty()) << "a note sounds after stop " << stop;
    }
    // Only the copies of note-offs written once more for a listener that lagged may follow.
    const std::vector<Arrival> afterTheLastStop(arrivals.begin() + static_cast<std::ptrdiff_t>(heardByStop.back()), arrivals.end());
    EXPECT_TRUE(std::all_of(afterTheLastStop.begin(), afterTheLastStop.end(), noteOff)) << "something played after the last stop";
}

INSTANTIATE_TEST_SUITE_P(Stoppers, RandomStopsTest,
                         ::testing::Values(StopsCase{"EngineHost", [] { return std::make_unique<EngineHostPlayer>(); }},
                                           StopsCase{"AppPlay", [] { return std::make_unique<AppPlayPlayer>(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

// Quitting mid-play lets the host and then the sender go: every note ends before the client closes.
TEST_F(StandaloneJackTest, QuittingMidPlayEndsEveryNoteBeforeTheClientCloses) {
    ReceivingProgram session("Session 1", "in");
    ASSERT_TRUE(eventually([] { return destinationListed("Session 1"); }));
    std::mt19937 random(64);
    for (int quit = 0; quit < 12; ++quit) {
        auto sender = std::make_unique<StandaloneMIDISender>();
        auto host = test::makeDemoHost(*sender);
        ASSERT_NE(host, nullptr);
        host->start();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(20, 120)(random)));
        host.reset();
        sender.reset();
    }
    std::this_thread::sleep_for(20ms);
    const auto arrivals = session.arrivals();
    EXPECT_TRUE(std::any_of(arrivals.begin(), arrivals.end(), noteOn)) << "it never played";
    EXPECT_TRUE(stillSounding(arrivals).empty()) << "a note still sounds after quitting";
}

// The server's ports, each followed by the ports connected to it, as `jack_lsp -c` lists
// them: a program of its own with no port, so that nothing here offers a port to ours.
std::vector<std::string> jackListing() {
    std::vector<std::string> lines;
    // Bounded: libjack can hang in jack_lsp's own client close, and the next look lists again.
    FILE* listing = ::popen("timeout -s KILL 2 jack_lsp -c 2>/dev/null", "r");
    if (!listing) return lines;
    char line[512];
    while (std::fgets(line, sizeof line, listing)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        lines.push_back(std::move(text));
    }
    ::pclose(listing);
    return lines;
}

bool listsAll(const std::vector<std::string>& listing, const std::vector<std::string>& ports) {
    return std::ranges::all_of(ports, [&](const std::string& port) { return std::ranges::find(listing, port) != listing.end(); });
}

bool listsConnection(const std::vector<std::string>& listing, const std::string& from, const std::string& to) {
    const auto port = std::ranges::find(listing, from);
    for (auto line = port == listing.end() ? port : port + 1; line != listing.end() && line->starts_with("   "); ++line) {
        if (line->substr(3) == to) return true;
    }
    return false;
}

// A JACK server restarting with nobody else on it: the application's ports come back by
// themselves, before any other program appears, and the sender finds "Session 1" once it comes.
TEST_F(StandaloneJackTest, AfterTheServerRestartsEveryPortComesBackAloneAndTheSenderFindsSessionOne) {
    if (pulvan::test::ranInAProcessOfItsOwn()) return;  // on a server of its own
    midi::test::OwnJackServer server("comeback", 256);
    ASSERT_TRUE(server.started());
    const std::string senderPort = std::string(StandaloneMIDISender::kClientName) + ":" + StandaloneMIDISender::kPortName;
    const std::string receiverPort = std::string(StandaloneMIDIReceiver::kClientName) + ":" + StandaloneMIDIReceiver::kPortName;
    const std::string virtualPort = std::string(midi::kVirtualSourceName) + ":" + midi::kVirtualSourceName;
    const std::vector<std::string> ours = {senderPort, receiverPort, virtualPort};
    foundation::MainQueue main;
    StandaloneMIDISender sender;
    StandaloneMIDIReceiver receiver(main, [](int, bool) {});
    midi::SharedVirtualSource virtualSource;
    ASSERT_TRUE(eventually([&] { return listsAll(jackListing(), ours); }, 5s));

    ASSERT_TRUE(server.stop());
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(eventually([&] { return listsAll(jackListing(), ours); }, 5s)) << "a port is not back";

    ReceivingProgram session("Session 1", "in");
    EXPECT_TRUE(eventually([&] { return listsConnection(jackListing(), senderPort, "Session 1:in"); }, 5s))
        << "the sender is not connected to Session 1";
}

// Programs that show their ports a while before they take part (JACK refuses connections to them until
// then): the sender plays into the one that appears, and the receiver hears the one that appears.
TEST_F(StandaloneJackTest, AProgramThatTakesPartAWhileAfterItAppearsIsStillConnected) {
    if (pulvan::test::ranInAProcessOfItsOwn()) return;  // on a server of its own
    midi::test::OwnJackServer server("latecomer", 256);
    ASSERT_TRUE(server.started());
    const std::string senderPort = std::string(StandaloneMIDISender::kClientName) + ":" + StandaloneMIDISender::kPortName;
    const std::string receiverPort = std::string(StandaloneMIDIReceiver::kClientName) + ":" + StandaloneMIDIReceiver::kPortName;
    foundation::MainQueue main;
    StandaloneMIDISender sender;
    std::vector<int> heard;
    StandaloneMIDIReceiver receiver(main, [&](int note, bool on) {
        if (on) heard.push_back(note);
    });
    ASSERT_TRUE(eventually([&] { return listsAll(jackListing(), {senderPort, receiverPort}); }, 5s));

    ReceivingProgram session("Session 1", "in", 600ms);
    ASSERT_TRUE(session.open());
    EXPECT_TRUE(eventually([&] { return listsConnection(jackListing(), senderPort, "Session 1:in"); }, 3s))
        << "the sender is not connected to Session 1";
    EXPECT_TRUE(eventually(
        [&] {
            sender.send(0x90, 60, 100);
            return !session.arrivals().empty();
        },
        3s))
        << "nothing reached Session 1";

    auto keyboard = JackProgram::open("Keys", "out", JackProgram::Kind::source, 600ms);
    ASSERT_TRUE(keyboard);
    EXPECT_TRUE(pumpUntil(main, [&] {
        keyboard->play({0x90, 64, 90});
        return std::ranges::count(heard, 64) > 0;
    })) << "the keyboard is not heard";
}

// A process stopped for two seconds (a debugger, a suspended terminal, a machine that
// swaps) plays on when it goes on, on a server that runs its clients in real time as a
// desktop's does, holds up no program that joins the server afterwards, any more than a
// pause of any other program does, and still quits when asked.
TEST_F(StandaloneJackTest, APausedPlayerPlaysOnHoldsUpNoOtherProgramAndQuitsAfterwards) {
    if (pulvan::test::ranInAProcessOfItsOwn()) return;  // on a server of its own
    midi::test::OwnJackServer server("pause", 256, midi::test::OwnJackServer::Scheduling::realtime);
    ASSERT_TRUE(server.started());
    ReceivingProgram session("Session 1", "in");
    ASSERT_TRUE(eventually([] { return destinationListed("Session 1"); }));
    pulvan::test::ChildProcess player({PULVAN_DEMO_PLAYER});  // the demo playing in a process of its own
    ASSERT_TRUE(player.started());
    const auto noteOns = [&] {
        const auto arrivals = session.arrivals();
        return std::count_if(arrivals.begin(), arrivals.end(), noteOn);
    };
    ASSERT_TRUE(eventually([&] { return noteOns() > 0; }, 5s)) << "it never played";
    for (int pause = 0; pause < 4; ++pause) {
        player.signal(SIGSTOP);
        std::this_thread::sleep_for(2s);
        player.signal(SIGCONT);
        EXPECT_TRUE(server.admitsANewProgramWithin(1s)) << "a program that joins after pause " << pause << " waits";
        // What was sent ahead before the pause may still come; notes after it must follow.
        std::this_thread::sleep_for(250ms);
        const auto before = noteOns();
        EXPECT_TRUE(eventually([&] { return noteOns() > before; }, 1750ms)) << "no note after pause " << pause;
    }
    player.signal(SIGTERM);
    EXPECT_EQ(player.exitStatusWithin(5s), 0) << "it did not quit";
}

// Sending asks the JACK server nothing: while the server does not answer (the machine stalls it),
// the host renders on, slice after slice, and plays on once the server goes on.
TEST_F(StandaloneJackTest, TheHostRendersOnWhileTheServerDoesNotAnswer) {
    if (pulvan::test::ranInAProcessOfItsOwn()) return;  // on a server of its own
    PlayingOnOwnServer rig("stalled", 256);
    ASSERT_TRUE(rig.ready());
    rig.host->start();
    const auto noteOns = [&] {
        const auto arrivals = rig.session.arrivals();
        return std::count_if(arrivals.begin(), arrivals.end(), noteOn);
    };
    ASSERT_TRUE(eventually([&] { return noteOns() > 0; }, 5s)) << "it never played";

    ASSERT_TRUE(rig.server.pause());
    const std::int64_t rendered = rig.host->renderedFrames();
    // A second of play: eight notes and their note-offs sent on the render thread.
    EXPECT_TRUE(eventually([&] { return rig.host->renderedFrames() >= rendered + 44'100; }, 3s)) << "rendering waits on the server";
    ASSERT_TRUE(rig.server.resume());
    const auto before = noteOns();
    EXPECT_TRUE(eventually([&] { return noteOns() > before; }, 3s)) << "no note after the server went on";
    rig.host->stop();
}

TEST_F(StandaloneJackTest, ReceiverHearsAKeyboardNotesAndControlsButNotTheOwnVirtualSource) {
    auto keyboard = JackProgram::open("Test Keyboard", "out", JackProgram::Kind::source);
    ASSERT_NE(keyboard, nullptr);
    midi::SharedVirtualSource ownSource;
    ASSERT_TRUE(ownSource.isOpen());
    foundation::MainQueue main;
    std::vector<std::pair<int, bool>> notes;
    std::vector<std::pair<int, int>> controls;
    StandaloneMIDIReceiver receiver(
        main, [&](int note, bool isOn) { notes.emplace_back(note, isOn); },
        [&](int controller, int value) { controls.emplace_back(controller, value); });
    const auto connected = [&](const std::string& part) {
        for (const auto& source : receiver.connectedSources()) {
            if (source.displayName.find(part) != std::string::npos) return true;
        }
        return false;
    };
    ASSERT_TRUE(eventually([&] { return connected("Test Keyboard"); }));
    EXPECT_FALSE(connected(midi::kVirtualSourceName));

    const std::uint8_t fromUs[] = {0x90, 0x30, 0x64};
    ownSource.send(fromUs, 3);
    keyboard->play({0x90, 0x3C, 0x64});
    keyboard->play({0xB0, 0x14, 0x40});
    keyboard->play({0x80, 0x3C, 0x00});
    ASSERT_TRUE(pumpUntil(main, [&] { return notes.size() >= 2 && !controls.empty(); }));
    std::this_thread::sleep_for(50ms);
    main.pump();
    EXPECT_EQ(notes, (std::vector<std::pair<int, bool>>{{60, true}, {60, false}}));
    EXPECT_EQ(controls, (std::vector<std::pair<int, int>>{{20, 64}}));
}

struct SideBySideCase {
    const char* name;
    const char* destination;  // where the other application plays: listed after this one's input
};

void PrintTo(const SideBySideCase& c, std::ostream* os) { *os << c.name; }

class SideBySideTest : public StandaloneJackTest, public ::testing::WithParamInterface<SideBySideCase> {};

// Two applications on one server: this one hears a keyboard but not the other application, whether
// the other plays into "Session 1" or into the first destination listed.
TEST_P(SideBySideTest, AnApplicationHearsAKeyboardButNotAnotherApplication) {
    // Another process starting and playing, or quitting, in a sanitizer build on two busy cores.
    constexpr auto kOtherProcess = 30s;
    foundation::MainQueue main;
    std::vector<std::pair<int, bool>> notes;
    StandaloneMIDISender sender;  // the other application's clients then go by the server's suffixed names
    StandaloneMIDIReceiver receiver(main, [&](int note, bool isOn) { notes.emplace_back(note, isOn); });
    ReceivingProgram synth(GetParam().destination, "in");
    ASSERT_TRUE(synth.open());
    pulvan::test::ChildProcess other({PULVAN_DEMO_PLAYER});
    ASSERT_TRUE(other.started());
    const auto noteOns = [&] {
        const auto arrivals = synth.arrivals();
        return std::count_if(arrivals.begin(), arrivals.end(), noteOn);
    };
    ASSERT_TRUE(eventually([&] { return noteOns() > 0; }, kOtherProcess))
        << "the other application does not play into " << GetParam().destination;
    const auto listed = [](const std::vector<midi::Endpoint>& sources, const std::string& part) {
        return std::ranges::any_of(sources,
                                   [&](const midi::Endpoint& source) { return source.displayName.find(part) != std::string::npos; });
    };
    ASSERT_TRUE(eventually([&] { return listed(midi::sources(), StandaloneMIDISender::kClientName); }));
    // Comes once the other application's output is listed: the receiver's connecting anew that takes
    // the keyboard in has seen that output too.
    auto keyboard = JackProgram::open("Test Keyboard", "out", JackProgram::Kind::source);
    ASSERT_TRUE(keyboard);
    ASSERT_TRUE(eventually([&] { return listed(receiver.connectedSources(), "Test Keyboard"); }, 10s));
    EXPECT_FALSE(listed(receiver.connectedSources(), StandaloneMIDISender::kClientName)) << "the other application's output is connected";

    // Played again until heard: the receiver connects anew at each change of the setup, the keyboard's
    // own coming among them, and what is played meanwhile goes unheard.
    const auto heard = [&] { return std::find(notes.begin(), notes.end(), std::pair{1, false}) != notes.end(); };
    for (const auto deadline = std::chrono::steady_clock::now() + 10s; !heard() && std::chrono::steady_clock::now() < deadline;) {
        keyboard->play({0x90, 0x01, 0x64});
        keyboard->play({0x80, 0x01, 0x00});
        pumpUntil(main, heard, 100ms);
    }
    ASSERT_TRUE(heard()) << "the keyboard went unheard";
    const auto played = noteOns();
    ASSERT_TRUE(eventually([&] { return noteOns() >= played + 2; }, 10s)) << "the other application stopped playing";
    main.pump();
    EXPECT_TRUE(std::all_of(notes.begin(), notes.end(), [](const auto& note) { return note.first == 1; })) << "heard the other application";
    other.signal(SIGTERM);
    EXPECT_EQ(other.exitStatusWithin(kOtherProcess), 0);
}

INSTANTIATE_TEST_SUITE_P(Destinations, SideBySideTest,
                         ::testing::Values(SideBySideCase{"SessionOne", "Session 1"}, SideBySideCase{"TheFirstListed", "Synth"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Inside a plug-in host the host's own ports (its tracks' outputs) are not connected;
// another program's are, and the host's drain, not the receiver, brings control changes.
TEST_F(StandaloneJackTest, InAPluginHostTheReceiverHearsOtherProgramsOnly) {
    auto hostTrack = JackProgram::open("Host Track 1", "midi out", JackProgram::Kind::source);
    ASSERT_NE(hostTrack, nullptr);
    std::unique_ptr<FILE, int (*)(FILE*)> other(::popen(PULVAN_MIDI_JACK_PEER " source 'Other Keys' out 1500", "r"), ::pclose);
    char line[64];
    ASSERT_TRUE(other && std::fgets(line, sizeof line, other.get())) << "the other program did not start";
    foundation::MainQueue main;
    std::vector<std::pair<int, bool>> notes;
    int controls = 0;
    StandaloneMIDIReceiver receiver(
        main, [&](int note, bool isOn) { notes.emplace_back(note, isOn); }, [&](int, int) { ++controls; });
    receiver.setInPluginHost(true);
    const auto connected = [&](const std::string& part) {
        for (const auto& source : receiver.connectedSources()) {
            if (source.displayName.find(part) != std::string::npos) return true;
        }
        return false;
    };
    ASSERT_TRUE(eventually([&] { return connected("Other Keys"); }));
    EXPECT_FALSE(connected("Host Track 1")) << "the host's own track output is connected";
    hostTrack->play({0x90, 0x30, 0x64});
    hostTrack->play({0xB0, 0x14, 0x40});
    ASSERT_TRUE(pumpUntil(main, [&] { return !notes.empty(); })) << "the other program went unheard";
    std::this_thread::sleep_for(20ms);
    main.pump();
    for (const auto& [note, isOn] : notes) EXPECT_EQ(note, 60) << "heard the host's own track";
    EXPECT_EQ(controls, 0);

    receiver.setInPluginHost(false);  // the standalone application: every source but its own
    EXPECT_TRUE(connected("Host Track 1"));
}

}  // namespace
}  // namespace pulvan::link

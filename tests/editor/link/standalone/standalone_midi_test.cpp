#include <gtest/gtest.h>

#include "editor/link/standalone/standalone_midi_receiver.h"
#include "editor/link/standalone/standalone_midi_sender.h"
#include "platform/foundation/main_queue.h"
#include "platform/midi/client.h"
#include "platform/midi/loopback_backend.h"
#include "platform/midi/virtual_source.h"
#include "tests/platform/midi/message_recorder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <functional>
#include <map>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace pulvan::link {
namespace {

using midi::test::MessageRecorder;
using Bytes = std::vector<std::uint8_t>;

class LoopbackMIDITest : public ::testing::Test {
protected:
    std::shared_ptr<midi::LoopbackBackend> backend = std::make_shared<midi::LoopbackBackend>();
    midi::ScopedBackend installed{backend};

    std::string addRecordingDestination(const std::string& client, const std::string& port, MessageRecorder& recorder) {
        return backend->addDestination(client, port, recorder.handler());
    }
};

using StandaloneMIDISenderTest = LoopbackMIDITest;

TEST_F(StandaloneMIDISenderTest, SessionOneWinsOverAnEarlierDestination) {
    MessageRecorder synth, session;
    addRecordingDestination("Synth", "In", synth);
    addRecordingDestination("Session 1", "Session 1", session);
    StandaloneMIDISender sender;
    sender.send(0x90, 60, 100);
    ASSERT_EQ(session.waitFor(1).size(), 1u);
    EXPECT_EQ(session.waitFor(0)[0].bytes, (Bytes{0x90, 60, 100}));
    EXPECT_TRUE(synth.waitFor(0).empty());
}

TEST_F(StandaloneMIDISenderTest, DestinationIsChosenAgainForEveryMessage) {
    MessageRecorder synth, session;
    addRecordingDestination("Synth", "In", synth);
    StandaloneMIDISender sender;
    sender.send(0x90, 60, 100);
    ASSERT_EQ(synth.waitFor(1).size(), 1u);
    const std::string sessionAddress = addRecordingDestination("Session 1", "In", session);
    sender.send(0x80, 60, 0);
    ASSERT_EQ(session.waitFor(1).size(), 1u);
    backend->removeEndpoint(sessionAddress);
    sender.send(0x90, 62, 100);
    ASSERT_EQ(synth.waitFor(2).size(), 2u);
    EXPECT_EQ(synth.waitFor(0)[1].bytes, (Bytes{0x90, 62, 100}));
}

TEST_F(StandaloneMIDISenderTest, DropsWhatCannotBeSent) {
    StandaloneMIDISender sender;
    const std::uint8_t note[] = {0x90, 60, 100};
    EXPECT_FALSE(sender.sendMessage(note, midi::kSendNow)) << "no destination";
    MessageRecorder synth;
    addRecordingDestination("Synth", "In", synth);
    const std::uint8_t tooLong[] = {0x90, 60, 100, 0};
    EXPECT_FALSE(sender.sendMessage(tooLong, midi::kSendNow));
    EXPECT_FALSE(sender.sendMessage({}, midi::kSendNow));
    const std::uint8_t programChange[] = {0xC0, 5};
    EXPECT_TRUE(sender.sendMessage(programChange, midi::kSendNow));
    ASSERT_EQ(synth.waitFor(1).size(), 1u);
    EXPECT_EQ(synth.waitFor(0)[0].bytes, (Bytes{0xC0, 5}));
}

class StandaloneMIDIReceiverTest : public LoopbackMIDITest {
protected:
    foundation::ManualMainQueue main;
    std::vector<std::pair<int, bool>> notes;
    std::thread::id mainThread = std::this_thread::get_id();

    StandaloneMIDIReceiver::NoteHandler recordNotes() {
        return [this](int note, bool isOn) {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            notes.emplace_back(note, isOn);
        };
    }

    // The notes reach the main queue from the MIDI layer's thread; pump until they are in, with
    // the main queue's clock moving on as a real one would.
    void pumpUntil(std::size_t count) {
        pumpUntil([&] { return notes.size() >= count; });
    }
    void pumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            main.advanceSeconds(0.001);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    static bool connects(const StandaloneMIDIReceiver& receiver, const std::string& address) {
        for (const auto& source : receiver.connectedSources()) {
            if (source.address == address) return true;
        }
        return false;
    }
};

TEST_F(StandaloneMIDIReceiverTest, ConnectsEverySourceButTheOwnVirtualOneAndInAHostNoneOfTheHosts) {
    const std::string keyboard = backend->addSource("Keyboard", "Out");
    const std::string own = backend->addSource(midi::kVirtualSourceName, midi::kVirtualSourceName);
    const std::string renamed = backend->addSource("kez virtual port", "kez virtual port");
    const std::string hostTrack = backend->addSource("Host", "Track 1 MIDI Out", true);
    StandaloneMIDIReceiver receiver(main.queue(), recordNotes());
    EXPECT_TRUE(connects(receiver, keyboard));
    EXPECT_FALSE(connects(receiver, own));
    EXPECT_FALSE(connects(receiver, renamed));
    EXPECT_TRUE(connects(receiver, hostTrack)) << "standalone, a port of our own process is another program's";
    receiver.setInPluginHost(true);
    EXPECT_TRUE(connects(receiver, keyboard));
    EXPECT_FALSE(connects(receiver, hostTrack)) << "the host's own track is heard";
}

TEST_F(StandaloneMIDIReceiverTest, NotesArriveOnTheMainQueueOnly) {
    const std::string keyboard = backend->addSource("Keyboard", "Out");
    StandaloneMIDIReceiver receiver(main.queue(), recordNotes());
    backend->sendFromSource(keyboard, Bytes{0x90, 0x3C, 0x64});
    backend->sendFromSource(keyboard, Bytes{0x3E, 0x00});  // running status across messages
    backend->sendFromSource(keyboard, Bytes{0xB0, 0x07, 0x64});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(notes.empty()) << "no state may change before the main queue runs";
    pumpUntil(2);
    EXPECT_EQ(notes, (std::vector<std::pair<int, bool>>{{60, true}, {62, false}}));
}

TEST_F(StandaloneMIDIReceiverTest, ASourceAddedLaterIsConnected) {
    StandaloneMIDIReceiver receiver(main.queue(), recordNotes());
    const std::string keyboard = backend->addSource("Late Keyboard", "Out");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!connects(receiver, keyboard) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(connects(receiver, keyboard));
    backend->sendFromSource(keyboard, Bytes{0x90, 0x40, 0x01});
    pumpUntil(1);
    EXPECT_EQ(notes, (std::vector<std::pair<int, bool>>{{64, true}}));
}

TEST_F(StandaloneMIDIReceiverTest, NotesPostedBeforeTheReceiverWentAreDropped) {
    const std::string keyboard = backend->addSource("Keyboard", "Out");
    auto receiver = std::make_unique<StandaloneMIDIReceiver>(main.queue(), recordNotes());
    backend->sendFromSource(keyboard, Bytes{0x90, 0x3C, 0x64});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    receiver.reset();
    main.drain();
    EXPECT_TRUE(notes.empty());
}

// A keyboard played from another thread faster than the main queue takes it: the main queue
// ends with the keys still held, and what a hand plays afterwards comes whole and in order.
TEST_F(StandaloneMIDIReceiverTest, AfterAFloodTheKeysStillHeldArriveAndThenEveryNoteInOrder) {
    const std::string keyboard = backend->addSource("Keyboard", "Out");
    std::set<int> held;
    StandaloneMIDIReceiver receiver(
        main.queue(),
        [&](int note, bool isOn) {
            notes.emplace_back(note, isOn);
            if (isOn) {
                held.insert(note);
            } else {
                held.erase(note);
            }
        },
        {},
        [&](const IncomingMIDIBacklog::HeldKeys& keys) {
            held.clear();
            for (int note = 0; note < 128; ++note)
                if (keys[static_cast<std::size_t>(note)]) held.insert(note);
        });
    std::atomic<bool> flooding = true;
    std::thread flood([&] {
        for (int i = 0; i < 50'000; ++i) {
            const auto note = static_cast<std::uint8_t>(60 + i % 24);
            backend->sendFromSource(keyboard, Bytes{0x90, note, 0x64, note, 0x00});
        }
        backend->sendFromSource(keyboard, Bytes{0x90, 0x30, 0x64, 0x34, 0x64, 0x30, 0x00});
        flooding = false;
    });
    while (flooding.load()) main.advanceSeconds(0.01);
    flood.join();
    // The MIDI layer's thread may still be reading; 48 and 52 come last.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (held != std::set<int>{52} && std::chrono::steady_clock::now() < deadline) {
        main.advanceSeconds(0.01);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(held, (std::set<int>{52}));

    const std::size_t before = notes.size();
    backend->sendFromSource(keyboard, Bytes{0x90, 0x40, 0x64, 0x40, 0x00, 0x90, 0x40, 0x64, 0x41, 0x64});
    pumpUntil(before + 4);
    const std::vector<std::pair<int, bool>> played(notes.begin() + static_cast<std::ptrdiff_t>(before), notes.end());
    EXPECT_EQ(played, (std::vector<std::pair<int, bool>>{{64, true}, {64, false}, {64, true}, {65, true}}));
}

// The MIDI system lost messages on the way in and hands on the notes held at the port: from there
// the pool counts each key once per channel holding it, as it counts note-ons.
struct HandOnCase {
    const char* name;
    std::vector<std::pair<int, int>> held;  // channel, note
    Bytes after;                            // one note, played after the loss
    std::map<int, int> counted;             // key, note-ons counted
    bool atOnce = false;                    // the note follows the loss before the pool took what it left
};

void PrintTo(const HandOnCase& c, std::ostream* os) { *os << c.name; }

class ReceiverHandOnTest : public StandaloneMIDIReceiverTest, public ::testing::WithParamInterface<HandOnCase> {};

TEST_P(ReceiverHandOnTest, ThePoolCountsEachKeyOncePerChannelHoldingIt) {
    const std::string keyboard = backend->addSource("Keyboard", "Out");
    std::map<int, int> counts;
    int handOns = 0;
    StandaloneMIDIReceiver receiver(
        main.queue(),
        [&](int note, bool isOn) {
            notes.emplace_back(note, isOn);
            if (isOn) {
                ++counts[note];
            } else if (--counts[note] <= 0) {
                counts.erase(note);
            }
        },
        {},
        [&](const IncomingMIDIBacklog::HeldKeys& held) {
            ++handOns;
            counts.clear();
            for (int note = 0; note < 128; ++note)
                if (held[static_cast<std::size_t>(note)]) counts[note] = static_cast<int>(held[static_cast<std::size_t>(note)]);
        });
    backend->sendFromSource(keyboard, Bytes{0x90, 48, 100});  // released among the messages lost
    midi::NoteSet held;
    for (const auto& [channel, note] : GetParam().held) held.add(channel, note);
    ASSERT_TRUE(backend->loseFromSource(keyboard, held));
    if (GetParam().atOnce) {
        // Another program's input on the keyboard: once it hears a message, the receiver had every one sent before it.
        midi::Client probeClient("Probe");
        MessageRecorder probed;
        midi::InputPort probe(probeClient, "In", probed.handler());
        ASSERT_TRUE(probe.connectSource(backend->sources().front()));
        backend->sendFromSource(keyboard, GetParam().after);
        backend->sendFromSource(keyboard, Bytes{0xFE});  // active sensing, which the receiver passes over
        ASSERT_EQ(probed.waitFor(2).size(), 2u);
        pumpUntil([&] { return handOns == 1; });
    } else {
        pumpUntil([&] { return handOns == 1; });
        backend->sendFromSource(keyboard, GetParam().after);  // once the receiver caught up, as a note of its own
        pumpUntil(2);
        ASSERT_EQ(notes.size(), 2u);
    }
    EXPECT_EQ(counts, GetParam().counted);
}

INSTANTIATE_TEST_SUITE_P(
    Losses, ReceiverHandOnTest,
    ::testing::Values(HandOnCase{"AKeyHeldOnTwoChannelsSurvivesOneRelease", {{0, 60}, {1, 60}}, {0x80, 60, 0}, {{60, 1}}},
                      HandOnCase{"TheKeysHeldOnTheLastChannelReplaceWhatWasCounted", {{15, 64}}, {0x91, 69, 100}, {{64, 1}, {69, 1}}},
                      // Taken with the keys the loss left, on the channel that holds the key.
                      HandOnCase{"AReleaseOnChannelTwoRightAfterTheLossLeavesNoKeyHeld", {{1, 60}}, {0x81, 60, 0}, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Notes spread over time at a thousand a second reach the main queue in runs at least the spacing
// apart, each run followed once by the notes-taken handler; every note still comes, in order.
TEST_F(StandaloneMIDIReceiverTest, EvenlySpreadNotesComeInSpacedRunsEachFollowedOnceByNotesTaken) {
    const std::string keyboard = backend->addSource("Keyboard", "Out");
    const auto now = [this] { return main.queue().clock().nowNanoseconds(); };
    std::vector<std::int64_t> handedOnAt, notesTakenAt;
    StandaloneMIDIReceiver receiver(
        main.queue(),
        [&](int note, bool isOn) {
            notes.emplace_back(note, isOn);
            handedOnAt.push_back(now());
        },
        {}, {}, [&] { notesTakenAt.push_back(now()); });
    std::vector<std::pair<int, bool>> sent;
    for (int i = 0; i < 100; ++i) {
        const auto note = static_cast<std::uint8_t>(40 + i % 30);
        const bool on = i % 2 == 0;
        backend->sendFromSource(keyboard, Bytes{static_cast<std::uint8_t>(on ? 0x90 : 0x80), note, 0x40});
        sent.emplace_back(note, on);
        std::this_thread::sleep_for(std::chrono::microseconds(300));  // the MIDI layer's thread reads it meanwhile
        main.advanceSeconds(0.001);
    }
    pumpUntil(sent.size());
    EXPECT_EQ(notes, sent);

    std::vector<std::int64_t> runs = handedOnAt;
    runs.erase(std::unique(runs.begin(), runs.end()), runs.end());
    EXPECT_EQ(notesTakenAt, runs) << "once after each run that handed on notes";
    std::int64_t closest = INT64_MAX;
    for (std::size_t i = 1; i < runs.size(); ++i) closest = std::min(closest, runs[i] - runs[i - 1]);
    EXPECT_GE(closest, StandaloneMIDIReceiver::kRunSpacingNanoseconds) << "the closest two of " << runs.size() << " runs";
}

}  // namespace
}  // namespace pulvan::link

#include "tests/support/engine_harness.h"

#include "engine/block_processing.h"

#include <algorithm>
#include <map>

namespace pulvan::engine::test {
namespace layout = config_layout;

ConfigBuilder::ConfigBuilder() {
    words_[layout::kMagicWord] = layout::kMagic;
    trackCount(1).swing(50);
    for (int t = 0; t < kTrackCount; ++t) {
        perTrack(layout::kResolutions, t, 16).perTrack(layout::kChannels, t, 1).laneLengths(t, 16);
        perTrack(layout::kCcANumbers, t, 1).perTrack(layout::kCcBNumbers, t, 2);
        perTrack(layout::kPortamentoOnValues, t, 127).perTrack(layout::kFillModes, t, 1);
        allSteps(layout::kVelocitySteps, t, 100).allSteps(layout::kLengthSteps, t, 50);
        allSteps(layout::kNoteStepChordCounts, t, 1);
    }
}

ConfigBuilder& ConfigBuilder::pool(std::initializer_list<int> notes) {
    std::copy(notes.begin(), notes.end(), words_.begin() + layout::kNotePool);
    return set(layout::kNotePoolCount, static_cast<int>(notes.size()));
}

ConfigBuilder& ConfigBuilder::allSteps(int base, int track, int value) {
    for (int s = 0; s < kStepsPerLane; ++s) perStep(base, track, s, value);
    return *this;
}

ConfigBuilder& ConfigBuilder::laneLengths(int track, int length) {
    for (int base :
         {layout::kLastSteps, layout::kTieLastSteps, layout::kNotesLastSteps, layout::kOctaveLastSteps, layout::kVelocityLastSteps,
          layout::kLengthLastSteps, layout::kProbabilityLastSteps, layout::kCcALastSteps, layout::kCcBLastSteps})
        perTrack(base, track, length);
    return *this;
}

ConfigBuilder& ConfigBuilder::chord(int track, int step, const std::vector<int>& values) {
    std::copy(values.begin(), values.end(), words_.begin() + layout::chordValueWord(track, step, 0));
    return perStep(layout::kNoteStepChordCounts, track, step, static_cast<int>(values.size()));
}

ConfigBuilder& ConfigBuilder::gates(int track, std::initializer_list<int> steps) {
    for (int s : steps) perStep(layout::kGateSteps, track, s, 1);
    return *this;
}

EngineSnapshot ConfigBuilder::decoded() const {
    auto snapshot = std::make_unique<EngineSnapshot>();
    decodeConfigBuffer(words_.data(), *snapshot);
    return *snapshot;
}

EngineDriver::EngineDriver() : engine_(std::make_unique<SequencerEngine>()) {}

double EngineDriver::blockQN() const { return blockLengthQN(tempo, blockSize, sampleRate); }

std::vector<CollectedEvent> EngineDriver::block(double position, bool playing) {
    SequencerEngine& e = *engine_;
    beginBlock(e);
    if (playing) renderPlaying(e, tempo, position, blockQN(), sampleRate, barLength);
    else renderStopped(e);
    std::vector<CollectedEvent> out;
    for (int i = 0; i < e.events.count; ++i) {
        const EngineEvent& ev = e.events.events[i];
        const int sample = playing ? eventSampleOffset(ev.time, position, tempo, sampleRate, blockSize) : 0;
        out.push_back({ev.time, ev.track, ev.kind, ev.channel, ev.data1, ev.data2, sample, blocksRun_});
    }
    overflowedBlocks += e.events.overflow;
    e.events.clear();
    ++blocksRun_;
    nextPosition_ = position + blockQN();
    return out;
}

std::vector<CollectedEvent> EngineDriver::playUntil(double start, double end) {
    std::vector<CollectedEvent> all;
    for (int i = 0; start + i * blockQN() <= end; ++i) {
        auto events = block(start + i * blockQN());
        all.insert(all.end(), events.begin(), events.end());
    }
    return all;
}

void EngineDriver::push(const ConfigBuilder& config) { applyConfigBuffer(*engine_, config.data(), config.size()); }

std::vector<CollectedEvent> ofKind(const std::vector<CollectedEvent>& events, int kind) {
    std::vector<CollectedEvent> out;
    std::copy_if(events.begin(), events.end(), std::back_inserter(out), [kind](const auto& e) { return e.kind == kind; });
    return out;
}

std::vector<CollectedEvent> ofTrack(const std::vector<CollectedEvent>& events, int track) {
    std::vector<CollectedEvent> out;
    std::copy_if(events.begin(), events.end(), std::back_inserter(out), [track](const auto& e) { return e.track == track; });
    return out;
}

std::vector<int> soundingNotes(const std::vector<CollectedEvent>& events) {
    std::map<int, int> count;
    for (const auto& e : events) {
        const int key = e.channel << 8 | e.data1;
        if (e.kind == kEventNoteOn && e.data2 > 0) ++count[key];
        else if (e.kind == kEventNoteOn || e.kind == kEventNoteOff) count[key] = 0;
    }
    std::vector<int> out;
    for (auto [key, n] : count)
        if (n > 0) out.push_back(key);
    return out;
}

}  // namespace pulvan::engine::test

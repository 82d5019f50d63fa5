#pragma once
#include "engine/config_buffer.h"
#include "engine/sequencer_engine.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace pulvan::engine::test {

// Builds configuration buffers: one track at rate 16, 16-step lanes, channel 1, velocity 100,
// length 50, one chord value per step, every gate off.
class ConfigBuilder {
public:
    ConfigBuilder();
    ConfigBuilder& trackCount(int count) { return set(config_layout::kTrackCount, count); }
    ConfigBuilder& swing(int percent) { return set(config_layout::kSwingPercent, percent); }
    ConfigBuilder& pool(std::initializer_list<int> notes);
    ConfigBuilder& perTrack(int base, int track, int value) { return set(config_layout::trackWord(base, track), value); }
    ConfigBuilder& perStep(int base, int track, int step, int value) { return set(config_layout::stepWord(base, track, step), value); }
    ConfigBuilder& allSteps(int base, int track, int value);
    ConfigBuilder& laneLengths(int track, int length);  // all nine last steps
    ConfigBuilder& chord(int track, int step, const std::vector<int>& values);
    ConfigBuilder& gates(int track, std::initializer_list<int> steps);

    const std::int32_t* data() const { return words_.data(); }
    std::int32_t size() const { return static_cast<std::int32_t>(words_.size()); }
    EngineConfigBuffer& words() { return words_; }
    EngineSnapshot decoded() const;

private:
    ConfigBuilder& set(int word, int value) {
        words_[word] = value;
        return *this;
    }
    EngineConfigBuffer words_{};
};

struct CollectedEvent {
    double time;
    int track;
    int kind;
    int channel;
    int data1;
    int data2;
    int sample;  // offset inside its block
    int block;   // index of the block that produced it
};

// Drives an engine block by block as a front end does and collects the events.
class EngineDriver {
public:
    EngineDriver();
    SequencerEngine& engine() { return *engine_; }

    double tempo = 120.0;
    double sampleRate = 48000.0;
    int blockSize = 512;
    double barLength = 4.0;
    int overflowedBlocks = 0;  // blocks whose event buffer had to drop an event

    double blockQN() const;
    // One block: beginBlock, then renderPlaying or renderStopped; events collected and cleared.
    std::vector<CollectedEvent> block(double position, bool playing = true);
    // Contiguous playing blocks from `start` until the block containing `end`.
    std::vector<CollectedEvent> playUntil(double start, double end);
    // The playing block that continues the previous one.
    std::vector<CollectedEvent> next() { return block(nextPosition_); }
    std::vector<CollectedEvent> stop() { return block(0.0, false); }
    void push(const ConfigBuilder& config);

private:
    std::unique_ptr<SequencerEngine> engine_;
    int blocksRun_ = 0;
    double nextPosition_ = 0.0;
};

std::vector<CollectedEvent> ofKind(const std::vector<CollectedEvent>& events, int kind);
std::vector<CollectedEvent> ofTrack(const std::vector<CollectedEvent>& events, int track);
// Notes still sounding after the events (note-ons minus note-offs), as (channel << 8 | note).
std::vector<int> soundingNotes(const std::vector<CollectedEvent>& events);

}  // namespace pulvan::engine::test

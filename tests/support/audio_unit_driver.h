#pragma once
#include "audiounit/pulvan_audio_unit.h"
#include "tests/support/engine_harness.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace pulvan::au::test {

using engine::test::ConfigBuilder;
namespace layout = engine::config_layout;

// The configure arguments read straight out of a configuration buffer: both carry the same
// arrays in the same order (the buffer must outlive the arguments, a call with them is enough).
AppPlayArguments argumentsFrom(const ConfigBuilder& config);

// A fixed note on one step (gate on, FIX on, a one-note chord); fixed values count from middle C.
ConfigBuilder& fixedNote(ConfigBuilder& config, int track, int step, int note);

struct SentMessage {
    std::int64_t sampleTime;  // kEventSampleTimeImmediate for immediate messages
    std::uint8_t status, data1, data2;
    double beat;  // the host beat the sample time stands for; the block's beat when immediate

    bool immediate() const { return sampleTime == kEventSampleTimeImmediate; }
    bool noteOn() const { return (status & 0xF0) == 0x90 && data2 != 0; }
    bool noteOff() const { return (status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && data2 == 0); }
};

// Hosts a PulvanAudioUnit as a host does: installs the three host blocks, fetches the render
// block, enables app play and calls the block block by block, collecting what the unit sends. The MIDI output block only
// appends to preallocated storage, so rendering can be checked for allocations.
class AudioUnitDriver {
public:
    explicit AudioUnitDriver(double sampleRate = 48000.0, std::uint32_t frames = 512);

    PulvanAudioUnit& unit() { return *unit_; }
    void configure(const ConfigBuilder& config) { unit_->configureAppPlay(argumentsFrom(config)); }

    double tempo = 120.0;
    double numerator = 4.0;
    std::int64_t denominator = 4;
    bool moving = true;
    const RenderEvent* hostEvents = nullptr;

    // Fetches a new render block, taking the host blocks as they are now; without `withOutput`,
    // the unit gets no MIDI output block.
    void makeRenderBlock(bool withOutput = true);

    double blockQN() const { return frames_ * tempo / 60.0 / sampleRate_; }
    std::uint32_t frames() const { return frames_; }
    std::int64_t sampleTime() const { return sampleTime_; }
    // The beat the next block starts on when the host has played on from beat 0 at this tempo.
    double nextBeat() const { return static_cast<double>(sampleTime_) * tempo / 60.0 / sampleRate_; }

    // One block starting at `beat`; the sample clock advances by one block either way.
    void render(double beat);
    std::vector<SentMessage> block(double beat);
    // Contiguous blocks from `start` up to and including the block that contains `end`.
    std::vector<SentMessage> playUntil(double start, double end);
    std::vector<SentMessage> stop();  // one block with the transport stopped
    std::vector<SentMessage> take();

private:
    double sampleRate_;
    std::uint32_t frames_;
    std::unique_ptr<PulvanAudioUnit> unit_;
    RenderBlock render_;
    std::vector<SentMessage> sent_;
    std::int64_t sampleTime_ = 0;
    double blockBeat_ = 0.0;
    std::int64_t blockSampleTime_ = 0;
};

std::vector<SentMessage> noteOns(const std::vector<SentMessage>& messages);
std::vector<SentMessage> noteOffs(const std::vector<SentMessage>& messages);
// Notes still sounding after the messages, as (channel << 8 | note).
std::vector<int> soundingNotes(const std::vector<SentMessage>& messages);

}  // namespace pulvan::au::test

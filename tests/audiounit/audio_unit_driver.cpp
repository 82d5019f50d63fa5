#include "tests/audiounit/audio_unit_driver.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

namespace pulvan::au::test {

AppPlayArguments argumentsFrom(const ConfigBuilder& config) {
    const std::int32_t* w = config.data();
    auto tracks = [w](int base) { return AppPlayArguments::Numbers(w + base, kTrackCount); };
    auto steps = [w](int base) { return AppPlayArguments::Numbers(w + base, kTrackSteps); };
    AppPlayArguments a;
    a.trackCount = w[layout::kTrackCount];
    a.resolutions = tracks(layout::kResolutions);
    a.channels = tracks(layout::kChannels);
    a.trackMutes = tracks(layout::kTrackMutes);
    a.ccANumbers = tracks(layout::kCcANumbers);
    a.ccBNumbers = tracks(layout::kCcBNumbers);
    a.portamentoCCs = tracks(layout::kPortamentoCCs);
    a.portamentoOnValues = tracks(layout::kPortamentoOnValues);
    a.portamentoOffValues = tracks(layout::kPortamentoOffValues);
    a.lastSteps = tracks(layout::kLastSteps);
    a.directions = tracks(layout::kDirections);
    a.tieLastSteps = tracks(layout::kTieLastSteps);
    a.notesLastSteps = tracks(layout::kNotesLastSteps);
    a.octaveLastSteps = tracks(layout::kOctaveLastSteps);
    a.velocityLastSteps = tracks(layout::kVelocityLastSteps);
    a.lengthLastSteps = tracks(layout::kLengthLastSteps);
    a.probabilityLastSteps = tracks(layout::kProbabilityLastSteps);
    a.ccALastSteps = tracks(layout::kCcALastSteps);
    a.ccBLastSteps = tracks(layout::kCcBLastSteps);
    a.gateSteps = steps(layout::kGateSteps);
    a.tieSteps = steps(layout::kTieSteps);
    a.notesSteps = steps(layout::kNotesSteps);
    a.noteStepChordCounts = steps(layout::kNoteStepChordCounts);
    a.noteStepChordValues = AppPlayArguments::Numbers(w + layout::kNoteStepChordValues, kTrackSteps * kMaxChordValues);
    a.octaveSteps = steps(layout::kOctaveSteps);
    a.velocitySteps = steps(layout::kVelocitySteps);
    a.lengthSteps = steps(layout::kLengthSteps);
    a.probabilitySteps = steps(layout::kProbabilitySteps);
    a.ccASteps = steps(layout::kCcASteps);
    a.ccBSteps = steps(layout::kCcBSteps);
    a.fillModes = tracks(layout::kFillModes);
    a.fixSteps = steps(layout::kFixSteps);
    a.trackOctaves = tracks(layout::kTrackOctaves);
    a.trackTransposes = tracks(layout::kTrackTransposes);
    a.outputChordCounts = tracks(layout::kOutputChordCounts);
    a.outputChordIntervals = AppPlayArguments::Numbers(w + layout::kOutputChordIntervals, kTrackCount * kMaxOutputChordIntervals);
    a.notePool = AppPlayArguments::Numbers(w + layout::kNotePool, static_cast<std::size_t>(std::clamp(w[layout::kNotePoolCount], 0, 128)));
    a.swingPercent = w[layout::kSwingPercent];
    return a;
}

ConfigBuilder& fixedNote(ConfigBuilder& config, int track, int step, int note) {
    config.perStep(layout::kGateSteps, track, step, 1).perStep(layout::kFixSteps, track, step, 1);
    return config.perStep(layout::kNotesSteps, track, step, note - 60).chord(track, step, {note - 60});
}

bool SentMessage::immediate() const { return sampleTime == kEventSampleTimeImmediate; }

AudioUnitDriver::AudioUnitDriver(double sampleRate, std::uint32_t frames) : sampleRate_(sampleRate), frames_(frames) {
    std::string error;
    unit_ = PulvanAudioUnit::create(PulvanAudioUnit::kComponentDescription, 0, error);
    if (!unit_) throw std::runtime_error(error);
    unit_->outputBus().setFormat({sampleRate, 2});
    unit_->allocateRenderResources(nullptr);
    unit_->setAppPlayEnabled(true);  // as the engine link does before play
    sent_.reserve(1 << 16);
    makeRenderBlock();
}

void AudioUnitDriver::makeRenderBlock(bool withMusicalContext, bool withOutput) {
    if (withMusicalContext) {
        unit_->setMusicalContextBlock([this](double* tempo, double* numerator, std::int64_t* denominator, double* beat,
                                             std::int64_t* offsetToNextBeat, double* downbeat) {
            if (tempo) *tempo = this->tempo;
            if (numerator) *numerator = this->numerator;
            if (denominator) *denominator = this->denominator;
            if (beat) *beat = blockBeat_;
            if (offsetToNextBeat) *offsetToNextBeat = 0;
            if (downbeat) *downbeat = 0.0;
            return true;
        });
    } else {
        unit_->setMusicalContextBlock(nullptr);
    }
    unit_->setTransportStateBlock([this](TransportStateFlags* flags, double* samplePosition, double*, double*) {
        if (flags) *flags = moving ? kHostTransportStateMoving : 0;
        if (samplePosition) *samplePosition = static_cast<double>(blockSampleTime_);
        return true;
    });
    if (withOutput) {
        unit_->setMIDIOutputEventBlock([this](std::int64_t sampleTime, std::uint8_t, std::int64_t length, const std::uint8_t* bytes) {
            if (length != 3 || sent_.size() == sent_.capacity()) return 0;
            const bool immediate = sampleTime == kEventSampleTimeImmediate;
            const double beat = immediate ? blockBeat_
                                          : blockBeat_ + static_cast<double>(sampleTime - blockSampleTime_) * tempo / 60.0 / sampleRate_;
            sent_.push_back({sampleTime, bytes[0], bytes[1], bytes[2], beat, blockIndex_});
            return 0;
        });
    } else {
        unit_->setMIDIOutputEventBlock(nullptr);
    }
    render_ = unit_->internalRenderBlock();
}

void AudioUnitDriver::render(double beat) {
    blockBeat_ = beat;
    blockSampleTime_ = sampleTime_;
    AudioTimeStamp timestamp{static_cast<double>(sampleTime_), 0, kAudioTimeStampSampleTimeValid};
    AudioBufferList buffers{1, {{2, 0, nullptr}}};
    RenderActionFlags flags = 0;
    render_(&flags, timestamp, frames_, 0, &buffers, hostEvents, nullptr);
    sampleTime_ += frames_;
    ++blockIndex_;
}

std::vector<SentMessage> AudioUnitDriver::take() {
    std::vector<SentMessage> taken(sent_.begin(), sent_.end());
    sent_.clear();
    return taken;
}

std::vector<SentMessage> AudioUnitDriver::block(double beat) {
    render(beat);
    return take();
}

std::vector<SentMessage> AudioUnitDriver::play(double start, int count) {
    for (int i = 0; i < count; ++i) render(start + i * blockQN());
    return take();
}

std::vector<SentMessage> AudioUnitDriver::playUntil(double start, double end) {
    int count = 1;
    while (start + count * blockQN() <= end) ++count;
    return play(start, count);
}

std::vector<SentMessage> AudioUnitDriver::stop() {
    moving = false;
    auto sent = block(0.0);
    moving = true;
    return sent;
}

std::vector<SentMessage> noteOns(const std::vector<SentMessage>& messages) {
    std::vector<SentMessage> found;
    std::copy_if(messages.begin(), messages.end(), std::back_inserter(found), [](const SentMessage& m) { return m.noteOn(); });
    return found;
}

std::vector<SentMessage> noteOffs(const std::vector<SentMessage>& messages) {
    std::vector<SentMessage> found;
    std::copy_if(messages.begin(), messages.end(), std::back_inserter(found), [](const SentMessage& m) { return m.noteOff(); });
    return found;
}

std::vector<int> soundingNotes(const std::vector<SentMessage>& messages) {
    std::map<int, int> count;
    for (const SentMessage& m : messages) {
        const int key = (m.status & 0x0F) << 8 | m.data1;
        if (m.noteOn()) ++count[key];
        if (m.noteOff()) count[key] = std::max(0, count[key] - 1);
    }
    std::vector<int> sounding;
    for (const auto& [key, n] : count) {
        if (n > 0) sounding.push_back(key);
    }
    return sounding;
}

}  // namespace pulvan::au::test

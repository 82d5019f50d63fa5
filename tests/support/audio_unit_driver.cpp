#include "tests/support/audio_unit_driver.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace pulvan::au::test {

AppPlayArguments argumentsFrom(const ConfigBuilder& config) {
    using A = AppPlayArguments;
    struct Field {
        A::Numbers A::*numbers;
        int base;
        std::size_t count;
    };
    constexpr std::size_t tracks = kTrackCount, steps = kTrackSteps;
    const std::int32_t* w = config.data();
    const Field fields[] = {
        {&A::resolutions, layout::kResolutions, tracks},
        {&A::channels, layout::kChannels, tracks},
        {&A::trackMutes, layout::kTrackMutes, tracks},
        {&A::ccANumbers, layout::kCcANumbers, tracks},
        {&A::ccBNumbers, layout::kCcBNumbers, tracks},
        {&A::portamentoCCs, layout::kPortamentoCCs, tracks},
        {&A::portamentoOnValues, layout::kPortamentoOnValues, tracks},
        {&A::portamentoOffValues, layout::kPortamentoOffValues, tracks},
        {&A::lastSteps, layout::kLastSteps, tracks},
        {&A::directions, layout::kDirections, tracks},
        {&A::tieLastSteps, layout::kTieLastSteps, tracks},
        {&A::notesLastSteps, layout::kNotesLastSteps, tracks},
        {&A::octaveLastSteps, layout::kOctaveLastSteps, tracks},
        {&A::velocityLastSteps, layout::kVelocityLastSteps, tracks},
        {&A::lengthLastSteps, layout::kLengthLastSteps, tracks},
        {&A::probabilityLastSteps, layout::kProbabilityLastSteps, tracks},
        {&A::ccALastSteps, layout::kCcALastSteps, tracks},
        {&A::ccBLastSteps, layout::kCcBLastSteps, tracks},
        {&A::fillModes, layout::kFillModes, tracks},
        {&A::trackOctaves, layout::kTrackOctaves, tracks},
        {&A::trackTransposes, layout::kTrackTransposes, tracks},
        {&A::outputChordCounts, layout::kOutputChordCounts, tracks},
        {&A::outputChordIntervals, layout::kOutputChordIntervals, tracks * kMaxOutputChordIntervals},
        {&A::gateSteps, layout::kGateSteps, steps},
        {&A::tieSteps, layout::kTieSteps, steps},
        {&A::notesSteps, layout::kNotesSteps, steps},
        {&A::fixSteps, layout::kFixSteps, steps},
        {&A::noteStepChordCounts, layout::kNoteStepChordCounts, steps},
        {&A::noteStepChordValues, layout::kNoteStepChordValues, steps * kMaxChordValues},
        {&A::octaveSteps, layout::kOctaveSteps, steps},
        {&A::velocitySteps, layout::kVelocitySteps, steps},
        {&A::lengthSteps, layout::kLengthSteps, steps},
        {&A::probabilitySteps, layout::kProbabilitySteps, steps},
        {&A::ccASteps, layout::kCcASteps, steps},
        {&A::ccBSteps, layout::kCcBSteps, steps},
        {&A::notePool, layout::kNotePool, static_cast<std::size_t>(std::clamp(w[layout::kNotePoolCount], 0, 128))},
    };
    A a;
    for (const Field& f : fields) a.*f.numbers = A::Numbers(w + f.base, f.count);
    a.trackCount = w[layout::kTrackCount];
    a.swingPercent = w[layout::kSwingPercent];
    return a;
}

ConfigBuilder& fixedNote(ConfigBuilder& config, int track, int step, int note) {
    config.perStep(layout::kGateSteps, track, step, 1).perStep(layout::kFixSteps, track, step, 1);
    return config.perStep(layout::kNotesSteps, track, step, note - 60).chord(track, step, {note - 60});
}

AudioUnitDriver::AudioUnitDriver(double sampleRate, std::uint32_t frames) : sampleRate_(sampleRate), frames_(frames) {
    std::string error;
    unit_ = PulvanAudioUnit::create(PulvanAudioUnit::kComponentDescription, 0, error);
    if (!unit_) throw std::runtime_error(error);
    unit_->outputBus().setFormat({sampleRate, 2});
    unit_->allocateRenderResources(nullptr);
    unit_->setAppPlayEnabled(true);  // as the engine link does before play
    sent_.reserve(1 << 16);
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
    unit_->setTransportStateBlock([this](TransportStateFlags* flags, double* samplePosition, double*, double*) {
        if (flags) *flags = moving ? kHostTransportStateMoving : 0;
        if (samplePosition) *samplePosition = static_cast<double>(blockSampleTime_);
        return true;
    });
    makeRenderBlock();
}

void AudioUnitDriver::makeRenderBlock(bool withOutput) {
    if (withOutput) {
        unit_->setMIDIOutputEventBlock([this](std::int64_t sampleTime, std::uint8_t, std::int64_t length, const std::uint8_t* bytes) {
            if (length != 3 || sent_.size() == sent_.capacity()) return 0;
            const bool immediate = sampleTime == kEventSampleTimeImmediate;
            const double beat =
                immediate ? blockBeat_ : blockBeat_ + static_cast<double>(sampleTime - blockSampleTime_) * tempo / 60.0 / sampleRate_;
            sent_.push_back({sampleTime, bytes[0], bytes[1], bytes[2], beat});
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

std::vector<SentMessage> AudioUnitDriver::playUntil(double start, double end) {
    int count = 1;
    while (start + count * blockQN() <= end) ++count;
    for (int i = 0; i < count; ++i) render(start + i * blockQN());
    return take();
}

std::vector<SentMessage> AudioUnitDriver::stop() {
    moving = false;
    auto sent = block(0.0);
    moving = true;
    return sent;
}

namespace {
std::vector<SentMessage> only(const std::vector<SentMessage>& messages, bool (SentMessage::*kind)() const) {
    std::vector<SentMessage> found;
    std::copy_if(messages.begin(), messages.end(), std::back_inserter(found), [kind](const SentMessage& m) { return (m.*kind)(); });
    return found;
}
}  // namespace

std::vector<SentMessage> noteOns(const std::vector<SentMessage>& messages) { return only(messages, &SentMessage::noteOn); }
std::vector<SentMessage> noteOffs(const std::vector<SentMessage>& messages) { return only(messages, &SentMessage::noteOff); }

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

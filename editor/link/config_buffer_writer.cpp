#include "editor/link/config_buffer_writer.h"

#include <algorithm>

namespace pulvan::link {

namespace {

namespace layout = engine::config_layout;

constexpr int kPoolSlots = layout::kResolutions - layout::kNotePool;
constexpr int kTrackSlots = engine::kTrackCount;
constexpr int kStepSlots = engine::kTrackCount * engine::kStepsPerLane;

// The first `slots` entries of `values` from word `offset`, 0 where it is shorter.
void place(engine::EngineConfigBuffer& words, int offset, int slots, const std::vector<int>& values) {
    const int n = std::min(slots, static_cast<int>(values.size()));
    std::copy_n(values.begin(), n, words.begin() + offset);
    std::fill_n(words.begin() + offset + n, slots - n, 0);
}

}  // namespace

void writeEngineConfigBuffer(const store::HostedAppPlayPayload& p, engine::EngineConfigBuffer& words) {
    words[layout::kMagicWord] = layout::kMagic;
    words[layout::kTrackCount] = p.trackCount;
    words[layout::kSwingPercent] = p.swingPercent;
    words[layout::kNotePoolCount] = std::min(static_cast<int>(p.notePool.size()), kPoolSlots);
    place(words, layout::kNotePool, kPoolSlots, p.notePool);

    const std::pair<int, const std::vector<int>*> perTrack[] = {
        {layout::kResolutions, &p.resolutions},
        {layout::kChannels, &p.channels},
        {layout::kTrackMutes, &p.trackMutes},
        {layout::kCcANumbers, &p.ccANumbers},
        {layout::kCcBNumbers, &p.ccBNumbers},
        {layout::kPortamentoCCs, &p.portamentoCCs},
        {layout::kPortamentoOnValues, &p.portamentoOnValues},
        {layout::kPortamentoOffValues, &p.portamentoOffValues},
        {layout::kLastSteps, &p.lastSteps},
        {layout::kDirections, &p.directions},
        {layout::kTieLastSteps, &p.tieLastSteps},
        {layout::kNotesLastSteps, &p.notesLastSteps},
        {layout::kOctaveLastSteps, &p.octaveLastSteps},
        {layout::kVelocityLastSteps, &p.velocityLastSteps},
        {layout::kLengthLastSteps, &p.lengthLastSteps},
        {layout::kProbabilityLastSteps, &p.probabilityLastSteps},
        {layout::kCcALastSteps, &p.ccALastSteps},
        {layout::kCcBLastSteps, &p.ccBLastSteps},
        {layout::kFillModes, &p.fillModes},
        {layout::kTrackOctaves, &p.trackOctaves},
        {layout::kTrackTransposes, &p.trackTransposes},
        {layout::kOutputChordCounts, &p.outputChordCounts},
    };
    for (const auto& [offset, values] : perTrack) place(words, offset, kTrackSlots, *values);
    place(words, layout::kOutputChordIntervals, kTrackSlots * engine::kMaxOutputChordIntervals, p.outputChordIntervals);

    const std::pair<int, const std::vector<int>*> perStep[] = {
        {layout::kGateSteps, &p.gateSteps},
        {layout::kTieSteps, &p.tieSteps},
        {layout::kNotesSteps, &p.notesSteps},
        {layout::kFixSteps, &p.fixSteps},
        {layout::kNoteStepChordCounts, &p.noteStepChordCounts},
        {layout::kOctaveSteps, &p.octaveSteps},
        {layout::kVelocitySteps, &p.velocitySteps},
        {layout::kLengthSteps, &p.lengthSteps},
        {layout::kProbabilitySteps, &p.probabilitySteps},
        {layout::kCcASteps, &p.ccASteps},
        {layout::kCcBSteps, &p.ccBSteps},
    };
    for (const auto& [offset, values] : perStep) place(words, offset, kStepSlots, *values);
    place(words, layout::kNoteStepChordValues, kStepSlots * engine::kMaxChordValues, p.noteStepChordValues);
}

std::uint32_t trackMask(const std::vector<int>& tracks) {
    std::uint32_t mask = 0;
    for (int t : tracks) {
        if (t >= 0 && t < engine::kTrackCount) mask |= 1u << t;
    }
    return mask;
}

}  // namespace pulvan::link

#include "editor/link/standalone/app_play_arguments.h"

#include <cstdint>
#include <type_traits>

namespace pulvan::link {

static_assert(std::is_same_v<int, std::int32_t>, "payload arrays are handed to the unit without copying");

au::AppPlayArguments appPlayArguments(const store::HostedAppPlayPayload& p) {
    au::AppPlayArguments a;
    a.trackCount = p.trackCount;
    a.resolutions = p.resolutions;
    a.channels = p.channels;
    a.trackMutes = p.trackMutes;
    a.ccANumbers = p.ccANumbers;
    a.ccBNumbers = p.ccBNumbers;
    a.portamentoCCs = p.portamentoCCs;
    a.portamentoOnValues = p.portamentoOnValues;
    a.portamentoOffValues = p.portamentoOffValues;
    a.lastSteps = p.lastSteps;
    a.directions = p.directions;
    a.tieLastSteps = p.tieLastSteps;
    a.notesLastSteps = p.notesLastSteps;
    a.octaveLastSteps = p.octaveLastSteps;
    a.velocityLastSteps = p.velocityLastSteps;
    a.lengthLastSteps = p.lengthLastSteps;
    a.probabilityLastSteps = p.probabilityLastSteps;
    a.ccALastSteps = p.ccALastSteps;
    a.ccBLastSteps = p.ccBLastSteps;
    a.gateSteps = p.gateSteps;
    a.tieSteps = p.tieSteps;
    a.notesSteps = p.notesSteps;
    a.noteStepChordCounts = p.noteStepChordCounts;
    a.noteStepChordValues = p.noteStepChordValues;
    a.octaveSteps = p.octaveSteps;
    a.velocitySteps = p.velocitySteps;
    a.lengthSteps = p.lengthSteps;
    a.probabilitySteps = p.probabilitySteps;
    a.ccASteps = p.ccASteps;
    a.ccBSteps = p.ccBSteps;
    a.fillModes = p.fillModes;
    a.fixSteps = p.fixSteps;
    a.trackOctaves = p.trackOctaves;
    a.trackTransposes = p.trackTransposes;
    a.outputChordCounts = p.outputChordCounts;
    a.outputChordIntervals = p.outputChordIntervals;
    a.notePool = p.notePool;
    a.swingPercent = p.swingPercent;
    return a;
}

void configureStandaloneAppPlay(au::AppPlayAudioUnit& audioUnit, const store::HostedAppPlayPayload& payload,
                                const std::vector<int>& midiOutOffsetsMs) {
    audioUnit.setAppPlayMIDIOutOffsetsMs(midiOutOffsetsMs);
    audioUnit.configureAppPlay(appPlayArguments(payload));
}

}  // namespace pulvan::link

#pragma once
#include "audiounit/app_play_audio_unit.h"
#include "audiounit/app_play_config.h"
#include "editor/store/hosted_app_play_payload.h"

#include <vector>

namespace pulvan::link {

// The audio unit's view of a payload: the same 36 arrays in the same order. It borrows
// the payload's storage, so the payload must outlive it.
au::AppPlayArguments appPlayArguments(const store::HostedAppPlayPayload& payload);

// The standalone hand-over of a whole configuration: the per-track MIDI-out offsets
// first, then the configuration itself.
void configureStandaloneAppPlay(au::AppPlayAudioUnit& audioUnit, const store::HostedAppPlayPayload& payload,
                                const std::vector<int>& midiOutOffsetsMs);

}  // namespace pulvan::link

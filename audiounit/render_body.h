#pragma once
#include "audiounit/app_play_engine.h"
#include "platform/audiounit/host_blocks.h"
#include "platform/audiounit/render_types.h"

#include <cstdint>

namespace pulvan::au {

// The host blocks a render block captured when it was made; empty ones count as missing.
struct CapturedHostBlocks {
    MusicalContextBlock musicalContext;
    TransportStateBlock transportState;
    MIDIOutputEventBlock midiOutput;
};

// One render call: moves MIDI through the rings, takes configurations and launches, serves
// requests, renders the tracks over the block's window and sends their MIDI with sample times.
// Never allocates, locks or waits; always answers 0.
RenderStatus auRenderBody(AppPlayEngine& engine, const AudioTimeStamp& timestamp, std::uint32_t frameCount,
                          const RenderEvent* realtimeEventListHead, const CapturedHostBlocks& hostBlocks) noexcept;

}  // namespace pulvan::au

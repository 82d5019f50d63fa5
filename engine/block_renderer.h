#pragma once
#include "engine/engine_events.h"
#include "engine/playback_timeline.h"
#include "engine/track_voices.h"

namespace pulvan::engine {

// Renders all six tracks over [from, to): each track over its own window shifted by its output
// offset, cut at every timed change inside it, with due releases flushed first and last.
// Events are appended track by track, each track in time order.
void renderTrack(const PlaybackTimeline& timeline, VoiceBank& voices, const RenderContext& context, EngineEventBuffer& events, double from,
                 double to) noexcept;

}  // namespace pulvan::engine

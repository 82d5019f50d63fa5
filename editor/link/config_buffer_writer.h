#pragma once
#include "editor/store/hosted_app_play_payload.h"
#include "engine/config_buffer.h"

#include <cstdint>
#include <vector>

namespace pulvan::link {

// Lays a payload out as the engine's configuration buffer: the magic, the
// counts, then every array at its fixed place and length, cut where longer and
// filled with 0 where shorter. The note pool is cut to 128 entries.
void writeEngineConfigBuffer(const store::HostedAppPlayPayload& payload, engine::EngineConfigBuffer& words);

// Bit i for each listed track index 0...5; other indices are left out.
std::uint32_t trackMask(const std::vector<int>& tracks);

}  // namespace pulvan::link

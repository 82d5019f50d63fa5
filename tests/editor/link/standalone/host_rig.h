#pragma once
#include "editor/link/standalone/standalone_engine_host.h"
#include "editor/link/standalone/standalone_midi_sender.h"
#include "platform/audiounit/component_registry.h"
#include "platform/foundation/clock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace pulvan::link::test {

// A registry that knows the sequencer's audio unit, as the bundle's does.
au::ComponentRegistry& sequencerRegistry();

// Creates the host, configures the demo and enables app play, as starting play does.
std::unique_ptr<StandaloneEngineHost> makeDemoHost(StandaloneMIDISender& sender,
                                                   const foundation::Clock& clock = foundation::systemClock());

// Polls `condition` every millisecond until it holds or `timeout` passes.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(3));

}  // namespace pulvan::link::test

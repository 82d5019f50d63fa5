#pragma once
// The processor's engine as the controller and its editor views reach it.
// The controller empties the handle when the engine goes away, so a view that
// the host keeps longer never touches the freed engine.
#include <memory>

#include "engine/sequencer_engine.h"

namespace kez {

struct EngineHandle {
    pulvan::engine::SequencerEngine* engine = nullptr;
};

using SharedEngineHandle = std::shared_ptr<EngineHandle>;

}  // namespace kez

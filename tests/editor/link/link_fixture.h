#pragma once
#include <gtest/gtest.h>

#include "editor/link/editor_bridge.h"
#include "editor/link/live_engines.h"
#include "editor/link/store_link.h"
#include "editor/store/sequencer_store.h"
#include "engine/block_processing.h"
#include "engine/engine_hooks.h"
#include "engine/sequencer_engine.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"
#include "tests/platform/foundation/temp_folder.h"

#include <memory>
#include <string>
#include <vector>

namespace pulvan::test {

// A live engine on the heap, as a processor owns one.
struct LiveEngine {
    std::unique_ptr<engine::SequencerEngine> engine = std::make_unique<engine::SequencerEngine>();
    link::LiveEngineRegistration registration{engine.get()};
    KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(engine.get());

    // One block of `beats` quarter notes at 120 BPM from `position`; the events it produced.
    std::vector<engine::EngineEvent> render(double position, double beats = 0.25) {
        engine::beginBlock(*engine);
        engine::renderPlaying(*engine, 120.0, position, beats, 44100.0, 4.0);
        std::vector<engine::EngineEvent> out(engine->events.events, engine->events.events + engine->events.count);
        engine->events.clear();
        return out;
    }
    std::vector<engine::EngineEvent> renderStopped() {
        engine::beginBlock(*engine);
        engine::renderStopped(*engine);
        std::vector<engine::EngineEvent> out(engine->events.events, engine->events.events + engine->events.count);
        engine->events.clear();
        return out;
    }
};

// Temp folders for the user defaults and the preset library, a manual main queue.
class LinkTest : public ::testing::Test {
protected:
    TempFolder home;
    ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path() / "data").string()};
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    foundation::ManualMainQueue main;
    foundation::MemoryPasteboard pasteboard;

    store::StoreServices services() { return store::StoreServices{main.queue(), pasteboard, foundation::UserDefaults::standard(), {}}; }
};

// A store with its link, no engine: the hook closures are set by each test.
class StoreLinkTest : public LinkTest {
protected:
    std::unique_ptr<store::SequencerStore> store = std::make_unique<store::SequencerStore>(services());
    std::unique_ptr<link::StoreLink> link = std::make_unique<link::StoreLink>(*store);
};

// The bridge on a real engine, as the plug-in runs it (on the manual queue).
class BridgeTest : public LinkTest {
protected:
    LiveEngine live;
    std::unique_ptr<link::EditorBridge> bridge;

    void start() { bridge = std::make_unique<link::EditorBridge>(live.hooks, services()); }
    store::SequencerStore& store() { return bridge->store(); }
    std::string engineBlob() {
        std::lock_guard lock(live.engine->stateMutex);
        return std::string(live.engine->presetBlob.begin(), live.engine->presetBlob.end());
    }
    void setEngineBlob(const std::string& text) {
        KezVst3EnginePushPresetBlob(live.engine.get(), reinterpret_cast<const std::uint8_t*>(text.data()),
                                    static_cast<std::int32_t>(text.size()));
    }
};

}  // namespace pulvan::test

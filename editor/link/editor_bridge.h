#pragma once
#include "editor/link/store_link.h"
#include "editor/store/sequencer_store.h"
#include "engine/config_buffer.h"
#include "engine/engine_hooks.h"
#include "platform/foundation/signal.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace pulvan::link {

// One plug-in instance's editor side against one engine: the store, driven
// through a copy of the engine's hook table, loaded with its starting preset,
// switched into hosted mode and keeping the engine's preset blob up to date.
// Lives on the thread of the store's main queue. Every hook call first checks
// that the engine is still alive; a gone engine silences the hooks.
class EditorBridge {
public:
    // Runs the whole start-up: the starting preset, preferences, the blob saved
    // in the host's project, hosted mode, the first push and the subscription.
    EditorBridge(const KezVst3EngineHooks& hooks, store::StoreServices services);
    ~EditorBridge();
    EditorBridge(const EditorBridge&) = delete;
    EditorBridge& operator=(const EditorBridge&) = delete;

    store::SequencerStore& store() { return *store_; }
    StoreLink& link() { return *link_; }

    // Runs after a push that changed the preset the engine keeps for the host's project, so that the
    // host learns its project was edited; never for what the host itself restored. Cleared by stop().
    std::function<void()> presetEdited;

    void pushPresetBlobIfNeeded();
    void onStoreStateChanged();
    void pullPresetBlob();
    void pollHostState();
    // Up to 256 messages or 5 ms of the engine's incoming MIDI.
    void drainIncomingMIDI();
    // Once: the last push, then every closure detached and hosted mode left.
    void stop();

private:
    // Hook calls, only while the engine is alive.
    template <typename Call>
    void withEngine(Call&& call) const;
    template <typename Result, typename Call>
    Result readEngine(Result neutral, Call&& call) const;
    void installHostedHooks();
    void writeConfiguration(const store::HostedAppPlayPayload& payload);

    std::unique_ptr<store::SequencerStore> store_;
    std::unique_ptr<StoreLink> link_;
    KezVst3EngineHooks hooks_;
    std::vector<foundation::Connection> presetBlobPushSubscription_;
    bool isInvalidated_ = false;
    // The blob the engine keeps, as last pushed or pulled.
    std::vector<std::uint8_t> storedPresetBlob_;
    bool isApplyingHostState_ = false;
    std::uint64_t lastSeenHostStateVersion_ = 0;
    bool isDrainingIncomingMIDI_ = false;
    bool blobPushDeferredDuringDrain_ = false;
    // The configuration words, kept so that a push allocates nothing new.
    std::unique_ptr<engine::EngineConfigBuffer> words_;
};

}  // namespace pulvan::link

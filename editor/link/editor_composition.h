#pragma once
#include "editor/library/preset_library.h"
#include "editor/link/editor_bridge.h"
#include "editor/link/standalone/standalone_app_play.h"
#include "editor/link/standalone/standalone_midi_sender.h"
#include "editor/views/shell/editor_services.h"
#include "engine/engine_hooks.h"
#include "platform/audiounit/component_registry.h"
#include "platform/foundation/main_queue.h"
#include "platform/x11/file_choosers.h"

#include <functional>
#include <memory>
#include <optional>

namespace pulvan::link {

// Everything the editor stands on in one setting, built in one place: the store with its services, the
// engine link, app play with the MIDI sender and receiver (the receiver in both settings, so that a
// keyboard on a system MIDI port fills the MIDI-in notes pool in a host too; the sender open only in the
// standalone application), the preset library bound to the store, and the platform services the views
// use. Lives on the store's thread.
class EditorComposition final : public views::EditorServices {
public:
    // Inside a VST3 host: the editor side of the engine behind the hooks, in hosted mode.
    static std::unique_ptr<EditorComposition> hosted(const KezVst3EngineHooks& hooks, foundation::MainQueue& queue);
    // The standalone application: app play runs the audio unit that the registry (the bundle's) makes.
    static std::unique_ptr<EditorComposition> standalone(foundation::MainQueue& queue, const au::ComponentRegistry& registry);
    ~EditorComposition() override;
    EditorComposition(const EditorComposition&) = delete;
    EditorComposition& operator=(const EditorComposition&) = delete;

    store::SequencerStore& store() { return *store_; }
    StoreLink& link() { return *link_; }
    // Hosted only; null standalone.
    EditorBridge* bridge() { return bridge_.get(); }
    StandaloneAppPlay& appPlay() { return *appPlay_; }

    // Set by whoever shows the editor: the screen the window is on, and how to end the gestures under way
    // (a whole new document must not meet a drag that is still editing the old one).
    std::function<std::optional<ui::Rect>()> screenVisibleFrameSource;
    std::function<void()> cancelGestures;

    void setHostedUI(bool hosted) override { link_->setHostedUI(hosted); }
    void startAppPlay() override { appPlay_->startAppPlay(); }
    void stopAppPlay() override { appPlay_->stopAppPlay(); }
    void toggleHostedMIDIRecord() override { link_->toggleHostedMIDIRecord(); }
    library::PresetLibrary& presetLibrary() override { return *library_; }
    void presentChooser(const views::ChooserRequest& request, std::optional<views::WindowReference> window,
                        std::function<void(const library::PickerResult&)> completion) override;
    void openURL(const std::string& url) override;
    std::optional<ui::Rect> screenVisibleFrame() override { return screenVisibleFrameSource ? screenVisibleFrameSource() : std::nullopt; }

private:
    // Only the standalone application opens the MIDI sender; a plug-in's stays closed.
    EditorComposition(foundation::MainQueue& queue, bool standaloneApplication);
    void bind(store::SequencerStore& store, StoreLink& link, const au::ComponentRegistry& registry);
    // The editor's own prompt for a path, when the desktop offers no chooser.
    void promptForPath(const views::ChooserRequest& request, std::function<void(const library::PickerResult&)> completion);

    foundation::MainQueue& queue_;
    // First: the store sends through it, so it goes last.
    StandaloneMIDISender midiSender_;
    std::unique_ptr<EditorBridge> bridge_;
    std::unique_ptr<store::SequencerStore> ownStore_;
    std::unique_ptr<StoreLink> ownLink_;
    store::SequencerStore* store_ = nullptr;
    StoreLink* link_ = nullptr;
    std::unique_ptr<StandaloneAppPlay> appPlay_;
    std::unique_ptr<library::PresetLibrary> library_;
    x11::FileChoosers choosers_;
    foundation::Connection wholeDocument_;
    foundation::Connection pathPrompt_;
};

}  // namespace pulvan::link

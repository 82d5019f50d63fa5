#pragma once
// The platform's side of the editor's services in view tests: it records what the views asked of it and
// opens nothing. The preset library is the test's, made as the test needs it.
#include "editor/library/preset_library.h"
#include "editor/store/sequencer_store.h"
#include "editor/views/shell/editor_services.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::views {

class RecordedServices final : public EditorServices {
public:
    // With a store, the setting is also told to it, as the real composition does.
    explicit RecordedServices(library::PresetLibrary& library, store::SequencerStore* store = nullptr) : library_(library), store_(store) {}

    std::vector<bool> hostedUI;
    std::vector<std::string> calls;  // "start", "stop", "record"
    std::vector<ChooserRequest> choosers;
    std::vector<std::function<void(const library::PickerResult&)>> completions;
    std::vector<std::string> openedURLs;
    std::optional<ui::Rect> screen;

    void setHostedUI(bool hosted) override {
        hostedUI.push_back(hosted);
        if (store_) store_->isHostedUI.set(hosted);
    }
    void startAppPlay() override { calls.push_back("start"); }
    void stopAppPlay() override { calls.push_back("stop"); }
    void toggleHostedMIDIRecord() override { calls.push_back("record"); }
    library::PresetLibrary& presetLibrary() override { return library_; }
    void presentChooser(const ChooserRequest& request, std::optional<WindowReference>,
                        std::function<void(const library::PickerResult&)> completion) override {
        choosers.push_back(request);
        completions.push_back(std::move(completion));
    }
    void openURL(const std::string& url) override { openedURLs.push_back(url); }
    std::optional<ui::Rect> screenVisibleFrame() override { return screen; }

private:
    library::PresetLibrary& library_;
    store::SequencerStore* store_;
};

}  // namespace pulvan::views

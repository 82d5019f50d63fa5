#pragma once
// What the editor's views reach beyond the store: the composition of the setting they run in (app play,
// the preset library, hosted or standalone mode) and the platform services (choosers, URLs, the screen).
#include "editor/library/picker_result.h"
#include "platform/ui/geometry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::library {
class PresetLibrary;
}

namespace pulvan::views {

// A file or folder chooser: one location; fileTypes are extensions without the dot (none: any file).
struct ChooserRequest {
    bool chooseFolders = true;
    std::vector<std::string> fileTypes;
    friend bool operator==(const ChooserRequest&, const ChooserRequest&) = default;
};

// The window the editor is shown in, as X11 names it.
using WindowReference = std::uint32_t;

class EditorServices {
public:
    virtual ~EditorServices() = default;

    // The setting the editor runs in: starts the hosted poll, or the standalone engine's side.
    virtual void setHostedUI(bool hosted) = 0;
    virtual void startAppPlay() = 0;
    virtual void stopAppPlay() = 0;
    // Hosted: arms, starts, arms the stop of or withdraws a MIDI recording, by the store's record mode.
    virtual void toggleHostedMIDIRecord() = 0;
    virtual library::PresetLibrary& presetLibrary() = 0;

    // Shows a chooser over the window (when known); the completion runs later on the main queue, once.
    virtual void presentChooser(const ChooserRequest& request, std::optional<WindowReference> window,
                                std::function<void(const library::PickerResult&)> completion) = 0;
    // In the user's handler for it.
    virtual void openURL(const std::string& url) = 0;
    // The part of the main screen windows may use, in points; none when it is not known.
    virtual std::optional<ui::Rect> screenVisibleFrame() = 0;
};

}  // namespace pulvan::views

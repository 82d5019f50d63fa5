#pragma once
// The MIDI setup help: three sections, each a card of text beside its picture, in a scroll view.
#include "platform/ui/view_modifiers.h"

#include <string>
#include <vector>

namespace pulvan::views {

struct MidiSetupTextCell : ui::ViewModifiers<MidiSetupTextCell> {
    std::string title;
    std::vector<std::string> lines;

    ui::View body(ui::BuildContext& context) const;
};

// The bundled picture of that name, or "Missing image: <name>.png" when the bundle has none.
struct MidiSetupImageCell : ui::ViewModifiers<MidiSetupImageCell> {
    std::string imageResourceName;

    ui::View body(ui::BuildContext& context) const;
};

// Under the first section: more follows below.
struct MidiSetupScrollHint : ui::ViewModifiers<MidiSetupScrollHint> {
    ui::View body(ui::BuildContext& context) const;
};

struct MidiSetupHelpRow : ui::ViewModifiers<MidiSetupHelpRow> {
    std::string title;
    std::vector<std::string> lines;
    std::string imageResourceName;
    bool showsScrollHint = false;

    ui::View body(ui::BuildContext& context) const;
};

struct MidiSetupHelpModal : ui::ViewModifiers<MidiSetupHelpModal> {
    std::vector<std::string> midiChannelLines;
    std::vector<std::string> midiCCLines;
    std::vector<std::string> midiSlideLines;

    // The modal with the texts the editor shows.
    static MidiSetupHelpModal withStandardTexts();

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views

#include "editor/views/shell/top_bar_button_labels.h"

#include "editor/views/shell/button_chrome.h"
#include "editor/views/shell/floppy_disk_icon.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

View ExitMIDILearnButtonLabel::body(BuildContext&) const {
    return buttonChrome(buttonText("Exit MIDI Learn"), {
                                                           .horizontalPadding = 16,
                                                           .foreground = colorFromHex(0xF2DEDE),
                                                           .background = color(recordRedColor.opacity(0.85)),
                                                           .border = recordRedColor,
                                                       });
}

View SavePresetButtonLabel::body(BuildContext&) const {
    const View content =
        hstack({.alignment = Edge::center, .spacing = 8}, View(FloppyDiskIcon{}).frame({.width = 14, .height = 14}), buttonText("Save"));
    return buttonChrome(content, {
                                     .horizontalPadding = 12,
                                     .foreground = active ? primaryTextColor : secondaryTextColor,
                                     .background = color(active ? globalAccentColor().opacity(0.8) : controlBackgroundColor),
                                 });
}

}  // namespace pulvan::views

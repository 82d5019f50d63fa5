#include "editor/views/notespool/scene_launch_resolution.h"

#include "editor/views/shell/launch_resolution.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

store::DropdownRequest sceneLaunchResolutionDropdown(store::SequencerStore& store, foundation::Uuid anchorID, double width) {
    return {
        .anchorID = anchorID,
        .items = launchResolutionItems(store.preset->sceneLaunchResolution, [&store](int value) { store.setSceneLaunchResolution(value); }),
        .vertical = true,
        .presetStyle = true,
        .width = width,
    };
}

View SceneLaunchResolutionLabel::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    return hstack({.spacing = 0}, launchResolutionText(store.preset->sceneLaunchResolution), spacer(0),
                  symbol("chevron.down").font(Font::system(10, FontWeight::semibold)).foregroundColor(secondaryTextColor));
}

View SceneLaunchResolutionButton::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    const auto shape = shapes::continuousRoundedRectangle(4);
    const View label = hstack({.spacing = 8}, SceneLaunchResolutionLabel{})
                           .padding(Edge::horizontal, 10)
                           .frame({.width = width, .height = 30, .alignment = unit::leading})
                           .background(rectangle().fill(controlBackgroundColor))
                           .overlay(continuousRoundedRectangle(4).strokeBorder(themeBorderColor, 1))
                           .clipShape(shape);
    return View(SingleTouchTapButton{
                    .enabled = true,
                    .allowSecondaryTouches = true,
                    .action = [&store, anchor = anchorID,
                               dropdownWidth =
                                   dropdownWidth] { store.dropdown.set(sceneLaunchResolutionDropdown(store, anchor, dropdownWidth)); },
                    .label = label,
                })
        .testId("sceneLaunchResolution");
}

}  // namespace pulvan::views

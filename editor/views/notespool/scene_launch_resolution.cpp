#include "editor/views/notespool/scene_launch_resolution.h"

#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

std::string sceneLaunchResolutionLabel(int value) {
    switch (value) {
        case 1: return "1 bar";
        case 4: return "1/4";
        case 8: return "1/8";
        default: return "1/16";
    }
}

store::DropdownRequest sceneLaunchResolutionDropdown(store::SequencerStore& store, foundation::Uuid anchorID, double width) {
    store::DropdownRequest request{.anchorID = anchorID, .vertical = true, .presetStyle = true, .width = width};
    const int current = store.preset->sceneLaunchResolution;
    for (int value : {16, 8, 4, 1}) {
        request.items.push_back({
            .label = sceneLaunchResolutionLabel(value),
            .active = value == current,
            .action = [&store, value] { store.setSceneLaunchResolution(value); },
        });
    }
    return request;
}

View SceneLaunchResolutionLabel::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    return hstack({.spacing = 0},
                  text(sceneLaunchResolutionLabel(store.preset->sceneLaunchResolution))
                      .font(Font::system(12, FontWeight::semibold))
                      .foregroundColor(primaryTextColor)
                      .lineLimit(1),
                  spacer(0),
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
                    .action = [&store, anchor = anchorID, dropdownWidth = dropdownWidth] {
                        store.dropdown.set(sceneLaunchResolutionDropdown(store, anchor, dropdownWidth));
                    },
                    .label = label,
                })
        .testId("sceneLaunchResolution");
}

}  // namespace pulvan::views

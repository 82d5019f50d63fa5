#include "editor/views/main/hosted_zoom.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace pulvan::views {

namespace {
constexpr double designWidth = 1280;
constexpr double designAspect = 1280.0 / 730.0;
constexpr double minimumWidth = 640;
constexpr double maximumWidth = 3200;
}  // namespace

const std::vector<int>& hostedZoomOptions() {
    static const std::vector<int> options = [] {
        std::vector<int> all;
        for (int percent = 50; percent <= 200; percent += 25) all.push_back(percent);
        return all;
    }();
    return options;
}

int currentHostedZoomOption(double hostedZoomScale) {
    const std::vector<int>& options = hostedZoomOptions();
    if (options.empty()) return 100;
    int choice = options.front();
    for (int option : options) {
        if (std::abs(option / 100.0 - hostedZoomScale) < std::abs(choice / 100.0 - hostedZoomScale)) choice = option;
    }
    return choice;
}

ui::Size hostedZoomWindowSize(int option, std::optional<ui::Size> visibleArea) {
    const double limit = visibleArea ? std::min({visibleArea->height * designAspect, visibleArea->width, maximumWidth}) : maximumWidth;
    const double wanted = static_cast<double>(std::lround(option * designWidth / 100));
    // The floor comes before the screen's limit: a screen narrower than the floor wins.
    const double width = std::min(limit, std::max(wanted, minimumWidth));
    const double rounded = static_cast<double>(std::lround(width));
    return {rounded, static_cast<double>(std::lround(rounded / designAspect))};
}

void applyHostedZoom(store::SequencerStore& store, int option, std::optional<ui::Size> visibleArea) {
    const ui::Size size = hostedZoomWindowSize(option, visibleArea);
    if (store.hooks.hostedRequestEditorResize) store.hooks.hostedRequestEditorResize(size.width, size.height);
    const int stored = std::clamp(static_cast<int>(size.width), static_cast<int>(minimumWidth), static_cast<int>(maximumWidth));
    if (stored == store.hostedWindowWidth) return;
    store.hostedWindowWidth = stored;
    store.saveUserPreferences();
}

void presentHostedZoomDropdown(store::SequencerStore& store, const foundation::Uuid& anchor, double hostedZoomScale,
                               std::optional<ui::Size> visibleArea) {
    const int current = currentHostedZoomOption(hostedZoomScale);
    std::vector<store::DropdownItem> items;
    for (int option : hostedZoomOptions()) {
        items.push_back({
            .label = std::to_string(option) + "%",
            .active = option == current,
            .pressHighlight = true,
            .action = [&store, option, visibleArea] { applyHostedZoom(store, option, visibleArea); },
        });
    }
    store.dropdown.set(store::DropdownRequest{
        .anchorID = anchor,
        .items = std::move(items),
        .vertical = true,
        .presetStyle = true,
        .width = 120,
        .verticalAlignLeading = true,
    });
}

}  // namespace pulvan::views

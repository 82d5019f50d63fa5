#pragma once
// An editor stand-in for the overlay hosts: controls at given places publish their anchors, the stage
// collects them as the editor content does and lays the hosts over everything.
#include "editor/views/shell/dialog_host.h"
#include "editor/views/shell/dropdown_host.h"
#include "editor/views/shell/modal_host.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/preferences.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::views {

// A 60 x 30 control with its top-left corner at `at`, publishing its bounds for a modal or a dropdown.
inline ui::View controlAt(ui::Point at, ui::View anchoring) {
    return anchoring.padding({.top = at.y, .leading = at.x})
        .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity, .alignment = ui::unit::topLeading});
}
inline ui::View modalOpener(ui::Point at, store::KezModal modal) {
    return controlAt(
        at, ui::color(controlBackgroundColor).frame({.width = 60, .height = 30}).anchorPreference<ModalAnchorKey>(modalAnchor(modal)));
}
inline ui::View dropdownOpener(ui::Point at, foundation::Uuid id, double width = 60) {
    return controlAt(
        at,
        ui::color(controlBackgroundColor).frame({.width = width, .height = 30}).anchorPreference<DropdownAnchorKey>(dropdownAnchor(id)));
}

struct OverlayStage {
    ui::Views controls;
    std::function<ui::View(store::KezModal)> makeModalContent;
    std::function<void()> onEditorTap;  // taps that reach the editor below the overlays

    ui::View body(ui::BuildContext& context) const {
        const auto modalAnchors = context.state<ModalAnchorKey::Value>();
        const auto dropdownAnchors = context.state<DropdownAnchorKey::Value>();
        return ui::zstackOf({}, controls)
            .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity})
            .background(ui::color(editorBackgroundColor).onTapGesture(onEditorTap))
            .onPreferenceChange<ModalAnchorKey>([modalAnchors](const ModalAnchorKey::Value& v) { modalAnchors.set(v); })
            .overlay(ModalHost{.anchors = *modalAnchors, .makeModalContent = makeModalContent})
            // Controls inside the open modal open dropdowns too.
            .onPreferenceChange<DropdownAnchorKey>([dropdownAnchors](const DropdownAnchorKey::Value& v) { dropdownAnchors.set(v); })
            .overlay(DropdownHost{.anchors = *dropdownAnchors})
            .overlay(DialogHost{});
    }
};

class OverlayTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> store = makeStore();
    int editorTaps = 0;

    std::unique_ptr<ui::Harness> stage(ui::Views controls, std::function<ui::View(store::KezModal)> modal = nullptr,
                                       ui::Size size = {1280, 730}) {
        auto harness = std::make_unique<ui::Harness>(
            [this, controls, modal] {
                return ui::View(OverlayStage{controls, modal, [this] { ++editorTaps; }}).environmentObject(*store);
            },
            size);
        harness->root().setAnimationsEnabled(false);
        harness->update();
        return harness;
    }
};

}  // namespace pulvan::views

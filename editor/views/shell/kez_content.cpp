#include "editor/views/shell/kez_content.h"

#include "editor/library/preset_library.h"
#include "editor/views/main/content_column.h"
#include "editor/views/main/sidebar.h"
#include "editor/views/main/top_bar.h"
#include "editor/views/main/track_tabs_view.h"
#include "editor/views/modals/preset_dialog.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/dialog_host.h"
#include "editor/views/shell/dialog_submission.h"
#include "editor/views/shell/dropdown_host.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/hosted_fullscreen_prompt.h"
#include "editor/views/shell/hosted_resize_handle.h"
#include "editor/views/shell/kez_root_view.h"
#include "editor/views/shell/modal_contents.h"
#include "editor/views/shell/modal_host.h"
#include "editor/views/shell/shapes.h"
#include "editor/views/shell/standard_dialog.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace pulvan::views {
namespace {

using store::SequencerStore;
using ui::View;

constexpr double kHostedDesignWidth = 1280, kHostedDesignHeight = 730;
constexpr double kStandaloneBaseWidth = 940;
constexpr double kHostedMinimumScale = 0.1;
const UIRectCorner kCardCorners{bottomLeft, bottomRight};

}  // namespace

EditorLayout editorLayout(bool hosted, ui::Size window, int uiMaxContentWidth, double naturalBaseHeight, EditorLayoutRules rules) {
    const double w = window.width, h = window.height;
    EditorLayout layout;
    if (hosted) {
        layout.scale = (w <= 0 || h <= 0) ? 1.0 : std::max(std::min(w / kHostedDesignWidth, h / kHostedDesignHeight), kHostedMinimumScale);
        layout.designWidth = kHostedDesignWidth;
        layout.designHeight = kHostedDesignHeight;
        layout.frameWidth = w;
        return layout;
    }
    const double avail = std::min(w, static_cast<double>(uiMaxContentWidth));
    double scale = avail > 0 ? std::min(rules.maxResponsiveScale, std::max(rules.minResponsiveScale, avail / kStandaloneBaseWidth)) : 1.0;
    // A short window shrinks the editor further, so that its last row stays on screen.
    if (naturalBaseHeight > 0 && h > 0) scale = std::min(scale, h / naturalBaseHeight);
    const double divisor = scale > 0.0001 ? scale : 0.0001;
    layout.scale = scale;
    layout.designWidth = std::max(avail / divisor, kStandaloneBaseWidth);
    layout.designHeight = h / divisor;
    layout.frameWidth = std::max(avail, 0.0);
    return layout;
}

double editorHorizontalOffset(const EditorLayout& layout, double windowWidth) {
    return std::round((windowWidth - layout.frameWidth) * 0.5);
}

namespace {

// The editor, laid out at its design size, in a window of the given size: scaled about its top-leading corner
// as one group, clipped to the width it occupies and moved right by its offset.
View placedInWindow(View editor, const EditorLayout& layout, ui::Size window) {
    return editor.environment<HostedZoomScaleKey>(layout.scale)
        .scaleEffect(layout.scale, layout.scale, ui::unit::topLeading)
        .compositingGroup()
        .frame({.width = layout.frameWidth, .height = window.height, .alignment = ui::unit::topLeading})
        .clipped()
        .testId("kezContentEditor")
        .offset(editorHorizontalOffset(layout, window.width), 0);
}

// The window's whole area: the scaled editor and the layers above it, on the editor's background.
View windowArea(ui::Size window, ui::Views layers) {
    return ui::zstackOf({ui::unit::topLeading}, std::move(layers))
        .frame({.width = window.width, .height = window.height, .alignment = ui::unit::topLeading})
        .background(ui::color(editorBackgroundColor));
}

View card() {
    return ui::hstack({.alignment = ui::Edge::top, .spacing = 0},
                      Sidebar{}
                          .testId("kezSidebar")
                          .frame({.width = 132})
                          .overlay(ui::rectangle().fill(themeBorderColor).frame({.width = 1}), ui::unit::trailing),
                      ContentColumn{}
                          .testId("kezContentColumn")
                          .padding(ui::Edge::leading, 12)
                          .frame({.maxWidth = ui::infinity, .alignment = ui::unit::leading}))
        .padding(12)
        .background(RoundedCorners(10, kCardCorners).fill(panelBackgroundColor))
        .overlay(RoundedCorners(10, kCardCorners).stroke(themeBorderColor, 1))
        .frame({.maxWidth = ui::infinity, .alignment = ui::unit::leading});
}

// Publishes the height of the view it is the background of.
View contentHeightPublisher() {
    return ui::geometryReader(
        [](const ui::GeometryProxy& g) { return ui::color(ui::Color::clear()).preference<CanvasContentHeightKey>(g.size().height); });
}

View mainStack(const SequencerStore& store, const EditorLayout& layout) {
    return ui::vstack({.alignment = ui::Edge::leading, .spacing = 12}, TopBar{}.testId("kezTopBar"),
                      ui::vstack({.alignment = ui::Edge::leading, .spacing = 0},
                                 TrackTabsView{.spacing = 3, .maxTabWidth = 174, .addButtonWidth = 90, .tabHeight = 38}
                                     .padding(ui::Edge::bottom, -1)
                                     .testId("kezTrackTabs")
                                     .zIndex(1),
                                 card())
                          .frame({.maxWidth = ui::infinity, .alignment = ui::unit::leading}))
        .padding({.top = 12, .leading = 16, .bottom = 20, .trailing = 20})
        .frame({.maxWidth = ui::infinity, .alignment = ui::unit::topLeading})
        .background(contentHeightPublisher())
        .frame({.width = layout.designWidth, .height = layout.designHeight, .alignment = ui::unit::topLeading})
        .environment<KezAccentKey>(activeAccent(store))
        .testId("kezContentMainStack");
}

// A layer over the whole design area holding one host.
View overlayLayer(const char* testId, View content = View()) {
    return ui::zstack({ui::unit::topLeading}, ui::color(ui::Color::clear()),
                      ui::geometryReader([content](const ui::GeometryProxy&) { return content; }))
        .testId(testId);
}

View modalLayer(const ModalAnchorKey::Value& anchors) {
    return overlayLayer("kezContentModalLayer", ModalHost{.anchors = anchors, .makeModalContent = modalContent});
}

View dropdownLayer(const DropdownAnchorKey::Value& anchors) {
    return overlayLayer("kezContentDropdownLayer", DropdownHost{.anchors = anchors});
}

View dialogLayer(const SequencerStore& store) {
    return overlayLayer(
        "kezContentDialogLayer",
        ui::zstack(
            {ui::unit::topLeading}, store.isPresetDialogPresented.get() ? PresetDialogHost{}.testId("presetDialogHost") : View(),
            store.dialog.get() ? View(DialogHost{}).testId("kezDialogHost").environment<KezAccentKey>(activeAccent(store)) : View()));
}

// Reports the editor's window; the first one stays.
View windowAccessor(const ui::State<std::optional<WindowReference>>& hostWindow) {
    return View(WindowAccessor{[hostWindow](std::optional<WindowReference> w) {
        if (!hostWindow.get()) hostWindow.set(w);
    }});
}

// Controls publish where they are; the hosts place their modal or dropdown there.
struct OverlayAnchors {
    ui::State<ModalAnchorKey::Value> modals;
    ui::State<DropdownAnchorKey::Value> dropdowns;
};

// The overlays on the main stack, lowest first, and the window accessor behind it.
View withOverlays(View mainStack, const SequencerStore& store, const OverlayAnchors& anchors,
                  const ui::State<std::optional<WindowReference>>& hostWindow) {
    return mainStack.onPreferenceChange<ModalAnchorKey>([modals = anchors.modals](const ModalAnchorKey::Value& v) { modals.set(v); })
        .overlay(modalLayer(*anchors.modals), ui::unit::topLeading)
        // Controls inside an open modal open dropdowns too.
        .onPreferenceChange<DropdownAnchorKey>([dropdowns = anchors.dropdowns](const DropdownAnchorKey::Value& v) { dropdowns.set(v); })
        .overlay(dropdownLayer(*anchors.dropdowns), ui::unit::topLeading)
        .overlay(dialogLayer(store), ui::unit::topLeading)
        .background(windowAccessor(hostWindow), ui::unit::topLeading);
}

// In the window's bottom-right corner, while the host can resize the window and nothing is open over the editor.
View resizeGrip(const SequencerStore& store, ui::Size window) {
    if (!store.isHostedUI.get() || !store.hooks.hostedRequestEditorResize || isAnyOverlayPresented(store)) return View();
    return View(HostedResizeHandle{window, kHostedDesignWidth / kHostedDesignHeight}).offset(window.width - 20, window.height - 20);
}

}  // namespace

std::optional<MarginBackdrop> marginBackdrop(SequencerStore& store) {
    SequencerStore* s = &store;
    if (store.isPresetDialogPresented.get()) return MarginBackdrop{0.8, [s] { s->isPresetDialogPresented.set(false); }};
    if (store.dialog.get()) return MarginBackdrop{0.55, [s] { cancelDialog(*s); }};
    if (const auto& dropdown = store.dropdown.get(); dropdown && !dropdown->sticky)
        return MarginBackdrop{0.55, [s] { s->dropdown.set(std::nullopt); }};
    const auto modal = store.activeModal().get();
    if (modal && *modal != store::KezModal::notesPool && *modal != store::KezModal::performance) {
        return MarginBackdrop{0.55, [s] { s->setActiveModal(std::nullopt); }};
    }
    return std::nullopt;
}

namespace {

View backdropRect(double width, double height, double x, double opacity, const std::function<void()>& dismiss, const char* testId) {
    return ui::rectangle()
        .fill(Color::black().opacity(opacity))
        .frame({.width = width, .height = height})
        .onTapGesture(dismiss)
        .testId(testId)
        .offset(x, 0);
}

// The free margins beside the scaled editor, as tall as the window, dimmed while the backdrop applies.
View marginBackdropView(SequencerStore& store, const EditorLayout& layout, ui::Size window) {
    const auto backdrop = marginBackdrop(store);
    if (!backdrop) return View();
    const double left = std::max(editorHorizontalOffset(layout, window.width), 0.0);
    return ui::zstack({ui::unit::topLeading},
                      backdropRect(left, window.height, 0, backdrop->opacity, backdrop->dismiss, "kezContentMarginBackdropLeft"),
                      backdropRect(std::max(window.width - (layout.frameWidth + left), 0.0), window.height, layout.frameWidth + left,
                                   backdrop->opacity, backdrop->dismiss, "kezContentMarginBackdropRight"))
        .transition(ui::Transition::opacity())
        .testId("kezContentMarginBackdrop");
}

}  // namespace

bool isAnyOverlayPresented(const SequencerStore& store) {
    return store.isPresetDialogPresented.get() || store.dialog.get() || store.dropdown.get() || store.activeModal().get();
}

std::optional<store::DialogRequest> fullscreenPromptRequest(const SequencerStore& store) {
    const auto& dialog = store.dialog.get();
    if (!dialog || dialog->kind != store::DialogRequest::Kind::prompt) return std::nullopt;
    if (!store.isHostedUI.get() && !dialog->prefersFullscreen) return std::nullopt;
    return dialog;
}

ui::Color fullscreenPromptAccent(const SequencerStore& store, const store::DialogRequest& request) {
    return dialogAccent(request, activeAccent(store));
}

namespace {

View fullWindowPrompt(const SequencerStore& store, const store::DialogRequest& prompt) {
    return ui::zstack({ui::unit::topLeading}, ui::color(editorBackgroundColor),
                      View(HostedFullscreenPrompt{prompt}).id(ui::ViewId(prompt.id.string())).testId("kezFullscreenPrompt"))
        .environment<KezAccentKey>(fullscreenPromptAccent(store, prompt));
}

// The editor at its design size, scaled into a window of whatever size it is given, with its overlays and the
// layers above it.
View scaledEditor(SequencerStore& store, EditorLayoutRules rules, ui::State<double> naturalBaseHeight,
                  ui::State<std::optional<WindowReference>> hostWindow, OverlayAnchors anchors) {
    return ui::geometryReader([&store, rules, naturalBaseHeight, hostWindow, anchors](const ui::GeometryProxy& g) {
        const ui::Size window = g.size();
        const EditorLayout layout =
            editorLayout(store.isHostedUI.get(), window, store.uiMaxContentWidth.get(), naturalBaseHeight.get(), rules);
        const View editor = withOverlays(mainStack(store, layout), store, anchors, hostWindow);
        return windowArea(window,
                          {placedInWindow(editor, layout, window), marginBackdropView(store, layout, window), resizeGrip(store, window)});
    });
}

// The main stack's height, once measured, becomes its natural height a main-queue turn later.
View adoptingContentHeight(View editor, foundation::MainQueue& queue, ui::State<double> naturalBaseHeight) {
    return editor.onPreferenceChange<CanvasContentHeightKey>([&queue, naturalBaseHeight](const double& height) {
        if (height <= 0) return;
        queue.async([naturalBaseHeight, height] { naturalBaseHeight.set(height); });
    });
}

// A store flag that asks for an open panel, what the panel chooses, its active flag (one panel of a kind at
// a time) and where its result goes: the library, which also clears the store's flag.
struct OpenPanel {
    bool requested;
    ChooserRequest request;
    ui::State<bool> active;
    void (library::PresetLibrary::*handler)(const library::PickerResult&);
};

void presentOpenPanel(EditorServices& services, const OpenPanel& panel, std::optional<WindowReference> window) {
    if (panel.active.get()) return;
    panel.active.set(true);
    services.presentChooser(panel.request, window, [&services, panel](const library::PickerResult& result) {
        (services.presetLibrary().*panel.handler)(result);
        panel.active.set(false);
    });
}

// A change of a panel's store flag to true presents the panel.
View runningOpenPanels(View body, EditorServices& services, std::span<const OpenPanel> panels, std::optional<WindowReference> window) {
    for (const OpenPanel& panel : panels) {
        body = body.onChange<bool>(panel.requested, [&services, panel, window](const bool& shown) {
            if (shown) presentOpenPanel(services, panel, window);
        });
    }
    return body;
}

}  // namespace

View KezContent::body(ui::BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    auto& services = context.object<EditorServices>();
    context.observe(store.didChange);
    // View state is matched by the order it is asked for: the overlay anchors, held only while the editor is
    // shown, come last.
    const auto naturalBaseHeight = context.state<double>(0);
    const auto hostWindow = context.state<std::optional<WindowReference>>();
    const OpenPanel openPanels[] = {
        {store.isBackupFolderPickerPresented.get(),
         {.chooseFolders = true},
         context.state(false),
         &library::PresetLibrary::exportPresetsToSelectedFolder},
        {store.isImportAllFolderPickerPresented.get(),
         {.chooseFolders = true},
         context.state(false),
         &library::PresetLibrary::importPresetsFromSelectedFolder},
        {store.isImportOnePresetPickerPresented.get(),
         {.chooseFolders = false, .fileTypes = {"json"}},
         context.state(false),
         &library::PresetLibrary::importPresetFromSelectedFile},
        {store.isMIDIExportFolderPickerPresented.get(),
         {.chooseFolders = true},
         context.state(false),
         &library::PresetLibrary::exportMIDIToSelectedFolder},
    };

    View body;
    if (const auto prompt = fullscreenPromptRequest(store)) {
        body = fullWindowPrompt(store, *prompt);
    } else {
        const OverlayAnchors anchors{context.state<ModalAnchorKey::Value>(), context.state<DropdownAnchorKey::Value>()};
        body = adoptingContentHeight(scaledEditor(store, rules, naturalBaseHeight, hostWindow, anchors), context.mainQueue(),
                                     naturalBaseHeight);
    }
    const std::optional<WindowReference> panelWindow = hostWindow.get() ? hostWindow.get() : context.env<HostWindowKey>();
    return runningOpenPanels(body, services, openPanels, panelWindow);
}

}  // namespace pulvan::views

#include "editor/views/shell/dropdown_host.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/dropdown_panel.h"
#include "editor/views/shell/dropdown_placement.h"
#include "editor/views/shell/overlay_backdrop.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/preferences.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;
using M = DropdownMetrics;

namespace {

// The panel's measurements, belonging to one request: a new request starts unmeasured.
struct PanelMeasurements {
    foundation::Uuid request;
    Size panelSize;
    double listWidth = 0;
    friend bool operator==(const PanelMeasurements&, const PanelMeasurements&) = default;
};

}  // namespace

View DropdownHost::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const auto measurements = context.state<PanelMeasurements>();
    const auto& open = store.dropdown.get();
    if (!open) return View();
    const store::DropdownRequest request = *open;
    const PanelMeasurements measured = measurements->request == request.id ? *measurements : PanelMeasurements{request.id};
    const Color accent = request.presetStyle ? globalAccentColor() : activeAccent(store);
    const auto measure = [measurements](const foundation::Uuid& id, const std::function<void(PanelMeasurements&)>& change) {
        PanelMeasurements next = measurements->request == id ? *measurements : PanelMeasurements{id};
        change(next);
        measurements.set(next);
    };
    const auto close = [&store] { store.dropdown.set(std::nullopt); };

    return geometryReader([=, anchors = anchors](const GeometryProxy& proxy) {
               const auto found = anchors.find(request.anchorID);
               const std::optional<Rect> anchor = found == anchors.end() ? std::nullopt : std::optional(proxy.resolve(found->second));
               const Point origin = dropdownOrigin(
                   request, {.overlay = proxy.size(), .anchor = anchor, .panelSize = measured.panelSize, .listWidth = measured.listWidth});
               const View panel =
                   View(DropdownPanel{
                            .request = request,
                            .accent = accent,
                            .maxWidth = std::max(0.0, proxy.size().width - 2 * M::margin),
                            .maxHeight = dropdownAvailableHeight(request, proxy.size(), anchor),
                            .defaultVerticalListWidth = M::defaultVerticalListWidth,
                            .gridCellWidth = M::gridCellWidth,
                        })
                       .id(ViewId(request.id.string()))
                       .background(geometryReader(
                           [](const GeometryProxy& p) { return color(Color::clear()).preference<DropdownSizeKey>(p.size()); }))
                       .onPreferenceChange<DropdownSizeKey>(
                           [measure, id = request.id](const Size& size) { measure(id, [&](PanelMeasurements& m) { m.panelSize = size; }); })
                       .onPreferenceChange<DropdownContentWidthKey>([measure, request](const double& width) {
                           measure(request.id, [&](PanelMeasurements& m) { m.listWidth = dropdownListWidth(request, width); });
                       })
                       .fixedSize(false, true)
                       .testId("dropdown.panel")
                       .offset(origin.x, origin.y);
               return zstack({.alignment = unit::topLeading}, request.sticky ? View() : overlayBackdrop(close), panel);
           })
        .transition(Transition::opacity());
}

}  // namespace pulvan::views

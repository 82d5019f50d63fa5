#include "editor/views/shell/modal_host.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/modal_placement.h"
#include "editor/views/shell/overlay_backdrop.h"
#include "platform/ui/content.h"
#include "platform/ui/preferences.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

namespace {

// The modal's measured size, reported from behind it.
struct ModalSizeKey {
    using Value = Size;
    static Size defaultValue() { return {}; }
    static void reduce(Size& value, Size next) { value = next; }
};

}  // namespace

View ModalHost::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const auto open = store.activeModal().get();
    // Measured per modal, so another modal is not placed by the last one's height.
    const auto measured = context.state<std::map<store::KezModal, Size>>();
    if (!open || !makeModalContent) return View();
    const auto known = measured->find(*open);
    const double measuredHeight = known == measured->end() ? 0 : known->second.height;

    const ModalPresentation presentation = modalPresentation(*open);
    const Color accent = presentation.accent == ModalAccentSource::global ? globalAccentColor() : activeAccent(store);
    const auto dismiss = [&store] { store.setActiveModal(std::nullopt); };

    return geometryReader([=, *this](const GeometryProxy& proxy) {
               const Size overlay = proxy.size();
               const bool centred = presentation.placement == ModalPlacementKind::centred;
               const auto anchor = anchors.find(*open);
               ModalPlacementInput placement{
                   .overlay = overlay,
                   .anchor = anchor == anchors.end() ? std::nullopt : std::optional(proxy.resolve(anchor->second)),
                   .preferredWidth = presentation.preferredWidth,
                   .margin = margin,
                   .gap = gap,
               };
               // A modal taller than this scrolls its list, so it keeps its place under its opener.
               const double top = centred ? margin : modalPanelPlacement(placement).y;
               View modal = makeModalContent(*open)
                                .environment<KezAccentKey>(accent)
                                .environment<KezModalViewportWidthKey>(std::max(overlay.width - 2 * margin, 0.0))
                                .environment<KezModalViewportHeightKey>(std::max(overlay.height - margin - top, 0.0));
               if (centred) {
                   modal = modal.frame({.width = overlay.width, .height = overlay.height});
               } else {
                   placement.measuredHeight = measuredHeight;
                   const Point origin = modalPanelPlacement(placement);
                   modal = modal.fixedSize(false, true)
                               .background(geometryReader(
                                   [](const GeometryProxy& p) { return color(Color::clear()).preference<ModalSizeKey>(p.size()); }))
                               .onPreferenceChange<ModalSizeKey>([measured, modal = *open](const Size& size) {
                                   measured.modify([&](auto& sizes) { sizes[modal] = size; });
                               })
                               .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = unit::topLeading})
                               .offset(origin.x, origin.y);
               }
               return zstack({.alignment = unit::topLeading}, presentation.dimmedBackdrop ? overlayBackdrop(dismiss) : View(),
                             modal.id(ViewId(static_cast<int>(*open))));
           })
        .transition(Transition::opacity());
}

}  // namespace pulvan::views

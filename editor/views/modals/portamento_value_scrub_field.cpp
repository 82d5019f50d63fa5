#include "editor/views/modals/portamento_value_scrub_field.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/modals/settings_widgets.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace pulvan::views {

using namespace ui;

namespace {

struct PortamentoDrag {
    std::optional<int> dragStartValue;
    bool transactionActive = false;
};

int portamentoValue(const store::SequencerStore& store, bool isOnValue) {
    const model::Track* track = activeTrack(store);
    if (!track) return 0;
    return isOnValue ? track->portamentoOnValue : track->portamentoOffValue;
}

}  // namespace

View PortamentoValueScrubField::body(BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    context.observe(store.didChange);
    const auto scrub = context.storage<PortamentoDrag>();

    const auto changed = [&store, scrub, isOnValue = isOnValue, pixelsPerUnit = pixelsPerUnit](const DragValue& drag) {
        if (!scrub->dragStartValue) scrub->dragStartValue = portamentoValue(store, isOnValue);
        const int start = *scrub->dragStartValue;
        const int delta = static_cast<int>(std::lround(-drag.translation().y / pixelsPerUnit));
        const int value = std::min(std::max(start + delta, 0), 127);
        if (!scrub->transactionActive) {
            if (value == start) return;
            scrub->transactionActive = true;
            store.beginTransaction("Portamento CC value");
        }
        store.setPortamentoValue(value, isOnValue);
    };
    const auto ended = [&store, scrub](const DragValue&) {
        scrub->dragStartValue.reset();
        if (!scrub->transactionActive) return;
        scrub->transactionActive = false;
        store.endGestureTransaction();
    };

    return fieldBox(
               hstack({.alignment = Edge::center, .spacing = 8},
                      text(std::to_string(portamentoValue(store, isOnValue)))
                          .font(Font::system(13, FontWeight::semibold))
                          .lineLimit(1)
                          .foregroundColor(primaryTextColor),
                      symbol("chevron.up.chevron.down").font(Font::system(10, FontWeight::semibold)).foregroundColor(secondaryTextColor)),
               90, controlBackgroundColor)
        .onDrag({.minimumDistance = 0, .simultaneous = true}, changed, ended);
}

}  // namespace pulvan::views

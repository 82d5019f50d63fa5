#pragma once
// A small subtree that follows the playback display: only it is built again when the playhead publishes,
// and only when the value it shows changed.
#include "editor/store/sequencer_store.h"
#include "platform/ui/view.h"

#include <concepts>
#include <functional>
#include <optional>

namespace pulvan::views {

template <typename Value>
struct PlayheadReader {
    std::function<Value(const store::SequencerStore&)> value;
    std::function<ui::View(const Value&)> content;

    // The store and its playhead are installed as environment objects by an ancestor.
    ui::View body(ui::BuildContext& context) const {
        auto& store = context.object<store::SequencerStore>();
        auto& playhead = context.object<store::PlayheadState>();
        context.observe(store.didChange);
        const Value shown = value(store);
        if constexpr (std::equality_comparable<Value>) {
            context.observe(playhead.didChange, [value = value, &store, shown] { return value(store) != shown; });
        } else {
            context.observe(playhead.didChange);
        }
        return content(shown);
    }
};

}  // namespace pulvan::views

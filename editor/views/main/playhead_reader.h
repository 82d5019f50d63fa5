#pragma once
// A small subtree that follows the playback display: only it is built again when the playhead publishes.
#include "editor/store/sequencer_store.h"
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

// Observes the store and its playhead, both installed as environment objects by an ancestor, and
// returns the store.
const store::SequencerStore& observePlayback(ui::BuildContext& context);

template <typename Value>
struct PlayheadReader {
    std::function<Value(const store::SequencerStore&)> value;
    std::function<ui::View(const Value&)> content;

    ui::View body(ui::BuildContext& context) const { return content(value(observePlayback(context))); }
};

}  // namespace pulvan::views

#pragma once
// A subtree that follows one value of the playback display and is built again only when that value
// changes, not at every poll: the scene cells and the keyboard's lit keys read through it, so a tick
// that changes neither builds and repaints nothing of them.
#include "editor/store/sequencer_store.h"
#include "platform/foundation/signal.h"
#include "platform/ui/view.h"

#include <concepts>
#include <functional>

namespace pulvan::views {

template <std::equality_comparable Value>
struct PlaybackValueReader {
    // Read from the store and its playhead, both environment objects.
    std::function<Value(const store::SequencerStore&)> value;
    std::function<ui::View(const Value&)> content;

    ui::View body(ui::BuildContext& context) const {
        auto& store = context.object<store::SequencerStore>();
        context.observe(store.didChange);
        const auto rebuild = context.state<int>(0);
        struct Subscription {
            std::function<Value(const store::SequencerStore&)> value;
            Value shown{};
            foundation::Connection connection;
        };
        const auto subscription = context.storage<Subscription>();
        subscription->value = value;
        subscription->shown = value(store);
        if (!subscription->connection.connected()) {
            // Owned by the node's storage, so it ends with the node and never outlives what it reads.
            subscription->connection = context.object<store::PlayheadState>().didChange.connect([s = subscription.get(), rebuild, &store] {
                if (s->value(store) != s->shown) rebuild.set(*rebuild + 1);
            });
        }
        return content(subscription->shown);
    }
};

}  // namespace pulvan::views

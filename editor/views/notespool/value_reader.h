#pragma once
// A subtree that follows one value and is built again only when that value changes: it looks again
// whenever one of its signals fires (the playback display's poll, say) and whenever the store changes.
// The scene cells and each key's activity bar read through it, so a tick that changes neither builds
// nor repaints anything of them.
#include "editor/store/sequencer_store.h"
#include "platform/foundation/signal.h"
#include "platform/ui/view.h"

#include <concepts>
#include <functional>
#include <vector>

namespace pulvan::views {

template <std::equality_comparable Value>
struct ValueReader {
    std::vector<foundation::Signal<>*> signals;
    std::function<Value()> value;
    std::function<ui::View(const Value&)> content;

    ui::View body(ui::BuildContext& context) const {
        context.observe(context.object<store::SequencerStore>().didChange);
        const auto rebuild = context.state<int>(0);
        struct Subscription {
            std::function<Value()> value;
            Value shown{};
            std::vector<foundation::Connection> connections;
        };
        const auto subscription = context.storage<Subscription>();
        subscription->value = value;
        subscription->shown = value();
        if (subscription->connections.empty()) {
            // Owned by the node's storage, so they end with the node and never outlive what they read.
            for (foundation::Signal<>* signal : signals) {
                subscription->connections.push_back(signal->connect([s = subscription.get(), rebuild] {
                    if (s->value() != s->shown) rebuild.set(*rebuild + 1);
                }));
            }
        }
        return content(subscription->shown);
    }
};

}  // namespace pulvan::views

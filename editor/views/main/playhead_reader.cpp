#include "editor/views/main/playhead_reader.h"

namespace pulvan::views {

const store::SequencerStore& observePlayback(ui::BuildContext& context) {
    auto& store = context.object<store::SequencerStore>();
    auto& playhead = context.object<store::PlayheadState>();
    context.observe(store.didChange);
    context.observe(playhead.didChange);
    return store;
}

}  // namespace pulvan::views

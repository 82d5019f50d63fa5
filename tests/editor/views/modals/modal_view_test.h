#pragma once
// A store on a manual queue with six tracks whose channels and controllers differ, for the modals' views.
#include "editor/store/sequencer_store.h"
#include "platform/ui/harness.h"
#include "tests/editor/store/store_fixture.h"

#include <array>
#include <memory>
#include <vector>

namespace pulvan::views {

class ModalViewTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> store = makeStore();

    // Track i: channel i + 1, CC A 20 + i, CC B 30 + i, live values 64.
    void giveTracksDistinctControllers(int count = 6) {
        store->preset.modify([count](model::Preset& p) {
            p.tracks.resize(static_cast<std::size_t>(count), p.tracks.front());
            for (int i = 0; i < count; ++i) {
                model::Track& t = p.tracks[static_cast<std::size_t>(i)];
                t.id = foundation::Uuid::random();
                t.name = "Track " + std::to_string(i + 1);
                t.midiOutputChannel = i + 1;
                t.ccA = 20 + i;
                t.ccB = 30 + i;
                t.liveCCA = t.liveCCB = 64;
            }
        });
    }

    // The undo entries after the initial one.
    std::vector<std::string> undoLabels() const {
        auto labels = store->history().labels();
        labels.erase(labels.begin());
        return labels;
    }

    static std::array<int, 3> cc(int channel, int controller, int value) { return {0xB0 | (channel - 1), controller, value}; }
};

}  // namespace pulvan::views

#pragma once
// The keys lit for the notes the active track sounds, each held a moment after its note stops. It follows
// the playback display itself, so the keyboard is not built again at each poll; `changed` fires when a
// key may have gone light or dark.
#include "editor/store/playhead_state.h"
#include "editor/views/notespool/lit_note_hold.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/signal.h"

#include <functional>
#include <set>
#include <vector>

namespace pulvan::views {

class LitKeys {
public:
    LitKeys(foundation::MainQueue& queue, double holdSeconds);

    // Reads the sounding notes at every publication of the playhead; the newest reader counts.
    void follow(store::PlayheadState& playhead, std::function<std::set<int>()> sounding);
    bool isLit(int note) const { return hold_.isLit(note, queue_.clock().nowNanoseconds()); }

    foundation::Signal<> changed;

private:
    void update();

    foundation::MainQueue& queue_;
    LitNoteHold hold_;
    std::function<std::set<int>()> sounding_;
    foundation::Connection connection_;
    std::vector<foundation::Timer> expiryChecks_;
};

}  // namespace pulvan::views

#pragma once
// A keyboard 400 points wide in a window of its size, with a pool the rig keeps and every callback logged.
#include "editor/views/notespool/keyboard_view.h"
#include "platform/ui/harness.h"
#include "tests/editor/store/store_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace pulvan::views {

class KeyboardRig {
public:
    static constexpr double width = 400;

    KeyboardRig(store::SequencerStore& store, std::vector<int> pool, bool audition = true, bool grab = true)
        : pool(std::move(pool)),
          auditionEnabled(audition),
          grabEnabled(grab),
          harness([this, &store] { return keyboard().environmentObject(store).environmentObject(store.playhead); }, {width, 155}) {
        harness.update();
    }

    std::vector<int> pool;
    bool auditionEnabled;
    bool grabEnabled;
    bool movesAllowed = true;
    KeyboardScrollRequest scrollRequest;
    double requestedScrollLeft = 0;
    std::vector<std::string> log;
    double scrollLeft = -1, viewportWidth = -1, contentWidth = -1;
    ui::Harness harness;

    void rebuild() {
        harness.root().invalidate();
        harness.update();
    }
    void clearLog() { log.clear(); }

private:
    ui::View keyboard() {
        return KeyboardView{
            .pool = pool,
            .scrollRequest = scrollRequest,
            .requestedScrollLeft = requestedScrollLeft,
            .activeTrackNotes = [](const store::SequencerStore& s) { return s.playhead.activeTrackNotes.get(); },
            .activeTrackColor = ui::colorFromRGB(0xE0C040),
            .auditionEnabled = auditionEnabled,
            .auditionChannel = 3,
            .grabEnabled = grabEnabled,
            .onToggle =
                [this](int note) {
                    log.push_back("toggle " + std::to_string(note));
                    if (std::erase(pool, note) == 0) pool.push_back(note);
                    harness.root().invalidate();
                },
            .onMove =
                [this](int from, int to) {
                    log.push_back("move " + std::to_string(from) + ">" + std::to_string(to));
                    if (!movesAllowed) return false;
                    std::replace(pool.begin(), pool.end(), from, to);
                    harness.root().invalidate();
                    return true;
                },
            .onAuditionNoteOn = [this](int note,
                                       int channel) { log.push_back("on " + std::to_string(note) + "/" + std::to_string(channel)); },
            .onAuditionNoteOff = [this](int note,
                                        int channel) { log.push_back("off " + std::to_string(note) + "/" + std::to_string(channel)); },
            .onViewportChanged = [this](double s, double w, double c) { scrollLeft = s, viewportWidth = w, contentWidth = c; },
        };
    }
};

}  // namespace pulvan::views

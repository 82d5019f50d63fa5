#pragma once
// The notes pool's 128-key piano in a horizontally scrolling strip: a tap toggles a note, a long press
// grabs a pool note and moves it key by key, a two-finger swipe scrolls. Edits and audition notes leave
// through the callbacks; the keys the active track sounds are read through a playhead reader, so a
// playhead tick redraws the keys alone.
#include "editor/store/sequencer_store.h"
#include "editor/views/notespool/keyboard_geometry.h"
#include "editor/views/notespool/keyboard_scroll_request.h"
#include "platform/ui/view_modifiers.h"

#include <functional>
#include <set>
#include <vector>

namespace pulvan::views {

struct KeyboardView : ui::ViewModifiers<KeyboardView> {
    struct AuditionPress {
        int note = 0;
        int channel = 0;
        friend bool operator==(const AuditionPress&, const AuditionPress&) = default;
    };

    std::vector<int> pool;
    KeyboardScrollRequest scrollRequest;
    double keyboardHeight = 155;
    double requestedScrollLeft = 0;
    // Read from the store and its playhead (both environment objects) at every playhead tick; unset: nothing lit.
    std::function<std::set<int>(const store::SequencerStore&)> activeTrackNotes;
    ui::Color activeTrackColor;
    bool auditionEnabled = false;
    int auditionChannel = 1;
    bool grabEnabled = true;
    std::function<void(int)> onToggle;
    std::function<bool(int, int)> onMove;
    std::function<void(int, int)> onAuditionNoteOn;
    std::function<void(int, int)> onAuditionNoteOff;
    // (scroll offset, visible width, content width)
    std::function<void(double, double, double)> onViewportChanged;

    double whiteW = 36;
    double blackW = 26;
    double blackToWhiteHeightRatio = 0.6;
    std::set<int> blackPCs{1, 3, 6, 8, 10};
    int leadingOffsetWhiteCount = 2;
    double auditionTapPreviewDuration = 0.14;
    double trackActivityHoldDuration = 0.1;
    double grabPressDuration = 0.15;
    int initialCenterNote = 60;

    KeyboardGeometry geometry() const {
        return {whiteW, blackW, keyboardHeight, blackToWhiteHeightRatio, KeyboardGeometry::pitchClassMask(blackPCs)};
    }
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views

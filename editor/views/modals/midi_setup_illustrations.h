#pragma once
// The three pictures of the MIDI setup help, drawn as views and written to PNG at build time.
#include "platform/ui/view.h"

#include <string>
#include <vector>

namespace pulvan::views {

struct MidiSetupIllustration {
    std::string resourceName;  // the image's name in the bundle, without ".png"
    ui::Size size;             // in points
    ui::View view;
};

// "1_midi": tracks on their channels, one channel let through to the instrument's MIDI input.
// "2_cc": the CC A and CC B lanes turning two of the instrument's knobs.
// "3_slide": a legato step gliding from one note into the next on a mono instrument.
std::vector<MidiSetupIllustration> midiSetupIllustrations();

}  // namespace pulvan::views

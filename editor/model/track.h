#pragma once
#include "editor/model/fill_empty.h"
#include "editor/model/pattern.h"
#include "platform/foundation/uuid.h"

#include <string>
#include <vector>

namespace pulvan::model {

inline constexpr int kPatternsPerTrack = 8;

struct Track {
    foundation::Uuid id = foundation::Uuid::random();  // every new track has an identity of its own
    std::string name;
    bool mute = false;
    bool solo = false;
    int accentColorHex = 0;        // 0xRRGGBB
    int liveCCA = 0;               // 0...127
    int liveCCB = 0;               // 0...127
    bool legacyChromatic = false;  // read from old presets to seed the FIX lane; never written
    int octave = 0;
    int transpose = 0;
    std::vector<int> outputChord;
    bool poly = false;
    int midiOutputChannel = 1;
    int midiOutOffsetMs = 0;  // -200...200
    int ccA = 1;
    int ccB = 2;
    int portamentoCC = 0;         // 0 = no portamento controller
    int portamentoOnValue = 127;  // 0...127
    int portamentoOffValue = 0;   // 0...127
    FillEmpty fillEmpty = FillEmpty::circularOctUp;
    std::vector<Pattern> patterns;

    friend bool operator==(const Track&, const Track&) = default;
};

}  // namespace pulvan::model

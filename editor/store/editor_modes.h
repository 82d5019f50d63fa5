#pragma once
#include <cstdint>
#include <optional>

namespace pulvan::store {

// The modal shown over the editor; the store holds an optional one (none = no modal).
enum class KezModal {
    notesPool = 0,
    chord = 1,
    settings = 2,
    performance = 3,
    midiSetupHelp = 4,
    about = 5,
    patternGenerator303 = 6,
    globalSettings = 7
};

// MIDI recording: off; waiting for the next bar to start; recording; waiting for the bar end to stop.
enum class HostedMIDIRecordMode { idle = 0, armStart = 1, recording = 2, armStop = 3 };

// Which row of the 303 generator the keyboard and cursor edit.
enum class PatternGenerator303Mode { pitch = 0, time = 1 };

// A last-step edit sets the last step of every lane, or of one lane.
enum class LastStepMode { all, single };

enum class PresetDialogMode { load, save };

// Conversions from raw values give none for any value outside the listed cases.
std::optional<KezModal> kezModalFromRawValue(std::int64_t raw);
std::optional<HostedMIDIRecordMode> hostedMIDIRecordModeFromRawValue(std::int64_t raw);
std::optional<PatternGenerator303Mode> patternGenerator303ModeFromRawValue(std::int64_t raw);

template <typename Enum>
constexpr int rawValue(Enum value) {
    return static_cast<int>(value);
}

}  // namespace pulvan::store

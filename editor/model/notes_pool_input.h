#pragma once
#include <optional>
#include <string_view>

namespace pulvan::model {

// Where the notes pool comes from: the current scene's chord or the notes held at the MIDI input.
enum class NotesPoolInput { internalChord, midiIn };

// "internal_chord", "midi_in".
std::string_view rawValue(NotesPoolInput input);
std::optional<NotesPoolInput> notesPoolInputFromRawValue(std::string_view text);

}  // namespace pulvan::model

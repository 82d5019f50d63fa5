#include "editor/model/notes_pool_input.h"

#include "editor/model/raw_value_table.h"

namespace pulvan::model {
namespace {

constexpr detail::RawValueTable<NotesPoolInput, 2> kRawValues{{
    {NotesPoolInput::internalChord, "internal_chord"},
    {NotesPoolInput::midiIn, "midi_in"},
}};

}  // namespace

std::string_view rawValue(NotesPoolInput input) { return detail::textOf(kRawValues, input); }

std::optional<NotesPoolInput> notesPoolInputFromRawValue(std::string_view text) { return detail::valueOf(kRawValues, text); }

}  // namespace pulvan::model

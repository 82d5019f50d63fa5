#include "editor/views/shell/modal_contents.h"

#include "editor/views/modals/about_modal.h"
#include "editor/views/modals/global_settings_modal.h"
#include "editor/views/modals/midi_setup_help_modal.h"
#include "editor/views/modals/pattern_generator_303_modal.h"
#include "editor/views/modals/performance_modal.h"
#include "editor/views/modals/track_settings_modal.h"
#include "editor/views/notespool/chord_memory_modal.h"
#include "editor/views/notespool/notes_pool_modal.h"

namespace pulvan::views {

ui::View modalContent(store::KezModal modal) {
    switch (modal) {
        case store::KezModal::notesPool: return NotesPoolModal{};
        case store::KezModal::chord: return ChordMemoryModal{};
        case store::KezModal::settings: return TrackSettingsModal{};
        case store::KezModal::performance: return PerformanceModal{};
        case store::KezModal::midiSetupHelp: return MidiSetupHelpModal::withStandardTexts();
        case store::KezModal::about: return AboutModal{};
        case store::KezModal::patternGenerator303: return PatternGenerator303Modal{};
        case store::KezModal::globalSettings: return GlobalSettingsModal{};
    }
    return {};
}

}  // namespace pulvan::views

#include "editor/library/preset_library.h"

#include "editor/library/library_dialogs.h"

#include <limits>

namespace pulvan::library {

PresetLibrary::PresetLibrary(store::SequencerStore& store, PresetDocumentHooks hooks, PresetLibraryClocks clocks)
    : store_(store),
      hooks_(std::move(hooks)),
      clocks_(std::move(clocks)) {}

// Closures still held by dialogs or dropdowns do nothing from here on.
PresetLibrary::~PresetLibrary() = default;

void PresetLibrary::alert(std::string title, std::string message, bool prefersGlobalAccent) {
    store_.dialog.set(alertRequest(std::move(title), std::move(message), prefersGlobalAccent));
}

void PresetLibrary::forgetLastTap() {
    store_.lastPresetDialogTapName.reset();
    store_.lastPresetDialogTapDate = -std::numeric_limits<double>::infinity();
}

}  // namespace pulvan::library

#include "editor/library/library_dialogs.h"
#include "editor/library/library_error.h"
#include "editor/library/midi_export_files.h"
#include "editor/library/preset_library.h"

namespace pulvan::library {

std::string PresetLibrary::midiExportFileName(int bars) const {
    return library::midiExportFileName(bars, clocks_.wallTime(), store_.currentPresetName.get(), store_.visibleTrackCount());
}

void PresetLibrary::exportMIDIToSelectedFolder(const PickerResult& result) {
    store_.isMIDIExportFolderPickerPresented.set(false);
    // The take is handed over once; only a failed write gives it back.
    auto data = std::exchange(store_.pendingMIDIExportData, std::nullopt);
    const auto fileName = std::exchange(store_.pendingMIDIExportFileName, std::string());
    const int bars = std::exchange(store_.pendingMIDIExportBarCount, 0);
    if (!data || fileName.empty() || bars < 1) return;

    if (const auto* error = std::get_if<PickerError>(&result)) {
        if (!error->userCancelled) alert("MIDI export", "unable to save");
        return;
    }
    const auto& folders = std::get<std::vector<URL>>(result);
    if (folders.empty()) return;
    try {
        const std::string_view bytes(reinterpret_cast<const char*>(data->data()), data->size());
        const URL written = writeMIDIExportFile(bytes, fileName, folders.front());
        alert("MIDI export", "Saved \"" + written.filename().string() + "\" (" + std::to_string(bars) + " bars).", true);
    } catch (const LibraryError&) {
        // The recording exists nowhere else: it waits for another folder, which "OK" asks for.
        store_.pendingMIDIExportData = std::move(data);
        store_.pendingMIDIExportFileName = fileName;
        store_.pendingMIDIExportBarCount = bars;
        auto request = alertRequest("MIDI export", "unable to save");
        request.onConfirm = self_.weakly([](PresetLibrary& library, const std::string&) {
            if (library.store_.pendingMIDIExportData) library.store_.isMIDIExportFolderPickerPresented.set(true);
        });
        store_.dialog.set(std::move(request));
    }
}

}  // namespace pulvan::library

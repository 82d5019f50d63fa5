#include "editor/library/default_preset_file.h"

#include "editor/library/preset_listing.h"
#include "editor/model/preset_parser.h"
#include "platform/foundation/atomic_file.h"

namespace pulvan::library {

std::optional<model::Preset> readDefaultPresetFile() {
    const auto file = existingPresetFileURL("Default", std::nullopt);
    if (!file) return std::nullopt;
    const auto read = foundation::readWholeFile(*file);
    if (!read.bytes) return std::nullopt;
    try {
        return model::PresetParser::parse(*read.bytes);
    } catch (const std::exception&) {
        return std::nullopt;  // a damaged or foreign "Default" file: start from the default preset
    }
}

}  // namespace pulvan::library

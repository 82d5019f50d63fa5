#include "editor/library/named_json_files.h"

#include "platform/foundation/atomic_file.h"
#include "editor/library/file_name_coding.h"
#include "editor/library/preset_listing.h"
#include "editor/library/unicode_text.h"

#include <system_error>

namespace pulvan::library {

std::optional<URL> jsonFileNamedIgnoringCase(const URL& folder, std::string_view name) {
    const std::string wanted = trimmed(name);
    if (wanted.empty()) return std::nullopt;
    for (const URL& file : listJSONFiles(folder)) {
        if (equalIgnoringCase(decodedFileName(file), wanted)) return file;
    }
    return std::nullopt;
}

bool writeJSONFileReplacingOtherCase(const URL& folder, std::string_view name, std::string_view data) {
    const URL target = jsonFileURL(folder, name);
    const auto previous = jsonFileNamedIgnoringCase(folder, name);
    if (foundation::writeFileAtomically(target, data)) return false;
    if (previous && previous->filename() != target.filename()) {
        std::error_code ignored;
        std::filesystem::remove(*previous, ignored);
    }
    return true;
}

}  // namespace pulvan::library

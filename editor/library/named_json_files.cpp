#include "editor/library/named_json_files.h"

#include "editor/library/file_name_coding.h"
#include "editor/library/preset_listing.h"
#include "editor/library/preset_names.h"
#include "platform/foundation/atomic_file.h"
#include "platform/foundation/unicode_text.h"

#include <system_error>
#include <vector>

namespace pulvan::library {

std::optional<URL> jsonFileNamed(const URL& folder, std::string_view name) {
    if (foundation::isBlank(name)) return std::nullopt;
    const std::vector<URL> files = listJSONFiles(folder);
    // The file this name is written to comes first: "%3F.json" for "?", though "?.json"
    // decodes to the same name.
    const URL target = jsonFileURL(folder, name).filename();
    for (const URL& file : files) {
        if (file.filename() == target) return file;
    }
    std::vector<std::string> names;
    for (const URL& file : files) names.push_back(decodedFileName(file));
    if (auto match = matchingName(names, name)) return files[*match];
    return std::nullopt;
}

bool writeJSONFileReplacingOtherCase(const URL& folder, std::string_view name, std::string_view data) {
    const URL target = jsonFileURL(folder, name);
    const auto previous = jsonFileNamed(folder, name);
    if (foundation::writeFileAtomically(target, data)) return false;
    if (previous && previous->filename() != target.filename()) {
        std::error_code ignored;
        std::filesystem::remove(*previous, ignored);
    }
    return true;
}

}  // namespace pulvan::library

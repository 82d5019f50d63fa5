#include "editor/library/midi_export_files.h"

#include "editor/library/library_error.h"
#include "platform/foundation/atomic_file.h"
#include "platform/foundation/unicode_text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>

namespace pulvan::library {
namespace {

constexpr std::size_t kExportNameLimit = 80;
constexpr std::string_view kFallbackName = "pulvan";

bool keptInExportName(UChar32 c) {
    if (c < 0) return false;
    if (c == U' ' || c == U'-' || c == U'_' || c == U':' || c == U'+') return true;
    const int32_t mask = U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK;
    return (U_GET_GC_MASK(c) & mask) != 0;
}

// Replaces unwanted scalars by spaces and collapses white-space runs to one space.
std::string spacedOut(std::string_view name) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(name.data());
    const auto length = static_cast<int32_t>(name.size());
    std::string result;
    bool lastWasSpace = false;
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        const bool space = !keptInExportName(c) || u_isUWhiteSpace(c);
        if (space) {
            if (!lastWasSpace) result += ' ';
        } else {
            result.append(name.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
        }
        lastWasSpace = space;
    }
    return result;
}

// The name less its extension: the text from the last dot of the last component.
std::string_view withoutExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    const auto slash = name.rfind('/');
    if (dot == std::string_view::npos || dot == 0 || (slash != std::string_view::npos && dot < slash)) return name;
    if (slash != std::string_view::npos && dot == slash + 1) return name;
    return name.substr(0, dot);
}

}  // namespace

std::string sanitizedExportFileName(std::string_view name) {
    const std::string trimmedName = foundation::trimmed(name);
    if (trimmedName.empty()) return std::string(kFallbackName);
    std::string result = foundation::firstCharacters(foundation::trimmed(spacedOut(trimmedName)), kExportNameLimit);
    return result.empty() ? std::string(kFallbackName) : result;
}

std::string midiExportFileName(int bars, std::time_t now, std::string_view presetName, int visibleTrackCount) {
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %Hh%M", &local);

    std::string name = std::string(stamp) + " pulvan";
    if (!foundation::isBlank(presetName)) {
        const std::string part = sanitizedExportFileName(foundation::trimmed(presetName));
        if (!foundation::equalIgnoringCase(part, kFallbackName)) name.append(" ").append(part);
    }
    name.append(" ").append(std::to_string(std::max(visibleTrackCount, 1))).append("tracks");
    name.append(" ").append(std::to_string(std::max(bars, 1))).append("bars");
    return name + ".mid";
}

URL writeMIDIExportFile(std::string_view data, std::string_view fileName, const URL& folder) {
    if (!isReachable(folder)) throw LibraryError::folderGone();

    const std::string base = sanitizedExportFileName(withoutExtension(fileName));
    URL target = folder / (base + ".mid");
    for (int n = 2;; ++n) {
        // The write itself refuses a taken name, so nothing is ever replaced, even a
        // file that appears between a check and the write.
        const std::error_code error = foundation::writeNewFileAtomically(target, data);
        if (!error) return target;
        if (error != std::errc::file_exists) throw LibraryError::fromSystem(error);
        target = folder / (base + " (" + std::to_string(n) + ").mid");
    }
}

}  // namespace pulvan::library

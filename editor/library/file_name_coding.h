#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// How preset, folder and chord-progression names become file names and back.
namespace pulvan::library {

// Every byte of a character outside letters, marks, digits, space, "-" and "_" becomes
// "%XX" (upper-case hex), so the result never holds "/", ".", control characters or
// invalid UTF-8 and cannot leave the folder it is joined to.
std::string percentEncodedFileName(std::string_view name);

// Decodes "%XX" escapes; none for an invalid escape or when the bytes are not UTF-8.
std::optional<std::string> percentDecoded(std::string_view text);

// Name of a preset or chord-progression file: last component less its extension,
// decoded, or left undecoded when an escape is broken; bytes that are not UTF-8 are
// read as Latin-1, so the name is always valid UTF-8.
std::string decodedFileName(const std::filesystem::path& file);

// Name of a folder: its whole last component, decoded in the same way.
std::string decodedFolderName(const std::filesystem::path& folder);

// "<encoded name>.json".
std::string jsonFileName(std::string_view name);

// "<folder>/<encoded name>.json".
std::filesystem::path jsonFileURL(const std::filesystem::path& folder, std::string_view name);

// True when the extension, lower-cased, is "json".
bool hasJSONExtension(const std::filesystem::path& file);

}  // namespace pulvan::library

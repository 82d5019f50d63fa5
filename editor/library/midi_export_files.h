#pragma once

#include "editor/library/preset_paths.h"

#include <ctime>
#include <string>
#include <string_view>

// File names and writing of recorded takes (Standard MIDI Files).
namespace pulvan::library {

// Letters, marks, digits, space, "-", "_", ":" and "+" stay; everything else becomes a
// space; runs of white space become one; trimmed and cut to 80 characters; "pulvan"
// when nothing is left.
std::string sanitizedExportFileName(std::string_view name);

// "<yyyy-MM-dd HH'h'mm> pulvan [<preset name>] <N>tracks <B>bars.mid", the time in the
// local time zone.
std::string midiExportFileName(int bars, std::time_t now, std::string_view presetName, int visibleTrackCount);

// Writes the take into the folder under the sanitised name, or under "<name> (2).mid",
// "(3)" and so on when taken: an existing file is never replaced. Answers the file
// written; throws LibraryError when the folder is gone or the write fails.
URL writeMIDIExportFile(std::string_view data, std::string_view fileName, const URL& folder);

}  // namespace pulvan::library

#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace pulvan::foundation {

// Replaces the file in one step: the bytes go to a hidden temporary file in the same
// folder, are flushed to disk and then renamed over the target, so a reader sees the
// old file or the new one, never a part, and a failure leaves the old file as it was.
// The folder must exist. Returns the error that stopped the write, or none.
std::error_code writeFileAtomically(const std::filesystem::path& target, std::string_view data);

// Moves a finished file to a name that must be free, never replacing what is there:
// answers 0 or the errno that stopped it.
using MoveToFreeName = int (*)(const char* from, const char* to);
int renameWithoutReplacing(const char* from, const char* to);

// The same, but an existing target is never replaced: it answers EEXIST instead. Where
// the folder's file system cannot move without replacing (NFS, FUSE mounts), the file is
// created under its name exclusively and written there; a failed write removes it.
std::error_code writeNewFileAtomically(const std::filesystem::path& target, std::string_view data,
                                       MoveToFreeName move = renameWithoutReplacing);

// The file's bytes, or the error that stopped the read. Only regular files are read,
// so a pipe or a device with a file's name never makes the caller wait.
struct ReadResult {
    std::optional<std::string> bytes;
    std::error_code error;
};
ReadResult readWholeFile(const std::filesystem::path& file);

}  // namespace pulvan::foundation

#pragma once
#include <filesystem>
#include <string_view>

namespace pulvan::foundation {

// Whether an entry of that name can be made in the folder: its bytes within the limit the
// folder's file system sets on a name. A folder not made yet has the limit of the nearest
// one above it; where no limit is known the name fits, and the write itself answers.
bool fileNameFits(const std::filesystem::path& folder, std::string_view name);

}  // namespace pulvan::foundation

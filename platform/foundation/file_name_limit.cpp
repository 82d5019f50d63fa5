#include "platform/foundation/file_name_limit.h"

#include <unistd.h>

#include <cerrno>

namespace pulvan::foundation {

bool fileNameFits(const std::filesystem::path& folder, std::string_view name) {
    for (std::filesystem::path at = folder;; at = at.parent_path()) {
        errno = 0;
        const long limit = ::pathconf(at.empty() ? "." : at.c_str(), _PC_NAME_MAX);
        if (limit >= 0) return name.size() <= static_cast<std::size_t>(limit);
        if (errno != ENOENT || at == at.parent_path()) return true;
    }
}

}  // namespace pulvan::foundation

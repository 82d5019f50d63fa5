#include "platform/foundation/user_defaults.h"

#include "platform/foundation/atomic_file.h"
#include "platform/foundation/base64.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace pulvan::foundation {

namespace {

constexpr const char* dataTag = "$data";

// Held across a read-modify-write so that concurrent writers queue up.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& lockPath) {
        std::error_code error;
        std::filesystem::create_directories(lockPath.parent_path(), error);
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

// The stored object; none when the file exists but cannot be read as a JSON object.
std::optional<nlohmann::json> readObject(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error) && !error) return nlohmann::json::object();
    auto read = readWholeFile(file);
    if (!read.bytes) return std::nullopt;  // there but unreadable: never written over
    auto parsed = nlohmann::json::parse(*read.bytes, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) return std::nullopt;
    return parsed;
}

}  // namespace

std::filesystem::path UserDefaults::standardPath() {
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = std::filesystem::temp_directory_path();
    }
    return base / "Kezwerk" / "Pulvan" / "defaults.json";
}

std::optional<nlohmann::json> UserDefaults::value(const std::string& key) const {
    auto object = readObject(file_);
    if (!object) return std::nullopt;
    auto it = object->find(key);
    if (it == object->end()) return std::nullopt;
    return *it;
}

std::optional<std::vector<std::uint8_t>> UserDefaults::data(const std::string& key) const {
    auto stored = value(key);
    if (!stored || !stored->is_object() || stored->size() != 1) return std::nullopt;
    auto it = stored->find(dataTag);
    if (it == stored->end() || !it->is_string()) return std::nullopt;
    return base64Decode(it->get_ref<const std::string&>());
}

template <typename Change>
bool UserDefaults::update(Change&& change) {
    FileLock lock(std::filesystem::path(file_.string() + ".lock"));
    auto object = readObject(file_);
    if (!object) {
        // Keep a damaged file for the user instead of writing over it.
        std::error_code error;
        std::filesystem::rename(file_, std::filesystem::path(file_.string() + ".damaged"), error);
        if (error) return false;
        object = nlohmann::json::object();
    }
    change(*object);
    const std::string text = object->dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    return !writeFileAtomically(file_, text);
}

bool UserDefaults::setValue(const std::string& key, const nlohmann::json& value) {
    return update([&](nlohmann::json& object) { object[key] = value; });
}

bool UserDefaults::setData(const std::string& key, std::span<const std::uint8_t> bytes) {
    return setValue(key, nlohmann::json{{dataTag, base64Encode(bytes)}});
}

bool UserDefaults::removeValue(const std::string& key) {
    return update([&](nlohmann::json& object) { object.erase(key); });
}

}  // namespace pulvan::foundation

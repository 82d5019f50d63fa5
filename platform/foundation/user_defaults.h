#pragma once
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pulvan::foundation {

// The user's defaults: one JSON object in one file, keyed by name. Every read
// goes to the file and every write rewrites it atomically under a lock, so
// several editors (plug-in instances, the standalone application) share it
// without losing each other's keys. Byte values are kept as {"$data": base64}.
class UserDefaults {
public:
    explicit UserDefaults(std::filesystem::path file) : file_(std::move(file)) {}

    // $XDG_CONFIG_HOME/Kezwerk/Pulvan/defaults.json ($HOME/.config when unset),
    // resolved at each call.
    static std::filesystem::path standardPath();
    static UserDefaults standard() { return UserDefaults(standardPath()); }

    const std::filesystem::path& path() const { return file_; }

    std::optional<nlohmann::json> value(const std::string& key) const;
    std::optional<std::vector<std::uint8_t>> data(const std::string& key) const;

    // False when the file cannot be written; the stored defaults are then unchanged.
    bool setValue(const std::string& key, const nlohmann::json& value);
    bool setData(const std::string& key, std::span<const std::uint8_t> bytes);
    bool removeValue(const std::string& key);

private:
    template <typename Change>
    bool update(Change&& change);

    std::filesystem::path file_;
};

}  // namespace pulvan::foundation

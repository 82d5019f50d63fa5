#include "editor/model/preset_json.h"
#include "editor/model/preset_reading.h"

#include <iterator>

namespace pulvan::model {
namespace {

// An nlohmann-json value seen through JsonValue's members.
class DomValue {
public:
    explicit DomValue(const nlohmann::json& json) : json_(&json) {}

    JsonKind kind() const {
        switch (json_->type()) {
            case nlohmann::json::value_t::boolean: return JsonKind::boolean;
            case nlohmann::json::value_t::number_integer: return JsonKind::integer;
            case nlohmann::json::value_t::number_unsigned:
                return bigUnsigned() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ? JsonKind::bigUnsigned
                                                                                                            : JsonKind::integer;
            case nlohmann::json::value_t::number_float: return JsonKind::fraction;
            case nlohmann::json::value_t::string: return JsonKind::string;
            case nlohmann::json::value_t::array: return JsonKind::array;
            case nlohmann::json::value_t::object: return JsonKind::object;
            default: return JsonKind::null;
        }
    }
    bool boolean() const { return json_->get<bool>(); }
    std::int64_t integer() const { return json_->get<std::int64_t>(); }
    std::uint64_t bigUnsigned() const { return json_->get<std::uint64_t>(); }
    double fraction() const { return json_->get<double>(); }
    std::string_view text() const { return json_->get_ref<const std::string&>(); }
    std::size_t size() const { return json_->size(); }

    class Iterator {
    public:
        explicit Iterator(nlohmann::json::const_iterator at) : at_(at) {}
        DomValue operator*() const { return DomValue(*at_); }
        Iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return at_ != other.at_; }

    private:
        nlohmann::json::const_iterator at_;
    };
    struct Elements {
        Iterator first, last;
        Iterator begin() const { return first; }
        Iterator end() const { return last; }
    };
    Elements elements() const { return {Iterator(json_->begin()), Iterator(json_->end())}; }
    std::optional<DomValue> member(std::string_view key) const {
        const auto found = json_->find(key);
        if (found == json_->end()) return std::nullopt;
        return DomValue(*found);
    }

private:
    const nlohmann::json* json_;
};

}  // namespace

Preset parsePresetJson(const nlohmann::json& json) { return preset_reading::parsePreset(DomValue(json)); }
Preset presetFromJson(const nlohmann::json& json) { return preset_reading::readPreset(DomValue(json)); }
Track trackFromJson(const nlohmann::json& json) { return preset_reading::readTrack(DomValue(json)); }
Pattern patternFromJson(const nlohmann::json& json) { return preset_reading::readPattern(DomValue(json)); }
Lane laneFromJson(const nlohmann::json& json, LaneKind kind) { return preset_reading::readLane(DomValue(json), kind); }
ChordPreset chordPresetFromJson(const nlohmann::json& json) { return preset_reading::readChordPreset(DomValue(json)); }

}  // namespace pulvan::model

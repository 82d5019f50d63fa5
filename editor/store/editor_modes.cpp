#include "editor/store/editor_modes.h"

namespace pulvan::store {

namespace {

template <typename Enum>
std::optional<Enum> fromRaw(std::int64_t raw, Enum last) {
    if (raw < 0 || raw > static_cast<std::int64_t>(last)) return std::nullopt;
    return static_cast<Enum>(raw);
}

}  // namespace

std::optional<KezModal> kezModalFromRawValue(std::int64_t raw) { return fromRaw(raw, KezModal::globalSettings); }

std::optional<HostedMIDIRecordMode> hostedMIDIRecordModeFromRawValue(std::int64_t raw) {
    return fromRaw(raw, HostedMIDIRecordMode::armStop);
}

std::optional<PatternGenerator303Mode> patternGenerator303ModeFromRawValue(std::int64_t raw) {
    return fromRaw(raw, PatternGenerator303Mode::time);
}

}  // namespace pulvan::store

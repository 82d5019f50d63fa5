#include "editor/views/notespool/lit_note_hold.h"

namespace pulvan::views {

std::vector<std::pair<int, std::int64_t>> LitNoteHold::update(const std::set<int>& sounding, std::int64_t now) {
    std::vector<std::pair<int, std::int64_t>> checks;
    for (int note : previous_) {
        if (sounding.contains(note)) continue;
        releaseDeadlines_[note] = now + hold_;
        checks.emplace_back(note, now + hold_);
    }
    for (int note : sounding) releaseDeadlines_.erase(note);
    previous_ = sounding;
    return checks;
}

bool LitNoteHold::expire(int note, std::int64_t deadline, std::int64_t now) {
    const auto held = releaseDeadlines_.find(note);
    if (held == releaseDeadlines_.end() || held->second > deadline || held->second > now) return false;
    releaseDeadlines_.erase(held);
    return true;
}

bool LitNoteHold::isLit(int note, std::int64_t now) const {
    if (previous_.contains(note)) return true;
    const auto held = releaseDeadlines_.find(note);
    return held != releaseDeadlines_.end() && held->second > now;
}

void LitNoteHold::reset(const std::set<int>& sounding) {
    previous_ = sounding;
    releaseDeadlines_.clear();
}

}  // namespace pulvan::views

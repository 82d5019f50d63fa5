#pragma once
// Keys the active track stops sounding stay lit a moment, so short notes still show.
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace pulvan::views {

class LitNoteHold {
public:
    explicit LitNoteHold(std::int64_t holdNanoseconds) : hold_(holdNanoseconds) {}

    // The notes sounding now; returns the (note, deadline) pairs whose expiry to check once they pass.
    std::vector<std::pair<int, std::int64_t>> update(const std::set<int>& sounding, std::int64_t now);
    // Drops a hold whose deadline has passed and was not renewed; true when the key goes dark.
    bool expire(int note, std::int64_t deadline, std::int64_t now);
    bool isLit(int note, std::int64_t now) const;
    const std::set<int>& sounding() const { return previous_; }
    void reset(const std::set<int>& sounding = {});

private:
    std::int64_t hold_;
    std::set<int> previous_;
    std::map<int, std::int64_t> releaseDeadlines_;
};

}  // namespace pulvan::views

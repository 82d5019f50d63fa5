#include "editor/model/note_lists.h"

#include <algorithm>

namespace pulvan::model {

std::vector<int> sortedUniqueNotes(std::vector<int> notes) {
    std::sort(notes.begin(), notes.end());
    notes.erase(std::unique(notes.begin(), notes.end()), notes.end());
    return notes;
}

}  // namespace pulvan::model

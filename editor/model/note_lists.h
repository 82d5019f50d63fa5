#pragma once
#include <vector>

namespace pulvan::model {

// The notes ascending, each once: the form of the notes pool and of a scene's chord.
std::vector<int> sortedUniqueNotes(std::vector<int> notes);

}  // namespace pulvan::model

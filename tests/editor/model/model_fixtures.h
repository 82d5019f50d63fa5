#pragma once
#include "editor/model/preset.h"

#include <string>
#include <string_view>
#include <vector>

namespace pulvan::model::test {

// The bytes of a hand-written preset file under tests/editor/model/fixtures.
std::string readFixture(std::string_view name);
// The names of every file there.
std::vector<std::string> fixtureNames();

// Six tracks of eight patterns in which every lane differs from its default and every NOTES
// step holds a three-note chord: the largest preset the editor produces.
Preset fullPreset();

}  // namespace pulvan::model::test

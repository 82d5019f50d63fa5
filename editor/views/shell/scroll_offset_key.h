#pragma once
// A scroll offset reported up the tree (the notes-pool keyboard's); the last reported value wins.
namespace pulvan::views {

struct ScrollOffsetKey {
    using Value = double;
    static double defaultValue() { return 0; }
    static void reduce(double& value, double next) { value = next; }
};

}  // namespace pulvan::views

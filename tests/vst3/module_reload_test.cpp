// A host that unloads the module and loads it again in one process finds nothing of the module's left
// behind, and each load works like the first: the host program runs as a child, built without pango and
// GLib of its own, as many hosts are.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

TEST(ModuleReload, EveryLoadShowsTheEditorAndEveryUnloadLeavesTheHostAsTheFirstDid) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    constexpr int cycles = 6;
    pulvan::test::ChildProcess host({PULVAN_RELOAD_HOST, std::to_string(cycles)});
    ASSERT_TRUE(host.started());
    // The host ends a cycle that hangs itself and says which; this bound is for a host that cannot.
    EXPECT_EQ(host.exitStatusWithin(std::chrono::seconds(70 * cycles)), 0) << "the host says why above";
}

}  // namespace

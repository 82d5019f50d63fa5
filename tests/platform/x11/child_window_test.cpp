// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "platform/x11/child_window.h"
#include "tests/platform/x11/host_window.h"

#include <cstdlib>
#include <memory>

namespace {

using pulvan::x11::ChildWindow;
using pulvan::x11::test::HostWindow;

class ChildWindowInHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        host = std::make_unique<HostWindow>(900, 520);
        ASSERT_TRUE(host->open()) << "cannot open the X display " << std::getenv("DISPLAY");
    }
    std::unique_ptr<HostWindow> host;
};

TEST_F(ChildWindowInHost, ChildLivesInsideTheParentAndGoesWithIt) {
    {
        auto child = ChildWindow::create(host->window(), {640, 365});
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(host->parentOf(child->id()), host->window());
        EXPECT_EQ(child->parent(), host->window());
        EXPECT_EQ(host->childCount(), 1u);
        EXPECT_EQ(child->size().width, 640);
        EXPECT_EQ(child->size().height, 365);
    }
    EXPECT_EQ(host->childCount(), 0u);
}

TEST_F(ChildWindowInHost, FillParentTakesTheParentsSize) {
    auto child = ChildWindow::create(host->window(), {10, 10});
    ASSERT_NE(child, nullptr);
    child->fillParent();
    EXPECT_EQ(child->size().width, 900);
    EXPECT_EQ(child->size().height, 520);

    host->resize(1280, 730);
    child->fillParent();
    EXPECT_EQ(child->size().width, 1280);
    EXPECT_EQ(child->size().height, 730);
}

TEST_F(ChildWindowInHost, ResizeKeepsAtLeastOnePixel) {
    auto child = ChildWindow::create(host->window(), {100, 100});
    ASSERT_NE(child, nullptr);
    child->resize({0, -4});
    EXPECT_EQ(child->size().width, 1);
    EXPECT_EQ(child->size().height, 1);
}

TEST_F(ChildWindowInHost, MissingParentGivesNoWindowAndDoesNotAbort) {
    EXPECT_EQ(ChildWindow::create(0, {100, 100}), nullptr);
    Display* display = host->display();
    const Window gone = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, gone);
    XSync(display, False);
    EXPECT_EQ(ChildWindow::create(gone, {100, 100}), nullptr);
}

}  // namespace

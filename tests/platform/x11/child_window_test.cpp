// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>

#include "platform/x11/child_window.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace {

using pulvan::x11::ChildWindow;
using pulvan::x11::WindowSize;

// The "host": its own connection and a top-level window, as a plug-in host has.
class HostWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "cannot open the X display " << std::getenv("DISPLAY");
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 900, 520, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override {
        if (!display) return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    Window parentOf(unsigned long window) {
        Window root = 0, parentWindow = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parentWindow, &children, &count)) return 0;
        if (children) XFree(children);
        return parentWindow;
    }
    unsigned childCount() {
        Window root = 0, parentWindow = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, parent, &root, &parentWindow, &children, &count);
        if (children) XFree(children);
        return count;
    }

    Display* display = nullptr;
    Window parent = 0;
};

TEST_F(HostWindow, ChildLivesInsideTheParentAndGoesWithIt) {
    {
        auto child = ChildWindow::create(parent, {640, 365});
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(parentOf(child->id()), parent);
        EXPECT_EQ(child->parent(), parent);
        EXPECT_EQ(childCount(), 1u);
        EXPECT_EQ(child->size().width, 640);
        EXPECT_EQ(child->size().height, 365);
    }
    EXPECT_EQ(childCount(), 0u);
}

TEST_F(HostWindow, FillParentTakesTheParentsSize) {
    auto child = ChildWindow::create(parent, {10, 10});
    ASSERT_NE(child, nullptr);
    child->fillParent();
    EXPECT_EQ(child->size().width, 900);
    EXPECT_EQ(child->size().height, 520);

    XResizeWindow(display, parent, 1280, 730);
    XSync(display, False);
    child->fillParent();
    EXPECT_EQ(child->size().width, 1280);
    EXPECT_EQ(child->size().height, 730);
}

TEST_F(HostWindow, ResizeKeepsAtLeastOnePixel) {
    auto child = ChildWindow::create(parent, {100, 100});
    ASSERT_NE(child, nullptr);
    child->resize({0, -4});
    EXPECT_EQ(child->size().width, 1);
    EXPECT_EQ(child->size().height, 1);
}

TEST_F(HostWindow, MissingParentGivesNoWindowAndDoesNotAbort) {
    EXPECT_EQ(ChildWindow::create(0, {100, 100}), nullptr);
    const Window gone = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, gone);
    XSync(display, False);
    EXPECT_EQ(ChildWindow::create(gone, {100, 100}), nullptr);
}

}  // namespace

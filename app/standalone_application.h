#pragma once
// The standalone application's one window: the editor on the standalone composition, in a top-level
// window titled "Pulvan" of 1280 x 730 points (at least 640 x 400) that quits the application when closed;
// with unsaved edits, closing it asks first.
#include "editor/link/editor_composition.h"
#include "platform/audiounit/component_registry.h"
#include "platform/ui/root.h"
#include "platform/x11/event_loop.h"
#include "platform/x11/window_host.h"

#include <memory>

namespace pulvan::app {

class StandaloneApplication {
public:
    // Nothing when no X display answers.
    static std::unique_ptr<StandaloneApplication> open(x11::EventLoop& loop, const au::ComponentRegistry& registry);
    ~StandaloneApplication();
    StandaloneApplication(const StandaloneApplication&) = delete;
    StandaloneApplication& operator=(const StandaloneApplication&) = delete;

    link::EditorComposition& composition() { return *composition_; }
    x11::WindowHost& window() { return *window_; }
    ui::Root& root() { return *root_; }
    // Stops play first, so that every sounding note ends, then the loop.
    void quit();
    // The window's close: with unsaved edits it asks whether to give them up and quits on the answer "Quit";
    // else it quits at once.
    void close();

private:
    explicit StandaloneApplication(x11::EventLoop& loop) : loop_(loop) {}

    x11::EventLoop& loop_;
    std::unique_ptr<link::EditorComposition> composition_;
    std::unique_ptr<ui::Root> root_;
    std::unique_ptr<x11::WindowHost> window_;
};

}  // namespace pulvan::app

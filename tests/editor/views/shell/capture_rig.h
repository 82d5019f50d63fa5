#pragma once
// Drives a capture view through the harness with a stepped clock and records its callbacks in order.
#include <gtest/gtest.h>

#include "platform/ui/harness.h"
#include "platform/ui/layout.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace pulvan::views {

class CaptureRig {
public:
    // The capture is 60 x 60 in the middle of a 100 x 100 window: window points minus 20 are its own.
    explicit CaptureRig(std::function<ui::View(CaptureRig&)> capture)
        : harness_([this, capture] { return shown_ ? capture(*this).frame({.width = 60, .height = 60}) : ui::View(); }, {100, 100}) {}

    std::vector<std::string> log;
    void record(const std::string& what) { log.push_back(what); }
    void record(const std::string& what, ui::Point at) {
        char text[64];
        std::snprintf(text, sizeof text, "%s %g,%g", what.c_str(), at.x, at.y);
        log.push_back(text);
    }

    ui::Harness& harness() { return harness_; }
    void remove() {
        shown_ = false;
        harness_.root().invalidate();
        harness_.update();
    }

private:
    bool shown_ = true;
    ui::Harness harness_;
};

// One step of a script, in window points.
using Step = std::function<void(CaptureRig&)>;
inline Step press(double x, double y) {
    return [=](CaptureRig& r) { r.harness().press({x, y}); };
}
inline Step move(double x, double y) {
    return [=](CaptureRig& r) { r.harness().move({x, y}); };
}
inline Step release(double x, double y) {
    return [=](CaptureRig& r) { r.harness().release({x, y}); };
}
inline Step click(double x, double y) {
    return [=](CaptureRig& r) { r.harness().click({x, y}); };
}
inline Step wait(double seconds) {
    return [=](CaptureRig& r) { r.harness().advance(seconds); };
}
inline Step mark() {
    return [](CaptureRig& r) { r.record("|"); };
}
inline Step loseGrab() {
    return [](CaptureRig& r) {
        r.harness().root().cancelPointer();
        r.harness().update();
    };
}
inline Step removeFromTree() {
    return [](CaptureRig& r) { r.remove(); };
}
inline Step scroll(double dx, ui::ScrollPhase phase) {
    return [=](CaptureRig& r) { r.harness().scroll({50, 50}, dx, 0, phase, phase != ui::ScrollPhase::none); };
}

struct Script {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string> expected;
};

inline void expectCallbacks(const std::function<ui::View(CaptureRig&)>& capture, const std::vector<Script>& scripts) {
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        CaptureRig rig(capture);
        for (const Step& step : script.steps) step(rig);
        EXPECT_EQ(rig.log, script.expected);
    }
}

}  // namespace pulvan::views

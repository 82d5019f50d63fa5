#include "editor/views/shell/mouse_capture_views.h"

#include "platform/ui/content.h"
#include "tests/editor/views/shell/capture_rig.h"

namespace pulvan::views {
namespace {

ui::View dragCapture(CaptureRig& r) {
    return SingleTouchDragCapture{
        .onStart = [&r](ui::Point p) { r.record("start", p); },
        .onMove = [&r](ui::Point p) { r.record("move", p); },
        .onEnd = [&r] { r.record("end"); },
        .onDoubleTap = [&r](ui::Point p) { r.record("double", p); },
        .onTripleTap = [&r](ui::Point p) { r.record("triple", p); },
    };
}

ui::View tapCapture(CaptureRig& r) {
    return SingleTouchTapCapture{
        .onTap = [&r] { r.record("tap"); },
        .onPressStart = [&r] { r.record("pressStart"); },
        .onPressEnd = [&r] { r.record("pressEnd"); },
        .onDoubleTap = [&r] { r.record("doubleTap"); },
    };
}

TEST(SingleTouchDragCapture, CallbackOrder) {
    expectCallbacks(dragCapture,
                    {
                        {"a drag, in the view's own points",
                         {press(30, 30), move(31, 32), move(70, 50), release(70, 50)},
                         {"start 10,10", "move 11,12", "move 50,30", "end"}},
                        {"a triple click",
                         {click(30, 30), wait(0.2), click(31, 31), wait(0.2), click(33, 30)},
                         {"start 10,10", "end", "start 11,11", "double 11,11", "end", "start 13,10", "triple 13,10", "end"}},
                        {"clicks further apart than 0.4 s or 4 points start again",
                         {click(30, 30), wait(0.41), click(30, 30), wait(0.1), click(35, 30)},
                         {"start 10,10", "end", "start 10,10", "end", "start 15,10", "end"}},
                        {"moves outside a press report nothing", {move(30, 30), release(30, 30), move(40, 40)}, {}},
                        {"a lost grab ends the drag once",
                         {press(30, 30), move(40, 40), loseGrab(), move(50, 50), release(50, 50)},
                         {"start 10,10", "move 20,20", "end"}},
                        {"leaving the tree ends the drag once", {press(30, 30), removeFromTree(), release(30, 30)}, {"start 10,10", "end"}},
                    });
}

TEST(FlashHoldCapture, CallbackOrder) {
    const auto holdCapture = [](CaptureRig& r) -> ui::View {
        return FlashHoldCapture{.onPressStart = [&r] { r.record("pressStart"); }, .onPressEnd = [&r] { r.record("pressEnd"); }};
    };
    expectCallbacks(holdCapture, {
                                     {"a hold", {press(30, 30), wait(2), move(90, 90), release(90, 90)}, {"pressStart", "pressEnd"}},
                                     {"a lost grab", {press(30, 30), loseGrab(), release(30, 30)}, {"pressStart", "pressEnd"}},
                                     {"leaving the tree", {press(30, 30), removeFromTree()}, {"pressStart", "pressEnd"}},
                                 });
}

TEST(SingleTouchTapCapture, CallbackOrder) {
    expectCallbacks(
        tapCapture,
        {
            {"released 14.14 points away: no tap", {press(30, 30), release(40, 40)}, {"pressStart", "pressEnd"}},
            {"released exactly 14 points away: a tap", {press(30, 30), move(60, 60), release(44, 30)}, {"pressStart", "pressEnd", "tap"}},
            {"a double click taps twice, then double-taps",
             {click(30, 30), wait(0.3), click(30, 30)},
             {"pressStart", "pressEnd", "tap", "pressStart", "pressEnd", "tap", "doubleTap"}},
            {"a lost grab ends the press without a tap", {press(30, 30), loseGrab(), release(30, 30)}, {"pressStart", "pressEnd"}},
            {"leaving the tree ends the press without a tap",
             {press(30, 30), removeFromTree(), release(30, 30)},
             {"pressStart", "pressEnd"}},
            {"a press outside the view", {click(10, 10)}, {}},
        });
}

TEST(SingleTouchTapButton, TapsOnlyWhenEnabledWithAnAction) {
    const auto button = [](bool enabled, bool withAction) {
        return [=](CaptureRig& r) -> ui::View {
            return SingleTouchTapButton{
                .enabled = enabled,
                .onPressStart = [&r] { r.record("pressStart"); },
                .onPressEnd = [&r] { r.record("pressEnd"); },
                .onDoubleTap = [&r] { r.record("doubleTap"); },
                .action = withAction ? std::function<void()>([&r] { r.record("action"); }) : nullptr,
                .label = ui::text("Save"),
            };
        };
    };
    const std::vector<Step> doubleClick = {click(50, 50), wait(0.1), click(50, 50)};
    expectCallbacks(button(true, true),
                    {{"enabled", doubleClick, {"pressStart", "pressEnd", "action", "pressStart", "pressEnd", "action", "doubleTap"}}});
    expectCallbacks(button(false, true), {{"disabled", doubleClick, {}}});
    expectCallbacks(button(true, false), {{"without an action", doubleClick, {}}});
}

}  // namespace
}  // namespace pulvan::views

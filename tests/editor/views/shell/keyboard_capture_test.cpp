#include "editor/views/shell/keyboard_capture.h"

#include "tests/editor/views/shell/capture_rig.h"

namespace pulvan::views {
namespace {

using ui::ScrollPhase;

ui::View keyboardCapture(CaptureRig& r) {
    return SingleTouchKeyboardCapture{
        .onTapAt = [&r](ui::Point p) { r.record("tap", p); },
        .onLongPressBegan = [&r](ui::Point p) { r.record("began", p); },
        .onLongPressChanged = [&r](ui::Point p) { r.record("changed", p); },
        .onLongPressEnded = [&r](ui::Point p) { r.record("ended", p); },
        .onLongPressCancelled = [&r] { r.record("cancelled"); },
        .onTwoFingerPanBegan = [&r] { r.record("panBegan"); },
        .onTwoFingerPanChanged = [&r](double x) { r.record("pan " + std::to_string(static_cast<int>(x))); },
        .onTwoFingerPanEnded = [&r] { r.record("panEnded"); },
    };
}

TEST(SingleTouchKeyboardCapture, PressesAndLongPresses) {
    expectCallbacks(
        keyboardCapture,
        {
            {"a short press taps at the release point", {press(30, 30), wait(0.1), release(32, 31)}, {"tap 12,11"}},
            {"held 0.28 s: a long press from the press point",
             {press(30, 30), wait(0.279), mark(), wait(0.002), mark(), wait(0.1), release(40, 30)},
             {"|", "began 10,10", "|", "ended 20,10"}},
            {"held after small moves: the long press begins at the last point",
             {press(30, 30), move(35, 33), wait(0.3), move(37, 33), release(37, 33)},
             {"began 15,13", "changed 17,13", "ended 17,13"}},
            {"dragged past 18 points: a long press at once",
             {press(30, 30), wait(0.05), move(50, 30), move(55, 30), release(55, 30)},
             {"began 30,10", "changed 35,10", "ended 35,10"}},
            {"dragged exactly 18 points and released: a tap", {press(30, 30), move(48, 30), release(48, 30)}, {"tap 28,10"}},
            {"dragged 17 points and released: a tap", {press(30, 30), move(47, 30), wait(0.2), release(47, 30)}, {"tap 27,10"}},
            {"the timer of an earlier press does not fire",
             {click(30, 30), wait(0.2), press(60, 30), wait(0.1), release(60, 30), wait(1)},
             {"tap 10,10", "tap 40,10"}},
            {"a lost grab cancels a long press", {press(30, 30), wait(0.3), loseGrab(), release(30, 30)}, {"began 10,10", "cancelled"}},
            {"a lost grab before the long press reports nothing", {press(30, 30), loseGrab(), wait(1), release(30, 30)}, {}},
            {"leaving the tree cancels a long press",
             {press(30, 30), move(50, 30), removeFromTree(), wait(1)},
             {"began 30,10", "cancelled"}},
        });
}

TEST(SingleTouchKeyboardCapture, TwoFingerPan) {
    expectCallbacks(
        keyboardCapture,
        {
            {"changes report the running sum",
             {scroll(0, ScrollPhase::began), scroll(3, ScrollPhase::changed), scroll(4, ScrollPhase::changed),
              scroll(-2, ScrollPhase::changed), scroll(0, ScrollPhase::ended)},
             {"panBegan", "pan 3", "pan 7", "pan 5", "panEnded"}},
            {"a new pan starts from zero",
             {scroll(0, ScrollPhase::began), scroll(9, ScrollPhase::changed), scroll(0, ScrollPhase::cancelled),
              scroll(0, ScrollPhase::began), scroll(2, ScrollPhase::changed)},
             {"panBegan", "pan 9", "panEnded", "panBegan", "pan 2"}},
            {"a change without a beginning reports nothing", {scroll(3, ScrollPhase::changed), scroll(0, ScrollPhase::ended)}, {}},
            {"wheel steps have no phase and report nothing", {scroll(3, ScrollPhase::none), scroll(-3, ScrollPhase::none)}, {}},
            {"leaving the tree ends a pan",
             {scroll(0, ScrollPhase::began), scroll(3, ScrollPhase::changed), removeFromTree(), scroll(4, ScrollPhase::changed)},
             {"panBegan", "pan 3", "panEnded"}},
        });
}

}  // namespace
}  // namespace pulvan::views

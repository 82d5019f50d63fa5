#pragma once
// Small pure functions shared by the lane rows and the capture views.
#include <functional>
#include <string>
#include <vector>

namespace pulvan::views {

// The step column 0...15 under x in a row of 16 equal steps.
int stepColumnAtX(double x, double rowWidth);
// The semitone row 0...11 under y in an area of that height, row 0 at the bottom.
int semitoneRowAtY(double y, double height);

// "+3" above zero, "0" and "-3" otherwise.
std::string signedNumberLabel(int value);
struct SignedNumberLabel {
    std::string label;
    int value = 0;
    friend bool operator==(const SignedNumberLabel&, const SignedNumberLabel&) = default;
};
// Every value from lo to hi, ascending, with its label.
std::vector<SignedNumberLabel> signedNumberLabels(int lo, int hi);

// The bar-condition fractions "1/1" ... "4/4" of values 0...6; any other value as its number.
std::string cycleFractionLabel(int value);

// The end of a press: clears the pressed flag and calls onEnd, only when the flag was set.
void endPressIfActive(bool& pressed, const std::function<void()>& onEnd);

}  // namespace pulvan::views

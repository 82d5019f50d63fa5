#pragma once
// What XInput 2 says about the devices that scroll: which are touchpads (smooth, phased scrolling from
// their scroll valuators) and the valuators' last values, from which each event's delta follows.
#include <xcb/xinput.h>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace pulvan::x11 {

struct ScrollDelta {
    double x = 0;  // in increments of the device (one wheel click's worth), positive right and down
    double y = 0;
};

class ScrollDevices {
public:
    explicit ScrollDevices(xcb_connection_t* connection) : connection_(connection) {}

    // Touchpads scroll precisely; any other device's scrolling arrives as wheel buttons.
    bool isTouchpad(xcb_input_device_id_t device);
    // The scroll in a motion event of a touchpad; none when it moved no scroll valuator.
    std::optional<ScrollDelta> scrollDelta(const xcb_input_motion_event_t* event);
    // The next event starts from the values it carries (the pointer came in).
    void forgetPositions();

    // A device name that tells a touchpad.
    static bool nameIsTouchpad(const char* name, int length);

private:
    struct Valuator {
        std::uint16_t number;
        bool horizontal;
        double increment;
        std::optional<double> last;
    };
    struct Device {
        bool touchpad = false;
        std::vector<Valuator> valuators;
    };
    Device& device(xcb_input_device_id_t id);

    xcb_connection_t* connection_;
    std::map<xcb_input_device_id_t, Device> devices_;
};

}  // namespace pulvan::x11

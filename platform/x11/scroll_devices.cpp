#include "platform/x11/scroll_devices.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace pulvan::x11 {
namespace {

double fromFixed(xcb_input_fp3232_t value) { return static_cast<double>(value.integral) + static_cast<double>(value.frac) / 4294967296.0; }

}  // namespace

bool ScrollDevices::nameIsTouchpad(const char* name, int length) {
    std::string lower(name, name + std::max(length, 0));
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* word : {"touchpad", "trackpad", "synaptics", "glidepoint"})
        if (lower.find(word) != std::string::npos) return true;
    return false;
}

ScrollDevices::Device& ScrollDevices::device(xcb_input_device_id_t id) {
    if (auto found = devices_.find(id); found != devices_.end()) return found->second;
    Device& made = devices_[id];
    auto* reply = xcb_input_xi_query_device_reply(connection_, xcb_input_xi_query_device(connection_, id), nullptr);
    if (!reply) return made;
    for (auto infos = xcb_input_xi_query_device_infos_iterator(reply); infos.rem; xcb_input_xi_device_info_next(&infos)) {
        const xcb_input_xi_device_info_t* info = infos.data;
        if (info->deviceid != id) continue;
        made.touchpad = nameIsTouchpad(xcb_input_xi_device_info_name(info), xcb_input_xi_device_info_name_length(info));
        for (auto classes = xcb_input_xi_device_info_classes_iterator(info); classes.rem; xcb_input_device_class_next(&classes)) {
            if (classes.data->type != XCB_INPUT_DEVICE_CLASS_TYPE_SCROLL) continue;
            const auto* scroll = reinterpret_cast<const xcb_input_scroll_class_t*>(classes.data);
            const double increment = fromFixed(scroll->increment);
            made.valuators.push_back(
                {scroll->number, scroll->scroll_type == XCB_INPUT_SCROLL_TYPE_HORIZONTAL, increment != 0 ? increment : 1.0, std::nullopt});
        }
    }
    std::free(reply);
    return made;
}

bool ScrollDevices::isTouchpad(xcb_input_device_id_t id) { return device(id).touchpad; }

std::optional<ScrollDelta> ScrollDevices::scrollDelta(const xcb_input_motion_event_t* event) {
    Device& d = device(event->sourceid);
    if (!d.touchpad || d.valuators.empty()) return std::nullopt;
    const std::uint32_t* mask = xcb_input_button_press_valuator_mask(event);
    const xcb_input_fp3232_t* values = xcb_input_button_press_axisvalues(event);
    const int bits = event->valuators_len * 32;
    std::optional<ScrollDelta> delta;
    int valueIndex = 0;
    for (int bit = 0; bit < bits; ++bit) {
        if (!(mask[bit / 32] & (1u << (bit % 32)))) continue;
        const double value = fromFixed(values[valueIndex++]);
        for (Valuator& v : d.valuators) {
            if (v.number != bit) continue;
            if (v.last) {
                if (!delta) delta = ScrollDelta{};
                (v.horizontal ? delta->x : delta->y) += (value - *v.last) / v.increment;
            }
            v.last = value;
        }
    }
    if (delta && delta->x == 0 && delta->y == 0) return std::nullopt;
    return delta;
}

void ScrollDevices::forgetPositions() {
    for (auto& [id, d] : devices_)
        for (Valuator& v : d.valuators) v.last.reset();
}

}  // namespace pulvan::x11

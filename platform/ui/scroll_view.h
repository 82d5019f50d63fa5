#pragma once
// Scroll views: content larger than the view moves under it by wheel, touchpad or program.
#include "platform/ui/view.h"

#include <memory>
#include <optional>
#include <string>

namespace pulvan::ui {

class ScrollViewNode;

// Shared by a view and the scroll view it moves: scroll requests and the offset read back.
class ScrollController {
public:
    // To an offset from the content's start; animated when an animation is given.
    void scrollTo(double offset, std::optional<Animation> animation = std::nullopt);
    // So that the child with this test identifier shows its edge (top or leading: its start; bottom or
    // trailing: its end) at the same edge of the scroll view.
    void scrollToChild(const std::string& testId, unsigned edge, std::optional<Animation> animation = std::nullopt);
    double offset() const;

private:
    friend class ScrollViewNode;
    ScrollViewNode* node_ = nullptr;
    struct Request {
        std::optional<double> offset;
        std::string testId;
        unsigned edge = 0;
        std::optional<Animation> animation;
    };
    std::optional<Request> pending_;
    double lastOffset_ = 0;
};

enum class ScrollAxis : unsigned char { vertical, horizontal };

struct ScrollViewOptions {
    ScrollAxis axis = ScrollAxis::vertical;
    bool showsIndicators = true;
    std::shared_ptr<ScrollController> controller;
    // A coordinate space in which the content's frames move with the scrolling.
    std::string coordinateSpace;
};

// As long as the content along the axis, up to what it is offered; scrolls only when the content is longer.
View scrollView(ScrollViewOptions options, View content);

}  // namespace pulvan::ui

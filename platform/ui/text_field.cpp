#include "platform/ui/text_field.h"

#include "platform/foundation/pasteboard.h"
#include "platform/ui/content.h"
#include "platform/ui/input.h"
#include "platform/ui/node.h"
#include "platform/ui/root.h"
#include "platform/ui/text_editing.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <cmath>

namespace pulvan::ui {

namespace {
constexpr std::int64_t blinkHalfPeriod = 500'000'000;
constexpr double caretWidth = 1.5;

class TextFieldNode final : public Node, public PointerHandler, public KeyHandler {
public:
    using Parameters = TextFieldOptions;
    ~TextFieldNode() override { *alive_ = false; }

    void apply(const TextFieldOptions& options, const View&, const BuildScope& scope) {
        if (applied_ && root() && options.focusRequest != options_.focusRequest) focusOnNextTurn();
        applied_ = true;
        options_ = options;
        editing_.setText(options.text);
        TextStyle style = scope.environment.get<TextStyleKey>();
        style.lineLimit = 0;
        style.minimumScaleFactor = 1;
        style_ = style;
        color_ = scope.environment.get<ForegroundColorKey>();
        enabled_ = scope.environment.get<EnabledKey>();
    }
    void didMount() override {
        if (options_.focusOnAppear && root()) focusOnNextTurn();
    }
    void focusOnNextTurn() {
        root()->mainQueue().async([this, alive = alive_] {
            if (*alive && root()) root()->focus(this);
        });
    }
    void willUnmount() override { *alive_ = false; }

    bool acceptsHits() const override { return true; }
    // A press anywhere in the box of the modifiers stacked on the field (its padding, frame, background and
    // outline) is a press on the field; views laid over it, a clear button say, still take theirs first.
    Rect hitArea() const override {
        Rect box = frame_;
        const Node* content = this;
        for (const Node* n = parent(); n && n->modifiedChild() == content && n->childTransform().isIdentity(); content = n, n = n->parent())
            box = box.united(n->frame());
        return box;
    }
    PointerHandler* pointerHandler() override { return enabled_ ? this : nullptr; }
    KeyHandler* keyHandler() override { return this; }
    std::optional<CursorShape> cursor() const override { return CursorShape::iBeam; }
    Rect computeDrawnBounds() const override { return frame_.insetBy(-caretWidth, 0); }
    std::optional<double> firstBaseline(Size size) override {
        auto l = layout("Ag");
        return (size.height - l->size().height) / 2 + l->firstBaseline();
    }

    void pointerEvent(const PointerEvent& e) override {
        if (e.phase == PointerPhase::press) {
            root()->focus(this);
            if (e.clickCount >= 2) editing_.selectAll();
            else editing_.setCaret(textLayout()->offsetAt(e.location.x + scroll_), (e.modifiers & shiftKey) != 0);
            changed(false);
        } else if (e.phase == PointerPhase::move && e.clickCount < 2) {
            editing_.setCaret(textLayout()->offsetAt(e.location.x + scroll_), true);
            changed(false);
        }
    }

    bool keyEvent(const KeyEvent& e) override {
        if (!e.pressed || !enabled_) return false;
        const bool shift = e.modifiers & shiftKey, control = e.modifiers & controlKey;
        const std::string before = editing_.text();
        switch (e.keysym) {
            case XKB_KEY_Left: editing_.moveLeft(shift, *textLayout()); break;
            case XKB_KEY_Right: editing_.moveRight(shift, *textLayout()); break;
            case XKB_KEY_Home: editing_.moveToStart(shift); break;
            case XKB_KEY_End: editing_.moveToEnd(shift); break;
            case XKB_KEY_BackSpace: editing_.deleteBackward(*textLayout()); break;
            case XKB_KEY_Delete: editing_.deleteForward(*textLayout()); break;
            case XKB_KEY_Return:
            case XKB_KEY_KP_Enter:
                if (options_.onSubmit) options_.onSubmit();
                return true;
            default:
                if (control) {
                    if (!shortcut(e.keysym)) return false;
                } else if (!e.text.empty() && static_cast<unsigned char>(e.text[0]) >= 0x20 && e.text[0] != 0x7F) {
                    editing_.insert(e.text);
                } else {
                    return false;
                }
        }
        changed(editing_.text() != before);
        return true;
    }

    void focusChanged(bool focused) override {
        focused_ = focused;
        blinkStart_ = root() ? root()->nowNanoseconds() : 0;
        if (options_.onFocusChange) options_.onFocusChange(focused);
        redraw();
    }

    void draw(DisplayList& list) override {
        list.add(draw::Save{});
        list.add(draw::ClipRect{frame_.insetBy(-caretWidth, 0)});
        const bool empty = editing_.text().empty();
        const auto text = textLayout();
        auto shown = empty ? layout(options_.placeholder) : text;
        const double y = frame_.y + (frame_.height - shown->size().height) / 2;
        const double caretX = text->xOf(editing_.caret());
        // Keep the caret in view while editing, with no room left beyond the text's end (a long text
        // replaced by a short one starts at the left again); a field at rest shows where its text starts.
        const double scrollLimit = std::max(0.0, text->size().width + caretWidth - frame_.width);
        scroll_ = focused_ ? std::clamp(std::clamp(scroll_, caretX - frame_.width + caretWidth, caretX), 0.0, scrollLimit) : 0.0;
        const double x0 = frame_.x - scroll_;
        if (focused_ && editing_.hasSelection()) {
            Path selection;
            for (const auto& [from, to] : text->spansOf(editing_.caret(), editing_.anchor()))
                selection.addRect({x0 + from, y, to - from, shown->size().height});
            list.add(draw::Fill{selection, color_.opacity(0.3)});
        }
        list.add(draw::Text{shown, {x0, y}, empty ? color_.opacity(0.5) : color_, true});
        // Only where typing goes: not under a message, nor while the window is without the keyboard.
        if (focused_ && root() && root()->keysReach(*this) && caretVisible()) {
            Path caret;
            caret.addRect({std::round(x0 + caretX), y, caretWidth, shown->size().height});
            list.add(draw::Fill{caret, color_});
        }
        list.add(draw::Restore{});
    }

protected:
    Size sizeThatFits(ProposedSize p) override {
        const double height = layout("Ag")->size().height;
        return {p.width && std::isfinite(*p.width) ? *p.width : 100, height};
    }

private:
    std::shared_ptr<const TextLayout> layout(std::string_view s) const { return TextEngine::shared().layout(s, style_, std::nullopt); }
    // The one layout that is drawn also places the caret and the selection and answers the pointer.
    std::shared_ptr<const TextLayout> textLayout() const { return layout(editing_.text()); }
    bool caretVisible() {
        if (!root()) return true;
        const std::int64_t elapsed = root()->nowNanoseconds() - blinkStart_;
        const std::int64_t phase = elapsed / blinkHalfPeriod;
        root()->scheduleAnimationFrame(blinkStart_ + (phase + 1) * blinkHalfPeriod);
        return phase % 2 == 0;
    }
    bool shortcut(std::uint32_t keysym) {
        auto& board = foundation::Pasteboard::general();
        switch (keysym) {
            case XKB_KEY_a:
            case XKB_KEY_A: editing_.selectAll(); return true;
            case XKB_KEY_c:
            case XKB_KEY_C:
            case XKB_KEY_x:
            case XKB_KEY_X: {
                if (!editing_.hasSelection()) return true;
                const std::string_view s = editing_.selectedText();
                board.clearContents();
                board.setData(foundation::Pasteboard::textType, std::vector<std::uint8_t>(s.begin(), s.end()));
                if (keysym == XKB_KEY_x || keysym == XKB_KEY_X) editing_.deleteSelection();
                return true;
            }
            case XKB_KEY_v:
            case XKB_KEY_V:
                if (auto bytes = board.data(foundation::Pasteboard::textType)) editing_.insert(std::string(bytes->begin(), bytes->end()));
                return true;
            default: return false;
        }
    }
    void changed(bool textChanged) {
        blinkStart_ = root() ? root()->nowNanoseconds() : 0;
        if (textChanged && options_.onChange) options_.onChange(editing_.text());
        redraw();
    }
    void redraw() {
        if (!root()) return;
        root()->markDamaged(frameInRoot().insetBy(-caretWidth, 0));
        root()->requestUpdate();
    }

    TextFieldOptions options_;
    bool applied_ = false;
    TextEditing editing_;
    TextStyle style_;
    Color color_;
    bool enabled_ = true;
    bool focused_ = false;
    double scroll_ = 0;
    std::int64_t blinkStart_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
}  // namespace

View textField(TextFieldOptions options) { return modified<TextFieldNode>(View(), std::move(options)); }

}  // namespace pulvan::ui

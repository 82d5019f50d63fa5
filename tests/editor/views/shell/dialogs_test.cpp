#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/hosted_fullscreen_prompt.h"
#include "editor/views/shell/standard_dialog.h"
#include "tests/editor/views/shell/overlay_stage.h"
#include "tests/platform/ui/golden.h"

#include <xkbcommon/xkbcommon-keysyms.h>

namespace pulvan::views {
namespace {

using Kind = store::DialogRequest::Kind;

class DialogTest : public OverlayTest {
protected:
    std::vector<std::string> confirmed;
    std::unique_ptr<ui::Harness> harness = stage({});

    store::DialogRequest request(Kind kind, bool requiresInput = false, std::string initialText = "") {
        return {.kind = kind,
                .title = kind == Kind::alert     ? "Track limit"
                         : kind == Kind::confirm ? "Clear pattern"
                                                 : "Rename track",
                .message = kind == Kind::alert     ? "6 tracks limit reached."
                           : kind == Kind::confirm ? "Clear the pattern ?"
                                                   : "Track name:",
                .confirmLabel = kind == Kind::alert     ? "OK"
                                : kind == Kind::confirm ? "Clear"
                                                        : "Rename",
                .cancelLabel = "Cancel",
                .placeholder = "Track name",
                .initialText = std::move(initialText),
                .promptRequiresNonEmptyInput = requiresInput,
                .onConfirm = [this](const std::string& text) { confirmed.push_back(text); }};
    }
    void show(store::DialogRequest r) {
        store->dialog.set(std::move(r));
        harness->update();
        harness->update();  // the prompt's field takes the focus on the next turn
    }
};

TEST_F(DialogTest, KindsShowTheirButtons) {
    struct Case {
        Kind kind;
        bool cancel, field;
    };
    for (const Case c : {Case{Kind::alert, false, false}, Case{Kind::confirm, true, false}, Case{Kind::prompt, true, true}}) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        show(request(c.kind, false, "Bass"));
        EXPECT_EQ(harness->frame("dialog").width, 360);
        EXPECT_EQ(harness->exists("dialog.cancel"), c.cancel);
        EXPECT_EQ(harness->exists("dialog.field"), c.field);
        EXPECT_EQ(harness->frame("dialog.confirm").height, 30);
        harness->clickOn("dialog.confirm");
        EXPECT_EQ(confirmed, (std::vector<std::string>{"Bass"})) << "alerts and confirmations pass their initial text";
        EXPECT_FALSE(store->dialog->has_value());
        confirmed.clear();
    }
}

TEST_F(DialogTest, CancelsWithoutCallingBack) {
    struct Case {
        const char* name;
        Kind kind;
        std::function<void(ui::Harness&)> cancel;
    };
    const Case cases[] = {
        {"the backdrop", Kind::alert,
         [](ui::Harness& h) {
             h.click({10, 10});
         }},
        {"the header's close button", Kind::alert, [](ui::Harness& h) { h.clickOn("modal.close"); }},
        {"the cancel button", Kind::confirm, [](ui::Harness& h) { h.clickOn("dialog.cancel"); }},
        {"a tap inside the dialog does nothing", Kind::prompt,
         [](ui::Harness& h) {
             h.click(h.frame("dialog").origin() + ui::Point{100, 12});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        show(request(c.kind));
        c.cancel(*harness);
        EXPECT_EQ(store->dialog->has_value(), c.kind == Kind::prompt);
        EXPECT_TRUE(confirmed.empty());
        harness->advance(0.2);
        EXPECT_EQ(harness->exists("dialog"), c.kind == Kind::prompt);
    }
}

TEST_F(DialogTest, PromptValidatesTrimmedAndConfirmsAsTyped) {
    struct Case {
        const char* name;
        bool requiresInput;
        std::string typed;
        std::function<void(ui::Harness&)> submit;
        std::vector<std::string> confirmed;
    };
    const auto confirmButton = [](ui::Harness& h) { h.clickOn("dialog.confirm"); };
    const auto returnKey = [](ui::Harness& h) { h.key(XKB_KEY_Return); };
    const Case cases[] = {
        {"spaces only, confirm button", true, "   ", confirmButton, {}},
        {"spaces only, Return", true, "   ", returnKey, {}},
        {"one character enables it", true, " x", returnKey, {" x"}},
        {"untrimmed text reaches the callback", true, "  Bass  ", confirmButton, {"  Bass  "}},
        {"empty text when input is not required", false, "", confirmButton, {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        confirmed.clear();
        show(request(Kind::prompt, c.requiresInput));
        harness->type(c.typed);
        c.submit(*harness);
        EXPECT_EQ(confirmed, c.confirmed);
        EXPECT_EQ(store->dialog->has_value(), c.confirmed.empty());
        store->dialog.set(std::nullopt);
        harness->advance(0.2);
    }
}

TEST_F(DialogTest, ClearedBeforeTheCallbackSoItMayPostAnother) {
    auto first = request(Kind::confirm);
    first.onConfirm = [this](const std::string&) {
        EXPECT_FALSE(store->dialog->has_value());
        store->dialog.set(store::DialogRequest{.kind = Kind::alert, .title = "Follow-up", .confirmLabel = "OK"});
    };
    show(first);
    harness->clickOn("dialog.confirm");
    harness->advance(0.2);
    ASSERT_TRUE(store->dialog->has_value());
    EXPECT_EQ(store->dialog.get()->title, "Follow-up");
    EXPECT_TRUE(harness->exists("dialog"));
    EXPECT_FALSE(harness->exists("dialog.cancel"));
}

TEST_F(DialogTest, ClearButtonEmptiesTheFieldAndKeepsTheFocus) {
    show(request(Kind::prompt, false, ""));
    const ui::Rect field = harness->frame("dialog.field");
    const ui::Point clear{field.maxX() - 7 - 15, field.midY()};
    ASSERT_NE(harness->root().focusedNode(), nullptr) << "focused when it appears";
    harness->click(clear);
    harness->update();
    EXPECT_NE(harness->root().focusedNode(), nullptr)
        << "invisible while empty: the press lands on the field's padding, which keeps the focus";
    harness->click(field.origin() + ui::Point{20, 16});
    harness->type("Lead");
    harness->click(clear);
    harness->update();
    harness->type("Pad");
    harness->key(XKB_KEY_Return);
    EXPECT_EQ(confirmed, (std::vector<std::string>{"Pad"}));
}

TEST_F(DialogTest, AccentOfTheConfirmButton) {
    const ui::Color track = colorFromHex(0x3366CC);
    struct Case {
        bool prefersGlobal;
        std::optional<int> override;
        ui::Color accent;
    };
    for (const Case c :
         {Case{true, 0xCC3333, globalAccentColor()}, Case{false, 0xCC3333, colorFromHex(0xCC3333)}, Case{false, std::nullopt, track}}) {
        auto r = request(Kind::confirm);
        r.prefersGlobalAccent = c.prefersGlobal;
        r.accentColorHexOverride = c.override;
        // Drawn: the confirm button's fill, the accent at 85 % over the panel.
        ui::Harness h([&] { return ui::View(StandardDialog{r}).environment<KezAccentKey>(track).environmentObject(*store); }, {400, 200});
        const ui::Rect confirm = h.frame("dialog.confirm");
        const ui::Color drawn = h.render().pixel(static_cast<int>(confirm.minX() + 4), static_cast<int>(confirm.minY() + 4));
        EXPECT_NEAR(drawn.red, c.accent.red * 0.85 + panelBackgroundColor.red * 0.15, 0.02);
        EXPECT_NEAR(drawn.blue, c.accent.blue * 0.85 + panelBackgroundColor.blue * 0.15, 0.02);
    }
}

TEST_F(DialogTest, DialogsMatchGoldenImages) {
    struct Case {
        const char* name;
        store::DialogRequest request;
        std::string typed;
    };
    const Case cases[] = {
        {"dialog_alert", request(Kind::alert), ""},
        {"dialog_confirm", request(Kind::confirm), ""},
        {"dialog_prompt", request(Kind::prompt, true, "Bass line"), ""},
        {"dialog_prompt_blank", request(Kind::prompt, true, ""), "  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::Harness h(
            [&] {
                return ui::View(StandardDialog{c.request})
                    .frame({.width = 400, .height = 230})
                    .background(ui::color(editorBackgroundColor))
                    .environmentObject(*store);
            },
            {400, 230});
        h.update();
        h.type(c.typed);
        ui::expectMatchesGolden(h.render(), c.name);
    }
}

class FullscreenPromptTest : public DialogTest {
protected:
    std::unique_ptr<ui::Harness> prompt(store::DialogRequest r, ui::Size size) {
        auto h = std::make_unique<ui::Harness>(
            [this, r] {
                return ui::View(HostedFullscreenPrompt{r}).environment<KezAccentKey>(globalAccentColor()).environmentObject(*store);
            },
            size);
        h->update();
        return h;
    }
};

TEST_F(FullscreenPromptTest, FieldWidthTextsAndFocus) {
    struct Case {
        ui::Size window;
        double fieldWidth;
    };
    for (const Case c : {Case{{1280, 730}, 560}, Case{{400, 500}, 356}}) {
        SCOPED_TRACE(c.window.width);
        auto r = request(Kind::prompt, true, "Bass");
        store->dialog.set(r);
        auto h = prompt(r, c.window);
        EXPECT_EQ(h->frame("prompt.field").width, c.fieldWidth);
        EXPECT_EQ(h->frame("prompt.field").height, 50);
        h->type("!");  // focused from the start, caret at the end of the initial text
        h->key(XKB_KEY_Return);
        EXPECT_EQ(confirmed, (std::vector<std::string>{"Bass!"}));
        confirmed.clear();
    }
}

TEST_F(FullscreenPromptTest, RequiredInputAndTheClearButton) {
    auto r = request(Kind::prompt, true, "Bass");
    store->dialog.set(r);
    auto h = prompt(r, {900, 500});
    ui::expectMatchesGolden(h->render(), "fullscreen_prompt");
    const ui::Rect field = h->frame("prompt.field");
    h->click({field.maxX() - 10 - 15, field.midY()});
    h->update();
    ui::expectMatchesGolden(h->render(), "fullscreen_prompt_cleared");
    h->key(XKB_KEY_Return);
    h->clickOn("prompt.confirm");
    EXPECT_TRUE(confirmed.empty()) << "nothing to confirm while the field is empty";
    h->click(field.origin() + ui::Point{30, 25});  // the press on the button took the focus away
    h->type("K");
    h->clickOn("prompt.confirm");
    EXPECT_EQ(confirmed, (std::vector<std::string>{"K"}));
    EXPECT_FALSE(store->dialog->has_value());
    store->dialog.set(r);
    h->clickOn("prompt.cancel");
    EXPECT_FALSE(store->dialog->has_value());
    EXPECT_EQ(confirmed.size(), 1u);
}

}  // namespace
}  // namespace pulvan::views

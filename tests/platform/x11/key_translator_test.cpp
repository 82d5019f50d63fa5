// Keys through the translator alone, from keymaps compiled from their names and a compose table of the test's
// own: no X server. Keys are named by their place (<AC01> is the key right of Caps Lock), so that a row holds
// under keyboards whose keys have other numbers.
#include "platform/x11/key_translator.h"

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pulvan::x11 {
namespace {

template <auto unref>
struct Unref {
    void operator()(auto* object) const { unref(object); }
};
using Context = std::unique_ptr<xkb_context, Unref<xkb_context_unref>>;
using Keymap = std::unique_ptr<xkb_keymap, Unref<xkb_keymap_unref>>;
using ComposeTable = std::unique_ptr<xkb_compose_table, Unref<xkb_compose_table_unref>>;

// A few lines of a locale's compose table.
constexpr std::string_view kCompose = R"(<dead_acute> <a> : "á" aacute
<dead_acute> <space> : "'" apostrophe
)";

struct Names {
    const char *rules, *model, *layout, *variant = "", *options = "";
};
// A Macintosh's keys have other numbers than evdev's: <AC01> is 8 there, 38 under evdev.
const Names macRussian{"base", "macintosh_old", "ru"}, us{"evdev", "pc105", "us"}, international{"evdev", "pc105", "us", "intl"};

// A key pressed and released, pressed alone (held, its presses after the first are repeats) or released.
struct Step {
    enum class Act { tap, press, release, focusLeaves, newKeymap } act;
    const char* key = nullptr;
    std::uint16_t state = 0;  // an X event's modifiers
    const Names* keymap = nullptr;
};
Step tap(const char* key, std::uint16_t state = 0) { return {Step::Act::tap, key, state}; }
Step press(const char* key) { return {Step::Act::press, key}; }
Step release(const char* key) { return {Step::Act::release, key}; }
const Step focusLeaves{Step::Act::focusLeaves};
Step newKeymap(const Names& names) { return {Step::Act::newKeymap, nullptr, 0, &names}; }

constexpr std::uint16_t ctrl = XCB_MOD_MASK_CONTROL, shift = XCB_MOD_MASK_SHIFT;

struct TranslationCase {
    const char* name;
    const Names* keymap;
    std::vector<Step> steps;
    // What the presses give, in order: the text, else <keysym>; Ctrl+keysym for a shortcut; " repeat" after
    // a repeat.
    std::vector<std::string> heard;
    friend void PrintTo(const TranslationCase& c, std::ostream* os) { *os << c.name; }
};

std::string describe(const ui::KeyEvent& e) {
    char name[64] = {};
    xkb_keysym_get_name(e.keysym, name, sizeof name);
    std::string heard = e.text;
    if (e.modifiers & ui::controlKey) heard = std::string("Ctrl+").append(name);
    else if (heard.empty()) heard.append("<").append(name).append(">");
    if (e.isRepeat) heard += " repeat";
    return heard;
}

class KeyTranslation : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(KeyTranslation, GivesWhatTheKeysTypeAtTheirPlaces) {
    const TranslationCase& c = GetParam();
    const Context context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    const auto compile = [&](const Names& n) {
        const xkb_rule_names names{n.rules, n.model, n.layout, n.variant, n.options};
        return Keymap(xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    };
    const ComposeTable table(xkb_compose_table_new_from_buffer(context.get(), kCompose.data(), kCompose.size(), "C",
                                                               XKB_COMPOSE_FORMAT_TEXT_V1, XKB_COMPOSE_COMPILE_NO_FLAGS));
    Keymap keymap = compile(*c.keymap);
    ASSERT_TRUE(keymap && table);
    KeyTranslator translator(context.get(), keymap.get(), table.get());
    std::vector<std::string> heard;
    for (const Step& step : c.steps) {
        if (step.act == Step::Act::focusLeaves) translator.releaseAll();
        if (step.act == Step::Act::newKeymap) {
            keymap = compile(*step.keymap);
            ASSERT_TRUE(keymap);
            translator.setKeymap(keymap.get());
        }
        if (!step.key) continue;
        const xkb_keycode_t keycode = xkb_keymap_key_by_name(keymap.get(), step.key);
        ASSERT_NE(keycode, XKB_KEYCODE_INVALID) << step.key;
        const bool pressed = step.act != Step::Act::release;
        if (const auto e = translator.translate(static_cast<xcb_keycode_t>(keycode), step.state, pressed); e && pressed)
            heard.push_back(describe(*e));
        if (step.act == Step::Act::tap) translator.translate(static_cast<xcb_keycode_t>(keycode), step.state, false);
    }
    EXPECT_EQ(heard, c.heard);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyTranslation,
    ::testing::Values(
        // Under a layout without Latin letters, Control takes the letter of the key's place on a US keyboard.
        TranslationCase{"ShortcutsOnAMacintoshKeyboard",
                        &macRussian,
                        {tap("AC01", ctrl), tap("AB03", ctrl), tap("AD01", ctrl | shift), tap("AC01")},
                        {"Ctrl+a", "Ctrl+c", "Ctrl+Q", "ф"}},
        TranslationCase{"ShortcutsUnderTheFirstKeymapWithoutLatinLetters",
                        &us,
                        {tap("AC01", ctrl), newKeymap(macRussian), tap("AB03", ctrl)},
                        {"Ctrl+a", "Ctrl+c"}},
        // A sequence begun ends with the keymap it was begun under.
        TranslationCase{"ANewKeymapEndsASequence", &international, {tap("AC11"), newKeymap(international), tap("AC01")}, {"a"}},
        // A BackSpace or Escape that ends a sequence types nothing; held, it acts from its first repeat on.
        TranslationCase{"BackSpaceHeldAfterADeadKey",
                        &international,
                        {tap("AC11"), press("BKSP"), press("BKSP"), press("BKSP"), release("BKSP"), press("BKSP")},
                        {"<BackSpace>", "<BackSpace> repeat", "<BackSpace>"}},
        TranslationCase{"EscapeHeldAfterADeadKey", &international, {tap("AC11"), press("ESC"), press("ESC")}, {"<Escape>"}},
        TranslationCase{
            "AKeyHeldAsTheFocusLeavesIsPressedAnew", &us, {press("BKSP"), focusLeaves, press("BKSP")}, {"<BackSpace>", "<BackSpace>"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::x11

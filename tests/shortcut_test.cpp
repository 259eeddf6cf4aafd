#include "hotkey/shortcut.h"
#include "settings/settings.h"

#include <windows.h>

#include <cctype>

#include <gtest/gtest.h>

namespace {

// The lowest code whose bare name is name (case as given), 0 when none.
unsigned LowestCodeNamed(const std::string& name) {
    for (unsigned vk = 8; vk <= 255; ++vk)
        if (LayoutKeyName(static_cast<std::uint8_t>(vk)) == name)
            return vk;
    return 0;
}

} // namespace

TEST(ShortCutText, FormatsAndParsesTheFixedNames) {
    EXPECT_EQ(ParseShortCut("Ctrl+Alt+M"), 0xC04D);
    EXPECT_EQ(FormatShortCut(0xC04D), "Ctrl+Alt+M");
    EXPECT_EQ(ParseShortCut("shift+ctrl+alt+right"), 0xE027);
    EXPECT_EQ(ParseShortCut("Shift+Ctrl+Alt+Right"), 0xE027);
    EXPECT_EQ(FormatShortCut(0xE027), "Shift+Ctrl+Alt+Right");
    EXPECT_EQ(ParseShortCut("Alt+F12"), 0x807B);
    EXPECT_EQ(ParseShortCut("F24"), 0x0087);
    EXPECT_EQ(FormatShortCut(0x0087), "F24");
    EXPECT_EQ(ParseShortCut("Del"), 0x002E);
    EXPECT_EQ(ParseShortCut("ALT+f1"), 0x8070);
    const std::pair<std::uint8_t, const char*> fixed[] = {
        {0x08, "BkSp"}, {0x09, "Tab"},   {0x0D, "Enter"}, {0x1B, "Esc"},  {0x20, "Space"},
        {0x21, "PgUp"}, {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"}, {0x25, "Left"},
        {0x26, "Up"},   {0x27, "Right"}, {0x28, "Down"},  {0x2D, "Ins"},  {0x2E, "Del"},
        {0x30, "0"},    {0x39, "9"},     {0x41, "A"},     {0x5A, "Z"},    {0x70, "F1"},
        {0x7B, "F12"},  {0x60, "Num 0"}, {0x69, "Num 9"},
    };
    for (auto [vk, name] : fixed) {
        EXPECT_EQ(FormatShortCut(vk), name) << int(vk);
        EXPECT_EQ(FormatShortCut(static_cast<TShortCut>(scShift | vk)),
                  std::string("Shift+") + name);
    }
    // Modifiers are written in the fixed order, whatever order they were read in.
    EXPECT_EQ(ParseShortCut("Alt+Shift+Up"), 0xA026);
    EXPECT_EQ(FormatShortCut(0xA026), "Shift+Alt+Up");
    EXPECT_EQ(ParseShortCut("Alt+Ctrl+Shift+Alt+Ctrl+A"), 0xE041); // repeats change nothing
    // Bits 8-12 are not looked at when formatting.
    EXPECT_EQ(FormatShortCut(0x5F41), "Ctrl+A");
}

TEST(ShortCutText, CaretIsAFurtherCtrlPrefix) {
    EXPECT_EQ(ParseShortCut("^C"), 0x4043);
    EXPECT_EQ(FormatShortCut(0x4043), "Ctrl+C");
    EXPECT_EQ(ParseShortCut("^^Alt+^C"), 0xC043);
    EXPECT_EQ(ParseShortCut("Shift+^F5"), 0x6074);
    // A "^" that is all that is left is a key name: with a layout that
    // names a key "^", "Ctrl+^" reads back as written.
    auto caretLayout = [](std::uint8_t vk) -> std::string {
        return vk == 0xDE ? "^" : LayoutKeyName(vk);
    };
    EXPECT_EQ(ParseShortCutWith("Ctrl+^", caretLayout), 0x40DE);
    EXPECT_EQ(ParseShortCutWith("^^", caretLayout), 0x40DE);
    EXPECT_EQ(ParseShortCutWith("^", caretLayout), 0x00DE);
    EXPECT_EQ(ParseShortCutWith("^C", caretLayout), 0x4043);
    // With the layout in use: the key named "^", if any, or nothing.
    unsigned caret = LowestCodeNamed("^");
    EXPECT_EQ(ParseShortCut("Ctrl+^"), static_cast<TShortCut>(caret ? scCtrl | caret : 0));
    EXPECT_EQ(ParseShortCut("^"), static_cast<TShortCut>(caret));
}

TEST(ShortCutText, WhatNamesNoKeyParsesToZero) {
    for (const char* text : {"", "Ctrl+", "Shift+Ctrl+Alt+", "^", "Ctrl + A", "Ctrl+Foo",
                             " Alt+F12", "Alt+F12 ", "Alt+ F12", "F25", "Ctrl+AB", "Ctrl-A",
                             "Ctrl+Alt", "Control+A", "Numpad5", "Ctrl+\xE9"}) {
        if (std::string(text) == "^" && LowestCodeNamed("^"))
            continue;
        EXPECT_EQ(ParseShortCut(text), 0) << '"' << text << '"';
    }
    EXPECT_EQ(FormatShortCut(0), "");
    EXPECT_EQ(FormatShortCut(0x6000), "");
    EXPECT_EQ(FormatShortCut(0xE000), "");
}

TEST(ShortCutText, EveryKeyWithEveryModifierSetReadsBackAsWritten) {
    auto caseOf = [](std::string text, int (*convert)(int)) {
        for (char& c : text)
            if (static_cast<unsigned char>(c) < 0x80)
                c = static_cast<char>(convert(c));
        return text;
    };
    for (unsigned vk = 1; vk <= 255; ++vk) {
        auto code = static_cast<std::uint8_t>(vk);
        std::string name = KeyName(code);
        // A layout name keeps being written wherever it reads back as its key.
        std::string layoutName = LayoutKeyName(code);
        if (vk >= 8 && !layoutName.empty() && LowestCodeNamed(layoutName) == vk) {
            EXPECT_EQ(name, layoutName) << vk;
        }
        for (TShortCut mods = 0; mods <= 0x7; ++mods) {
            auto value = static_cast<TShortCut>(mods << 13 | vk);
            std::string text = FormatShortCut(value);
            EXPECT_EQ(ParseShortCut(text), value) << vk << " \"" << text << '"';
            EXPECT_EQ(ParseShortCut(caseOf(text, std::tolower)), value) << text;
            EXPECT_EQ(ParseShortCut(caseOf(text, std::toupper)), value) << text;
        }
    }
}

TEST(ShortCutText, TextsThatReadBackStayAsTheyAre) {
    for (const HotkeyEntry& h : HotkeyTable()) {
        if (*h.DefaultText) {
            EXPECT_EQ(FormatShortCut(ParseShortCut(h.DefaultText)), h.DefaultText);
        }
    }
    EXPECT_EQ(ParseShortCut("Ctrl+5"), 0x4035);
    EXPECT_EQ(FormatShortCut(0x4065), "Ctrl+Num 5");
    EXPECT_EQ(FormatShortCut(0xC06A), "Ctrl+Alt+Num *");
    EXPECT_EQ(FormatShortCut(0xC013), "Ctrl+Alt+Key 0x13");
    EXPECT_EQ(ParseShortCut("ctrl+alt+key 0xbf"), 0xC0BF);
    EXPECT_EQ(ParseShortCut("Key 0x00"), 0);
    // Punctuation of the US layout: the lowest code of a name keeps it, so
    // "/" stays the numeric pad's and the main keyboard's "/" is told apart.
    if (LOWORD(GetKeyboardLayout(0)) == 0x0409) {
        const std::pair<TShortCut, const char*> us[] = {
            {0xC0BA, "Ctrl+Alt+;"}, {0xC0BC, "Ctrl+Alt+,"},  {0xC0BD, "Ctrl+Alt+-"},
            {0xC0BE, "Ctrl+Alt+."}, {0xC06F, "Ctrl+Alt+/"},  {0xC0C0, "Ctrl+Alt+`"},
            {0xC0DB, "Ctrl+Alt+["}, {0xC0DC, "Ctrl+Alt+\\"}, {0xC0DE, "Ctrl+Alt+'"},
        };
        for (auto [value, text] : us) {
            EXPECT_EQ(ParseShortCut(text), value) << text;
            EXPECT_EQ(FormatShortCut(value), text);
        }
        EXPECT_EQ(FormatShortCut(0xC0BF), "Ctrl+Alt+Key 0xBF");
    }
}

TEST(ShortCutValue, SplitGivesBitsZeroToTwelveAndTheModifierSet) {
    SplitKey k = SplitShortCut(0xE027);
    EXPECT_EQ(k.Key, 0x27);
    EXPECT_EQ(k.Shift, ssShift | ssCtrl | ssAlt);
    k = SplitShortCut(0x5F41);
    EXPECT_EQ(k.Key, 0x1F41);
    EXPECT_EQ(k.Shift, ssCtrl);
    k = SplitShortCut(0x807B);
    EXPECT_EQ(k.Key, 0x7B);
    EXPECT_EQ(k.Shift, ssAlt);
    k = SplitShortCut(0x2000);
    EXPECT_EQ(k.Key, 0);
    EXPECT_EQ(k.Shift, ssShift);
    k = SplitShortCut(0);
    EXPECT_EQ(k.Key, 0);
    EXPECT_EQ(k.Shift, 0);
}

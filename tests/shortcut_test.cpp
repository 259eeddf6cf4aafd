#include "hotkey/shortcut.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// The lowest code whose bare name is name (case as given), 0 when none.
unsigned LowestCodeNamed(const std::string& name) {
    for (unsigned vk = 8; vk <= 255; ++vk)
        if (KeyName(static_cast<std::uint8_t>(vk)) == name)
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
        {0x7B, "F12"},  {0x60, "0"},     {0x69, "9"},
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
        return vk == 0xDE ? "^" : KeyName(vk);
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

TEST(ShortCutText, SameNameParsesToTheLowerCodeAndNumpadDigitsBecomeMainDigits) {
    EXPECT_EQ(FormatShortCut(0x4065), "Ctrl+5");
    EXPECT_EQ(ParseShortCut("Ctrl+5"), 0x4035);
    EXPECT_EQ(ParseShortCut("0"), 0x0030);

    // Every named code, with all modifiers, reads back as the lowest code
    // of its name; layout names are a single byte or none at all.
    for (unsigned vk = 1; vk <= 255; ++vk) {
        auto code = static_cast<std::uint8_t>(vk);
        std::string name = KeyName(code);
        bool fixedRange = (vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A) ||
                          (vk >= 0x60 && vk <= 0x69) || (vk >= 0x70 && vk <= 0x87);
        if (fixedRange) {
            EXPECT_FALSE(name.empty()) << vk;
        }
        if (name.empty()) {
            EXPECT_EQ(FormatShortCut(static_cast<TShortCut>(0xE000 | vk)), "") << vk;
            continue;
        }
        bool fixedName = vk == 8 || vk == 9 || vk == 13 || vk == 27 || (vk >= 32 && vk <= 40) ||
                         vk == 45 || vk == 46;
        if (!fixedRange && !fixedName) {
            EXPECT_EQ(name.size(), 1u) << vk; // a layout name is taken only when one byte long
        }
        TShortCut value = static_cast<TShortCut>(0xE000 | vk);
        std::string text = FormatShortCut(value);
        EXPECT_EQ(text, "Shift+Ctrl+Alt+" + name);
        if (vk < 8)
            continue; // codes below 8 are never tried when reading
        EXPECT_EQ(ParseShortCut(text), static_cast<TShortCut>(0xE000 | LowestCodeNamed(name)))
            << vk << ' ' << name;
    }
    // The Pause key's layout name is longer than one byte here: no name,
    // so Shift+Ctrl+Pause formats as nothing.
    char buf[256] = {};
    UINT scan = MapVirtualKeyA(VK_PAUSE, MAPVK_VK_TO_VSC);
    if (scan && GetKeyNameTextA(static_cast<LONG>(scan << 16), buf, 256) > 1) {
        EXPECT_EQ(FormatShortCut(0x6013), "");
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

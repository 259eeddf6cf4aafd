// A key combination as a 16-bit value and as the text that the settings
// file stores ("Shift+Ctrl+Alt+Right").
//
// Value layout: the virtual-key code in bits 0-7 (0 = no key), bits 8-12
// zero in every value the program forms, Shift 0x2000, Ctrl 0x4000,
// Alt 0x8000. The value 0 means "no shortcut".
//
// Text form: an 8-bit string in the system code page, the modifier
// prefixes "Shift+", "Ctrl+", "Alt+" (written in this order; "^" is read as
// a further spelling of "Ctrl+") followed by one key name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using TShortCut = std::uint16_t;
using TShiftState = std::uint8_t; // set of the flags below

constexpr TShiftState ssShift = 0x01, ssAlt = 0x02, ssCtrl = 0x04, ssLeft = 0x08, ssRight = 0x10,
                      ssMiddle = 0x20;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

// The text of a value: the prefixes of its modifier bits and the name of
// the key in its low byte (KeyName below). Empty when the low byte is 0,
// whatever the modifier bits are. Every other value with bits 8-12 zero
// reads back as itself through ParseShortCut.
std::string FormatShortCut(TShortCut value);

// The value of a text: modifier prefixes in any order (case ignored,
// repeats allowed) and then a key name, compared case-insensitively with
// the layout-dependent names of the codes 8..255 (the lowest code with
// that name wins), and failing those with the layout-independent names of
// all codes 1..255. 0 when the text names no key. Nothing is trimmed.
TShortCut ParseShortCut(const std::string& text);

struct SplitKey {
    std::uint16_t Key; // bits 0-12 of the value
    TShiftState Shift; // ssShift / ssCtrl / ssAlt
};
SplitKey SplitShortCut(TShortCut value);

// Names a bare key code (no modifiers) by the layout-dependent table: the
// fixed names, digits, letters, F1-F24, the numeric pad's digits as plain
// digits, otherwise the keyboard layout's name of the key when it is
// exactly one byte long; empty when the key has none there.
using KeyNamer = std::function<std::string(std::uint8_t)>;
std::string LayoutKeyName(std::uint8_t vk);

// The name of a bare key code as a text writes it. A key whose name in the
// layout-dependent table reads back as that key keeps it ("A", "F12",
// "Left", ";"). Every other key has a name that does not depend on the
// layout: "Num 0".."Num 9", "Num *", "Num +", "Num -", "Num .", "Num /" on
// the numeric pad, otherwise "Key 0x" and the code in two upper-case
// hexadecimal digits ("Key 0x13"). Empty only for code 0.
std::string KeyName(std::uint8_t vk);
std::string KeyNameWith(std::uint8_t vk, const KeyNamer& layoutName);

// ParseShortCut against a given naming of the bare key codes instead of the
// keyboard layout in use.
TShortCut ParseShortCutWith(const std::string& text, const KeyNamer& layoutName);

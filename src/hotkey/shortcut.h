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
// the key in its low byte. Empty when that key has no name (0 included),
// whatever the modifier bits are.
std::string FormatShortCut(TShortCut value);

// The value of a text: modifier prefixes in any order (case ignored,
// repeats allowed) and then a key name, compared case-insensitively with
// the names of the codes 8..255; the lowest code with that name wins.
// 0 when the text names no key. Nothing is trimmed.
TShortCut ParseShortCut(const std::string& text);

struct SplitKey {
    std::uint16_t Key; // bits 0-12 of the value
    TShiftState Shift; // ssShift / ssCtrl / ssAlt
};
SplitKey SplitShortCut(TShortCut value);

// The name of a bare key code (no modifiers): the fixed names, digits,
// letters and F1-F24, otherwise the keyboard layout's name of the key when
// it is exactly one byte long; empty when the key has no name.
std::string KeyName(std::uint8_t vk);

// ParseShortCut against a given naming of the bare key codes instead of the
// keyboard layout in use.
TShortCut ParseShortCutWith(const std::string& text,
                            const std::function<std::string(std::uint8_t)>& keyName);

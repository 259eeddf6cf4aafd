#include "hotkey/shortcut.h"

#include <windows.h>

#include <array>
#include <string_view>

namespace {

// Case-insensitive comparison in the user's default locale.
bool SameText(std::string_view a, std::string_view b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

const char* FixedName(std::uint8_t vk) {
    switch (vk) {
    case VK_BACK:
        return "BkSp";
    case VK_TAB:
        return "Tab";
    case VK_RETURN:
        return "Enter";
    case VK_ESCAPE:
        return "Esc";
    case VK_SPACE:
        return "Space";
    case VK_PRIOR:
        return "PgUp";
    case VK_NEXT:
        return "PgDn";
    case VK_END:
        return "End";
    case VK_HOME:
        return "Home";
    case VK_LEFT:
        return "Left";
    case VK_UP:
        return "Up";
    case VK_RIGHT:
        return "Right";
    case VK_DOWN:
        return "Down";
    case VK_INSERT:
        return "Ins";
    case VK_DELETE:
        return "Del";
    default:
        return nullptr;
    }
}

// The layout's name of a key, taken only when it is a single byte.
std::string SystemKeyName(std::uint8_t vk) {
    UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    if (scan == 0)
        return {};
    char buf[256] = {};
    int n = GetKeyNameTextA(static_cast<LONG>(scan << 16), buf, static_cast<int>(sizeof buf));
    if (n != 1)
        return {};
    return std::string(1, buf[0]);
}

} // namespace

// These are the names that a text has always been read with; several codes
// may share one, and reading takes the lowest.
std::string LayoutKeyName(std::uint8_t vk) {
    if (const char* fixed = FixedName(vk))
        return fixed;
    if (vk >= '0' && vk <= '9')
        return std::string(1, static_cast<char>(vk));
    if (vk >= 'A' && vk <= 'Z')
        return std::string(1, static_cast<char>(vk));
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return std::string(1, static_cast<char>('0' + (vk - VK_NUMPAD0)));
    if (vk >= VK_F1 && vk <= VK_F24) {
        std::string name(1, 'F');
        name += std::to_string(vk - VK_F1 + 1);
        return name;
    }
    return SystemKeyName(vk);
}

namespace {

// The lowest code from 8 up whose layout name is name (case ignored), 0
// when there is none: what reading makes of a bare name.
unsigned LowestCodeNamed(std::string_view name, const KeyNamer& layoutName, unsigned below = 256) {
    for (unsigned vk = 8; vk < below; ++vk) {
        std::string other = layoutName(static_cast<std::uint8_t>(vk));
        if (!other.empty() && SameText(other, name))
            return vk;
    }
    return 0;
}

constexpr std::string_view kPadPrefix = "Num ";
constexpr std::string_view kCodePrefix = "Key 0x";

// The character that follows "Num " in the name of a numeric-pad key; 0
// for any other key (VK_SEPARATOR included).
char PadChar(unsigned vk) {
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return static_cast<char>('0' + (vk - VK_NUMPAD0));
    switch (vk) {
    case VK_MULTIPLY:
        return '*';
    case VK_ADD:
        return '+';
    case VK_SUBTRACT:
        return '-';
    case VK_DECIMAL:
        return '.';
    case VK_DIVIDE:
        return '/';
    default:
        return 0;
    }
}

// The layout-independent name of a code: "Num 5", "Num *" for the numeric
// pad, otherwise "Key 0x" and the code in two hexadecimal digits. Each has
// a space and more than one byte, so no layout name is ever one of them.
std::string StableKeyName(std::uint8_t vk) {
    if (char pad = PadChar(vk)) {
        std::string name(kPadPrefix);
        name += pad;
        return name;
    }
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string name(kCodePrefix);
    name += hex[vk >> 4];
    name += hex[vk & 0xF];
    return name;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The code of a layout-independent name, case ignored; 0 when text is none.
unsigned StableKeyCode(std::string_view text) {
    if (text.size() == kPadPrefix.size() + 1 && StartsWithText(text, kPadPrefix)) {
        for (unsigned vk = VK_NUMPAD0; vk <= VK_DIVIDE; ++vk)
            if (char pad = PadChar(vk); pad != 0 && pad == text.back())
                return vk;
        return 0;
    }
    if (text.size() == kCodePrefix.size() + 2 && StartsWithText(text, kCodePrefix)) {
        int high = HexDigit(text[kCodePrefix.size()]);
        int low = HexDigit(text[kCodePrefix.size() + 1]);
        if (high >= 0 && low >= 0)
            return static_cast<unsigned>(high * 16 + low);
    }
    return 0;
}

} // namespace

std::string KeyName(std::uint8_t vk) {
    return KeyNameWith(vk, LayoutKeyName);
}

std::string KeyNameWith(std::uint8_t vk, const KeyNamer& layoutName) {
    if (vk == 0)
        return {};
    // A layout name that reads back as this code keeps it, so that what
    // was written before is written the same again.
    std::string name = layoutName(vk);
    if (!name.empty() && vk >= 8 && LowestCodeNamed(name, layoutName, vk) == 0)
        return name;
    return StableKeyName(vk);
}

std::string FormatShortCut(TShortCut value) {
    std::string name = KeyName(static_cast<std::uint8_t>(value & 0xFF));
    if (name.empty())
        return {};
    std::string text;
    if (value & scShift)
        text += "Shift+";
    if (value & scCtrl)
        text += "Ctrl+";
    if (value & scAlt)
        text += "Alt+";
    return text + name;
}

TShortCut ParseShortCutWith(const std::string& text, const KeyNamer& layoutName) {
    struct Prefix {
        std::string_view text;
        TShortCut bit;
    };
    // Tried in this order at the front of what is left.
    static constexpr std::array<Prefix, 4> prefixes{{
        {"Shift+", scShift},
        {"^", scCtrl},
        {"Ctrl+", scCtrl},
        {"Alt+", scAlt},
    }};

    TShortCut mods = 0;
    std::string_view rest = text;
    for (bool matched = true; matched;) {
        matched = false;
        for (const Prefix& p : prefixes) {
            // A "^" that is all that is left is the key itself (a layout
            // may name a key "^"), so that "Ctrl+^" reads back as written.
            if (p.text == "^" && rest.size() == 1)
                continue;
            if (StartsWithText(rest, p.text)) {
                mods |= p.bit;
                rest.remove_prefix(p.text.size());
                matched = true;
                break;
            }
        }
    }
    if (rest.empty())
        return 0;
    unsigned vk = LowestCodeNamed(rest, layoutName);
    if (vk == 0)
        vk = StableKeyCode(rest);
    if (vk == 0)
        return 0;
    return static_cast<TShortCut>(mods | vk);
}

TShortCut ParseShortCut(const std::string& text) {
    return ParseShortCutWith(text, LayoutKeyName);
}

SplitKey SplitShortCut(TShortCut value) {
    SplitKey k{static_cast<std::uint16_t>(value & 0x1FFF), 0};
    if (value & scShift)
        k.Shift |= ssShift;
    if (value & scCtrl)
        k.Shift |= ssCtrl;
    if (value & scAlt)
        k.Shift |= ssAlt;
    return k;
}

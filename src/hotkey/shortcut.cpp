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

std::string KeyName(std::uint8_t vk) {
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

TShortCut ParseShortCutWith(const std::string& text,
                            const std::function<std::string(std::uint8_t)>& keyName) {
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
    for (unsigned vk = 8; vk <= 255; ++vk) {
        std::string name = keyName(static_cast<std::uint8_t>(vk));
        if (!name.empty() && SameText(name, rest))
            return static_cast<TShortCut>(mods | vk);
    }
    return 0;
}

TShortCut ParseShortCut(const std::string& text) {
    return ParseShortCutWith(text, KeyName);
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

#include "settings/settings.h"

AppSettings Settings;

namespace {

using A = HotkeyAction;

// The twenty hotkeys, by number.
constexpr std::array<HotkeyEntry, 20> kHotkeys{{
    {hkMaxRestore, {A::ToggleMaximize, 0}, &AppSettings::MaxRestoreKey, "MaxRestoreKey", "Alt+F12"},
    {hkMinimize, {A::Minimize, 0}, &AppSettings::MinKey, "MinKey", "Alt+F11"},
    {hkMoveUp, {A::Move, 0}, &AppSettings::MoveUpKey, "MoveUpKey", "Shift+Alt+Up"},
    {hkMoveDown, {A::Move, 1}, &AppSettings::MoveDownKey, "MoveDownKey", "Shift+Alt+Down"},
    {hkMoveLeft, {A::Move, 2}, &AppSettings::MoveLeftKey, "MoveLeftKey", "Shift+Alt+Left"},
    {hkMoveRight, {A::Move, 3}, &AppSettings::MoveRightKey, "MoveRightKey", "Shift+Alt+Right"},
    {hkRBSizeUp,
     {A::SizeBottomRight, 0},
     &AppSettings::RB_SizeUpKey,
     "RB_SizeUpKey",
     "Ctrl+Alt+Up"},
    {hkRBSizeDown,
     {A::SizeBottomRight, 1},
     &AppSettings::RB_SizeDownKey,
     "RB_SizeDownKey",
     "Ctrl+Alt+Down"},
    {hkRBSizeLeft,
     {A::SizeBottomRight, 2},
     &AppSettings::RB_SizeLeftKey,
     "RB_SizeLeftKey",
     "Ctrl+Alt+Left"},
    {hkRBSizeRight,
     {A::SizeBottomRight, 3},
     &AppSettings::RB_SizeRightKey,
     "RB_SizeRightKey",
     "Ctrl+Alt+Right"},
    {hkTLSizeUp,
     {A::SizeTopLeft, 0},
     &AppSettings::TL_SizeUpKey,
     "TL_SizeUpKey",
     "Shift+Ctrl+Alt+Up"},
    {hkTLSizeDown,
     {A::SizeTopLeft, 1},
     &AppSettings::TL_SizeDownKey,
     "TL_SizeDownKey",
     "Shift+Ctrl+Alt+Down"},
    {hkTLSizeLeft,
     {A::SizeTopLeft, 2},
     &AppSettings::TL_SizeLeftKey,
     "TL_SizeLeftKey",
     "Shift+Ctrl+Alt+Left"},
    {hkTLSizeRight,
     {A::SizeTopLeft, 3},
     &AppSettings::TL_SizeRightKey,
     "TL_SizeRightKey",
     "Shift+Ctrl+Alt+Right"},
    {hkMouseMove, {A::MouseMove, 0}, &AppSettings::MouseMoveKey, "MouseMoveKey", "Ctrl+Alt+M"},
    {hkPopupMenu, {A::PopupMenu, 0}, &AppSettings::PopupMenuKey, "PopupMenuKey", ""},
    {hkClose, {A::Close, 0}, &AppSettings::CloseKey, "CloseKey", ""},
    {hkAllRestore, {A::AllRestore, 0}, &AppSettings::AllRestoreKey, "AllRestoreKey", ""},
    {hkAllMin, {A::AllMin, 0}, &AppSettings::AllMinKey, "AllMinKey", ""},
    {hkScreenSaver, {A::ScreenSaver, 0}, &AppSettings::ScreenSaver, "ScreenSaver", ""},
}};

constexpr bool HotkeysInNumberOrder() {
    for (std::size_t i = 0; i < kHotkeys.size(); ++i)
        if (kHotkeys[i].Number != static_cast<int>(i) + 1)
            return false;
    return true;
}
static_assert(HotkeysInNumberOrder(), "hotkey rows must be in number order 1..20");

// A text row of the file is the hotkey row of that number: key, field and
// default come from the hotkey table alone.
constexpr SettingEntry Hotkey(HotkeyCommand number) {
    const HotkeyEntry& h = kHotkeys[static_cast<std::size_t>(number - 1)];
    return {h.Key, SettingKind::Text, h.Field, nullptr, nullptr, h.DefaultText, 0};
}
constexpr SettingEntry Integer(const char* key, std::int32_t AppSettings::*field,
                               std::int32_t def) {
    return {key, SettingKind::Integer, nullptr, field, nullptr, nullptr, def};
}
constexpr SettingEntry Switch(const char* key, bool AppSettings::*field, bool def) {
    return {key, SettingKind::Switch, nullptr, nullptr, field, nullptr, def ? 1 : 0};
}

// The keys in file order.
constexpr std::array<SettingEntry, 26> kSettings{{
    Hotkey(hkMaxRestore),
    Hotkey(hkMinimize),
    Hotkey(hkClose),
    Hotkey(hkAllRestore),
    Hotkey(hkAllMin),
    Hotkey(hkScreenSaver),
    Hotkey(hkMoveUp),
    Hotkey(hkMoveDown),
    Hotkey(hkMoveLeft),
    Hotkey(hkMoveRight),
    Integer("MoveP", &AppSettings::MoveP, 5),
    Hotkey(hkRBSizeUp),
    Hotkey(hkRBSizeDown),
    Hotkey(hkRBSizeLeft),
    Hotkey(hkRBSizeRight),
    Hotkey(hkTLSizeUp),
    Hotkey(hkTLSizeDown),
    Hotkey(hkTLSizeLeft),
    Hotkey(hkTLSizeRight),
    Integer("SizeP", &AppSettings::SizeP, 5),
    Hotkey(hkMouseMove),
    Integer("MouseMovePos", &AppSettings::MouseMovePos, 2),
    Integer("MouseOffset", &AppSettings::MouseOffset, 0),
    Switch("StartMouseMove", &AppSettings::StartMouseMove, false),
    Hotkey(hkPopupMenu),
    Switch("NoTrayIcon", &AppSettings::NoTrayIcon, false),
}};

// Every hotkey has exactly one text row, and every text row is a hotkey.
constexpr bool EveryHotkeyStoredOnce() {
    for (const HotkeyEntry& h : kHotkeys) {
        int rows = 0;
        for (const SettingEntry& s : kSettings)
            if (s.Kind == SettingKind::Text && s.Text == h.Field)
                ++rows;
        if (rows != 1)
            return false;
    }
    int textRows = 0;
    for (const SettingEntry& s : kSettings)
        if (s.Kind == SettingKind::Text)
            ++textRows;
    return textRows == static_cast<int>(kHotkeys.size());
}
static_assert(EveryHotkeyStoredOnce(), "each hotkey needs exactly one text key in the file");

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
unsigned HexValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

// Hexadecimal digits only, at most 32 significant bits; the bit pattern is
// the result ("FFFFFFFF" is -1).
std::optional<std::int32_t> ParseHex(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    for (char c : digits)
        if (!IsHexDigit(c))
            return std::nullopt;
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos)
        return 0;
    digits.remove_prefix(first);
    if (digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits)
        value = (value << 4) | HexValue(c);
    return static_cast<std::int32_t>(value);
}

// Decimal digits with an optional sign, within the signed 32-bit range.
std::optional<std::int32_t> ParseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace

const std::array<HotkeyEntry, 20>& HotkeyTable() {
    return kHotkeys;
}

const HotkeyEntry* FindHotkey(int number) {
    if (number < HotkeyCommandFirst || number > HotkeyCommandLast)
        return nullptr;
    return &kHotkeys[static_cast<std::size_t>(number - 1)];
}

HotkeyAction HotkeyActionFor(int index) {
    const HotkeyEntry* e = FindHotkey(index);
    return e ? e->Action : HotkeyAction{HotkeyAction::None, 0};
}

const std::array<SettingEntry, 26>& SettingTable() {
    return kSettings;
}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(start);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseHex(text.substr(2));
    if (text[0] == '$')
        return ParseHex(text.substr(1));
    return ParseDecimal(text);
}

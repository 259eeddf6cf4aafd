#include "settings/ini.h"
#include "settings/inifile.h"

#include "app/errorreport.h"

#include <windows.h>

#include <vector>

TAppIni Settings;

namespace {

constexpr char kSection[] = "Option";

// The twenty hotkeys, by number.
constexpr std::array<HotkeyEntry, 20> kHotkeys{{
    {hkMaxRestore, &TAppIni::MaxRestoreKey, "MaxRestoreKey", "Alt+F12"},
    {hkMinimize, &TAppIni::MinKey, "MinKey", "Alt+F11"},
    {hkMoveUp, &TAppIni::MoveUpKey, "MoveUpKey", "Shift+Alt+Up"},
    {hkMoveDown, &TAppIni::MoveDownKey, "MoveDownKey", "Shift+Alt+Down"},
    {hkMoveLeft, &TAppIni::MoveLeftKey, "MoveLeftKey", "Shift+Alt+Left"},
    {hkMoveRight, &TAppIni::MoveRightKey, "MoveRightKey", "Shift+Alt+Right"},
    {hkRBSizeUp, &TAppIni::RB_SizeUpKey, "RB_SizeUpKey", "Ctrl+Alt+Up"},
    {hkRBSizeDown, &TAppIni::RB_SizeDownKey, "RB_SizeDownKey", "Ctrl+Alt+Down"},
    {hkRBSizeLeft, &TAppIni::RB_SizeLeftKey, "RB_SizeLeftKey", "Ctrl+Alt+Left"},
    {hkRBSizeRight, &TAppIni::RB_SizeRightKey, "RB_SizeRightKey", "Ctrl+Alt+Right"},
    {hkTLSizeUp, &TAppIni::TL_SizeUpKey, "TL_SizeUpKey", "Shift+Ctrl+Alt+Up"},
    {hkTLSizeDown, &TAppIni::TL_SizeDownKey, "TL_SizeDownKey", "Shift+Ctrl+Alt+Down"},
    {hkTLSizeLeft, &TAppIni::TL_SizeLeftKey, "TL_SizeLeftKey", "Shift+Ctrl+Alt+Left"},
    {hkTLSizeRight, &TAppIni::TL_SizeRightKey, "TL_SizeRightKey", "Shift+Ctrl+Alt+Right"},
    {hkMouseMove, &TAppIni::MouseMoveKey, "MouseMoveKey", "Ctrl+Alt+M"},
    {hkPopupMenu, &TAppIni::PopupMenuKey, "PopupMenuKey", ""},
    {hkClose, &TAppIni::CloseKey, "CloseKey", ""},
    {hkAllRestore, &TAppIni::AllRestoreKey, "AllRestoreKey", ""},
    {hkAllMin, &TAppIni::AllMinKey, "AllMinKey", ""},
    {hkScreenSaver, &TAppIni::ScreenSaver, "ScreenSaver", ""},
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
constexpr SettingEntry Integer(const char* key, std::int32_t TAppIni::*field, std::int32_t def) {
    return {key, SettingKind::Integer, nullptr, field, nullptr, nullptr, def};
}
constexpr SettingEntry Switch(const char* key, bool TAppIni::*field, bool def) {
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
    Integer("MoveP", &TAppIni::MoveP, 5),
    Hotkey(hkRBSizeUp),
    Hotkey(hkRBSizeDown),
    Hotkey(hkRBSizeLeft),
    Hotkey(hkRBSizeRight),
    Hotkey(hkTLSizeUp),
    Hotkey(hkTLSizeDown),
    Hotkey(hkTLSizeLeft),
    Hotkey(hkTLSizeRight),
    Integer("SizeP", &TAppIni::SizeP, 5),
    Hotkey(hkMouseMove),
    Integer("MouseMovePos", &TAppIni::MouseMovePos, 2),
    Integer("MouseOffset", &TAppIni::MouseOffset, 0),
    Switch("StartMouseMove", &TAppIni::StartMouseMove, false),
    Hotkey(hkPopupMenu),
    Switch("NoTrayIcon", &TAppIni::NoTrayIcon, false),
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

std::wstring Widen(const char* ascii) {
    std::wstring out;
    for (; *ascii; ++ascii)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
    return out;
}

std::string ToCodePage(UINT codePage, const wchar_t* text, int units) {
    if (units <= 0)
        return {};
    int n = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text, units, out.data(), n, nullptr, nullptr);
    return out;
}

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

std::string ReadSetting(const std::wstring& path, const char* key, const std::string& def) {
    return ReadIniValue(path, kSection, key, def);
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

std::wstring IniPathForExe(const std::wstring& exePath) {
    return ChangeFileExt(exePath, L".INI");
}

std::wstring IniFilePath() {
    return IniPathForExe(ExecutablePath());
}

std::string CodePagePrefix(const std::wstring& text, std::size_t maxBytes, unsigned codePage) {
    std::string whole = ToCodePage(codePage, text.data(), static_cast<int>(text.size()));
    if (whole.size() <= maxBytes)
        return whole;
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t units = 1;
        if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]))
            units = 2;
        std::string piece = ToCodePage(codePage, text.data() + i, static_cast<int>(units));
        if (out.size() + piece.size() > maxBytes)
            break;
        out += piece;
        i += units;
    }
    return out;
}

std::string ReadIniValue(const std::wstring& path, const char* section, const char* key,
                         const std::string& def) {
    // Every UTF-16 unit but half a surrogate pair takes at least one byte
    // in the code page, so this many units always cover the longest value
    // that is kept.
    constexpr DWORD kUnits = 2 * IniValueMaxBytes + 2;
    std::vector<wchar_t> buf(kUnits, L'\0');
    std::wstring wdef = AnsiToWide(def);
    DWORD n = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), wdef.c_str(),
                                       buf.data(), kUnits, path.c_str());
    return CodePagePrefix(std::wstring(buf.data(), n), IniValueMaxBytes, CP_ACP);
}

bool WriteIniValue(const std::wstring& path, const char* section, const char* key,
                   const std::string& value) {
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                      AnsiToWide(value).c_str(), path.c_str()) != 0;
}

void LoadSettings() {
    LoadSettings(IniFilePath());
}

void LoadSettings(const std::wstring& iniPath) {
    TAppIni loaded;
    for (const SettingEntry& s : kSettings) {
        switch (s.Kind) {
        case SettingKind::Text:
            loaded.*s.Text = ReadSetting(iniPath, s.Key, s.DefaultText);
            break;
        case SettingKind::Integer:
            loaded.*s.Int = ParseIniInteger(ReadSetting(iniPath, s.Key, "")).value_or(s.DefaultInt);
            break;
        case SettingKind::Switch:
            loaded.*s.Switch =
                ParseIniInteger(ReadSetting(iniPath, s.Key, "")).value_or(s.DefaultInt) != 0;
            break;
        }
    }
    Settings = std::move(loaded);
}

void SaveSettings() {
    SaveSettings(IniFilePath());
}

void SaveSettings(const std::wstring& iniPath) {
    for (const SettingEntry& s : kSettings) {
        std::string value;
        switch (s.Kind) {
        case SettingKind::Text:
            value = Settings.*s.Text;
            break;
        case SettingKind::Integer:
            value = std::to_string(Settings.*s.Int);
            break;
        case SettingKind::Switch:
            value.assign(1, Settings.*s.Switch ? '1' : '0');
            break;
        }
        if (!WriteIniValue(iniPath, kSection, s.Key, value)) {
            std::wstring message = iniPath;
            message += L" に書き込めません";
            throw EQuorelError(std::move(message));
        }
    }
}

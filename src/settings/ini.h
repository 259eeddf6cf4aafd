// The settings record, the table of the twenty hotkey commands, and the
// INI file that keeps them between runs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The one settings record. Shortcut texts are 8-bit strings in the system
// code page, exactly as stored in the INI file.
struct TAppIni {
    std::string MaxRestoreKey;
    std::string MinKey;
    std::string CloseKey;
    std::string AllRestoreKey;
    std::string AllMinKey;
    std::string ScreenSaver;
    std::string MoveUpKey;
    std::string MoveDownKey;
    std::string MoveLeftKey;
    std::string MoveRightKey;
    std::int32_t MoveP = 0;
    std::string RB_SizeUpKey;
    std::string RB_SizeDownKey;
    std::string RB_SizeLeftKey;
    std::string RB_SizeRightKey;
    std::string TL_SizeUpKey;
    std::string TL_SizeDownKey;
    std::string TL_SizeLeftKey;
    std::string TL_SizeRightKey;
    std::int32_t SizeP = 0;
    std::string MouseMoveKey;
    std::int32_t MouseMovePos = 0;
    std::int32_t MouseOffset = 0;
    bool StartMouseMove = false;
    std::string PopupMenuKey;
    bool NoTrayIcon = false;
};

extern TAppIni Settings;

// The twenty hotkey commands. The number is the registration identifier,
// the dispatch index and the registration order.
enum HotkeyCommand : int {
    hkMaxRestore = 1,
    hkMinimize = 2,
    hkMoveUp = 3,
    hkMoveDown = 4,
    hkMoveLeft = 5,
    hkMoveRight = 6,
    hkRBSizeUp = 7,
    hkRBSizeDown = 8,
    hkRBSizeLeft = 9,
    hkRBSizeRight = 10,
    hkTLSizeUp = 11,
    hkTLSizeDown = 12,
    hkTLSizeLeft = 13,
    hkTLSizeRight = 14,
    hkMouseMove = 15,
    hkPopupMenu = 16,
    hkClose = 17,
    hkAllRestore = 18,
    hkAllMin = 19,
    hkScreenSaver = 20,
};
constexpr int HotkeyCommandFirst = 1;
constexpr int HotkeyCommandLast = 20;

// One row of the hotkey table: the single source that registration, the
// INI file and the options dialog read.
struct HotkeyEntry {
    int Number;                  // 1..20
    std::string TAppIni::*Field; // the shortcut text in Settings
    const char* Key;             // INI key, also the dialog control's name
    const char* DefaultText;     // default shortcut text ("" for none)
};

// Rows in ascending number order: HotkeyTable()[n - 1].Number == n.
const std::array<HotkeyEntry, 20>& HotkeyTable();
// The row of a number, or nullptr outside 1..20.
const HotkeyEntry* FindHotkey(int number);

// The 26 keys of the INI file in file order.
enum class SettingKind { Text, Integer, Switch };
struct SettingEntry {
    const char* Key;
    SettingKind Kind;
    std::string TAppIni::*Text; // Kind == Text
    std::int32_t TAppIni::*Int; // Kind == Integer
    bool TAppIni::*Switch;      // Kind == Switch
    const char* DefaultText;    // Kind == Text
    std::int32_t DefaultInt;    // Kind == Integer or Switch (0/1)
};
const std::array<SettingEntry, 26>& SettingTable();

// Reads an integer the way the INI file stores it: leading blanks skipped,
// decimal with an optional sign, "$" hex, "0x"/"0X" hex; anything else, or
// a number outside the signed 32-bit range, gives nothing.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// Path of the INI file for an executable path: its extension replaced by
// ".INI" (appended when there is none).
std::wstring IniPathForExe(const std::wstring& exePath);
// The INI file of the running executable.
std::wstring IniFilePath();

// Reads all 26 keys from the file into Settings (defaults for what is
// missing or malformed). Never throws for a missing or unreadable file.
void LoadSettings();
void LoadSettings(const std::wstring& iniPath);
// Writes all 26 keys from Settings in file order. Throws EQuorelError
// "<path> に書き込めません" at the first key that cannot be written.
void SaveSettings();
void SaveSettings(const std::wstring& iniPath);

// The settings record and the table of the twenty hotkey commands.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The one settings record. Shortcut texts are 8-bit strings in the system
// code page, exactly as stored in the INI file.
struct AppSettings {
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

extern AppSettings Settings;

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

// What one hotkey number does: the command, and for the move and resize
// commands the direction (Up 0, Down 1, Left 2, Right 3).
struct HotkeyAction {
    enum Kind {
        None,
        ToggleMaximize,
        Minimize,
        Move,
        SizeBottomRight,
        SizeTopLeft,
        MouseMove,
        PopupMenu,
        Close,
        AllRestore,
        AllMin,
        ScreenSaver,
    } kind;
    int direction;
    // Holding the key down repeats the command (moving and resizing);
    // the other commands run once per press.
    constexpr bool Repeats() const {
        return kind == Move || kind == SizeBottomRight || kind == SizeTopLeft;
    }
    // The command acts on the foreground window (which may belong to a
    // program out of the program's reach); the others act on the desktop,
    // the cursor or the program itself.
    constexpr bool ActsOnForegroundWindow() const {
        return kind == ToggleMaximize || kind == Minimize || kind == Close || Repeats();
    }
};

// One row of the hotkey table: the single source that registration,
// dispatch, the INI file and the options dialog read.
struct HotkeyEntry {
    int Number;                      // 1..20
    HotkeyAction Action;             // what a press does
    std::string AppSettings::*Field; // the shortcut text in Settings
    const char* Key;                 // INI key, also the dialog control's name
    const char* DefaultText;         // default shortcut text ("" for none)
};

// Rows in ascending number order: HotkeyTable()[n - 1].Number == n.
const std::array<HotkeyEntry, 20>& HotkeyTable();
// The row of a number, or nullptr outside 1..20.
const HotkeyEntry* FindHotkey(int number);
// The command of hotkey number index; None for anything outside 1..20.
HotkeyAction HotkeyActionFor(int index);

// The 26 keys of the INI file in file order.
enum class SettingKind { Text, Integer, Switch };
struct SettingEntry {
    const char* Key;
    SettingKind Kind;
    std::string AppSettings::*Text; // Kind == Text
    std::int32_t AppSettings::*Int; // Kind == Integer
    bool AppSettings::*Switch;      // Kind == Switch
    const char* DefaultText;        // Kind == Text
    std::int32_t DefaultInt;        // Kind == Integer or Switch (0/1)
};
const std::array<SettingEntry, 26>& SettingTable();

// Reads an integer the way the INI file stores it: leading blanks skipped,
// decimal with an optional sign, "$" hex, "0x"/"0X" hex; anything else, or
// a number outside the signed 32-bit range, gives nothing.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

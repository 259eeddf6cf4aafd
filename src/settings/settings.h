// The settings record, the table of the hotkey commands and the keys of
// the settings file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    std::string TopMostKey;
    std::string CenterKey;
    std::string NextMonitorKey;
    std::string PrevMonitorKey;
    // "ja" or "en"; anything else (empty when the file has no such key):
    // the user's Windows display language decides (settings/ui_language.h).
    std::string Language;
};

extern AppSettings Settings;

// The pages of the options dialog, in the order of their tabs.
enum class OptionPage : int { General, Move, SizeBottomRight, SizeTopLeft, Mouse, Other };
constexpr int kOptionPageCount = static_cast<int>(OptionPage::Other) + 1;

// The hotkey commands. The number is the registration identifier, the
// dispatch index and the registration order.
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
    hkTopMost = 21,
    hkCenter = 22,
    hkNextMonitor = 23,
    hkPrevMonitor = 24,
};

// What one hotkey number does: the kind of command, and for the move and
// resize commands the direction (Up 0, Down 1, Left 2, Right 3). What each
// kind does, and whether it acts on the foreground window, the program's
// top layer says in one table, one entry per kind (app/main_form.cpp).
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
        TopMost,
        Center,
        NextMonitor,
        PrevMonitor,
        KindCount // the number of kinds; stays last
    } kind;
    int direction;
};

// The group boxes of the options dialog that hold hotkeys, in the order
// they stand, page by page. Each group lies on one page (checked below).
enum class HotkeyGroup : int {
    WindowCommands,  // 全般: the foreground window and the desktop
    Move,            // 移動
    SizeBottomRight, // サイズ変更1
    SizeTopLeft,     // サイズ変更2
    MouseCursor,     // マウス
    PopupMenu,       // その他
    Placement,       // その他
};

// One row of the hotkey table: every fact about one command. Registration,
// dispatch, the INI file, the options dialog and the help all read it.
struct HotkeyEntry {
    int Number;              // registration identifier and dispatch index
    const char* Key;         // INI key, also the dialog control's name
    const char* DefaultText; // default shortcut text ("" for none)
    // Holding the key down repeats the command; otherwise it runs once
    // per press, however long the key is held.
    bool Repeats;
    // Written to the file only while it holds a combination, and removed
    // from it when cleared; otherwise always written, in file order.
    bool WrittenOnlyWhenSet;
    HotkeyAction Action;             // what a press does
    std::string AppSettings::*Field; // the shortcut text in Settings
    // Where the options dialog shows it: the page, the group box on the
    // page, and whether a gap sets it off from the row above. Rows of a
    // group stand in table order.
    OptionPage Page;
    HotkeyGroup Group;
    bool GapBefore;
    const wchar_t* Label;       // the dialog's label before the key field
    const wchar_t* Name;        // the command's name in the help
    const wchar_t* Description; // what it does, for the help's page topic
    // The same three texts in English (settings/ui_language.h picks).
    const wchar_t* LabelEn;
    const wchar_t* NameEn;
    const wchar_t* DescriptionEn;
};

inline constexpr auto kHotkeyTable = std::to_array<HotkeyEntry>({
    {.Number = hkMaxRestore,
     .Key = "MaxRestoreKey",
     .DefaultText = "Alt+F12",
     .Repeats = false,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::ToggleMaximize, 0},
     .Field = &AppSettings::MaxRestoreKey,
     .Page = OptionPage::General,
     .Group = HotkeyGroup::WindowCommands,
     .GapBefore = false,
     .Label = L"最大化、元のサイズに戻す :",
     .Name = L"最大化、元のサイズに戻す",
     .Description = L"手前のウィンドウを最大化し、最大化されていれば元に戻します。最大化ボタンのな"
                    L"いウィンドウ（多くのダイアログなど）には何もしません。",
     .LabelEn = L"Maximize or restore:",
     .NameEn = L"Maximize or Restore",
     .DescriptionEn =
         L"Maximizes the foreground window, or restores it when it is maximized. Does nothing to a "
         L"window without a Maximize button (most dialog boxes, for example)."},
    {.Number = hkMinimize,
     .Key = "MinKey",
     .DefaultText = "Alt+F11",
     .Repeats = false,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::Minimize, 0},
     .Field = &AppSettings::MinKey,
     .Page = OptionPage::General,
     .Group = HotkeyGroup::WindowCommands,
     .GapBefore = false,
     .Label = L"最小化 :",
     .Name = L"最小化",
     .Description = L"手前のウィンドウを最小化します。最小化ボタンがなければ何もしません。",
     .LabelEn = L"Minimize:",
     .NameEn = L"Minimize",
     .DescriptionEn =
         L"Minimizes the foreground window. Does nothing when it has no Minimize button."},
    {.Number = hkMoveUp,
     .Key = "MoveUpKey",
     .DefaultText = "Shift+Alt+Up",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::Move, 0},
     .Field = &AppSettings::MoveUpKey,
     .Page = OptionPage::Move,
     .Group = HotkeyGroup::Move,
     .GapBefore = false,
     .Label = L"上(↑) :",
     .Name = L"上へ移動",
     .Description = L"手前のウィンドウを「間隔」のピクセル数だけ上へ動かします。",
     .LabelEn = L"Up (↑):",
     .NameEn = L"Move Up",
     .DescriptionEn = L"Moves the foreground window up by the number of pixels in \"Step\"."},
    {.Number = hkMoveDown,
     .Key = "MoveDownKey",
     .DefaultText = "Shift+Alt+Down",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::Move, 1},
     .Field = &AppSettings::MoveDownKey,
     .Page = OptionPage::Move,
     .Group = HotkeyGroup::Move,
     .GapBefore = false,
     .Label = L"下(↓) :",
     .Name = L"下へ移動",
     .Description = L"手前のウィンドウを「間隔」のピクセル数だけ下へ動かします。",
     .LabelEn = L"Down (↓):",
     .NameEn = L"Move Down",
     .DescriptionEn = L"Moves the foreground window down by the number of pixels in \"Step\"."},
    {.Number = hkMoveLeft,
     .Key = "MoveLeftKey",
     .DefaultText = "Shift+Alt+Left",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::Move, 2},
     .Field = &AppSettings::MoveLeftKey,
     .Page = OptionPage::Move,
     .Group = HotkeyGroup::Move,
     .GapBefore = false,
     .Label = L"左(←) :",
     .Name = L"左へ移動",
     .Description = L"手前のウィンドウを「間隔」のピクセル数だけ左へ動かします。",
     .LabelEn = L"Left (←):",
     .NameEn = L"Move Left",
     .DescriptionEn = L"Moves the foreground window left by the number of pixels in \"Step\"."},
    {.Number = hkMoveRight,
     .Key = "MoveRightKey",
     .DefaultText = "Shift+Alt+Right",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::Move, 3},
     .Field = &AppSettings::MoveRightKey,
     .Page = OptionPage::Move,
     .Group = HotkeyGroup::Move,
     .GapBefore = false,
     .Label = L"右(→) :",
     .Name = L"右へ移動",
     .Description = L"手前のウィンドウを「間隔」のピクセル数だけ右へ動かします。",
     .LabelEn = L"Right (→):",
     .NameEn = L"Move Right",
     .DescriptionEn = L"Moves the foreground window right by the number of pixels in \"Step\"."},
    {.Number = hkRBSizeUp,
     .Key = "RB_SizeUpKey",
     .DefaultText = "Ctrl+Alt+Up",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::SizeBottomRight, 0},
     .Field = &AppSettings::RB_SizeUpKey,
     .Page = OptionPage::SizeBottomRight,
     .Group = HotkeyGroup::SizeBottomRight,
     .GapBefore = false,
     .Label = L"上(↑) :",
     .Name = L"右下を上へ（低く）",
     .Description = L"下の辺を上へ動かします。低くなります。",
     .LabelEn = L"Up (↑):",
     .NameEn = L"Bottom Edge Up (Shorter)",
     .DescriptionEn = L"Moves the bottom edge up. The window gets shorter."},
    {.Number = hkRBSizeDown,
     .Key = "RB_SizeDownKey",
     .DefaultText = "Ctrl+Alt+Down",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::SizeBottomRight, 1},
     .Field = &AppSettings::RB_SizeDownKey,
     .Page = OptionPage::SizeBottomRight,
     .Group = HotkeyGroup::SizeBottomRight,
     .GapBefore = false,
     .Label = L"下(↓) :",
     .Name = L"右下を下へ（高く）",
     .Description = L"下の辺を下へ動かします。高くなります。",
     .LabelEn = L"Down (↓):",
     .NameEn = L"Bottom Edge Down (Taller)",
     .DescriptionEn = L"Moves the bottom edge down. The window gets taller."},
    {.Number = hkRBSizeLeft,
     .Key = "RB_SizeLeftKey",
     .DefaultText = "Ctrl+Alt+Left",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::SizeBottomRight, 2},
     .Field = &AppSettings::RB_SizeLeftKey,
     .Page = OptionPage::SizeBottomRight,
     .Group = HotkeyGroup::SizeBottomRight,
     .GapBefore = false,
     .Label = L"左(←) :",
     .Name = L"右下を左へ（狭く）",
     .Description = L"右の辺を左へ動かします。狭くなります。",
     .LabelEn = L"Left (←):",
     .NameEn = L"Right Edge Left (Narrower)",
     .DescriptionEn = L"Moves the right edge left. The window gets narrower."},
    {.Number = hkRBSizeRight,
     .Key = "RB_SizeRightKey",
     .DefaultText = "Ctrl+Alt+Right",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::SizeBottomRight, 3},
     .Field = &AppSettings::RB_SizeRightKey,
     .Page = OptionPage::SizeBottomRight,
     .Group = HotkeyGroup::SizeBottomRight,
     .GapBefore = false,
     .Label = L"右(→) :",
     .Name = L"右下を右へ（広く）",
     .Description = L"右の辺を右へ動かします。広くなります。",
     .LabelEn = L"Right (→):",
     .NameEn = L"Right Edge Right (Wider)",
     .DescriptionEn = L"Moves the right edge right. The window gets wider."},
    {.Number = hkTLSizeUp,
     .Key = "TL_SizeUpKey",
     .DefaultText = "Shift+Ctrl+Alt+Up",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::SizeTopLeft, 0},
     .Field = &AppSettings::TL_SizeUpKey,
     .Page = OptionPage::SizeTopLeft,
     .Group = HotkeyGroup::SizeTopLeft,
     .GapBefore = false,
     .Label = L"上(↑) :",
     .Name = L"左上を上へ（高く）",
     .Description = L"上の辺を上へ動かします。高くなります。",
     .LabelEn = L"Up (↑):",
     .NameEn = L"Top Edge Up (Taller)",
     .DescriptionEn = L"Moves the top edge up. The window gets taller."},
    {.Number = hkTLSizeDown,
     .Key = "TL_SizeDownKey",
     .DefaultText = "Shift+Ctrl+Alt+Down",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::SizeTopLeft, 1},
     .Field = &AppSettings::TL_SizeDownKey,
     .Page = OptionPage::SizeTopLeft,
     .Group = HotkeyGroup::SizeTopLeft,
     .GapBefore = false,
     .Label = L"下(↓) :",
     .Name = L"左上を下へ（低く）",
     .Description = L"上の辺を下へ動かします。低くなります。",
     .LabelEn = L"Down (↓):",
     .NameEn = L"Top Edge Down (Shorter)",
     .DescriptionEn = L"Moves the top edge down. The window gets shorter."},
    {.Number = hkTLSizeLeft,
     .Key = "TL_SizeLeftKey",
     .DefaultText = "Shift+Ctrl+Alt+Left",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::SizeTopLeft, 2},
     .Field = &AppSettings::TL_SizeLeftKey,
     .Page = OptionPage::SizeTopLeft,
     .Group = HotkeyGroup::SizeTopLeft,
     .GapBefore = false,
     .Label = L"左(←) :",
     .Name = L"左上を左へ（広く）",
     .Description = L"左の辺を左へ動かします。広くなります。",
     .LabelEn = L"Left (←):",
     .NameEn = L"Left Edge Left (Wider)",
     .DescriptionEn = L"Moves the left edge left. The window gets wider."},
    {.Number = hkTLSizeRight,
     .Key = "TL_SizeRightKey",
     .DefaultText = "Shift+Ctrl+Alt+Right",
     .Repeats = true,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::SizeTopLeft, 3},
     .Field = &AppSettings::TL_SizeRightKey,
     .Page = OptionPage::SizeTopLeft,
     .Group = HotkeyGroup::SizeTopLeft,
     .GapBefore = false,
     .Label = L"右(→) :",
     .Name = L"左上を右へ（狭く）",
     .Description = L"左の辺を右へ動かします。狭くなります。",
     .LabelEn = L"Right (→):",
     .NameEn = L"Left Edge Right (Narrower)",
     .DescriptionEn = L"Moves the left edge right. The window gets narrower."},
    {.Number = hkMouseMove,
     .Key = "MouseMoveKey",
     .DefaultText = "Ctrl+Alt+M",
     .Repeats = false,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::MouseMove, 0},
     .Field = &AppSettings::MouseMoveKey,
     .Page = OptionPage::Mouse,
     .Group = HotkeyGroup::MouseCursor,
     .GapBefore = false,
     .Label = L"デスクトップの隅へ移動 :",
     .Name = L"カーソルを隅へ移動",
     .Description =
         L"マウスカーソルを「移動する位置」の隅から「隅からの距離」（0～100）だけ内側（縦と横の両方"
         L"）へ移動します。モニターが複数あるときは、メインのモニターの隅です。",
     .LabelEn = L"Move to corner:",
     .NameEn = L"Move Pointer to Corner",
     .DescriptionEn = L"Moves the mouse pointer to the corner chosen in \"Corner\", inset by "
                      L"\"Distance from corner\" (0 to 100) both across and down. With more than "
                      L"one monitor, it is a corner of the main display."},
    {.Number = hkPopupMenu,
     .Key = "PopupMenuKey",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::PopupMenu, 0},
     .Field = &AppSettings::PopupMenuKey,
     .Page = OptionPage::Other,
     .Group = HotkeyGroup::PopupMenu,
     .GapBefore = false,
     .Label = L"ホットキー :",
     .Name = L"メニューを開く",
     .Description = L"マウスカーソルの位置に Quorel "
                    L"のメニューを開きます。オプションやバージョン情報の画面が開いているときは、そ"
                    L"の画面を手前に出します。",
     .LabelEn = L"Hotkey:",
     .NameEn = L"Open Menu",
     .DescriptionEn = L"Opens the Quorel menu at the mouse pointer. When the Options or About "
                      L"Quorel window is open, brings that window to the front instead."},
    {.Number = hkClose,
     .Key = "CloseKey",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::Close, 0},
     .Field = &AppSettings::CloseKey,
     .Page = OptionPage::General,
     .Group = HotkeyGroup::WindowCommands,
     .GapBefore = false,
     .Label = L"閉じる :",
     .Name = L"閉じる",
     .Description =
         L"手前のウィンドウを、システムメニューの「閉じる」と同じように閉じます。保存の確認などはそ"
         L"のプログラムが行います。システムメニューのないウィンドウには何もしません。",
     .LabelEn = L"Close:",
     .NameEn = L"Close",
     .DescriptionEn =
         L"Closes the foreground window, as Close on its window menu does. The program itself asks "
         L"about saving changes. Does nothing to a window without a window menu."},
    {.Number = hkAllRestore,
     .Key = "AllRestoreKey",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::AllRestore, 0},
     .Field = &AppSettings::AllRestoreKey,
     .Page = OptionPage::General,
     .Group = HotkeyGroup::WindowCommands,
     .GapBefore = true,
     .Label = L"すべて元のサイズに戻す :",
     .Name = L"すべて元のサイズに戻す",
     .Description =
         L"最小化されているウィンドウを元に戻します。非表示や操作できない状態のウィンドウ（ダイアロ"
         L"グを開いている親など）とツールウィンドウは戻しません。メニューからも使えます。",
     .LabelEn = L"Restore all:",
     .NameEn = L"Restore All",
     .DescriptionEn = L"Restores every minimized window. Hidden windows, windows that cannot be "
                      L"used right now (such as the owner of an open dialog box) and tool windows "
                      L"stay as they are. Also on the menu."},
    {.Number = hkAllMin,
     .Key = "AllMinKey",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::AllMin, 0},
     .Field = &AppSettings::AllMinKey,
     .Page = OptionPage::General,
     .Group = HotkeyGroup::WindowCommands,
     .GapBefore = false,
     .Label = L"すべて最小化 :",
     .Name = L"すべて最小化",
     .Description = L"最小化ボタンのあるウィンドウをすべて最小化します。非表示や操作できない状態の"
                    L"ウィンドウはそのままです。メニューからも使えます。",
     .LabelEn = L"Minimize all:",
     .NameEn = L"Minimize All",
     .DescriptionEn = L"Minimizes every window that has a Minimize button. Hidden windows and "
                      L"windows that cannot be used right now stay as they are. Also on the menu."},
    {.Number = hkScreenSaver,
     .Key = "ScreenSaver",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = false,
     .Action = {HotkeyAction::ScreenSaver, 0},
     .Field = &AppSettings::ScreenSaver,
     .Page = OptionPage::General,
     .Group = HotkeyGroup::WindowCommands,
     .GapBefore = true,
     .Label = L"スクリーンセーバー :",
     .Name = L"スクリーンセーバー",
     .Description = L"スクリーンセーバーを起動します。設定されていなければ何も起こりません。メニュ"
                    L"ーからも使えます。",
     .LabelEn = L"Screen saver:",
     .NameEn = L"Screen Saver",
     .DescriptionEn = L"Starts the screen saver. Nothing happens when no screen saver is set. Also "
                      L"on the menu."},
    {.Number = hkTopMost,
     .Key = "TopMostKey",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = true,
     .Action = {HotkeyAction::TopMost, 0},
     .Field = &AppSettings::TopMostKey,
     .Page = OptionPage::Other,
     .Group = HotkeyGroup::Placement,
     .GapBefore = false,
     .Label = L"常に手前に表示 :",
     .Name = L"常に手前に表示",
     .Description = L"手前のウィンドウを、ほかのウィンドウより常に手前に表示します。常に手前に"
                    L"表示されていれば元に戻します。デスクトップ（背景）と Quorel の画面には何も"
                    L"しません。",
     .LabelEn = L"Always on top:",
     .NameEn = L"Always on Top",
     .DescriptionEn =
         L"Keeps the foreground window on top of all other windows, or stops keeping it there when "
         L"it is already on top. Does nothing to the desktop and to Quorel's own windows."},
    {.Number = hkCenter,
     .Key = "CenterKey",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = true,
     .Action = {HotkeyAction::Center, 0},
     .Field = &AppSettings::CenterKey,
     .Page = OptionPage::Other,
     .Group = HotkeyGroup::Placement,
     .GapBefore = false,
     .Label = L"中央へ移動 :",
     .Name = L"中央へ移動",
     .Description = L"手前のウィンドウを、それがあるモニターの作業領域（タスクバーを除いた部分）の"
                    L"中央へ動かします。大きさは変わりません。作業領域より幅や高さが大きいときは、"
                    L"その向きでは作業領域の左端や上端に合わせます。最大化、最小化されている"
                    L"ウィンドウとデスクトップ（背景）は動かしません。",
     .LabelEn = L"Center:",
     .NameEn = L"Center",
     .DescriptionEn =
         L"Moves the foreground window to the center of the work area of its monitor (the screen "
         L"without the taskbar). Its size stays the same. A window wider or taller than the work "
         L"area is lined up with the work area's left or top edge in that direction. Maximized and "
         L"minimized windows and the desktop stay where they are."},
    {.Number = hkNextMonitor,
     .Key = "NextMonitorKey",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = true,
     .Action = {HotkeyAction::NextMonitor, 0},
     .Field = &AppSettings::NextMonitorKey,
     .Page = OptionPage::Other,
     .Group = HotkeyGroup::Placement,
     .GapBefore = false,
     .Label = L"次のモニターへ移動 :",
     .Name = L"次のモニターへ移動",
     .Description = L"手前のウィンドウを次のモニターへ移します（左から右、左端がそろえば上から下の"
                    L"順。最後の次は最初）。大きさと、作業領域の中での位置の割合は変わりません。入"
                    L"りきらないときは、最大化ボタンがあれば作業領域に合わせて縮め、なければ作業領"
                    L"域の左上に置きます。最大化されているウィンドウは最大化したまま移り、元のサイ"
                    L"ズに戻すとその先に戻ります。最小化されているウィンドウとデスクトップ（背景）"
                    L"は動かしません。モニターが一つのときは何もしません。",
     .LabelEn = L"Next monitor:",
     .NameEn = L"Move to Next Monitor",
     .DescriptionEn = L"Moves the foreground window to the next monitor (left to right, then top "
                      L"to bottom; after the last comes the first), keeping its size and its "
                      L"relative place in the work area. A window too big there is shrunk to fit "
                      L"if it has a Maximize button, else put at the work area's top-left. A "
                      L"maximized window stays maximized. Minimized windows and the desktop are "
                      L"left alone; with one monitor nothing happens."},
    {.Number = hkPrevMonitor,
     .Key = "PrevMonitorKey",
     .DefaultText = "",
     .Repeats = false,
     .WrittenOnlyWhenSet = true,
     .Action = {HotkeyAction::PrevMonitor, 0},
     .Field = &AppSettings::PrevMonitorKey,
     .Page = OptionPage::Other,
     .Group = HotkeyGroup::Placement,
     .GapBefore = false,
     .Label = L"前のモニターへ移動 :",
     .Name = L"前のモニターへ移動",
     .Description = L"手前のウィンドウを前のモニターへ、「次のモニターへ移動」と逆の順に移します。"
                    L"ほかは「次のモニターへ移動」と同じです。続けて両方を押すと、ウィンドウは元の"
                    L"位置に戻ります。",
     .LabelEn = L"Previous monitor:",
     .NameEn = L"Move to Previous Monitor",
     .DescriptionEn = L"Moves the foreground window to the previous monitor, in the opposite order "
                      L"to Move to Next Monitor and otherwise the same. Pressing the two keys one "
                      L"after the other brings the window back where it was."},
});
// Rows in ascending number order: HotkeyTable()[n - 1].Number == n.
constexpr int HotkeyCommandFirst = 1;
constexpr int HotkeyCommandLast = static_cast<int>(kHotkeyTable.size());
constexpr int kHotkeyCount = HotkeyCommandLast;

// The tables at run time. They are reached through these functions, which
// one translation unit defines, so that the program holds their texts once
// (the compile-time checks read the constants above).
const std::array<HotkeyEntry, kHotkeyTable.size()>& HotkeyTable();
// The row of a number, or nullptr outside the table.
const HotkeyEntry* FindHotkey(int number);
// The command of hotkey number index; None for anything outside the table.
HotkeyAction HotkeyActionFor(int index);
// Whether holding the key of number index repeats its command.
bool HotkeyRepeats(int index);
// The hotkeys of an options page in the order the dialog shows them: group
// by group in the order of HotkeyGroup, each in table order.
std::vector<const HotkeyEntry*> HotkeysOfPage(OptionPage page);
// All hotkeys in the dialog's order, page by page.
std::vector<const HotkeyEntry*> HotkeysInPageOrder();

// The keys of the INI file in file order: the hotkeys that are always
// written and the six values in their fixed order, then the hotkeys written
// only while set, in number order, and last the language, also written
// only while set.
enum class SettingKind { Text, Integer, Switch };
struct SettingEntry {
    const char* Key;
    SettingKind Kind;
    std::string AppSettings::*Text; // Kind == Text
    std::int32_t AppSettings::*Int; // Kind == Integer
    bool AppSettings::*Switch;      // Kind == Switch
    const char* DefaultText;        // Kind == Text
    std::int32_t DefaultInt;        // Kind == Integer or Switch (0/1)
    bool WrittenOnlyWhenSet;        // Kind == Text: see HotkeyEntry
    // Kind == Integer: the range; a value outside it, read or typed, ends
    // at its nearer end.
    std::int32_t Min = INT32_MIN;
    std::int32_t Max = INT32_MAX;
};

namespace settings_rows {
// A text row of the file is the hotkey row of that number: key, field and
// default come from the hotkey table alone.
constexpr SettingEntry Hotkey(const HotkeyEntry& h) {
    return {h.Key,   SettingKind::Text, h.Field, nullptr,
            nullptr, h.DefaultText,     0,       h.WrittenOnlyWhenSet};
}
constexpr SettingEntry Hotkey(HotkeyCommand number) {
    return Hotkey(kHotkeyTable[static_cast<std::size_t>(number - 1)]);
}
constexpr SettingEntry Integer(const char* key, std::int32_t AppSettings::*field, std::int32_t def,
                               std::int32_t min = INT32_MIN, std::int32_t max = INT32_MAX) {
    return {key, SettingKind::Integer, nullptr, field, nullptr, nullptr, def, false, min, max};
}
constexpr SettingEntry Switch(const char* key, bool AppSettings::*field, bool def) {
    return {key, SettingKind::Switch, nullptr, nullptr, field, nullptr, def ? 1 : 0, false};
}
// "ja" or "en"; the file holds no key for the automatic choice.
inline constexpr SettingEntry kLanguage{
    "Language", SettingKind::Text, &AppSettings::Language, nullptr, nullptr, "", 0, true};

// The keys that every file holds, in file order.
inline constexpr std::array kAlwaysWritten{
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
    Integer("MoveP", &AppSettings::MoveP, 5, 1, 50),
    Hotkey(hkRBSizeUp),
    Hotkey(hkRBSizeDown),
    Hotkey(hkRBSizeLeft),
    Hotkey(hkRBSizeRight),
    Hotkey(hkTLSizeUp),
    Hotkey(hkTLSizeDown),
    Hotkey(hkTLSizeLeft),
    Hotkey(hkTLSizeRight),
    Integer("SizeP", &AppSettings::SizeP, 5, 1, 50),
    Hotkey(hkMouseMove),
    Integer("MouseMovePos", &AppSettings::MouseMovePos, 2),
    Integer("MouseOffset", &AppSettings::MouseOffset, 0, 0, 100),
    Switch("StartMouseMove", &AppSettings::StartMouseMove, false),
    Hotkey(hkPopupMenu),
    Switch("NoTrayIcon", &AppSettings::NoTrayIcon, false),
};

constexpr std::size_t CountWrittenOnlyWhenSet() {
    std::size_t n = 0;
    for (const HotkeyEntry& h : kHotkeyTable)
        n += h.WrittenOnlyWhenSet ? 1 : 0;
    return n;
}

constexpr auto AllSettings() {
    std::array<SettingEntry, kAlwaysWritten.size() + CountWrittenOnlyWhenSet() + 1> all{};
    std::size_t i = 0;
    for (const SettingEntry& s : kAlwaysWritten)
        all[i++] = s;
    for (const HotkeyEntry& h : kHotkeyTable)
        if (h.WrittenOnlyWhenSet)
            all[i++] = Hotkey(h);
    all[i++] = kLanguage;
    return all;
}
} // namespace settings_rows

inline constexpr auto kSettingTable = settings_rows::AllSettings();
const std::array<SettingEntry, kSettingTable.size()>& SettingTable();

// Reads an integer the way the INI file stores it: leading blanks skipped,
// decimal with an optional sign, "$" hex, "0x"/"0X" hex; anything else, or
// a number outside the signed 32-bit range, gives nothing.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);
// The same forms, but a decimal number of any size reads as itself (one
// beyond the 64-bit range as the nearer end of it).
std::optional<std::int64_t> ParseIniNumber(std::string_view text);
// A number brought to the nearer end of min..max.
constexpr std::int32_t ClampToRange(std::int64_t value, std::int32_t min, std::int32_t max) {
    return static_cast<std::int32_t>(value < min ? min : value > max ? max : value);
}
// The integer row of the file whose field is field, or nullptr.
const SettingEntry* FindIntegerSetting(std::int32_t AppSettings::*field);
// The value of an integer row from its text in the file: the number read,
// brought into the row's range; the default when the text holds none.
std::int32_t IntegerSettingOf(const SettingEntry& row, std::string_view text);

// The Language setting as read from the file: "ja" and "en" as they are,
// anything else empty (automatic).
std::string KnownLanguageSetting(std::string_view text);

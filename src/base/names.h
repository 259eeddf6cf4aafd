// Every name and number of the program that other programs, the shell and
// files see: window classes, the single-instance mutex, private and
// registered messages, the INI section and the file extensions. They must
// not change between versions, so they are defined here once and used
// everywhere else by these constants.
#pragma once

#include <windows.h>

namespace names {

// The hidden top-level window that owns every window of the program.
inline constexpr wchar_t kApplicationClass[] = L"TApplication";
// The main form: the window a second copy looks for.
inline constexpr wchar_t kMainFormClass[] = L"TQuorelMainForm";
// The tray icon's hidden receiver of the shell's callbacks.
inline constexpr wchar_t kTrayReceiverClass[] = L"TNotifyWindow";
// The global hotkeys' hidden receiver of WM_HOTKEY.
inline constexpr wchar_t kHotkeyReceiverClass[] = L"QuorelHookHotKey";
// The dialogs and the link label.
inline constexpr wchar_t kOptionsDialogClass[] = L"TOptionDlg";
inline constexpr wchar_t kAboutBoxClass[] = L"TAboutBox";
inline constexpr wchar_t kLinkLabelClass[] = L"TURLLabel";
// The built-in help window.
inline constexpr wchar_t kHelpWindowClass[] = L"TQuorelHelp";

// The single-instance mutex.
inline constexpr wchar_t kMutexName[] = L"_QUOREL";

// Posted by a second copy of the program to the running one's main form.
inline constexpr UINT kSecondInstanceMessage = WM_USER + 100;
// Posted by a copy started as administrator to take over (the new copy) to
// the main form of the copy that started it (the old copy): first "let go
// of the program", then "I hold it now, end".
inline constexpr UINT kHandOverMessage = WM_USER + 103;
inline constexpr UINT kTakenOverMessage = WM_USER + 104;
// The shell's callback message to the tray receiver.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 102;
// Registered message the shell broadcasts when the taskbar is (re)created.
inline constexpr wchar_t kTaskbarCreatedMessage[] = L"TaskbarCreated";

// The settings file: the executable's path with this extension, one
// section.
inline constexpr wchar_t kIniExtension[] = L".INI";
inline constexpr char kIniSection[] = "Option";
// The program's folder in the user's roaming application data folder, for
// the settings of a copy whose own folder cannot be written.
inline constexpr wchar_t kSettingsFolder[] = L"Quorel";
// The help file beside the executable.
inline constexpr wchar_t kHelpFileExtension[] = L".hlp";

// Window classes of other programs that the window commands treat apart.
inline constexpr char kShellDesktopClass[] = "Progman";
// The shell's window that holds the desktop icons' view (kShellViewClass)
// once the shell has moved it out of "Progman".
inline constexpr char kShellDesktopHostClass[] = "WorkerW";
inline constexpr char kShellViewClass[] = "SHELLDLL_DefView";

} // namespace names

// Routines of the main form that other parts of the program call:
// hotkey registration, the dialog test and the tray icon switch.
#pragma once

#include <string>

class THookHotKey;

// The main form's hotkey component (owned by the main form; nullptr before
// the main form exists).
THookHotKey* MainHotKeys();

// Registers hotkey number index from its shortcut text, or unregisters it
// when the text is empty; reports a refused registration in a message box.
void RegisterHotKeyText(const std::string& text, int index);
// Registers the twenty hotkeys from Settings in ascending number order.
void RegisterAllHotKeys();
// Unregisters the twenty hotkeys (the options dialog does this when shown).
void UnregisterAllHotKeys();

// True while the About box or the options dialog exists, or while the main
// form's window is disabled.
bool IsDialogOpen();
// Shows or hides the tray icon according to Settings.NoTrayIcon. Throws
// EInvalidOperation from the tray component.
void UpdateTrayIcon();
// Opens the program's menu at the mouse cursor, or brings the open dialog
// forward.
void ShowMenuAtCursor();

// The application's help request: passes ApplicationHelp, then WinHelp with
// the help file beside the executable.
void ApplicationHelpRequest(unsigned command, unsigned long data);

// Window handles of the application's hidden top-level window (owner of all
// the program's windows) and of the main form; nullptr before they exist.
struct HWND__;
HWND__* ApplicationWindow();
HWND__* MainFormWindow();

// Message loop hook: a modeless dialog registers its window here so that the
// loop gives it keyboard navigation (IsDialogMessage).
void SetModelessDialog(HWND__* hwnd);

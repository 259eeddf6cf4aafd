// Placeholder bodies; the main form fills these in.
#include "app/func.h"

#include <windows.h>

THookHotKey* MainHotKeys() { return nullptr; }
void RegisterHotKeyText(const std::string&, int) {}
void RegisterAllHotKeys() {}
void UnregisterAllHotKeys() {}
bool IsDialogOpen() { return false; }
void UpdateTrayIcon() {}
void ShowMenuAtCursor() {}
void ApplicationHelpRequest(unsigned, unsigned long) {}
HWND ApplicationWindow() { return nullptr; }
HWND MainFormWindow() { return nullptr; }
void SetModelessDialog(HWND) {}

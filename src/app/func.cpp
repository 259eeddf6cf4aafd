#include "app/func.h"

#include <windows.h>

#include "app/application.h"
#include "app/errorreport.h"
#include "app/unit1.h"
#include "hotkey/hkhotkey.h"
#include "hotkey/shortcut.h"
#include "settings/ini.h"
#include "ui/unit2.h"
#include "ui/unit3.h"

THookHotKey* MainHotKeys() {
    return QuorelMainForm ? QuorelMainForm->HookHotKey1.get() : nullptr;
}

HWND ApplicationWindow() {
    return Application ? Application->Handle() : nullptr;
}

HWND MainFormWindow() {
    return QuorelMainForm ? QuorelMainForm->Handle() : nullptr;
}

void SetModelessDialog(HWND hwnd) {
    if (Application)
        Application->ModelessDialog = hwnd;
}

void RegisterHotKeyText(const std::string& text, int index) {
    THookHotKey* hk = MainHotKeys();
    if (!hk)
        return;
    if (text.empty()) {
        hk->UnregisterKey(index);
        return;
    }
    if (hk->RegisterKey(index, ParseShortCut(text)))
        return;
    std::wstring message = L"ホットキー「" + AnsiToWide(text) + L"」の登録に失敗しました。";
    MessageBoxW(MainFormWindow(), message.c_str(), L"Quorel", MB_ICONERROR | MB_OK);
    hk->UnregisterKey(index);
}

void RegisterAllHotKeys() {
    for (const HotkeyEntry& e : HotkeyTable())
        RegisterHotKeyText(Settings.*(e.Field), e.Number);
}

void UnregisterAllHotKeys() {
    THookHotKey* hk = MainHotKeys();
    if (!hk)
        return;
    for (int i = HotkeyCommandFirst; i <= HotkeyCommandLast; ++i)
        hk->UnregisterKey(i);
}

bool IsDialogOpen() {
    if (AboutBox)
        return true;
    if (OptionDlg)
        return true;
    HWND main = MainFormWindow();
    return main && !IsWindowEnabled(main);
}

void UpdateTrayIcon() {
    if (!QuorelMainForm)
        return;
    TTaskTray& tray = *QuorelMainForm->TaskTray1;
    if (Settings.NoTrayIcon) {
        tray.SetRegistered(false);
        return;
    }
    // The component keeps its own copy of the picture.
    HICON icon = ImageList_GetIcon(QuorelMainForm->ImageList1.get(), 0, ILD_NORMAL);
    struct IconGuard {
        HICON h;
        ~IconGuard() {
            if (h)
                DestroyIcon(h);
        }
    } guard{icon};
    tray.SetIcon(icon);
    tray.SetRegistered(true);
}

void ShowMenuAtCursor() {
    POINT pt{};
    GetCursorPos(&pt);
    if (IsDialogOpen()) {
        if (Application)
            Application->BringToFront();
        return;
    }
    if (QuorelMainForm)
        QuorelMainForm->OpenMenuAt(pt.x, pt.y, false);
}

namespace {

// Every help request passes here. A context request for topic 0 (F1 on a
// control without a help topic) is dropped.
bool ApplicationHelp(unsigned command, unsigned long data, bool& callHelp) {
    if (command == HELP_CONTEXT && data == 0)
        callHelp = false;
    return true;
}

} // namespace

void ApplicationHelpRequest(unsigned command, unsigned long data) {
    bool callHelp = true;
    ApplicationHelp(command, data, callHelp);
    if (!callHelp || !QuorelMainForm)
        return;
    WinHelpW(QuorelMainForm->Handle(), QuorelMainForm->HelpFile.c_str(), command, data);
}

#include "hotkey/global_hotkeys.h"

#include "base/error_report.h"
#include "base/names.h"

UINT HotKeyModifiers(TShortCut shortCut) {
    TShiftState shift = SplitShortCut(shortCut).Shift;
    UINT flags = 0;
    if (shift & ssAlt)
        flags |= MOD_ALT;
    if (shift & ssShift)
        flags |= MOD_SHIFT;
    if (shift & ssCtrl)
        flags |= MOD_CONTROL;
    return flags;
}

GlobalHotkeys::GlobalHotkeys(std::function<HWND()> ownerWindow)
    : ownerWindow_(std::move(ownerWindow)) {
    RegisterWindowClass(names::kHotkeyReceiverClass);
    if (!CreateFor(WS_EX_TOOLWINDOW, names::kHotkeyReceiverClass, L"", WS_POPUP, nullptr))
        throw EQuorelError(L"ホットキーのウィンドウを作成できません");
}

GlobalHotkeys::~GlobalHotkeys() {
    DestroyOwnWindow();
}

bool GlobalHotkeys::RegisterKey(int Index, TShortCut ShortCut) {
    return RegisterHotKey(Handle(), Index, HotKeyModifiers(ShortCut),
                          SplitShortCut(ShortCut).Key) != 0;
}

bool GlobalHotkeys::UnregisterKey(int Index) {
    return UnregisterHotKey(Handle(), Index) != 0;
}

void GlobalHotkeys::DoHotKey(int Index) {
    if (!OnHotKey)
        return;
    if (Activate && ownerWindow_) {
        if (HWND owner = ownerWindow_())
            SetForegroundWindow(owner);
    }
    OnHotKey(*this, Index);
}

LRESULT GlobalHotkeys::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_HOTKEY) {
        // Whatever the handler throws is reported here; the registrations
        // stay as they are and the next press arrives as usual.
        int index = static_cast<int>(wParam);
        RunGuarded([&] { DoHotKey(index); });
        return 0;
    }
    return Default(msg, wParam, lParam);
}

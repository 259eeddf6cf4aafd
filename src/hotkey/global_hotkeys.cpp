#include "hotkey/global_hotkeys.h"

#include "base/error_report.h"
#include "base/names.h"

std::function<BOOL(HWND, int, UINT, UINT)> GlobalHotkeys::SystemRegister = RegisterHotKey;

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

bool GlobalHotkeys::RegisterKey(int Index, TShortCut ShortCut, KeyRepeat repeat) {
    const auto call = [this, Index](UINT modifiers, UINT vk) {
        return (SystemRegister ? SystemRegister(Handle(), Index, modifiers, vk)
                               : RegisterHotKey(Handle(), Index, modifiers, vk)) != 0;
    };
    const UINT modifiers = HotKeyModifiers(ShortCut);
    const UINT vk = SplitShortCut(ShortCut).Key;
    if (repeat == KeyRepeat::Once) {
        if (call(modifiers | MOD_NOREPEAT, vk))
            return true;
        // A combination held elsewhere is refused whatever the flags; any
        // other refusal may be a system before Windows 7 that does not know
        // MOD_NOREPEAT, which then registers the combination without it.
        if (GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED)
            return false;
    }
    return call(modifiers, vk);
}

bool GlobalHotkeys::CanRegister(TShortCut ShortCut) {
    if (!RegisterKey(kTrialNumber, ShortCut, KeyRepeat::Repeats))
        return false;
    UnregisterKey(kTrialNumber);
    return true;
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

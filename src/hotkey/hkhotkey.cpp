#include "hotkey/hkhotkey.h"

#include "app/errorreport.h"

namespace {

constexpr wchar_t kClassName[] = L"QuorelHookHotKey";

HINSTANCE ModuleInstance() {
    return GetModuleHandleW(nullptr);
}

// The window class of the message windows, registered on first use.
void EnsureWindowClass(WNDPROC proc) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(ModuleInstance(), kClassName, &existing))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EQuorelError(L"ホットキーのウィンドウクラスを登録できません");
}

} // namespace

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

THookHotKey::THookHotKey(std::function<HWND()> ownerWindow) : ownerWindow_(std::move(ownerWindow)) {
    EnsureWindowClass(&THookHotKey::WindowProc);
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, ModuleInstance(), this);
    if (!hwnd_)
        throw EQuorelError(L"ホットキーのウィンドウを作成できません");
}

THookHotKey::~THookHotKey() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool THookHotKey::RegisterKey(int Index, TShortCut ShortCut) {
    return RegisterHotKey(hwnd_, Index, HotKeyModifiers(ShortCut), SplitShortCut(ShortCut).Key) !=
           0;
}

bool THookHotKey::UnregisterKey(int Index) {
    return UnregisterHotKey(hwnd_, Index) != 0;
}

void THookHotKey::DoHotKey(int Index) {
    if (!OnHotKey)
        return;
    if (Activate && ownerWindow_) {
        if (HWND owner = ownerWindow_())
            SetForegroundWindow(owner);
    }
    OnHotKey(*this, Index);
}

LRESULT CALLBACK THookHotKey::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* created = static_cast<THookHotKey*>(cs->lpCreateParams);
        created->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<THookHotKey*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self)
        return self->HandleMessage(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT THookHotKey::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_HOTKEY) {
        // Whatever the handler throws is reported here; the registrations
        // stay as they are and the next press arrives as usual.
        int index = static_cast<int>(wParam);
        RunGuarded([&] { DoHotKey(index); });
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        // Destroyed from outside (not by the destructor): forget the handle.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

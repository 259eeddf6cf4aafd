#include "app/application.h"

#include "base/names.h"
#include "res/resource.h"

#include <algorithm>
#include <cwchar>

namespace {

struct TopWindowSearch {
    HWND app;
    HWND found;
    HWND help; // the help window, taken only when nothing else is shown
};

bool IsHelpWindow(HWND h) {
    wchar_t cls[32] = {};
    return GetClassNameW(h, cls, 32) && std::wcscmp(cls, names::kHelpWindowClass) == 0;
}

BOOL CALLBACK FindTopWindow(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<TopWindowSearch*>(lp);
    if (h != s->app && IsWindowVisible(h) && IsWindowEnabled(h)) {
        // The help window may lie above an open dialog; the dialog is what
        // the user is asked to finish first.
        if (IsHelpWindow(h)) {
            if (!s->help)
                s->help = h;
            return TRUE;
        }
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

} // namespace

Application::Application(const wchar_t* title) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    RegisterWindowClass(names::kApplicationClass, LoadIconW(inst, MAKEINTRESOURCEW(IDI_QUOREL)));
    CreateFor(0, names::kApplicationClass, title,
              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, nullptr);
}

Application::~Application() {
    DestroyOwnWindow();
}

void Application::HideFromTaskbar() {
    ShowWindow(Handle(), SW_HIDE);
    SetWindowLongW(Handle(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
}

int Application::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsModelessDialogMessage(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Application::AddModelessDialog(HWND dialog) {
    if (dialog && std::find(modeless_.begin(), modeless_.end(), dialog) == modeless_.end())
        modeless_.push_back(dialog);
}

void Application::RemoveModelessDialog(HWND dialog) {
    modeless_.erase(std::remove(modeless_.begin(), modeless_.end(), dialog), modeless_.end());
}

bool Application::IsModelessDialogMessage(MSG& msg) {
    if (!msg.hwnd || modeless_.empty())
        return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (std::find(modeless_.begin(), modeless_.end(), root) == modeless_.end())
        return false;
    return IsWindow(root) && IsDialogMessageW(root, &msg);
}

HWND Application::TopVisibleWindow() const {
    // Top-level windows come in z-order: the first visible, enabled one of
    // this thread is the program's top-most window; the help window only
    // when no other is shown.
    TopWindowSearch ctx{Handle(), nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindTopWindow, reinterpret_cast<LPARAM>(&ctx));
    if (!ctx.found) {
        HWND popup = GetLastActivePopup(Handle());
        if (popup != Handle() && IsWindowVisible(popup) && !IsHelpWindow(popup))
            ctx.found = popup;
    }
    return ctx.found ? ctx.found : ctx.help;
}

void Application::BringToFront() {
    SetForegroundWindow(Handle());
    if (HWND top = TopVisibleWindow())
        SetForegroundWindow(top);
}

LRESULT Application::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        if (OnClose)
            OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wp && OnEndSession)
            OnEndSession();
        return 0;
    case WM_SETFOCUS:
        // The hidden window hands the focus on to the program's top-most
        // visible window (an open dialog).
        if (HWND top = TopVisibleWindow())
            SetFocus(top);
        return 0;
    default:
        return Default(msg, wp, lp);
    }
}

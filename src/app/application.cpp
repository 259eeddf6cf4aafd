#include "app/application.h"

#include "res/resource.h"

TApplication* Application = nullptr;

namespace {

const wchar_t kClassName[] = L"TApplication";

struct TopWindowSearch {
    HWND app;
    HWND found;
};

BOOL CALLBACK FindTopWindow(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<TopWindowSearch*>(lp);
    if (h != s->app && IsWindowVisible(h) && IsWindowEnabled(h)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TApplication::TApplication(const wchar_t* title) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TApplication::WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = kClassName;
    wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_QUOREL));
    RegisterClassExW(&wc);
    handle_ = CreateWindowExW(0, kClassName, title,
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              0, 0, 0, 0, nullptr, nullptr, inst, this);
    Application = this;
}

TApplication::~TApplication() {
    if (Application == this)
        Application = nullptr;
    if (handle_)
        DestroyWindow(handle_);
}

void TApplication::HideFromTaskbar() {
    ShowWindow(handle_, SW_HIDE);
    SetWindowLongW(handle_, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
}

int TApplication::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (ModelessDialog && IsWindow(ModelessDialog) && IsDialogMessageW(ModelessDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

HWND TApplication::TopVisibleWindow() const {
    // Top-level windows come in z-order: the first visible, enabled one of
    // this thread is the program's top-most window.
    TopWindowSearch ctx{handle_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindTopWindow, reinterpret_cast<LPARAM>(&ctx));
    if (!ctx.found) {
        HWND popup = GetLastActivePopup(handle_);
        if (popup != handle_ && IsWindowVisible(popup))
            ctx.found = popup;
    }
    return ctx.found;
}

void TApplication::BringToFront() {
    SetForegroundWindow(handle_);
    if (HWND top = TopVisibleWindow())
        SetForegroundWindow(top);
}

LRESULT CALLBACK TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        reinterpret_cast<TApplication*>(cs->lpCreateParams)->handle_ = hwnd;
    }
    auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT r = self->HandleMessage(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
    }
    return r;
}

LRESULT TApplication::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
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
        return DefWindowProcW(handle_, msg, wp, lp);
    }
}

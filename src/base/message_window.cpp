#include "base/message_window.h"

#include "base/error_report.h"

MessageWindow::~MessageWindow() {
    DestroyOwnWindow();
}

void MessageWindow::RegisterWindowClass(const wchar_t* className, HICON icon, UINT classStyle,
                                        HCURSOR cursor) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, className, &wc))
        return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MessageWindow::Procedure;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    wc.hIcon = icon;
    wc.style = classStyle;
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ReportSystemError(L"RegisterClassExW", className);
}

HWND MessageWindow::CreateFor(DWORD exStyle, const wchar_t* className, const wchar_t* title,
                              DWORD style, HWND parent, POINT position, int controlId) {
    HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId));
    HWND hwnd = CreateWindowExW(exStyle, className, title, style, position.x, position.y, 0, 0,
                                parent, id, GetModuleHandleW(nullptr), this);
    if (!hwnd)
        ReportSystemError(L"CreateWindowExW", className);
    return hwnd;
}

void MessageWindow::DestroyOwnWindow() {
    if (HWND hwnd = hwnd_) {
        // From here on the messages of the dying window go to the system.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
}

LRESULT MessageWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return Default(msg, wp, lp);
}

LRESULT CALLBACK MessageWindow::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<MessageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        RunGuarded([&] { self->OnWindowGone(); });
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    LRESULT result = 0;
    if (!RunGuarded([&] { result = self->HandleMessage(msg, wp, lp); }))
        return 0;
    return result;
}

bool ProcessPendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

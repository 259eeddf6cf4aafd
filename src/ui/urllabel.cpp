#include "ui/urllabel.h"

#include "ui/uiutil.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cwchar>

namespace {

constexpr wchar_t kClassName[] = L"TURLLabel";

void RegisterLabelClass(WNDPROC proc) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW probe{};
    probe.cbSize = sizeof probe;
    if (GetClassInfoExW(inst, kClassName, &probe))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // A double click arrives as a second press (WM_xBUTTONDBLCLK).
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
}

void DefaultShellOpen(const std::wstring& target) {
    ShellExecuteW(nullptr, L"open", target.c_str(), L"", L"", SW_SHOW);
}

} // namespace

COLORREF ColorToRGB(TColor color) {
    if (color & 0x80000000u)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

TURLLabel::TURLLabel(HWND parent, int id, int left, int top) : ShellOpen(DefaultShellOpen) {
    RegisterLabelClass(&TURLLabel::WndProc);
    CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, left, top, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                    this); // WM_NCCREATE stores this and sets hwnd_
    if (!hwnd_)
        return;
    font_ = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
    AutoSize();
}

TURLLabel::~TURLLabel() {
    if (hwnd_) {
        HWND h = hwnd_;
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        DestroyWindow(h);
    }
}

TURLLabel* TURLLabel::FromHandle(HWND hwnd) {
    wchar_t cls[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, cls, 32) || wcscmp(cls, kClassName) != 0)
        return nullptr;
    return reinterpret_cast<TURLLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

std::wstring TURLLabel::Caption() const {
    return hwnd_ ? ui::GetText(hwnd_) : std::wstring();
}

void TURLLabel::SetCaption(const std::wstring& text) {
    if (hwnd_)
        SetWindowTextW(hwnd_, text.c_str()); // WM_SETTEXT re-sizes and repaints
}

void TURLLabel::SetFont(HFONT font) {
    if (hwnd_)
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TURLLabel::MoveTo(int left, int top) {
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void TURLLabel::SetFontColor(TColor color) {
    if (fontColor_ == color)
        return;
    fontColor_ = color;
    Repaint();
}

void TURLLabel::SetHotTrack(bool value) {
    if (hotTrack_ == value)
        return;
    hotTrack_ = value;
    Repaint();
}

void TURLLabel::SetHotColor(TColor value) {
    if (hotColor_ == value)
        return;
    hotColor_ = value;
    Repaint();
}

void TURLLabel::SetPushedColor(TColor value) {
    if (pushedColor_ == value)
        return;
    pushedColor_ = value;
    Repaint();
}

void TURLLabel::Repaint() {
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, TRUE);
}

void TURLLabel::AutoSize() {
    if (!hwnd_)
        return;
    SIZE s = ui::TextExtent(hwnd_, font_, Caption());
    SetWindowPos(hwnd_, nullptr, 0, 0, s.cx, s.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void TURLLabel::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    // The parent chooses the background as for its static texts.
    HWND parent = GetParent(hwnd_);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
    FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = font_ ? SelectObject(dc, font_) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(fontColor_));
    std::wstring text = Caption();
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    if (old)
        SelectObject(dc, old);
    EndPaint(hwnd_, &ps);
}

void TURLLabel::MouseEnter() {
    if (!hotTrack_)
        return;
    savedColor_ = fontColor_;
    fontColor_ = hotColor_;
    Repaint();
}

void TURLLabel::MouseLeave() {
    if (!hotTrack_)
        return;
    fontColor_ = savedColor_;
    Repaint();
}

void TURLLabel::TrackLeave() {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = hwnd_;
    TrackMouseEvent(&tme);
}

void TURLLabel::MouseMove(int x, int y) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    bool in = PtInRect(&rc, POINT{x, y}) != FALSE;
    if (in && !inside_) {
        inside_ = true;
        TrackLeave();
        MouseEnter();
    } else if (!in && inside_) {
        // Only seen while the label holds the capture.
        inside_ = false;
        MouseLeave();
    }
}

void TURLLabel::MouseDown(int button, int x, int y) {
    if (button == 0)
        SetCapture(hwnd_);
    if (OnMouseDown)
        OnMouseDown(*this, button, x, y);
    if (hotTrack_)
        SetFontColor(pushedColor_);
    if (executable_ && ShellOpen)
        ShellOpen(Caption());
}

void TURLLabel::MouseUp(int button, int x, int y) {
    if (button == 0 && GetCapture() == hwnd_)
        ReleaseCapture();
    if (OnMouseUp)
        OnMouseUp(*this, button, x, y);
    if (!hwnd_)
        return;
    // Where the pointer is now decides, wherever the release happened.
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(hwnd_, &pt);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    bool in = PtInRect(&rc, pt) != FALSE;
    if (hotTrack_)
        SetFontColor(in ? hotColor_ : savedColor_);
    inside_ = in;
    if (in)
        TrackLeave(); // a leave seen under the capture was dropped
}

LRESULT CALLBACK TURLLabel::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created =
            static_cast<TURLLabel*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        created->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<TURLLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // The window went with its parent; the object lives on, empty.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->HandleMessage(msg, wp, lp);
}

LRESULT TURLLabel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills the whole label
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wp);
        AutoSize();
        if (LOWORD(lp))
            Repaint();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
        AutoSize();
        Repaint();
        return r;
    }
    case WM_MOUSEMOVE:
        MouseMove(x, y);
        return 0;
    case WM_MOUSELEAVE:
        // While the label holds the capture, WM_MOUSEMOVE decides.
        if (inside_ && GetCapture() != hwnd_) {
            inside_ = false;
            MouseLeave();
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(0, x, y);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(1, x, y);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        MouseDown(2, x, y);
        return 0;
    case WM_LBUTTONUP:
        MouseUp(0, x, y);
        return 0;
    case WM_RBUTTONUP:
        MouseUp(1, x, y);
        return 0;
    case WM_MBUTTONUP:
        MouseUp(2, x, y);
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away (another window, a menu): re-judge on the
        // next move.
        if (inside_) {
            POINT pt{};
            GetCursorPos(&pt);
            ScreenToClient(hwnd_, &pt);
            RECT rc;
            GetClientRect(hwnd_, &rc);
            if (!PtInRect(&rc, pt)) {
                inside_ = false;
                MouseLeave();
            }
        }
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

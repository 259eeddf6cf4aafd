#include "ui/link_label.h"

#include "base/com_apartment.h"
#include "base/error_report.h"
#include "base/names.h"
#include "base/system_library.h"
#include "ui/dialog_util.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cwchar>

namespace {

// ShellExecuteW of the system's shell32.dll, loaded at the first call (see
// system_library.h for why the program does not import it).
void DefaultShellOpen(const std::wstring& target) {
    using Fn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    static const auto fn = system_library::Function<Fn>(L"shell32.dll", "ShellExecuteW");
    if (!fn)
        return;
    EnsureComApartment();
    fn(nullptr, L"open", target.c_str(), L"", L"", SW_SHOW);
}

} // namespace

COLORREF ColorToRGB(TColor color) {
    if (color & 0x80000000u)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

LinkLabel::LinkLabel(HWND parent, int id, int left, int top) : ShellOpen(DefaultShellOpen) {
    // A double click arrives as a second press (WM_xBUTTONDBLCLK).
    RegisterWindowClass(names::kLinkLabelClass, nullptr, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                        LoadCursorW(nullptr, IDC_HAND));
    if (!CreateFor(0, names::kLinkLabelClass, L"", WS_CHILD | WS_VISIBLE, parent, {left, top}, id))
        return;
    font_ = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
    AutoSize();
}

LinkLabel::~LinkLabel() {
    DestroyOwnWindow();
}

LinkLabel* LinkLabel::FromHandle(HWND hwnd) {
    wchar_t cls[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, cls, 32) || wcscmp(cls, names::kLinkLabelClass) != 0)
        return nullptr;
    return reinterpret_cast<LinkLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

std::wstring LinkLabel::Caption() const {
    return Handle() ? ui::GetText(Handle()) : std::wstring();
}

void LinkLabel::SetCaption(const std::wstring& text) {
    if (Handle())
        SetWindowTextW(Handle(), text.c_str()); // WM_SETTEXT re-sizes and repaints
}

void LinkLabel::SetFont(HFONT font) {
    if (Handle())
        SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void LinkLabel::MoveTo(int left, int top) {
    if (Handle())
        SetWindowPos(Handle(), nullptr, left, top, 0, 0,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void LinkLabel::SetFontColor(TColor color) {
    if (fontColor_ == color)
        return;
    fontColor_ = color;
    Repaint();
}

void LinkLabel::SetHotTrack(bool value) {
    if (hotTrack_ == value)
        return;
    hotTrack_ = value;
    Repaint();
}

void LinkLabel::SetHotColor(TColor value) {
    if (hotColor_ == value)
        return;
    hotColor_ = value;
    Repaint();
}

void LinkLabel::SetPushedColor(TColor value) {
    if (pushedColor_ == value)
        return;
    pushedColor_ = value;
    Repaint();
}

void LinkLabel::Repaint() {
    if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void LinkLabel::AutoSize() {
    if (!Handle())
        return;
    SIZE s = ui::TextExtent(Handle(), font_, Caption());
    SetWindowPos(Handle(), nullptr, 0, 0, s.cx, s.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void LinkLabel::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT rc;
    GetClientRect(Handle(), &rc);
    // The parent chooses the background as for its static texts.
    HWND parent = GetParent(Handle());
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(Handle())));
    FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = font_ ? SelectObject(dc, font_) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(fontColor_));
    std::wstring text = Caption();
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    if (old)
        SelectObject(dc, old);
    EndPaint(Handle(), &ps);
}

void LinkLabel::MouseEnter() {
    if (!hotTrack_)
        return;
    savedColor_ = fontColor_;
    fontColor_ = hotColor_;
    Repaint();
}

void LinkLabel::MouseLeave() {
    if (!hotTrack_)
        return;
    fontColor_ = savedColor_;
    Repaint();
}

void LinkLabel::TrackLeave() {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = Handle();
    TrackMouseEvent(&tme);
}

void LinkLabel::MouseMove(int x, int y) {
    RECT rc;
    GetClientRect(Handle(), &rc);
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

void LinkLabel::MouseDown(int button, int x, int y) {
    if (button == 0)
        SetCapture(Handle());
    if (OnMouseDown)
        OnMouseDown(*this, button, x, y);
    if (hotTrack_)
        SetFontColor(pushedColor_);
    if (executable_ && ShellOpen)
        ShellOpen(Caption());
}

void LinkLabel::MouseUp(int button, int x, int y) {
    if (button == 0 && GetCapture() == Handle())
        ReleaseCapture();
    if (OnMouseUp)
        OnMouseUp(*this, button, x, y);
    if (!Handle())
        return;
    // Where the pointer is now decides, wherever the release happened.
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(Handle(), &pt);
    RECT rc;
    GetClientRect(Handle(), &rc);
    bool in = PtInRect(&rc, pt) != FALSE;
    if (hotTrack_)
        SetFontColor(in ? hotColor_ : savedColor_);
    inside_ = in;
    if (in)
        TrackLeave(); // a leave seen under the capture was dropped
}

LRESULT LinkLabel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
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
        LRESULT r = Default(msg, wp, lp);
        AutoSize();
        Repaint();
        return r;
    }
    case WM_MOUSEMOVE:
        MouseMove(x, y);
        return 0;
    case WM_MOUSELEAVE:
        // While the label holds the capture, WM_MOUSEMOVE decides.
        if (inside_ && GetCapture() != Handle()) {
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
            ScreenToClient(Handle(), &pt);
            RECT rc;
            GetClientRect(Handle(), &rc);
            if (!PtInRect(&rc, pt)) {
                inside_ = false;
                MouseLeave();
            }
        }
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    default:
        return Default(msg, wp, lp);
    }
}

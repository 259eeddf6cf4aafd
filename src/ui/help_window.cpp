#include "ui/help_window.h"

#include "base/names.h"
#include "res/resource.h"
#include "ui/dialog_util.h"
#include "base/common_controls.h"
#include "base/dpi.h"

#include <algorithm>

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                         WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
// A taskbar button of its own: the user keeps the help open beside the
// windows being worked on, and finds it again there.
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// The layout in 96-dpi pixels.
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 460;
constexpr int kMinClientWidth = 360;
constexpr int kMinClientHeight = 240;
constexpr int kMargin = 8;
constexpr int kContentsWidth = 128;
constexpr int kTextMargin = 6;    // inside the text control, left and right
constexpr int kTabPosition = 160; // where a value paired with a name starts, at least
constexpr int kTabGap = 12;       // between the longest such name and its value

// Ctrl held without Alt (Ctrl+Alt is AltGr on many layouts).
bool CtrlOnly() {
    return GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0;
}

} // namespace

RECT HelpRectBeside(const HelpAnchor& anchor, SIZE preferred, SIZE minimum, const RECT& work) {
    const RECT& d = anchor.window;
    const LONG workW = work.right - work.left, workH = work.bottom - work.top;
    const LONG w = std::min(preferred.cx, std::max(workW, minimum.cx));
    const LONG h = std::min(preferred.cy, std::max(workH, minimum.cy));
    // Level with the window's top, moved up as far as needed to end in the
    // work area.
    const LONG top = std::max(work.top, std::min(d.top, work.bottom - h));
    const LONG right = work.right - d.right, left = d.left - work.left;
    if (right >= w)
        return RECT{d.right, top, d.right + w, top + h};
    if (left >= w)
        return RECT{d.left - w, top, d.left, top + h};
    if (std::max(right, left) >= minimum.cx) {
        if (right >= left)
            return RECT{d.right, top, work.right, top + h};
        return RECT{work.left, top, d.left, top + h};
    }
    // Over the window: below its caption, above its buttons (not below its
    // minimum height), as wide as it may be and level with the window's
    // left edge as far as the work area allows.
    const LONG overTop = std::max(work.top, static_cast<LONG>(anchor.captionBottom));
    const LONG overH = std::max(std::min(static_cast<LONG>(anchor.buttonsTop) - overTop, h),
                                std::min(minimum.cy, h));
    const LONG x = std::max(work.left, std::min(d.left, work.right - w));
    return RECT{x, overTop, x + w, overTop + overH};
}

HelpAnchor HelpAnchorOf(HWND dialog) {
    HelpAnchor a{};
    GetWindowRect(dialog, &a.window);
    POINT client{0, 0};
    ClientToScreen(dialog, &client);
    a.captionBottom = client.y;
    a.buttonsTop = a.window.bottom;
    if (HWND ok = GetDlgItem(dialog, IDOK)) {
        RECT r;
        GetWindowRect(ok, &r);
        a.buttonsTop = r.top;
    }
    return a;
}

HelpWindow::HelpWindow(HWND owner) {
    ui::RegisterDialogClass(names::kHelpWindowClass);
    language_ = CurrentUiLanguage();
    CreateModeless(ui::EmptyDialogTemplate(kStyle, kExStyle, names::kHelpWindowClass,
                                           HelpWindowCaption(language_)),
                   owner);
}

HelpWindow::~HelpWindow() {
    // The base destroys a window that is still there without asking the
    // handler: tell the opener here.
    if (hwnd_ && shown_ && OnClosed)
        OnClosed(hwnd_);
}

void HelpWindow::Show(HelpTopic topic, HWND beside) {
    if (!hwnd_)
        return;
    topic_ = topic;
    SendMessageW(GetDlgItem(hwnd_, idHelpContents), LB_SETCURSEL, static_cast<WPARAM>(topic), 0);
    FillText(false);
    const bool isNew = !shown_;
    if (shown_ && IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    if (beside && IsWindowVisible(beside) && !IsZoomed(hwnd_)) {
        RECT mine, theirs, overlap;
        GetWindowRect(hwnd_, &mine);
        GetWindowRect(beside, &theirs);
        if (isNew || IntersectRect(&overlap, &mine, &theirs))
            PlaceBeside(beside);
    }
    if (isNew) {
        shown_ = true;
        ShowWindow(hwnd_, SW_SHOW);
        if (OnModeless)
            OnModeless(hwnd_);
        SetFocus(GetDlgItem(hwnd_, idHelpText));
    }
    SetForegroundWindow(hwnd_);
}

void HelpWindow::PlaceBeside(HWND window) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &mi))
        return;
    SIZE preferred = dpi::WindowSizeForClient(
        dpi::Scale(kClientWidth, dpi_), dpi::Scale(kClientHeight, dpi_), kStyle, kExStyle, dpi_);
    SIZE minimum =
        dpi::WindowSizeForClient(dpi::Scale(kMinClientWidth, dpi_),
                                 dpi::Scale(kMinClientHeight, dpi_), kStyle, kExStyle, dpi_);
    RECT r = HelpRectBeside(HelpAnchorOf(window), preferred, minimum, mi.rcWork);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void HelpWindow::Refresh() {
    if (!hwnd_)
        return;
    if (UiLanguage now = CurrentUiLanguage(); now != language_) {
        language_ = now;
        SetWindowTextW(hwnd_, HelpWindowCaption(language_));
        FillContents();
        Layout(dpi_); // the language's font; fills the text when shown
        if (shown_)
            return;
    }
    FillText(true);
}

void HelpWindow::FillContents() {
    HWND list = GetDlgItem(hwnd_, idHelpContents);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < kHelpTopicCount; ++i)
        SendMessageW(
            list, LB_ADDSTRING, 0,
            reinterpret_cast<LPARAM>(HelpTopicTitle(static_cast<HelpTopic>(i), language_)));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(topic_), 0);
}

void HelpWindow::CreateControls() {
    HWND list = ui::CreateChild(hwnd_, L"LISTBOX", nullptr,
                                WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | LBS_NOTIFY |
                                    LBS_NOINTEGRALHEIGHT,
                                WS_EX_CLIENTEDGE, idHelpContents);
    FillContents();
    HWND text = ui::CreateChild(hwnd_, L"EDIT", nullptr,
                                WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | ES_MULTILINE |
                                    ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL,
                                WS_EX_CLIENTEDGE, idHelpText);
    common_controls::SetSubclass(text, &HelpWindow::TextProc, 1, 0);
    common_controls::SetSubclass(list, &HelpWindow::ContentsProc, 1, 0);
}

void HelpWindow::Layout(UINT dpi) {
    dpi_ = dpi;
    // Japanese in the program's Japanese font; English in the system's
    // dialog font, which every Windows has (a Windows in another language
    // may lack the Japanese one).
    font_ = language_ == UiLanguage::Japanese
                ? ui::CreateDialogFont(L"ＭＳ Ｐゴシック", -12, FW_NORMAL, SHIFTJIS_CHARSET, dpi)
                : ui::CreateDialogFont(L"Segoe UI", -12, FW_NORMAL, DEFAULT_CHARSET, dpi);
    HWND text = GetDlgItem(hwnd_, idHelpText);
    for (int id : {idHelpContents, idHelpText})
        SendMessageW(GetDlgItem(hwnd_, id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()),
                     TRUE);
    SendMessageW(text, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELPARAM(dpi::Scale(kTextMargin, dpi), dpi::Scale(kTextMargin, dpi)));
    Arrange();
    if (shown_)
        FillText(true); // its tab stop, for this font
    InvalidateRect(text, nullptr, TRUE);
}

void HelpWindow::SetTabStop(const std::wstring& body) {
    // Values paired with a name start in one column, right of the longest
    // name of the text.
    HWND text = GetDlgItem(hwnd_, idHelpText);
    int widest = 0;
    for (size_t line = 0; line < body.size();) {
        size_t end = body.find(L'\n', line);
        if (end == std::wstring::npos)
            end = body.size();
        size_t tab = body.find(L'\t', line);
        if (tab < end)
            widest = std::max(
                widest, static_cast<int>(
                            ui::TextExtent(text, font_.get(), body.substr(line, tab - line)).cx));
        line = end + 1;
    }
    const int column = std::max(dpi::Scale(kTabPosition, dpi_), widest + dpi::Scale(kTabGap, dpi_));
    // Tab stops are given in quarters of the font's average character
    // width (the letters' average, as the control measures it).
    SIZE letters =
        ui::TextExtent(text, font_.get(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int average = (letters.cx / 26 + 1) / 2;
    if (average > 0) {
        // Rounded up, so that the column is never left of the longest name.
        int stop = (column * 4 + average - 1) / average;
        SendMessageW(text, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
    }
}

void HelpWindow::Arrange() {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    auto S = [this](int v) { return dpi::Scale(v, dpi_); };
    int h = rc.bottom - 2 * S(kMargin);
    int textLeft = S(kMargin + kContentsWidth + kMargin);
    constexpr UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(GetDlgItem(hwnd_, idHelpContents), nullptr, S(kMargin), S(kMargin),
                 S(kContentsWidth), h, flags);
    SetWindowPos(GetDlgItem(hwnd_, idHelpText), nullptr, textLeft, S(kMargin),
                 rc.right - textLeft - S(kMargin), h, flags);
}

void HelpWindow::FillText(bool keepPlace) {
    HWND text = GetDlgItem(hwnd_, idHelpText);
    LRESULT firstLine = keepPlace ? SendMessageW(text, EM_GETFIRSTVISIBLELINE, 0, 0) : 0;
    std::wstring body = TopicText ? TopicText(topic_) : std::wstring();
    SetTabStop(body);
    SetWindowTextW(text, body.c_str());
    SendMessageW(text, EM_SETSEL, 0, 0);
    if (firstLine > 0)
        SendMessageW(text, EM_LINESCROLL, 0, firstLine);
}

LRESULT CALLBACK HelpWindow::TextProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Tab, Enter and Esc are the window's: Esc closes it.
        return common_controls::DefSubclass(hwnd, msg, wp, lp) &
               ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    case WM_KEYDOWN:
        // A read-only multi-line text control does not select all by itself.
        if (wp == 'A' && CtrlOnly()) {
            SendMessageW(hwnd, EM_SETSEL, 0, -1);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wp == 1) // Ctrl+A as a character: handled above
            return 0;
        break;
    case WM_NCDESTROY:
        common_controls::RemoveSubclass(hwnd, &HelpWindow::TextProc, 1);
        break;
    default:
        break;
    }
    return common_controls::DefSubclass(hwnd, msg, wp, lp);
}

LRESULT CALLBACK HelpWindow::ContentsProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                          DWORD_PTR) {
    // Ctrl+A and Ctrl+C in the contents list act on the topic's text, as
    // they do in the text itself.
    switch (msg) {
    case WM_KEYDOWN:
        if ((wp == 'A' || wp == 'C') && CtrlOnly()) {
            HWND text = GetDlgItem(GetParent(hwnd), idHelpText);
            if (wp == 'A')
                SendMessageW(text, EM_SETSEL, 0, -1);
            else
                SendMessageW(text, WM_COPY, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wp == 1 || wp == 3) // Ctrl+A, Ctrl+C as characters: handled above
            return 0;
        break;
    case WM_NCDESTROY:
        common_controls::RemoveSubclass(hwnd, &HelpWindow::ContentsProc, 1);
        break;
    default:
        break;
    }
    return common_controls::DefSubclass(hwnd, msg, wp, lp);
}

INT_PTR HelpWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        ui::DisableSystemDialogScaling(hwnd_);
        // The program's icon for the caption and the taskbar button
        // (shared icons: the system keeps them).
        HINSTANCE inst = GetModuleHandleW(nullptr);
        for (WPARAM kind : {ICON_BIG, ICON_SMALL}) {
            int cx = GetSystemMetrics(kind == ICON_BIG ? SM_CXICON : SM_CXSMICON);
            int cy = GetSystemMetrics(kind == ICON_BIG ? SM_CYICON : SM_CYSMICON);
            SendMessageW(hwnd_, WM_SETICON, kind,
                         reinterpret_cast<LPARAM>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_QUOREL),
                                                             IMAGE_ICON, cx, cy, LR_SHARED)));
        }
        CreateControls();
        // Centred on the primary screen, so laid out for its DPI.
        UINT dpi = dpi::ForMonitor(dpi::PrimaryMonitor());
        SIZE size = dpi::WindowSizeForClient(dpi::Scale(kClientWidth, dpi),
                                             dpi::Scale(kClientHeight, dpi), kStyle, kExStyle, dpi);
        POINT pos = dpi::ScreenCentre(size);
        SetWindowPos(hwnd_, nullptr, pos.x, pos.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(dpi);
        return FALSE; // the focus is set when shown
    }
    case WM_SIZE:
        Arrange();
        return FALSE;
    case WM_GETMINMAXINFO: {
        SIZE min =
            dpi::WindowSizeForClient(dpi::Scale(kMinClientWidth, dpi_),
                                     dpi::Scale(kMinClientHeight, dpi_), kStyle, kExStyle, dpi_);
        auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
        mmi->ptMinTrackSize = POINT{min.cx, min.cy};
        return TRUE;
    }
    case WM_DPICHANGED:
        Layout(HIWORD(wp));
        dpi::MoveToSuggestedRect(hwnd_, lp);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The read-only text reads on the window colour, not on grey.
        if (reinterpret_cast<HWND>(lp) == GetDlgItem(hwnd_, idHelpText)) {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        }
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == idHelpContents && HIWORD(wp) == LBN_SELCHANGE) {
            LRESULT sel = SendMessageW(GetDlgItem(hwnd_, idHelpContents), LB_GETCURSEL, 0, 0);
            if (sel >= 0 && sel < kHelpTopicCount) {
                topic_ = static_cast<HelpTopic>(sel);
                FillText(false);
            }
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) { // Esc
            DestroyDialog();
            return TRUE;
        }
        return LOWORD(wp) == IDOK; // Enter does nothing
    case WM_CLOSE:
        DestroyDialog();
        return TRUE;
    case WM_DESTROY:
        if (shown_ && OnClosed)
            OnClosed(hwnd_);
        return FALSE;
    default:
        return FALSE;
    }
}

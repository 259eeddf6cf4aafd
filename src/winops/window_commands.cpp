#include "winops/window_commands.h"

#include "base/handles.h"
#include "base/names.h"
#include "base/system_library.h"
#include "settings/settings.h"

#include <dwmapi.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// 32-bit wrap-around arithmetic, as the window manager receives it: steps
// come unchecked from the settings file, so an extreme one must not
// overflow a signed int.
int Wrap(std::int64_t v) {
    return static_cast<int>(static_cast<std::uint32_t>(v));
}

// Saturating 32-bit arithmetic for the move and resize steps, which come
// unchecked from the settings file: a value beyond the int range stops at
// its end instead of wrapping around to the other end.
int Saturate(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// One axis of a window: where it starts and how long it is.
struct Span {
    int start, length;
};

// The span moved by step as a whole: both its edges stay within int.
Span Moved(std::int64_t start, std::int64_t end, std::int64_t step) {
    const std::int64_t length = std::max<std::int64_t>(end - start, 0);
    const std::int64_t moved = std::clamp<std::int64_t>(start + step, INT_MIN, INT_MAX - length);
    return {static_cast<int>(moved), Saturate(end - start)};
}

// The span with its end edge moved by step; the start stays.
Span EndMoved(std::int64_t start, std::int64_t end, std::int64_t step) {
    return {static_cast<int>(start), Saturate(Saturate(end + step) - start)};
}

// The span with its start edge moved by step; the end stays where it is,
// also when the length has to stop at the end of the int range.
Span StartMoved(std::int64_t start, std::int64_t end, std::int64_t step) {
    const int length = Saturate(end - Saturate(start + step));
    return {Saturate(end - length), length};
}

bool ClassNameIs(HWND wnd, const char* name) {
    char buf[256] = {};
    GetClassNameA(wnd, buf, 255);
    return std::strcmp(buf, name) == 0;
}

// DwmGetWindowAttribute from dwmapi.dll in the system folder, looked up at
// the first call; nullptr where there is none.
WindowAttributeQuery DwmWindowAttributeQuery() {
    static const auto query =
        system_library::Function<WindowAttributeQuery>(L"dwmapi.dll", "DwmGetWindowAttribute");
    return query;
}

ULONGLONG NowMs() {
    return GetTickCount64();
}

// One command's way to the windows it acts on: asks each whether it
// answers, within the command's budget.
class WindowReach {
  public:
    WindowReach();
    // True when the window answered: act on it synchronously. False: queue
    // the command for it.
    bool Answers(HWND wnd);
    // How long to wait for a window that answered to handle a system
    // command.
    DWORD CommandWait() const;

  private:
    WaitBudget budget_;
    std::vector<DWORD> silentThreads_; // threads that did not answer
};

WindowReach::WindowReach() : budget_(NowMs()) {}

bool WindowReach::Answers(HWND wnd) {
    // The thread is looked up only once one has been found silent: the
    // common case costs nothing beyond the question itself.
    DWORD thread = 0;
    if (!silentThreads_.empty()) {
        thread = GetWindowThreadProcessId(wnd, nullptr);
        if (std::find(silentThreads_.begin(), silentThreads_.end(), thread) != silentThreads_.end())
            return false;
    }
    // A window of this thread is answered directly, without waiting; a
    // window the system already reports as hung is not waited for
    // (SMTO_ABORTIFHUNG).
    DWORD wait = budget_.AnswerWait(NowMs());
    DWORD_PTR result = 0;
    if (wait > 0 &&
        SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, wait, &result))
        return true;
    if (!thread)
        thread = GetWindowThreadProcessId(wnd, nullptr);
    if (thread) {
        // Only a shortcut: without it the thread is asked again.
        try {
            silentThreads_.push_back(thread);
        } catch (...) {
        }
    }
    return false;
}

DWORD WindowReach::CommandWait() const {
    return budget_.CommandWait(NowMs());
}

// Sends WM_SYSCOMMAND cmd (lParam 0): synchronously to a window that
// answers, queued to one that does not.
void SendSysCommand(WindowReach& reach, HWND wnd, WPARAM cmd) {
    if (reach.Answers(wnd)) {
        // Once the thread has taken the message, a time-out does not cancel
        // it: the command is handled to its end, only no longer waited for.
        DWORD_PTR result = 0;
        SendMessageTimeoutA(wnd, WM_SYSCOMMAND, cmd, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            reach.CommandWait(), &result);
    } else {
        SendNotifyMessageW(wnd, WM_SYSCOMMAND, cmd, 0);
    }
}

// The geometry synchronously to a window that answers, queued to one that
// does not; the arguments are the same either way.
void ApplyWindowPos(HWND wnd, const std::optional<WindowPosRequest>& req) {
    if (!req)
        return;
    WindowReach reach;
    UINT flags = reach.Answers(wnd) ? req->Flags : req->Flags | SWP_ASYNCWINDOWPOS;
    SetWindowPos(wnd, HWND_TOP, req->X, req->Y, req->Width, req->Height, flags);
}

// Shared start of the two resize commands: the foreground window unless it
// is missing, maximized or has no maximize box.
HWND ResizableForeground() {
    HWND wnd = GetForegroundWindow();
    if (!wnd || IsZoomed(wnd))
        return nullptr;
    if (!GetWindowCaps(wnd).HasMaximizeBox)
        return nullptr;
    return wnd;
}

BOOL CALLBACK RestoreEnumProc(HWND wnd, LPARAM param) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(param);
    WindowCaps caps = GetWindowCaps(wnd);
    if (IsWindowVisible(wnd) && IsWindowEnabled(wnd) && IsIconic(wnd) && !caps.IsToolWindow &&
        !IsCloaked(wnd)) {
        // No exception may cross the system's enumeration.
        try {
            list->push_back(wnd);
        } catch (...) {
            return FALSE;
        }
    }
    return -1;
}

BOOL CALLBACK MinimizeEnumProc(HWND wnd, LPARAM param) {
    auto* reach = reinterpret_cast<WindowReach*>(param);
    wchar_t cls[256] = {};
    GetClassNameW(wnd, cls, 255);
    WindowCaps caps = GetWindowCaps(wnd);
    if (!IsWindowVisible(wnd) || !IsWindowEnabled(wnd))
        return -1;
    if (IsCloaked(wnd))
        return -1;
    if (std::wcscmp(cls, names::kApplicationClass) == 0)
        return -1;
    if (IsIconic(wnd))
        return -1;
    if (!caps.HasMinimizeBox)
        return -1;
    SendSysCommand(*reach, wnd, SC_MINIMIZE);
    return -1;
}

} // namespace

DWORD WaitBudget::Left(ULONGLONG nowMs) const {
    ULONGLONG spent = nowMs > start_ ? nowMs - start_ : 0;
    return spent < total_ ? static_cast<DWORD>(total_ - spent) : 0;
}

DWORD WaitBudget::AnswerWait(ULONGLONG nowMs) const {
    return std::min(AnswerWaitMs, Left(nowMs));
}

DWORD WaitBudget::CommandWait(ULONGLONG nowMs) const {
    return std::max(TakeWaitMs, Left(nowMs));
}

bool IsShellDesktop(HWND wnd) {
    if (ClassNameIs(wnd, names::kShellDesktopClass))
        return true;
    return ClassNameIs(wnd, names::kShellDesktopHostClass) &&
           FindWindowExA(wnd, nullptr, names::kShellViewClass, nullptr) != nullptr;
}

bool IsCloakedBy(WindowAttributeQuery query, HWND wnd) {
    DWORD cloaked = 0;
    return query && SUCCEEDED(query(wnd, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

bool IsCloaked(HWND wnd) {
    return IsCloakedBy(DwmWindowAttributeQuery(), wnd);
}

WindowCaps GetWindowCaps(HWND wnd) {
    DWORD style = static_cast<DWORD>(GetWindowLongA(wnd, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(wnd, GWL_EXSTYLE));
    WindowCaps caps{};
    caps.HasMinimizeBox = (style & WS_MINIMIZEBOX) != 0;
    caps.HasMaximizeBox = (style & WS_MAXIMIZEBOX) != 0;
    caps.HasSysMenu = (style & WS_SYSMENU) != 0;
    caps.IsToolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0;
    return caps;
}

void ToggleMaximize() {
    HWND wnd = GetForegroundWindow();
    if (!wnd)
        return;
    if (!GetWindowCaps(wnd).HasMaximizeBox)
        return;
    int show = IsZoomed(wnd) ? SW_RESTORE : SW_MAXIMIZE;
    WindowReach reach;
    if (reach.Answers(wnd))
        ShowWindow(wnd, show);
    else
        ShowWindowAsync(wnd, show);
}

void MinimizeForeground() {
    HWND wnd = GetForegroundWindow();
    if (!wnd)
        return;
    if (!GetWindowCaps(wnd).HasMinimizeBox)
        return;
    WindowReach reach;
    SendSysCommand(reach, wnd, SC_MINIMIZE);
}

void CloseForeground() {
    HWND wnd = GetForegroundWindow();
    if (!wnd)
        return;
    if (!GetWindowCaps(wnd).HasSysMenu)
        return;
    WindowReach reach;
    SendSysCommand(reach, wnd, SC_CLOSE);
}

std::optional<WindowPosRequest> MoveGeometry(const RECT& r, Direction d, int step) {
    Span x = Moved(r.left, r.right, 0), y = Moved(r.top, r.bottom, 0);
    switch (d) {
    case Up:
        y = Moved(r.top, r.bottom, -std::int64_t{step});
        break;
    case Down:
        y = Moved(r.top, r.bottom, step);
        break;
    case Left:
        x = Moved(r.left, r.right, -std::int64_t{step});
        break;
    case Right:
        x = Moved(r.left, r.right, step);
        break;
    default:
        return std::nullopt;
    }
    return WindowPosRequest{x.start, y.start, 0, 0, SWP_NOSIZE};
}

std::optional<WindowPosRequest> SizeBottomRightGeometry(const RECT& r, Direction d, int step) {
    Span x = EndMoved(r.left, r.right, 0), y = EndMoved(r.top, r.bottom, 0);
    switch (d) {
    case Up:
        y = EndMoved(r.top, r.bottom, -std::int64_t{step});
        break;
    case Down:
        y = EndMoved(r.top, r.bottom, step);
        break;
    case Left:
        x = EndMoved(r.left, r.right, -std::int64_t{step});
        break;
    case Right:
        x = EndMoved(r.left, r.right, step);
        break;
    default:
        return std::nullopt;
    }
    return WindowPosRequest{r.left, r.top, x.length, y.length, SWP_NOMOVE};
}

std::optional<WindowPosRequest> SizeTopLeftGeometry(const RECT& r, Direction d, int step) {
    Span x = StartMoved(r.left, r.right, 0), y = StartMoved(r.top, r.bottom, 0);
    switch (d) {
    case Up:
        y = StartMoved(r.top, r.bottom, -std::int64_t{step});
        break;
    case Down:
        y = StartMoved(r.top, r.bottom, step);
        break;
    case Left:
        x = StartMoved(r.left, r.right, -std::int64_t{step});
        break;
    case Right:
        x = StartMoved(r.left, r.right, step);
        break;
    default:
        return std::nullopt;
    }
    return WindowPosRequest{x.start, y.start, x.length, y.length, 0};
}

void MoveForeground(Direction d) {
    HWND wnd = GetForegroundWindow();
    if (!wnd || IsZoomed(wnd))
        return;
    // The shell's desktop window stays where it is.
    if (IsShellDesktop(wnd))
        return;
    RECT r{};
    GetWindowRect(wnd, &r);
    ApplyWindowPos(wnd, MoveGeometry(r, d, Settings.MoveP));
}

void SizeBottomRight(Direction d) {
    HWND wnd = ResizableForeground();
    if (!wnd)
        return;
    RECT r{};
    GetWindowRect(wnd, &r);
    ApplyWindowPos(wnd, SizeBottomRightGeometry(r, d, Settings.SizeP));
}

void SizeTopLeft(Direction d) {
    HWND wnd = ResizableForeground();
    if (!wnd)
        return;
    RECT r{};
    GetWindowRect(wnd, &r);
    ApplyWindowPos(wnd, SizeTopLeftGeometry(r, d, Settings.SizeP));
}

void RestoreAllWindows() {
    // Collected first, then restored from the last reported to the first.
    std::vector<HWND> list;
    EnumWindows(RestoreEnumProc, reinterpret_cast<LPARAM>(&list));
    WindowReach reach;
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        SendSysCommand(reach, *it, SC_RESTORE);
}

void MinimizeAllWindows() {
    WindowReach reach;
    EnumWindows(MinimizeEnumProc, reinterpret_cast<LPARAM>(&reach));
}

void StartScreenSaver() {
    WindowReach reach;
    SendSysCommand(reach, GetDesktopWindow(), SC_SCREENSAVE);
}

std::optional<POINT> CornerPoint(int pos, int offset, int screenW, int screenH) {
    auto fromEnd = [offset](int size) { return Wrap(std::int64_t{size} - offset); };
    switch (pos) {
    case 0:
        return POINT{offset, offset};
    case 1:
        return POINT{fromEnd(screenW), offset};
    case 2:
        return POINT{offset, fromEnd(screenH)};
    case 3:
        return POINT{fromEnd(screenW), fromEnd(screenH)};
    default:
        return std::nullopt;
    }
}

std::optional<POINT> CornerPointOnMonitor(int pos, int offset, const RECT& monitor) {
    auto pt = CornerPoint(pos, offset, Wrap(std::int64_t{monitor.right} - monitor.left),
                          Wrap(std::int64_t{monitor.bottom} - monitor.top));
    if (!pt)
        return std::nullopt;
    auto keep = [](std::int64_t v, LONG low, LONG high) {
        // An empty monitor keeps its top-left corner.
        return static_cast<LONG>(
            std::max<std::int64_t>(low, std::min<std::int64_t>(v, std::int64_t{high} - 1)));
    };
    return POINT{keep(std::int64_t{monitor.left} + pt->x, monitor.left, monitor.right),
                 keep(std::int64_t{monitor.top} + pt->y, monitor.top, monitor.bottom)};
}

void MoveCursorToCorner() {
    int pos = Settings.MouseMovePos;
    int offset = Settings.MouseOffset;
    if (pos < 0 || pos > 3)
        return;
    // The primary monitor: its top-left corner is the origin.
    const RECT primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (auto pt = CornerPointOnMonitor(pos, offset, primary))
        SetCursorPos(pt->x, pt->y);
}

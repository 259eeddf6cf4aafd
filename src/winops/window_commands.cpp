#include "winops/window_commands.h"

#include "base/dpi.h"
#include "base/handles.h"
#include "base/names.h"
#include "base/system_library.h"
#include "settings/settings.h"

#include <dwmapi.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <string>
#include <utility>
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

// DwmGetWindowAttribute from dwmapi.dll in the system folder, looked up at
// the first call; nullptr where there is none.
WindowAttributeQuery DwmWindowAttributeQuery() {
    static const auto query =
        system_library::Function<WindowAttributeQuery>(L"dwmapi.dll", "DwmGetWindowAttribute");
    return query;
}

// Shared start of the two resize commands: the target unless it is
// missing or has no maximize box. Whether it is maximized is read when the
// command runs.
bool Resizable(const Target& target) {
    return target.window && GetWindowCaps(target.window).HasMaximizeBox;
}

WindowCommand SystemCommandFor(HWND wnd, WPARAM command) {
    return WindowCommand{WindowCommand::Action::SystemCommand, wnd, command};
}

// A command for the target, with the thread that owns it.
WindowCommand CommandFor(const Target& target, WindowCommand::Action action) {
    WindowCommand c{action, target.window};
    c.thread = target.identity.thread;
    return c;
}

WindowCommand GeometryCommand(const Target& target, WindowCommand::Action action, Direction d,
                              int step) {
    WindowCommand c = CommandFor(target, action);
    c.direction = d;
    c.step = step;
    return c;
}

WindowCommand SystemCommandFor(const Target& target, WPARAM command) {
    WindowCommand c = CommandFor(target, WindowCommand::Action::SystemCommand);
    c.sysCommand = command;
    return c;
}

// No exception may cross the system's enumeration: a window that cannot be
// added ends it.
BOOL Collect(std::vector<WindowCommand>& list, const WindowCommand& command) {
    try {
        list.push_back(command);
    } catch (...) {
        return FALSE;
    }
    return -1;
}

BOOL CALLBACK RestoreEnumProc(HWND wnd, LPARAM param) {
    auto* list = reinterpret_cast<std::vector<WindowCommand>*>(param);
    WindowCaps caps = GetWindowCaps(wnd);
    if (IsWindowVisible(wnd) && IsWindowEnabled(wnd) && IsIconic(wnd) && !caps.IsToolWindow &&
        !IsCloaked(wnd))
        return Collect(*list, SystemCommandFor(wnd, SC_RESTORE));
    return -1;
}

bool MinimizeAllTakes(HWND wnd) {
    return IsWindowVisible(wnd) && IsWindowEnabled(wnd) && !IsIconic(wnd);
}

BOOL CALLBACK MinimizeEnumProc(HWND wnd, LPARAM param) {
    auto* list = reinterpret_cast<std::vector<WindowCommand>*>(param);
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
    WindowCommand command = SystemCommandFor(wnd, SC_MINIMIZE);
    command.onlyWhileShown = true;
    return Collect(*list, command);
}

// SetWindowPos with the geometry of a move or resize, computed from where
// the window is now.
void ApplyGeometry(const WindowCommand& c) {
    if (IsZoomed(c.window))
        return;
    RECT r{};
    if (!GetWindowRect(c.window, &r))
        return;
    std::optional<WindowPosRequest> req;
    switch (c.action) {
    case WindowCommand::Action::Move:
        req = MoveGeometry(r, c.direction, c.step);
        break;
    case WindowCommand::Action::SizeBottomRight:
        req = SizeBottomRightGeometry(r, c.direction, c.step);
        break;
    case WindowCommand::Action::SizeTopLeft:
        req = SizeTopLeftGeometry(r, c.direction, c.step);
        break;
    default:
        break;
    }
    if (req)
        SetWindowPos(c.window, HWND_TOP, req->X, req->Y, req->Width, req->Height, req->Flags);
}

} // namespace

bool IsShellDesktop(HWND wnd) {
    return IsShellDesktop(Target{wnd, ReadWindowIdentity(wnd)});
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

std::optional<WindowCommand> ToggleMaximizeCommand(const Target& target) {
    if (!target.window || !GetWindowCaps(target.window).HasMaximizeBox)
        return std::nullopt;
    return CommandFor(target, WindowCommand::Action::ToggleMaximize);
}

std::optional<WindowCommand> MinimizeCommand(const Target& target) {
    if (!target.window || !GetWindowCaps(target.window).HasMinimizeBox)
        return std::nullopt;
    return SystemCommandFor(target, SC_MINIMIZE);
}

std::optional<WindowCommand> CloseCommand(const Target& target) {
    if (!target.window || !GetWindowCaps(target.window).HasSysMenu)
        return std::nullopt;
    return SystemCommandFor(target, SC_CLOSE);
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

std::optional<WindowCommand> MoveCommand(const Target& target, Direction d) {
    // The shell's desktop window stays where it is.
    if (!target.window || IsShellDesktop(target))
        return std::nullopt;
    return GeometryCommand(target, WindowCommand::Action::Move, d, Settings.MoveP);
}

std::optional<WindowCommand> SizeBottomRightCommand(const Target& target, Direction d) {
    if (!Resizable(target))
        return std::nullopt;
    return GeometryCommand(target, WindowCommand::Action::SizeBottomRight, d, Settings.SizeP);
}

std::optional<WindowCommand> SizeTopLeftCommand(const Target& target, Direction d) {
    if (!Resizable(target))
        return std::nullopt;
    return GeometryCommand(target, WindowCommand::Action::SizeTopLeft, d, Settings.SizeP);
}

std::optional<WindowCommand> TopmostCommand(const Target& target) {
    if (!target.window || IsShellDesktop(target) ||
        target.identity.process == GetCurrentProcessId())
        return std::nullopt;
    return CommandFor(target, WindowCommand::Action::ToggleTopmost);
}

WindowPosRequest CenterGeometry(const RECT& window, const RECT& work) {
    auto start = [](std::int64_t lo, std::int64_t hi, std::int64_t from, std::int64_t to) {
        const std::int64_t spare = (to - from) - (hi - lo);
        return Saturate(spare > 0 ? from + spare / 2 : from);
    };
    return WindowPosRequest{start(window.left, window.right, work.left, work.right),
                            start(window.top, window.bottom, work.top, work.bottom), 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE};
}

std::optional<WindowCommand> CenterCommand(const Target& target) {
    if (!target.window || IsShellDesktop(target))
        return std::nullopt;
    return CommandFor(target, WindowCommand::Action::Center);
}

std::optional<WindowCommand> NeighbourMonitorCommand(const Target& target, int step) {
    if (!target.window || IsShellDesktop(target) || GetSystemMetrics(SM_CMONITORS) < 2)
        return std::nullopt;
    return GeometryCommand(target, WindowCommand::Action::ToNeighbourMonitor, Up, step);
}

void SortMonitors(std::span<MonitorArea> monitors) {
    // A handful of monitors: sorted by insertion.
    auto before = [](const MonitorArea& a, const MonitorArea& b) {
        return a.monitor.left != b.monitor.left ? a.monitor.left < b.monitor.left
                                                : a.monitor.top < b.monitor.top;
    };
    for (std::size_t i = 1; i < monitors.size(); ++i)
        for (std::size_t j = i; j > 0 && before(monitors[j], monitors[j - 1]); --j)
            std::swap(monitors[j], monitors[j - 1]);
}

std::optional<std::size_t> NeighbourMonitor(std::size_t count, std::size_t index, int step) {
    if (count < 2 || index >= count)
        return std::nullopt;
    return step < 0 ? (index + count - 1) % count : (index + 1) % count;
}

namespace {
// One axis of the monitor move: the window's span [lo, hi) from the work
// area's [from, fromEnd) to [to, toEnd). Rectangles of the system's
// windows and monitors, far within int.
Span AxisOnMonitor(LONG lo, LONG hi, LONG from, LONG fromEnd, LONG to, LONG toEnd) {
    const LONG length = hi - lo;
    const LONG spareFrom = (fromEnd - from) - length, spareTo = (toEnd - to) - length;
    if (spareTo < 0)
        return {to, toEnd - to};
    if (spareFrom <= 0)
        return {to, length};
    // Rounded to the nearest pixel, so that moving back returns.
    return {to + MulDiv(std::clamp(lo - from, 0L, spareFrom), spareTo, spareFrom), length};
}
} // namespace

RECT MonitorMoveGeometry(const RECT& window, const RECT& from, const RECT& to, bool resizable) {
    const LONG width = window.right - window.left, height = window.bottom - window.top;
    if ((width > to.right - to.left || height > to.bottom - to.top) && !resizable)
        return RECT{to.left, to.top, to.left + width, to.top + height};
    const Span x =
        AxisOnMonitor(window.left, window.right, from.left, from.right, to.left, to.right);
    const Span y =
        AxisOnMonitor(window.top, window.bottom, from.top, from.bottom, to.top, to.bottom);
    return RECT{x.start, y.start, x.start + x.length, y.start + y.length};
}

RECT MaximizedOnMonitor(const RECT& window, const RECT& from, const RECT& to, UINT fromDpi,
                        UINT toDpi) {
    auto over = [&](LONG pixels) {
        return fromDpi ? MulDiv(pixels, static_cast<int>(toDpi), static_cast<int>(fromDpi))
                       : pixels;
    };
    return RECT{to.left - over(from.left - window.left), to.top - over(from.top - window.top),
                to.right + over(window.right - from.right),
                to.bottom + over(window.bottom - from.bottom)};
}

RECT WorkspaceToScreen(const RECT& r, const MonitorArea& m) {
    RECT s = r;
    OffsetRect(&s, m.work.left - m.monitor.left, m.work.top - m.monitor.top);
    return s;
}

RECT ScreenToWorkspace(const RECT& r, const MonitorArea& m) {
    RECT s = r;
    OffsetRect(&s, m.monitor.left - m.work.left, m.monitor.top - m.work.top);
    return s;
}

std::vector<WindowCommand> RestoreAllCommands() {
    // Collected in the order reported, restored from the last to the first.
    std::vector<WindowCommand> list;
    EnumWindows(RestoreEnumProc, reinterpret_cast<LPARAM>(&list));
    std::reverse(list.begin(), list.end());
    return list;
}

std::vector<WindowCommand> MinimizeAllCommands() {
    std::vector<WindowCommand> list;
    EnumWindows(MinimizeEnumProc, reinterpret_cast<LPARAM>(&list));
    return list;
}

WindowCommand ScreenSaverCommand() {
    return SystemCommandFor(GetDesktopWindow(), SC_SCREENSAVE);
}

namespace {
// The window's rectangle and the monitor it is on (the nearest one), as
// they are now; false when either cannot be read.
bool WindowAndItsMonitor(HWND wnd, RECT& window, MONITORINFO& monitor) {
    monitor = MONITORINFO{};
    monitor.cbSize = sizeof monitor;
    return GetMonitorInfoW(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &monitor) &&
           GetWindowRect(wnd, &window);
}

// Where the window is when the command runs, on the monitor it is on then.
void CenterOnWorkArea(HWND wnd) {
    if (IsZoomed(wnd) || IsIconic(wnd))
        return;
    MONITORINFO info;
    RECT r;
    if (!WindowAndItsMonitor(wnd, r, info))
        return;
    const WindowPosRequest req = CenterGeometry(r, info.rcWork);
    SetWindowPos(wnd, HWND_TOP, req.X, req.Y, req.Width, req.Height, req.Flags);
}

// Up to kMaxMonitors monitors, more than any desk has.
constexpr std::size_t kMaxMonitors = 16;
struct MonitorList {
    MonitorArea areas[kMaxMonitors];
    std::size_t count = 0;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, RECT*, LPARAM param) {
    auto* list = reinterpret_cast<MonitorList*>(param);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        list->areas[list->count++] = MonitorArea{info.rcMonitor, info.rcWork};
    return list->count < kMaxMonitors;
}
void PlaceAt(HWND wnd, const RECT& r, UINT flags = 0) {
    SetWindowPos(wnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 flags | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A window that is not maximized onto the new monitor, in two steps:
// first only moved there, where a program that follows the monitors'
// scaling resizes its window for the new scale (WM_DPICHANGED); then put
// in its place by its size by then. A window that neither rescaled nor
// needs shrinking is in its place after the first step, and is not placed
// again over what may have moved it since.
void PlaceOnMonitor(HWND wnd, const RECT& before, const RECT& from, const RECT& to,
                    bool resizable) {
    const auto sameSize = [](const RECT& a, const RECT& b) {
        return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
    };
    const RECT first = MonitorMoveGeometry(before, from, to, resizable);
    PlaceAt(wnd, first, SWP_NOSIZE);
    RECT now{};
    if (!GetWindowRect(wnd, &now) || (sameSize(now, before) && sameSize(first, before)))
        return;
    const RECT resized{before.left, before.top, before.left + (now.right - now.left),
                       before.top + (now.bottom - now.top)};
    PlaceAt(wnd, MonitorMoveGeometry(resized, from, to, resizable));
}

// The window to the monitor after or before its own, as it is when the
// command runs.
void MoveToNeighbourMonitor(HWND wnd, int step) {
    if (IsIconic(wnd))
        return;
    MonitorList list;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&list));
    const std::span<MonitorArea> monitors(list.areas, list.count);
    SortMonitors(monitors);
    MONITORINFO own;
    RECT r;
    if (!WindowAndItsMonitor(wnd, r, own))
        return;
    std::size_t at = 0;
    while (at < monitors.size() && !EqualRect(&monitors[at].monitor, &own.rcMonitor))
        ++at;
    const auto next = NeighbourMonitor(monitors.size(), at, step);
    if (!next)
        return;
    const MonitorArea from{own.rcMonitor, own.rcWork};
    const MonitorArea& to = monitors[*next];
    const bool resizable = GetWindowCaps(wnd).HasMaximizeBox;
    if (!IsZoomed(wnd)) {
        PlaceOnMonitor(wnd, r, from.work, to.work, resizable);
        return;
    }
    // A maximized window: its restore rectangle first, so that restoring
    // it leaves it on the new monitor, then the maximized window itself.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(wnd, &placement))
        return;
    const RECT normal = WorkspaceToScreen(placement.rcNormalPosition, from);
    placement.rcNormalPosition =
        ScreenToWorkspace(MonitorMoveGeometry(normal, from.work, to.work, resizable), to);
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.flags = 0;
    if (!SetWindowPlacement(wnd, &placement)) {
        // Where the system does not let this program set another
        // program's restore rectangle (Wine), the window is restored,
        // moved as a normal window and maximized again there.
        ShowWindow(wnd, SW_RESTORE);
        if (GetWindowRect(wnd, &r) && !IsZoomed(wnd))
            PlaceOnMonitor(wnd, r, from.work, to.work, resizable);
        ShowWindow(wnd, SW_MAXIMIZE);
        return;
    }
    // Onto the new monitor first, where a program that follows the
    // monitors' scaling takes the new one; then over its work area, the
    // frame over the edges at the new scale.
    const UINT fromDpi = dpi::ForWindow(wnd);
    PlaceAt(wnd, MaximizedOnMonitor(r, from.work, to.work), SWP_NOSIZE);
    PlaceAt(wnd, MaximizedOnMonitor(r, from.work, to.work, fromDpi, dpi::ForWindow(wnd)));
}
} // namespace

void CarryOut(const WindowCommand& c) {
    switch (c.action) {
    case WindowCommand::Action::ToggleMaximize:
        ShowWindow(c.window, IsZoomed(c.window) ? SW_RESTORE : SW_MAXIMIZE);
        break;
    case WindowCommand::Action::SystemCommand:
        // Minimize-all looks at each window again just before its turn, as
        // an owned window hides with its owner.
        if (c.onlyWhileShown && !MinimizeAllTakes(c.window))
            break;
        SendMessageA(c.window, WM_SYSCOMMAND, c.sysCommand, 0);
        break;
    case WindowCommand::Action::Move:
    case WindowCommand::Action::SizeBottomRight:
    case WindowCommand::Action::SizeTopLeft:
        ApplyGeometry(c);
        break;
    case WindowCommand::Action::ToggleTopmost: {
        const bool topmost = (GetWindowLongA(c.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        SetWindowPos(c.window, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
    }
    case WindowCommand::Action::Center:
        CenterOnWorkArea(c.window);
        break;
    case WindowCommand::Action::ToNeighbourMonitor:
        MoveToNeighbourMonitor(c.window, c.step);
        break;
    }
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

// The window commands: what each hotkey does to the foreground window or to
// the desktop as a whole, chosen at the press and carried out as a
// WindowCommand, and the capability probe they share.
#pragma once

#include "winops/window_identity.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

// What a window offers in its caption, read from its styles at the call.
struct WindowCaps {
    bool HasMinimizeBox, HasMaximizeBox, HasSysMenu, IsToolWindow;
};

// The direction in which the window or its moving edge travels.
enum Direction : int { Up = 0, Down = 1, Left = 2, Right = 3 };

// Reads GWL_STYLE, then GWL_EXSTYLE. An invalid handle gives four false flags.
WindowCaps GetWindowCaps(HWND wnd);

// The shell's desktop, which the move command leaves where it is: the
// window of class "Progman", or a "WorkerW" window that holds the desktop
// icons' view (a child of class "SHELLDLL_DefView"), where the shell puts
// the icons after Win+D or for a wallpaper slideshow. "Progman" and
// "WorkerW" compare exactly and case-sensitively.
bool IsShellDesktop(HWND wnd);

// DwmGetWindowAttribute, as dwmapi.dll exports it.
using WindowAttributeQuery = HRESULT(WINAPI*)(HWND wnd, DWORD attribute, void* value, DWORD size);
// Whether query reports the window cloaked (DWMWA_CLOAKED not 0): shown on
// another virtual desktop, or a suspended store app, so the user cannot see
// it. False without a query or when it fails.
bool IsCloakedBy(WindowAttributeQuery query, HWND wnd);
// The same through dwmapi.dll, loaded at the first call; false on systems
// without it or without cloaking. The desktop-wide commands pass over
// cloaked windows.
bool IsCloaked(HWND wnd);

// The cursor corner on a monitor: CornerPoint with the monitor's width and
// height from its top-left corner, then kept on the monitor (last column
// right - 1, last row bottom - 1), so that a neighbouring monitor never
// gets the cursor. Nothing for a pos outside 0..3.
std::optional<POINT> CornerPointOnMonitor(int pos, int offset, const RECT& monitor);

// One command for one window, chosen at the key press: the foreground
// window, or each window a desktop-wide command acts on. What the command
// does to the window is read from the window when the command runs, so
// that commands queued for one window build on each other: each move
// starts where the one before left the window, and maximize-or-restore
// looks at the window as it is by then.
struct WindowCommand {
    enum class Action : unsigned char {
        ToggleMaximize,  // ShowWindow: SW_RESTORE when maximized, SW_MAXIMIZE otherwise
        SystemCommand,   // WM_SYSCOMMAND sysCommand, sent
        Move,            // SetWindowPos by MoveGeometry, unless maximized
        SizeBottomRight, // SetWindowPos by SizeBottomRightGeometry, unless maximized
        SizeTopLeft,     // SetWindowPos by SizeTopLeftGeometry, unless maximized
        ToggleTopmost,   // SetWindowPos: HWND_NOTOPMOST when topmost, HWND_TOPMOST otherwise
        Center, // SetWindowPos by CenterGeometry on its monitor, unless maximized or minimized
        // To the next (step 1) or previous (step -1) monitor by
        // MonitorMoveGeometry, or MaximizedOnMonitor when maximized;
        // nothing when minimized
        ToNeighbourMonitor,
    };
    Action action;
    HWND window;
    WPARAM sysCommand = 0;    // SystemCommand: SC_MINIMIZE, SC_CLOSE, SC_RESTORE, SC_SCREENSAVE
    Direction direction = Up; // Move and the resize actions
    int step =
        0; // Move and the resize actions: pixels, from the settings; ToNeighbourMonitor: 1 or -1
    // SystemCommand: only to a window that is still visible and enabled and
    // not minimized when the command runs (minimize-all).
    bool onlyWhileShown = false;
    // The thread that owns the window, when known at the press (0: read
    // when the command is queued).
    DWORD thread = 0;
};

// The commands a hotkey gives for its target, the foreground window at the
// press, read on the program's own thread. They read the window's styles,
// which never wait for the window's program. Nothing when there is no
// target or when it lacks what the command needs (a caption button; the
// desktop is never moved). A window that is maximized when its move or
// resize runs is left as it is.
std::optional<WindowCommand> ToggleMaximizeCommand(const Target& target);
std::optional<WindowCommand> MinimizeCommand(const Target& target);
std::optional<WindowCommand> CloseCommand(const Target& target);
std::optional<WindowCommand> MoveCommand(const Target& target, Direction d); // by Settings.MoveP
std::optional<WindowCommand> SizeBottomRightCommand(const Target& target,
                                                    Direction d); // by Settings.SizeP
std::optional<WindowCommand> SizeTopLeftCommand(const Target& target,
                                                Direction d); // by Settings.SizeP
// Topmost or not, neither moved, sized nor activated; the shell's desktop
// and the program's own windows are left alone.
std::optional<WindowCommand> TopmostCommand(const Target& target);
// To the middle of the work area of its monitor, size unchanged; the
// shell's desktop stays where it is.
std::optional<WindowCommand> CenterCommand(const Target& target);
// To the next monitor (step 1) or the previous one (step -1) in
// MonitorOrder; nothing with one monitor, and the shell's desktop stays
// where it is.
std::optional<WindowCommand> NeighbourMonitorCommand(const Target& target, int step);
// Restore-all: SC_RESTORE to the minimized windows, the one the system
// reports last first. Minimize-all: SC_MINIMIZE in the order the system
// reports the windows. Each list is meant to be carried out in turn.
std::vector<WindowCommand> RestoreAllCommands();
std::vector<WindowCommand> MinimizeAllCommands();
// SC_SCREENSAVE to the desktop window.
WindowCommand ScreenSaverCommand();

// Carries a command out with the plain calls: ShowWindow, SetWindowPos or
// SendMessageA. Each returns only once the window's thread has handled it,
// however long that takes; a window of another thread should therefore get
// its commands from a thread that may wait (see CommandRunner).
void CarryOut(const WindowCommand& command);

void MoveCursorToCorner(); // Settings.MouseMovePos, Settings.MouseOffset

// The arguments of one SetWindowPos call (insert-after is always HWND_TOP).
struct WindowPosRequest {
    int X, Y, Width, Height;
    UINT Flags;
    bool operator==(const WindowPosRequest&) const = default;
};

// The geometry of the move and resize commands for a window rectangle as
// GetWindowRect gives it. Nothing is clamped to the screen, but a step
// beyond the int range saturates instead of wrapping around: every edge of
// the result stays within int, a moved window keeps its size, a growing
// window never shrinks (the system then keeps it within its largest
// size), and the edge opposite the one that moves stays where it is. An
// invalid direction gives nothing.
std::optional<WindowPosRequest> MoveGeometry(const RECT& r, Direction d, int step);
std::optional<WindowPosRequest> SizeBottomRightGeometry(const RECT& r, Direction d, int step);
std::optional<WindowPosRequest> SizeTopLeftGeometry(const RECT& r, Direction d, int step);

// The position that centres a window rectangle on a work area, size and
// z-order unchanged: on each axis the spare pixels split evenly, an odd one
// going right or down; a window longer than the work area on an axis starts
// at the work area's start there.
WindowPosRequest CenterGeometry(const RECT& window, const RECT& work);

// A monitor's rectangle and its work area (the monitor less the taskbar
// and other desktop toolbars), in virtual-screen coordinates: a monitor left
// of or above the primary one has negative ones.
struct MonitorArea {
    RECT monitor, work;
};

// The order in which the next and previous monitor commands go through the
// monitors: left to right, and monitors that start at the same left edge
// top to bottom.
void SortMonitors(std::span<MonitorArea> monitors);

// The index of the monitor after (step 1) or before (step -1) the one at
// index among count, from the last back to the first and the other way;
// nothing when there are fewer than two.
std::optional<std::size_t> NeighbourMonitor(std::size_t count, std::size_t index, int step);

// A window rectangle moved from one work area to another. It keeps its
// size and its place in the work area: on each axis the share of the
// spare room (work area less window) to its left or above it stays the
// same, so that a window at an edge stays at that edge, a centred one
// centred, and moving it back gives the same place within a pixel. A
// window partly outside its work area counts as at the nearer edge. On an
// axis where the window is longer than the new work area, a resizable
// window (one with a maximize box) is shrunk to the work area's length and
// starts at its start; a window that cannot be resized keeps its size and
// goes to the work area's top-left corner.
RECT MonitorMoveGeometry(const RECT& window, const RECT& from, const RECT& to, bool resizable);

// A maximized window's rectangle moved to another work area: it covers the
// new one as it covers the old, with its frame over each edge by as much,
// scaled from the old monitor's DPI to the new one's.
RECT MaximizedOnMonitor(const RECT& window, const RECT& from, const RECT& to, UINT fromDpi = 96,
                        UINT toDpi = 96);

// The restore rectangle of GetWindowPlacement is in workspace coordinates:
// relative to the work area's top-left corner where the monitor's own
// top-left would be, that is, shifted by the desktop toolbars at the left
// and top edges of the monitor it lies on. These convert between the two
// for that monitor.
RECT WorkspaceToScreen(const RECT& r, const MonitorArea& m);
RECT ScreenToWorkspace(const RECT& r, const MonitorArea& m);

// The cursor position for a corner (0 top left, 1 top right, 2 bottom left,
// 3 bottom right) at offset pixels in from it; nothing for any other pos.
std::optional<POINT> CornerPoint(int pos, int offset, int screenW, int screenH);

// The window commands: what each hotkey does to the foreground window or to
// the desktop as a whole, and the capability probe they share.
#pragma once

#include <windows.h>

#include <optional>

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

// Foreground-window commands. Each takes the foreground window afresh and
// does nothing when there is none or when it lacks what the command needs.
void ToggleMaximize();
void MinimizeForeground();
void CloseForeground();
void MoveForeground(Direction d);  // by Settings.MoveP
void SizeBottomRight(Direction d); // bottom or right edge by Settings.SizeP
void SizeTopLeft(Direction d);     // top or left edge by Settings.SizeP

// Desktop-wide commands.
void RestoreAllWindows();
void MinimizeAllWindows();
void StartScreenSaver();
void MoveCursorToCorner(); // Settings.MouseMovePos, Settings.MouseOffset

// The arguments of one SetWindowPos call (insert-after is always HWND_TOP).
struct WindowPosRequest {
    int X, Y, Width, Height;
    UINT Flags;
    bool operator==(const WindowPosRequest&) const = default;
};

// The geometry of the move and resize commands for a window rectangle as
// GetWindowRect gives it. Nothing is clamped; results wrap around like
// 32-bit integers. An invalid direction gives nothing.
std::optional<WindowPosRequest> MoveGeometry(const RECT& r, Direction d, int step);
std::optional<WindowPosRequest> SizeBottomRightGeometry(const RECT& r, Direction d, int step);
std::optional<WindowPosRequest> SizeTopLeftGeometry(const RECT& r, Direction d, int step);

// The cursor position for a corner (0 top left, 1 top right, 2 bottom left,
// 3 bottom right) at offset pixels in from it; nothing for any other pos.
std::optional<POINT> CornerPoint(int pos, int offset, int screenW, int screenH);

// How long a command waits for a window to handle a system command before
// it goes on without it. A window that is known not to answer is not waited
// for at all.
constexpr UINT SysCommandTimeoutMs = 5000;

// Sends WM_SYSCOMMAND cmd (lParam 0) and waits for the window to handle it,
// at most SysCommandTimeoutMs; returns false when it did not answer.
bool SendSysCommand(HWND wnd, WPARAM cmd);

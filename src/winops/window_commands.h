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
// GetWindowRect gives it. Nothing is clamped to the screen, but a step
// beyond the int range saturates instead of wrapping around: every edge of
// the result stays within int, a moved window keeps its size, a growing
// window never shrinks (the system then keeps it within its largest
// size), and the edge opposite the one that moves stays where it is. An
// invalid direction gives nothing.
std::optional<WindowPosRequest> MoveGeometry(const RECT& r, Direction d, int step);
std::optional<WindowPosRequest> SizeBottomRightGeometry(const RECT& r, Direction d, int step);
std::optional<WindowPosRequest> SizeTopLeftGeometry(const RECT& r, Direction d, int step);

// The cursor position for a corner (0 top left, 1 top right, 2 bottom left,
// 3 bottom right) at offset pixels in from it; nothing for any other pos.
std::optional<POINT> CornerPoint(int pos, int offset, int screenW, int screenH);

// How the commands reach other programs' windows. ShowWindow, SetWindowPos
// and a sent WM_SYSCOMMAND wait for the thread that owns the window, and a
// program may stop reading its messages at any moment (busy loading, at a
// breakpoint, in a stuck loop). The system calls such a window hung only
// after some five seconds, so each window is first asked a WM_NULL with a
// short wait: one that answers gets the command synchronously, as always;
// one that does not gets it queued (SendNotifyMessage, ShowWindowAsync,
// SWP_ASYNCWINDOWPOS) and handles it once it reads its messages again,
// exactly once. (Sending it with a time-out instead would lose it: a
// SendMessageTimeout that times out before the thread took the message
// cancels the message.)
//
// A window of the program's own thread answers at once, inside the call.
// AnswerWaitMs: how long one window may take to answer. A live program
// answers within a few milliseconds even while it is busy painting; 200 ms
// is well past that and still short beside a key press. A thread that has
// not answered for one window is not asked again for its others within the
// same command.
// CommandBudgetMs: how long one command may wait for all its windows
// together, so that restore-all and minimize-all with many windows that
// have just stopped answering still give the keyboard back within a
// second. It also bounds how long a window that answered may take over the
// system command itself: a slow window that needs a few hundred
// milliseconds to minimize is waited for and so handled in its turn.
// Once the budget is spent, the windows are not waited for any more; each
// gets its command queued.
// TakeWaitMs: the least a window that has just answered is given to take
// the system command, even with the budget spent, so that the send is not
// cancelled before its thread got to it.
constexpr DWORD AnswerWaitMs = 200;
constexpr DWORD CommandBudgetMs = 800;
constexpr DWORD TakeWaitMs = 50;

// The waiting one command may still do, on a millisecond clock that the
// caller reads (GetTickCount64 in the program).
class WaitBudget {
  public:
    explicit WaitBudget(ULONGLONG startMs, DWORD totalMs = CommandBudgetMs)
        : start_(startMs), total_(totalMs) {}
    // What is left of the budget at nowMs.
    DWORD Left(ULONGLONG nowMs) const;
    // How long to wait for a window to answer: AnswerWaitMs at most, never
    // past the end of the budget. 0: do not ask it; queue the command.
    DWORD AnswerWait(ULONGLONG nowMs) const;
    // How long to wait for a window that answered to handle a system
    // command: the rest of the budget, but at least TakeWaitMs.
    DWORD CommandWait(ULONGLONG nowMs) const;

  private:
    ULONGLONG start_;
    DWORD total_;
};

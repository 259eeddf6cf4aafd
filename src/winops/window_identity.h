// What does not change while a window lives: the thread and the process
// that own it, and its class. The hotkeys need them at every press (whose
// queue a command joins, whether the window is the shell's desktop or one
// of the program's own), yet each is a call into the window system, and
// under Wine a round trip to its server; so they are read once per window
// and kept for the windows the hotkeys act on.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

enum class WindowClassKind : unsigned char {
    Ordinary,
    ShellDesktop,     // the shell's desktop window
    ShellDesktopHost, // the shell's window that may hold the desktop's view
};

struct WindowIdentity {
    DWORD thread = 0; // 0: there is no such window
    DWORD process = 0;
    WindowClassKind kind = WindowClassKind::Ordinary;
};

// From the window system, now.
WindowIdentity ReadWindowIdentity(HWND window);

// The window a hotkey acts on, with its identity; no window: none.
struct Target {
    HWND window = nullptr;
    WindowIdentity identity;
};

// The foreground window and its identity, read now.
Target ForegroundTarget();

// Whether the target is the shell's desktop, which is never moved: its
// desktop window, or the host window while the desktop's view is in it
// (the view moves between the two, so that is looked at each time).
bool IsShellDesktop(const Target& target);

// The identities of the last windows the hotkeys acted on, for the
// program's thread only. A window handle names one window while that
// window lives, but the system gives a handle's value to another window
// once enough windows have come and gone: so a kept identity is confirmed
// at each use by the window's owners (one cheap call, where the class
// would take two), and a window that has gone, or whose handle now names
// a window of another thread or process, is read afresh.
class WindowIdentities {
  public:
    using Reader = WindowIdentity (*)(HWND);
    // The owners' call, as GetWindowThreadProcessId: the thread, and the
    // process through the pointer; 0 when there is no such window.
    using OwnersReader = DWORD(WINAPI*)(HWND, LPDWORD);
    explicit WindowIdentities(Reader read = &ReadWindowIdentity,
                              OwnersReader owners = &GetWindowThreadProcessId)
        : read_(read), owners_(owners) {}

    WindowIdentity Of(HWND window);
    // GetForegroundWindow, and its identity from here.
    Target Foreground();

  private:
    struct Entry {
        HWND window = nullptr;
        WindowIdentity identity;
    };
    static constexpr std::size_t kKept = 8;
    std::array<Entry, kKept> entries_{};
    std::size_t next_ = 0; // the entry replaced next
    Reader read_;
    OwnersReader owners_;
};

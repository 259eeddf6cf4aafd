#include "winops/window_identity.h"

#include "base/names.h"

#include <cstring>

WindowIdentity ReadWindowIdentity(HWND window) {
    WindowIdentity id;
    if (!window)
        return id;
    id.thread = GetWindowThreadProcessId(window, &id.process);
    if (!id.thread)
        return WindowIdentity{};
    char name[256] = {};
    GetClassNameA(window, name, 255);
    if (std::strcmp(name, names::kShellDesktopClass) == 0)
        id.kind = WindowClassKind::ShellDesktop;
    else if (std::strcmp(name, names::kShellDesktopHostClass) == 0)
        id.kind = WindowClassKind::ShellDesktopHost;
    return id;
}

Target ForegroundTarget() {
    HWND window = GetForegroundWindow();
    return {window, ReadWindowIdentity(window)};
}

bool IsShellDesktop(const Target& target) {
    switch (target.identity.kind) {
    case WindowClassKind::ShellDesktop:
        return true;
    case WindowClassKind::ShellDesktopHost:
        return FindWindowExA(target.window, nullptr, names::kShellViewClass, nullptr) != nullptr;
    case WindowClassKind::Ordinary:
        break;
    }
    return false;
}

WindowIdentity WindowIdentities::Of(HWND window) {
    if (!window)
        return {};
    DWORD process = 0;
    const DWORD thread = owners_(window, &process);
    for (Entry& e : entries_) {
        if (e.window != window)
            continue;
        if (thread && e.identity.thread == thread && e.identity.process == process)
            return e.identity;
        // Gone, or the handle names another window now.
        e = Entry{};
        break;
    }
    // A window that has gone is neither read nor kept: its handle names
    // nothing.
    if (!thread)
        return {};
    const WindowIdentity id = read_(window);
    if (id.thread) {
        entries_[next_] = {window, id};
        next_ = (next_ + 1) % kKept;
    }
    return id;
}

Target WindowIdentities::Foreground() {
    HWND window = GetForegroundWindow();
    return {window, Of(window)};
}

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
    for (const Entry& e : entries_)
        if (e.window == window)
            return e.identity;
    const WindowIdentity id = read_(window);
    // A window that has gone is not kept: its handle names nothing.
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

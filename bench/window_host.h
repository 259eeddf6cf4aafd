// Answering windows of another process for the desktop-wide commands: the
// benchmark starts itself again as their host, and learns through named
// events when the last of them has been minimized or restored.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

// The host's side: "--host-windows N --host-name NAME" on the benchmark's
// command line. Makes N visible top-level windows with caption buttons on
// one thread that reads its messages at once, sets NAME-ready, and then
// NAME-minimized each time the last of them has become minimized and
// NAME-restored each time the last has become restored, until NAME-quit is
// set. Returns the exit code.
int RunWindowHost(int count, const std::wstring& name);

// The benchmark's side: starts the host with count windows and waits until
// they are shown.
class WindowHost {
  public:
    WindowHost(const std::wstring& benchExe, int count);
    ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    // Waits until every window is minimized (or restored): the event the
    // host sets once the last of them has changed. False on timeout.
    bool WaitAllMinimized(DWORD timeoutMs) const;
    bool WaitAllRestored(DWORD timeoutMs) const;

  private:
    std::wstring name_;
    HANDLE ready_ = nullptr, minimized_ = nullptr, restored_ = nullptr, quit_ = nullptr;
    PROCESS_INFORMATION pi_{};
};

} // namespace bench

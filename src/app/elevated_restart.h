// Restarting the program as administrator, and the handover from the copy
// that asked for it to the copy it started: the new copy is told the old
// one's process on its command line and waits for that process to end
// before it takes the single-instance mutex, so two copies never hold the
// hotkeys at the same time.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// The private switch of a copy started to take over, naming the process of
// the copy it takes over from ("/takeover:1234"). The program reads
// nothing else from its command line.
std::wstring TakeoverArguments(DWORD processId);
// The process named by the switch in a command line as GetCommandLineW
// gives it (the program's path first); nothing without the switch or with
// anything but a process id after it.
std::optional<DWORD> TakeoverProcessId(const wchar_t* commandLine);

// How long a copy that takes over waits for the old one to end: the old
// copy only writes its settings and frees its windows, so this is ample.
constexpr DWORD TakeoverWaitMs = 10000;
// Waits until the process has ended, at most timeoutMs; returns at once
// when it has ended already (it cannot be opened then).
void WaitForProcessEnd(DWORD processId, DWORD timeoutMs);

enum class LaunchResult { Started, Declined, Failed };

class ElevatedRestart {
  public:
    // Starts exe with the arguments as administrator: ShellExecuteExW with
    // the verb "runas" (the system asks the user; owner is the window the
    // question belongs to). Declined when the user said no. Tests replace
    // it.
    static std::function<LaunchResult(const std::wstring& exe, const std::wstring& arguments,
                                      HWND owner)>
        Launch;

    // Starts this program again as administrator, told to take over from
    // this process. When it has started, OnStarted runs: the caller then
    // writes its settings and ends. Declined or failed, nothing changes (a
    // failure other than the user's no is reported).
    LaunchResult Request(HWND owner);

    std::function<void()> OnStarted;
};

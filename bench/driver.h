// Driving programs from outside for the benchmark: a clock, waits that pump
// messages, key presses through SendInput, hotkey probes, processes started
// from a folder of their own, their windows, and a target window whose
// moves are timed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/testutil.h"

namespace bench {

// Shared with the tests.
using testutil::ClassName;
using testutil::ProcessWindows;
using testutil::PumpMessages;
using testutil::TempDir;
using testutil::WindowsPath;
using testutil::WindowText;

// Milliseconds on the performance counter.
double NowMs();

// testutil::WaitUntil with a timeout in milliseconds.
bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs);

// A key combination: MOD_ALT/MOD_CONTROL/MOD_SHIFT and a virtual key.
struct Hotkey {
    UINT mods;
    UINT vk;
};
std::wstring HotkeyName(const Hotkey& key);

// The hotkeys a freshly started Quorel registers, in registration order.
const std::vector<Hotkey>& QuorelDefaultHotkeys();

// Presses a combination through SendInput: modifiers down, key down and
// up, modifiers up, in one call.
void Press(const Hotkey& key);

// True when another program holds the combination: a probe registration is
// refused. A probe that succeeds is withdrawn at once.
bool HotkeyHeld(const Hotkey& key);

// The first text of a static control in a dialog (a message box's text).
std::wstring DialogText(HWND dialog);
// The visible top-level windows of a process of a class (nullptr: any), one
// line each: class, caption and the first static text.
std::wstring DescribeWindows(DWORD pid, const wchar_t* className);

// One run of a program. Close() ends it properly: WM_CLOSE to its window of
// closeClass, then a bounded wait for the process to end.
class Process {
  public:
    Process(std::wstring exe, std::wstring args, std::wstring closeClass);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    void Start();
    bool Running() const;
    bool Close(DWORD timeoutMs = 10000);
    DWORD Pid() const { return pi_.dwProcessId; }
    HANDLE Handle() const { return pi_.hProcess; }
    DWORD ExitCode() const;
    // The first window of the process of this class, hidden or not.
    HWND Window(const wchar_t* className) const;
    // Waits until the program has handled everything sent before (a
    // WM_NULL sent to hwnd comes back).
    bool Settle(HWND hwnd, DWORD timeoutMs = 5000) const;
    // Answers every visible dialog of the process with IDOK.
    void AnswerDialogs() const;

  private:
    std::wstring exe_, args_, closeClass_;
    PROCESS_INFORMATION pi_{};
};

// A visible, resizable top-level window of this process that the hotkeys
// act on. It notes the moment its rectangle changes.
class TargetWindow {
  public:
    TargetWindow();
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    // Makes the window the foreground window (restoring it when minimized).
    bool MakeForeground();
    // Restores it to its first place and size.
    void MoveHome();
    // Starts watching for a change of rectangle.
    void Arm();
    bool Changed() const { return changed_; }
    double ChangedAtMs() const { return changedAt_; }

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    RECT armed_{};
    bool changed_ = false;
    double changedAt_ = 0;
};

} // namespace bench

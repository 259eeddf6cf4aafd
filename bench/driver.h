// Driving programs from outside for the benchmark: a clock, waits that pump
// messages, key presses through SendInput, hotkey probes, processes started
// from a folder of their own, their windows, and a target window whose
// moves are timed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bench {

// Milliseconds on the performance counter.
double NowMs();

// Dispatches every message waiting in this thread's queue (sent messages
// included).
void PumpMessages();

// Pumps messages and polls pred until it holds or timeoutMs passes; wakes
// on every message for this thread. Returns whether pred held.
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

// Top-level windows of a process (hidden ones too unless visibleOnly).
std::vector<HWND> ProcessWindows(DWORD pid, const wchar_t* className, bool visibleOnly);
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
// The first text of a static control in a dialog (a message box's text).
std::wstring DialogText(HWND dialog);
// The visible top-level windows of a process of a class (nullptr: any), one
// line each: class, caption and the first static text.
std::wstring DescribeWindows(DWORD pid, const wchar_t* className);

// Windows as a path under Wine (a Unix path /x/y becomes Z:\x\y).
std::wstring WindowsPath(const std::wstring& path);

// A folder under the temp path, removed with its contents at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

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

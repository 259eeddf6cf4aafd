// Helpers shared by the test programs and the benchmark: waiting on
// conditions while pumping messages, temporary folders, pressing keys with
// SendInput, finding a process's windows, and starting the real Quorel.exe
// in a folder of its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testutil {

// The INI file that a first run writes, byte for byte, as the profile
// functions lay it out.
extern const char kDefaultIniText[];

// Dispatches every message waiting in this thread's queue. With a dialog,
// that dialog gets its keyboard navigation first, as the program's message
// loop gives it to the modeless options dialog.
void PumpMessages(HWND dialog = nullptr);

// How long a test waits for something that should happen: long enough for
// a machine busy with other work, and it costs nothing when it happens.
inline constexpr std::chrono::milliseconds kGenerousWait{20000};
inline constexpr DWORD kGenerousWaitMs = static_cast<DWORD>(kGenerousWait.count());

// Pumps messages (as above) and polls pred until it holds or timeout
// passes. Returns whether it held. Use this instead of sleeping.
bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = kGenerousWait,
               HWND dialog = nullptr);

// Time bounds on what must not wait. Load stretches every operation, so a
// bound that a fault must break holds only against what load adds now:
// the slowest of a few runs of a reference operation (the same kind of
// call where nothing can wait), in milliseconds.
double SlowestRunMs(int runs, const std::function<void()>& reference);
// The bound for an operation that a quiet machine finishes within quietMs:
// quietMs and twice what load adds to its reference now.
inline double BoundUnderLoad(double quietMs, double referenceMs) {
    return quietMs + 2 * referenceMs;
}

// A fresh, empty folder under the temp path, removed with its contents when
// the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

// An INI text: the [Option] section header followed by lines.
std::string IniWith(const std::string& lines);

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Presses a combination through SendInput: modifiers down, key down, key
// up, modifiers up. mods are MOD_ALT/MOD_CONTROL/MOD_SHIFT.
void PressKey(UINT mods, UINT vk);
// One key down or up through SendInput (to hold a modifier across other
// input).
void SendKey(UINT vk, bool down);
// A left click at a screen point through SendInput.
void ClickAt(POINT screen);

// A path as Windows sees it under Wine: a Unix path /x/y becomes Z:\x\y;
// anything else is returned as it is.
std::wstring WindowsPath(const std::wstring& path);

// Path of the Quorel.exe built with these tests, as a Windows path.
std::wstring QuorelExePath();
// A file of the source tree (relative, with forward slashes), as a Windows
// path.
std::wstring SourcePath(const std::string& relative);

// The version record of an exe (its VERSIONINFO resource), read through the
// system's version functions.
struct FileVersionRecord {
    bool found = false;
    WORD fileVersion[4] = {};    // major, minor, patch, build
    WORD productVersion[4] = {}; // major, minor, patch, build
    DWORD fileType = 0;
    WORD language = 0; // of the first translation
    WORD codePage = 0; // of the first translation
    // Every translation: language and code page.
    std::vector<std::pair<WORD, WORD>> translations;
    std::vector<char> data;
    // A value of the string block of the first translation, or of the
    // language and code page given; empty when the block or the value is
    // missing.
    std::wstring String(const wchar_t* name) const;
    std::wstring String(const wchar_t* name, WORD language, WORD codePage) const;
};
FileVersionRecord ReadFileVersion(const std::wstring& exePath);

// The bytes of an exe's manifest resource (type RT_MANIFEST, name 1); empty
// when it has none.
std::string ReadManifest(const std::wstring& exePath);

// A running copy of Quorel.exe, copied (with an optional INI text) into a
// temp folder of its own, or one that lies in a folder the caller has
// prepared. The destructor closes it properly (WM_CLOSE to its application
// window) and waits for it to end.
class QuorelProcess {
  public:
    explicit QuorelProcess(const std::string* iniText = nullptr);
    // The exe at exePath, started where it lies; its folder is left as it
    // is.
    explicit QuorelProcess(std::wstring exePath);
    ~QuorelProcess();
    QuorelProcess(const QuorelProcess&) = delete;
    QuorelProcess& operator=(const QuorelProcess&) = delete;

    // Starts the copy and waits until its main form exists and it is idle.
    // Its current directory is its own folder unless another is given.
    bool Start(const std::wstring& currentDirectory = {});
    // Starts another process of the same exe (a second copy); returns its
    // exit code, or -1 when it did not end in time.
    int StartSecondCopy(DWORD timeoutMs = kGenerousWaitMs);
    // Ends it by WM_CLOSE to the application window; true when it ended.
    bool Close(DWORD timeoutMs = kGenerousWaitMs);
    bool Running() const;
    // Closes an open menu of the program: WM_CANCELMODE to its main form,
    // the menu's owner (keyboard input to a menu depends on which window
    // the window system gives the focus).
    void CancelMenu() const;
    void WaitIdle(DWORD timeoutMs = kGenerousWaitMs) const;

    DWORD ProcessId() const { return pi_.dwProcessId; }
    HANDLE ProcessHandle() const { return pi_.hProcess; }
    const std::wstring& ExePath() const { return exe_; }
    // The folder the exe lies in (the one it was copied into, or its own).
    const std::wstring& Folder() const { return folder_; }
    std::wstring IniPath() const;
    std::string IniText() const;
    // The program's windows: main form, application window.
    HWND MainForm() const;
    HWND AppWindow() const;
    // Top-level visible windows of the program's process (dialogs, message
    // boxes, menus) with the given class name (nullptr: any class).
    std::vector<HWND> VisibleWindows(const wchar_t* className = nullptr) const;

  private:
    TempDir dir_;
    std::wstring folder_;
    std::wstring exe_;
    PROCESS_INFORMATION pi_{};
};

// Makes a window, of this or another process, the foreground window; false
// when that does not happen in time.
bool MakeForeground(HWND hwnd);
// Stands in for another process's handle: returns a handle that becomes
// signalled, as a process's does when it ends, once *ends is set
// (SetEvent); the caller closes both.
HANDLE StandInProcess(HANDLE* ends);

// A visible top-level window of this process for the program to act on. It
// records the key-downs it receives.
class TargetWindow {
  public:
    explicit TargetWindow(DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0,
                          const wchar_t* className = L"QuorelTestTarget");
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    RECT Rect() const;
    // Makes it the foreground window; false when that does not happen in
    // time.
    bool MakeForeground() const;
    // Whether a key-down of vk has arrived since the last call.
    bool TakeKeyDown(UINT vk);

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l);
    HWND hwnd_ = nullptr;
    std::vector<UINT> keys_;
};

// The two monitors of the test display (scripts/winenv.sh with
// QUOREL_MONITORS=2): the primary one and the other, each with its work
// area. Nothing when the display has one monitor; the test then skips,
// unless the run asked for two (QUOREL_MONITORS=2 in its environment), when
// it fails.
struct MonitorPair {
    HMONITOR primaryHandle, secondHandle;
    RECT primary, primaryWork, second, secondWork;
};
bool TwoMonitorsPromised();
bool FindTwoMonitors(MonitorPair& pair);
// Whether r lies wholly on one monitor (inside its rectangle, or its work
// area with work set); that monitor in *on.
bool WhollyOnOneMonitor(const RECT& r, HMONITOR* on = nullptr, bool work = false);

// Waits until the window's rectangle is the expected one.
bool WaitForRect(const TargetWindow& w, const RECT& expected);

// A visible top-level window on a thread of its own, as another program's
// window is, that records what it handles. Its thread can stop reading
// messages, as a program does that is busy loading or stuck: it reads them
// again on Resume(), or by itself after kStopLimitMs, so that nothing waits
// for it forever; then it can be stopped again. With workMs, the window
// takes that long over each WM_SYSCOMMAND before it handles it, as a slow
// program does; with SetMoveWork, over each WM_WINDOWPOSCHANGING.
class ThreadWindow {
  public:
    explicit ThreadWindow(DWORD workMs = 0, DWORD style = WS_OVERLAPPEDWINDOW);
    ~ThreadWindow();
    ThreadWindow(const ThreadWindow&) = delete;
    ThreadWindow& operator=(const ThreadWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    RECT Rect() const;
    // Returns once the thread reads no more messages.
    bool Stop();
    // From now on the window takes ms over each WM_WINDOWPOSCHANGING before
    // it handles it (0: no time), while it answers any other message at
    // once.
    void SetMoveWork(DWORD ms) { moveWorkMs_ = ms; }
    // How many WM_WINDOWPOSCHANGING it has begun to handle.
    unsigned MovesBegun() const { return movesBegun_; }
    // From now on a WM_SYSCOMMAND SC_CLOSE opens a prompt (a message box
    // owned by the window, Yes/No/Cancel) inside the message, as a program
    // asks whether to save; Cancel keeps the window.
    void SetPromptOnClose(bool on) { promptOnClose_ = on; }
    // The prompt while it is open, else nullptr.
    HWND Prompt() const;
    void Resume();
    // Waits until the thread has handled everything sent to it before.
    bool Drain(DWORD timeoutMs = kGenerousWaitMs) const;
    // The system commands handled so far (low four bits masked), and the
    // WM_SIZE kinds (SIZE_MAXIMIZED, ...).
    std::vector<WPARAM> SysCommands() const;
    std::vector<WPARAM> Sizes() const;
    // Numbers on one counter shared by all these windows: when the window
    // began and when it finished handling its last WM_SYSCOMMAND.
    unsigned SysCommandBegan() const { return began_; }
    unsigned SysCommandEnded() const { return ended_; }

    static constexpr DWORD kStopLimitMs = 30000;

  private:
    static DWORD WINAPI Run(void* param);
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l);

    DWORD workMs_, style_;
    HWND hwnd_ = nullptr;
    HANDLE ready_, stop_, stopped_, resume_, quit_, thread_ = nullptr;
    mutable CRITICAL_SECTION lock_;
    std::vector<WPARAM> sysCommands_, sizes_;
    std::atomic<unsigned> began_{0}, ended_{0};
    std::atomic<DWORD> moveWorkMs_{0};
    std::atomic<unsigned> movesBegun_{0};
    std::atomic<bool> promptOnClose_{false};
};

// A message box or dialog seen by MessageBoxCloser.
struct SeenBox {
    std::wstring caption;
    std::wstring text; // the static text of a message box
    HWND owner;
};

// Watches, on a thread of its own, for visible dialog windows (class
// "#32770") of one process, records each one's caption and text, and
// answers it with the given command (IDOK by default) through WM_COMMAND;
// kDefaultAnswer answers with the box's default button, as Enter does.
// Use it around a step that shows message boxes on the thread under test.
class MessageBoxCloser {
  public:
    static constexpr WPARAM kDefaultAnswer = 0;
    explicit MessageBoxCloser(DWORD pid = GetCurrentProcessId(), WPARAM answer = IDOK);
    ~MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;
    std::vector<SeenBox> Seen() const;
    size_t Count() const;

  private:
    struct Impl;
    Impl* impl_;
};

// The text of the first static control in a dialog (the message of a
// message box).
std::wstring MessageBoxText(HWND dialog);

// Top-level windows of a process, visible or not.
std::vector<HWND> ProcessWindows(DWORD pid, const wchar_t* className = nullptr,
                                 bool visibleOnly = true);
std::wstring WindowText(HWND hwnd);
// How many threads a process has now.
size_t ProcessThreadCount(DWORD pid);
std::wstring ClassName(HWND hwnd);
// The whole text of a control, asked of the control itself (WM_GETTEXT),
// so it works for a control of another process too; any length.
std::wstring ControlText(HWND control);

} // namespace testutil

#include "support/testutil.h"

#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <atomic>
#include <mutex>
#include <thread>
#include <cwchar>
#include <memory>
#include <type_traits>

namespace testutil {

const char kDefaultIniText[] = "[Option]\r\n"
                               "MaxRestoreKey=Alt+F12\r\n"
                               "MinKey=Alt+F11\r\n"
                               "CloseKey=\r\n"
                               "AllRestoreKey=\r\n"
                               "AllMinKey=\r\n"
                               "ScreenSaver=\r\n"
                               "MoveUpKey=Shift+Alt+Up\r\n"
                               "MoveDownKey=Shift+Alt+Down\r\n"
                               "MoveLeftKey=Shift+Alt+Left\r\n"
                               "MoveRightKey=Shift+Alt+Right\r\n"
                               "MoveP=5\r\n"
                               "RB_SizeUpKey=Ctrl+Alt+Up\r\n"
                               "RB_SizeDownKey=Ctrl+Alt+Down\r\n"
                               "RB_SizeLeftKey=Ctrl+Alt+Left\r\n"
                               "RB_SizeRightKey=Ctrl+Alt+Right\r\n"
                               "TL_SizeUpKey=Shift+Ctrl+Alt+Up\r\n"
                               "TL_SizeDownKey=Shift+Ctrl+Alt+Down\r\n"
                               "TL_SizeLeftKey=Shift+Ctrl+Alt+Left\r\n"
                               "TL_SizeRightKey=Shift+Ctrl+Alt+Right\r\n"
                               "SizeP=5\r\n"
                               "MouseMoveKey=Ctrl+Alt+M\r\n"
                               "MouseMovePos=2\r\n"
                               "MouseOffset=0\r\n"
                               "StartMouseMove=0\r\n"
                               "PopupMenuKey=\r\n"
                               "NoTrayIcon=0\r\n";

void PumpMessages(HWND dialog) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout, HWND dialog) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        PumpMessages(dialog);
        if (pred())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // Wake at once on any message, sent ones included, or after a short
        // poll interval.
        MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

double SlowestRunMs(int runs, const std::function<void()>& reference) {
    double slowest = 0;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        reference();
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(
                                        std::chrono::steady_clock::now() - t0)
                                        .count());
    }
    return slowest;
}

namespace {

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(dir.c_str());
}

} // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        std::wstringstream ss;
        ss << base << L"quorel-test-" << GetCurrentProcessId() << L"-" << ++counter;
        path_ = ss.str();
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
    }
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

ThreadWindow::ThreadWindow(DWORD workMs, DWORD style) : workMs_(workMs), style_(style) {
    InitializeCriticalSection(&lock_);
    for (HANDLE* e : {&ready_, &stop_, &stopped_, &resume_, &quit_})
        *e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &ThreadWindow::Run, this, 0, nullptr);
    WaitForSingleObject(ready_, kGenerousWaitMs);
}

ThreadWindow::~ThreadWindow() {
    SetEvent(stop_);
    SetEvent(resume_);
    SetEvent(quit_);
    // The thread may send to this one while it closes its window.
    WaitUntil([&] { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; },
              std::chrono::milliseconds(20000));
    CloseHandle(thread_);
    for (HANDLE e : {ready_, stop_, stopped_, resume_, quit_})
        CloseHandle(e);
    DeleteCriticalSection(&lock_);
}

RECT ThreadWindow::Rect() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
}

bool ThreadWindow::Stop() {
    SetEvent(stop_);
    return WaitForSingleObject(stopped_, 10000) == WAIT_OBJECT_0;
}

void ThreadWindow::Resume() {
    if (WaitForSingleObject(stopped_, 0) != WAIT_OBJECT_0)
        return;
    SetEvent(resume_);
    // Until it reads messages again, so that a Stop that follows stops it
    // anew.
    for (int i = 0; i < 10000 && WaitForSingleObject(stopped_, 0) == WAIT_OBJECT_0; ++i)
        Sleep(1);
}

bool ThreadWindow::Drain(DWORD timeoutMs) const {
    // Sent and queued messages reach a thread in the order they came.
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

std::vector<WPARAM> ThreadWindow::SysCommands() const {
    EnterCriticalSection(&lock_);
    std::vector<WPARAM> v = sysCommands_;
    LeaveCriticalSection(&lock_);
    return v;
}

std::vector<WPARAM> ThreadWindow::Sizes() const {
    EnterCriticalSection(&lock_);
    std::vector<WPARAM> v = sizes_;
    LeaveCriticalSection(&lock_);
    return v;
}

DWORD WINAPI ThreadWindow::Run(void* param) {
    auto* self = static_cast<ThreadWindow*>(param);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ThreadWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuorelTestThreadWindow";
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassExW(&wc);
    self->hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"thread window", self->style_, 260, 180,
                                  360, 260, nullptr, nullptr, wc.hInstance, self);
    ShowWindow(self->hwnd_, SW_SHOWNOACTIVATE);
    PumpMessages();
    SetEvent(self->ready_);
    // Reading messages until the object goes, except while stopped; it
    // may be stopped again after each Resume.
    const HANDLE events[] = {self->quit_, self->stop_};
    for (;;) {
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(2, events, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0)
            break;
        if (woke == WAIT_OBJECT_0 + 1) {
            ResetEvent(self->stop_);
            SetEvent(self->stopped_);
            WaitForSingleObject(self->resume_, kStopLimitMs);
            ResetEvent(self->resume_);
            ResetEvent(self->stopped_);
            continue;
        }
        PumpMessages();
    }
    PumpMessages();
    if (IsWindow(self->hwnd_))
        DestroyWindow(self->hwnd_);
    PumpMessages();
    return 0;
}

LRESULT CALLBACK ThreadWindow::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    static std::atomic<unsigned> counter{0};
    if (m == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<ThreadWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(h, m, w, l);
    if (m == WM_SIZE) {
        EnterCriticalSection(&self->lock_);
        self->sizes_.push_back(w);
        LeaveCriticalSection(&self->lock_);
    }
    if (m == WM_WINDOWPOSCHANGING) {
        ++self->movesBegun_;
        if (DWORD work = self->moveWorkMs_)
            Sleep(work);
    }
    if (m == WM_SYSCOMMAND && (w & 0xFFF0) == SC_CLOSE && self->promptOnClose_) {
        EnterCriticalSection(&self->lock_);
        self->sysCommands_.push_back(SC_CLOSE);
        LeaveCriticalSection(&self->lock_);
        if (MessageBoxW(h, L"Save the changes?", L"thread window", MB_YESNOCANCEL) == IDCANCEL)
            return 0;
        return DefWindowProcW(h, m, w, l);
    }
    if (m == WM_SYSCOMMAND) {
        self->began_ = ++counter;
        EnterCriticalSection(&self->lock_);
        self->sysCommands_.push_back(w & 0xFFF0);
        LeaveCriticalSection(&self->lock_);
        // The slow program's own work.
        if (self->workMs_)
            Sleep(self->workMs_);
        LRESULT r = DefWindowProcW(h, m, w, l);
        self->ended_ = ++counter;
        return r;
    }
    if (m == WM_NCDESTROY)
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    return DefWindowProcW(h, m, w, l);
}

HWND ThreadWindow::Prompt() const {
    for (HWND box : ProcessWindows(GetCurrentProcessId(), L"#32770"))
        if (GetWindow(box, GW_OWNER) == hwnd_)
            return box;
    return nullptr;
}

size_t ProcessThreadCount(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    size_t n = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        n += entry.th32OwnerProcessID == pid;
    CloseHandle(snapshot);
    return n;
}

std::string IniWith(const std::string& lines) {
    return "[Option]\r\n" + lines;
}

TargetWindow::TargetWindow(DWORD style, DWORD exStyle, const wchar_t* className) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TargetWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(exStyle, className, L"target", style, 200, 150, 400, 300, nullptr,
                            nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hwnd_, SW_SHOWNORMAL);
}

TargetWindow::~TargetWindow() {
    if (IsWindow(hwnd_))
        DestroyWindow(hwnd_);
}

RECT TargetWindow::Rect() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
}

bool TwoMonitorsPromised() {
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(L"QUOREL_MONITORS", value, 8) && std::wcscmp(value, L"2") == 0;
}

bool FindTwoMonitors(MonitorPair& pair) {
    if (GetSystemMetrics(SM_CMONITORS) != 2)
        return false;
    std::vector<HMONITOR> all;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR m, HDC, RECT*, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HMONITOR>*>(lp)->push_back(m);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    for (HMONITOR m : all) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoW(m, &info))
            return false;
        const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        (primary ? pair.primaryHandle : pair.secondHandle) = m;
        (primary ? pair.primary : pair.second) = info.rcMonitor;
        (primary ? pair.primaryWork : pair.secondWork) = info.rcWork;
    }
    return all.size() == 2 && pair.primaryHandle && pair.secondHandle;
}

bool WhollyOnOneMonitor(const RECT& r, HMONITOR* on, bool work) {
    HMONITOR m = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(m, &info))
        return false;
    if (on)
        *on = m;
    const RECT& area = work ? info.rcWork : info.rcMonitor;
    return r.left >= area.left && r.top >= area.top && r.right <= area.right &&
           r.bottom <= area.bottom;
}

HANDLE StandInProcess(HANDLE* ends) {
    *ends = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE process = nullptr;
    DuplicateHandle(GetCurrentProcess(), *ends, GetCurrentProcess(), &process, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return process;
}

bool MakeForeground(HWND hwnd) {
    return WaitUntil([&] {
        if (GetForegroundWindow() != hwnd)
            SetForegroundWindow(hwnd);
        return GetForegroundWindow() == hwnd;
    });
}

bool TargetWindow::MakeForeground() const {
    return testutil::MakeForeground(hwnd_);
}

bool TargetWindow::TakeKeyDown(UINT vk) {
    bool seen = false;
    for (UINT k : keys_)
        seen = seen || k == vk;
    keys_.clear();
    return seen;
}

LRESULT CALLBACK TargetWindow::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (self && (m == WM_KEYDOWN || m == WM_SYSKEYDOWN))
        self->keys_.push_back(static_cast<UINT>(w));
    return DefWindowProcW(h, m, w, l);
}

bool WaitForRect(const TargetWindow& w, const RECT& expected) {
    return WaitUntil([&] {
        RECT r = w.Rect();
        return EqualRect(&r, &expected) != FALSE;
    });
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0)
        out.append(buf, n);
    CloseHandle(h);
    return out;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD n = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
}

void PressKey(UINT mods, UINT vk) {
    std::vector<INPUT> in;
    auto key = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(k, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        if (k == VK_UP || k == VK_DOWN || k == VK_LEFT || k == VK_RIGHT || k == VK_DELETE ||
            k == VK_INSERT || k == VK_HOME || k == VK_END || k == VK_PRIOR || k == VK_NEXT)
            i.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        in.push_back(i);
    };
    if (mods & MOD_SHIFT)
        key(VK_SHIFT, false);
    if (mods & MOD_CONTROL)
        key(VK_CONTROL, false);
    if (mods & MOD_ALT)
        key(VK_MENU, false);
    key(static_cast<WORD>(vk), false);
    key(static_cast<WORD>(vk), true);
    if (mods & MOD_ALT)
        key(VK_MENU, true);
    if (mods & MOD_CONTROL)
        key(VK_CONTROL, true);
    if (mods & MOD_SHIFT)
        key(VK_SHIFT, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void SendKey(UINT vk, bool down) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = static_cast<WORD>(vk);
    i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    i.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &i, sizeof i);
}

void ClickAt(POINT screen) {
    INPUT in[3] = {};
    for (INPUT& i : in)
        i.type = INPUT_MOUSE;
    in[0].mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in[0].mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
}

std::wstring WindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/')
        return path;
    std::wstring w = L"Z:" + path; // Wine maps / to Z:
    for (auto& c : w)
        if (c == L'/')
            c = L'\\';
    return w;
}

std::wstring QuorelExePath() {
    std::string p = QUOREL_EXE_PATH;
    return WindowsPath(std::wstring(p.begin(), p.end()));
}

std::wstring SourcePath(const std::string& relative) {
    const std::string p = std::string(QUOREL_SOURCE_DIR) + "/" + relative;
    return WindowsPath(std::wstring(p.begin(), p.end()));
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[1024] = {};
    GetWindowTextW(hwnd, buf, 1024);
    return buf;
}

FileVersionRecord ReadFileVersion(const std::wstring& exePath) {
    FileVersionRecord r;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(exePath.c_str(), &ignored);
    if (size == 0)
        return r;
    r.data.resize(size);
    if (!GetFileVersionInfoW(exePath.c_str(), 0, size, r.data.data()))
        return r;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(r.data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) ||
        len < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != VS_FFI_SIGNATURE)
        return r;
    r.fileVersion[0] = HIWORD(fixed->dwFileVersionMS);
    r.fileVersion[1] = LOWORD(fixed->dwFileVersionMS);
    r.fileVersion[2] = HIWORD(fixed->dwFileVersionLS);
    r.fileVersion[3] = LOWORD(fixed->dwFileVersionLS);
    r.productVersion[0] = HIWORD(fixed->dwProductVersionMS);
    r.productVersion[1] = LOWORD(fixed->dwProductVersionMS);
    r.productVersion[2] = HIWORD(fixed->dwProductVersionLS);
    r.productVersion[3] = LOWORD(fixed->dwProductVersionLS);
    r.fileType = fixed->dwFileType;
    WORD* translation = nullptr;
    if (VerQueryValueW(r.data.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &len) &&
        len >= 2 * sizeof(WORD)) {
        r.language = translation[0];
        r.codePage = translation[1];
        for (UINT i = 0; i + 1 < len / sizeof(WORD); i += 2)
            r.translations.emplace_back(translation[i], translation[i + 1]);
    }
    r.found = true;
    return r;
}

std::wstring FileVersionRecord::String(const wchar_t* name) const {
    return String(name, language, codePage);
}

std::wstring FileVersionRecord::String(const wchar_t* name, WORD language, WORD codePage) const {
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", language, codePage, name);
    wchar_t* value = nullptr;
    UINT len = 0;
    if (data.empty() ||
        !VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &len) ||
        value == nullptr)
        return {};
    return std::wstring(value, wcsnlen(value, len));
}

std::string ReadManifest(const std::wstring& exePath) {
    struct FreeModule {
        void operator()(HMODULE m) const { FreeLibrary(m); }
    };
    std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeModule> module(
        LoadLibraryExW(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return {};
    HRSRC res = FindResourceW(module.get(), CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    HGLOBAL loaded = res ? LoadResource(module.get(), res) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return std::string(static_cast<const char*>(bytes), SizeofResource(module.get(), res));
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buf[256] = {};
    GetClassNameW(hwnd, buf, 256);
    return buf;
}

std::wstring ControlText(HWND control) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kGenerousWaitMs,
                             &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_NORMAL, kGenerousWaitMs, &copied);
    text.resize(copied);
    return text;
}

namespace {

struct WindowSearch {
    DWORD pid;
    const wchar_t* cls;
    bool visibleOnly;
    std::vector<HWND> out;
};

BOOL CALLBACK CollectWindow(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<WindowSearch*>(lp);
    DWORD p = 0;
    GetWindowThreadProcessId(h, &p);
    if (p == c->pid && (!c->visibleOnly || IsWindowVisible(h)) &&
        (!c->cls || ClassName(h) == c->cls))
        c->out.push_back(h);
    return TRUE;
}

} // namespace

std::vector<HWND> ProcessWindows(DWORD pid, const wchar_t* className, bool visibleOnly) {
    WindowSearch ctx{pid, className, visibleOnly, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&ctx));
    return ctx.out;
}

QuorelProcess::QuorelProcess(const std::string* iniText) {
    folder_ = dir_.Path();
    exe_ = dir_.File(L"Quorel.exe");
    CopyFileW(QuorelExePath().c_str(), exe_.c_str(), FALSE);
    if (iniText)
        WriteFileBytes(IniPath(), *iniText);
}

QuorelProcess::QuorelProcess(std::wstring exePath) : exe_(std::move(exePath)) {
    folder_ = exe_.substr(0, exe_.find_last_of(L'\\'));
}

QuorelProcess::~QuorelProcess() {
    if (pi_.hProcess) {
        if (Running() && !Close()) {
            TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
}

std::wstring QuorelProcess::IniPath() const {
    return folder_ + L"\\Quorel.INI";
}
std::string QuorelProcess::IniText() const {
    return ReadFileBytes(IniPath());
}

bool QuorelProcess::Start(const std::wstring& currentDirectory) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe_ + L"\"";
    const std::wstring& cwd = currentDirectory.empty() ? folder_ : currentDirectory;
    if (!CreateProcessW(exe_.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(),
                        &si, &pi_))
        return false;
    WaitForInputIdle(pi_.hProcess, kGenerousWaitMs);
    if (!WaitUntil([&] { return MainForm() != nullptr || !Running(); }) || !Running())
        return false;
    // The form has made its components (the tray icon's window among
    // them) once its thread reads messages; on a busy machine that can be
    // well after the form's window exists.
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(MainForm(), WM_NULL, 0, 0, SMTO_NORMAL, kGenerousWaitMs, &answer) !=
           0;
}

int QuorelProcess::StartSecondCopy(DWORD timeoutMs) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe_ + L"\"";
    if (!CreateProcessW(exe_.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder_.c_str(), &si, &pi))
        return -1;
    int code = -1;
    bool ended = WaitUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; },
                           std::chrono::milliseconds(timeoutMs));
    if (ended) {
        DWORD c = 0;
        GetExitCodeProcess(pi.hProcess, &c);
        code = static_cast<int>(c);
    } else {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

bool QuorelProcess::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

void QuorelProcess::CancelMenu() const {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(MainForm(), WM_CANCELMODE, 0, 0, SMTO_NORMAL, kGenerousWaitMs, &result);
}

void QuorelProcess::WaitIdle(DWORD timeoutMs) const {
    if (pi_.hProcess)
        WaitForInputIdle(pi_.hProcess, timeoutMs);
}

HWND QuorelProcess::MainForm() const {
    auto w = ProcessWindows(pi_.dwProcessId, L"TQuorelMainForm", false);
    return w.empty() ? nullptr : w.front();
}

HWND QuorelProcess::AppWindow() const {
    auto w = ProcessWindows(pi_.dwProcessId, L"TApplication", false);
    return w.empty() ? nullptr : w.front();
}

std::vector<HWND> QuorelProcess::VisibleWindows(const wchar_t* className) const {
    return ProcessWindows(pi_.dwProcessId, className, true);
}

bool QuorelProcess::Close(DWORD timeoutMs) {
    HWND app = AppWindow();
    if (app)
        PostMessageW(app, WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !Running(); }, std::chrono::milliseconds(timeoutMs));
}

std::wstring MessageBoxText(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (ClassName(c) == L"Static" && !WindowText(c).empty())
            return WindowText(c);
    }
    return {};
}

struct MessageBoxCloser::Impl {
    DWORD pid;
    WPARAM answer;
    std::atomic<bool> stop{false};
    mutable std::mutex mu;
    std::vector<SeenBox> seen;
    std::thread worker;
};

MessageBoxCloser::MessageBoxCloser(DWORD pid, WPARAM answer) : impl_(new Impl) {
    impl_->pid = pid;
    impl_->answer = answer;
    impl_->worker = std::thread([this] {
        while (!impl_->stop) {
            for (HWND h : ProcessWindows(impl_->pid, L"#32770", true)) {
                SeenBox box{WindowText(h), MessageBoxText(h), GetWindow(h, GW_OWNER)};
                {
                    std::lock_guard<std::mutex> lock(impl_->mu);
                    impl_->seen.push_back(box);
                }
                // Posted, so a box that belongs to this very thread's
                // caller is answered from its own modal loop.
                WPARAM answer = impl_->answer;
                if (answer == kDefaultAnswer) {
                    DWORD_PTR def = 0;
                    if (SendMessageTimeoutW(h, DM_GETDEFID, 0, 0, SMTO_NORMAL, 5000, &def) &&
                        HIWORD(def) == DC_HASDEFID)
                        answer = LOWORD(def);
                }
                PostMessageW(h, WM_COMMAND, answer, 0);
                // Wait until this box is gone before looking again.
                for (int i = 0; i < 400 && IsWindow(h) && IsWindowVisible(h); ++i)
                    Sleep(5);
            }
            Sleep(5);
        }
    });
}

MessageBoxCloser::~MessageBoxCloser() {
    impl_->stop = true;
    impl_->worker.join();
    delete impl_;
}

std::vector<SeenBox> MessageBoxCloser::Seen() const {
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->seen;
}

size_t MessageBoxCloser::Count() const {
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->seen.size();
}

} // namespace testutil

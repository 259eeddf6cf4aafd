#include "driver.h"

#include <sstream>
#include <stdexcept>

namespace bench {

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perMs;
}

bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs) {
    return testutil::WaitUntil(pred, std::chrono::milliseconds(timeoutMs));
}

std::wstring HotkeyName(const Hotkey& key) {
    std::wstring s;
    if (key.mods & MOD_SHIFT)
        s += L"Shift+";
    if (key.mods & MOD_CONTROL)
        s += L"Ctrl+";
    if (key.mods & MOD_ALT)
        s += L"Alt+";
    switch (key.vk) {
    case VK_UP:
        return s + L"Up";
    case VK_DOWN:
        return s + L"Down";
    case VK_LEFT:
        return s + L"Left";
    case VK_RIGHT:
        return s + L"Right";
    case VK_END:
        return s + L"End";
    default:
        break;
    }
    if (key.vk >= VK_F1 && key.vk <= VK_F24)
        return s + L"F" + std::to_wstring(key.vk - VK_F1 + 1);
    return s + static_cast<wchar_t>(key.vk);
}

const std::vector<Hotkey>& QuorelDefaultHotkeys() {
    constexpr UINT SA = MOD_SHIFT | MOD_ALT, CA = MOD_CONTROL | MOD_ALT,
                   SCA = MOD_SHIFT | MOD_CONTROL | MOD_ALT;
    static const std::vector<Hotkey> keys = {
        {MOD_ALT, VK_F12}, {MOD_ALT, VK_F11}, {SA, VK_UP},    {SA, VK_DOWN},   {SA, VK_LEFT},
        {SA, VK_RIGHT},    {CA, VK_UP},       {CA, VK_DOWN},  {CA, VK_LEFT},   {CA, VK_RIGHT},
        {SCA, VK_UP},      {SCA, VK_DOWN},    {SCA, VK_LEFT}, {SCA, VK_RIGHT}, {CA, 'M'},
    };
    return keys;
}

void Press(const Hotkey& key) {
    testutil::PressKey(key.mods, key.vk);
}

bool HotkeyHeld(const Hotkey& key) {
    constexpr int kProbeId = 0xBFF0;
    if (!RegisterHotKey(nullptr, kProbeId, key.mods, key.vk))
        return true;
    UnregisterHotKey(nullptr, kProbeId);
    return false;
}

std::wstring DialogText(HWND dialog) {
    return testutil::MessageBoxText(dialog);
}

std::wstring DescribeWindows(DWORD pid, const wchar_t* className) {
    std::wstring out;
    for (HWND h : ProcessWindows(pid, className, true)) {
        out += L"  " + ClassName(h) + L" \"" + WindowText(h) + L"\"";
        std::wstring text = DialogText(h);
        out += text.empty() ? L"\n" : L": " + text + L"\n";
    }
    return out;
}

Process::Process(std::wstring exe, std::wstring args, std::wstring closeClass)
    : exe_(std::move(exe)), args_(std::move(args)), closeClass_(std::move(closeClass)) {}

Process::~Process() {
    if (!pi_.hProcess)
        return;
    if (Running() && !Close()) {
        // Last resort for a program that ignores WM_CLOSE.
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
}

void Process::Start() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe_ + L"\"";
    if (!args_.empty())
        cmd += L" " + args_;
    std::wstring dir = exe_.substr(0, exe_.find_last_of(L'\\'));
    if (!CreateProcessW(exe_.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                        &si, &pi_))
        throw std::runtime_error("CreateProcess failed");
}

bool Process::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Process::ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

HWND Process::Window(const wchar_t* className) const {
    auto w = ProcessWindows(pi_.dwProcessId, className, false);
    return w.empty() ? nullptr : w.front();
}

bool Process::Settle(HWND hwnd, DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

void Process::AnswerDialogs() const {
    for (HWND h : ProcessWindows(pi_.dwProcessId, L"#32770", true))
        PostMessageW(h, WM_COMMAND, IDOK, 0);
}

bool Process::Close(DWORD timeoutMs) {
    if (!Running())
        return true;
    if (HWND w = Window(closeClass_.c_str()))
        PostMessageW(w, WM_CLOSE, 0, 0);
    return WaitFor([&] { return !Running(); }, timeoutMs);
}

namespace {
constexpr wchar_t kTargetClass[] = L"QuorelBenchTarget";
constexpr int kHomeX = 200, kHomeY = 150, kWidth = 400, kHeight = 300;
} // namespace

TargetWindow::TargetWindow() {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kTargetClass;
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, kTargetClass, L"Quorel benchmark target", WS_OVERLAPPEDWINDOW,
                            kHomeX, kHomeY, kWidth, kHeight, nullptr, nullptr, inst, this);
    if (!hwnd_)
        throw std::runtime_error("cannot create the target window");
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

TargetWindow::~TargetWindow() {
    if (hwnd_)
        DestroyWindow(hwnd_);
    UnregisterClassW(kTargetClass, GetModuleHandleW(nullptr));
}

void TargetWindow::MoveHome() {
    if (IsIconic(hwnd_) || IsZoomed(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    SetWindowPos(hwnd_, nullptr, kHomeX, kHomeY, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
}

bool TargetWindow::MakeForeground() {
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    if (GetForegroundWindow() != hwnd_)
        SetForegroundWindow(hwnd_);
    return WaitFor([&] { return GetForegroundWindow() == hwnd_ && !IsIconic(hwnd_); }, 5000);
}

void TargetWindow::Arm() {
    GetWindowRect(hwnd_, &armed_);
    changed_ = false;
}

LRESULT CALLBACK TargetWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->hwnd_ == hwnd)
        return self->HandleMessage(msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT TargetWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_WINDOWPOSCHANGED: {
        RECT r;
        GetWindowRect(hwnd_, &r);
        if (!changed_ && !EqualRect(&r, &armed_)) {
            changedAt_ = NowMs();
            changed_ = true;
        }
        break;
    }
    // The hotkeys' modifiers reach this window too; Alt must not put it
    // into menu mode.
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        return 0;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_KEYMENU)
            return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

} // namespace bench

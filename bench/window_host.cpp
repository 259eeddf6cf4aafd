#include "window_host.h"

#include <stdexcept>
#include <vector>

namespace bench {

namespace {

constexpr wchar_t kHostClass[] = L"QuorelBenchHostWindow";

struct HostState {
    std::vector<HWND> windows;
    int minimized = 0;
    HANDLE minimizedEvent = nullptr, restoredEvent = nullptr;
};
HostState* g_host = nullptr;

LRESULT CALLBACK HostWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE && g_host) {
        // Each window counts once in each direction: a minimized window's
        // WM_SIZE says SIZE_MINIMIZED, a restored one's SIZE_RESTORED.
        auto* was = reinterpret_cast<LONG_PTR*>(GetPropW(hwnd, L"iconic"));
        const bool iconic = wp == SIZE_MINIMIZED;
        if (was && (*was != 0) != iconic) {
            *was = iconic ? 1 : 0;
            g_host->minimized += iconic ? 1 : -1;
            const int all = static_cast<int>(g_host->windows.size());
            if (iconic && g_host->minimized == all)
                SetEvent(g_host->minimizedEvent);
            if (!iconic && g_host->minimized == 0)
                SetEvent(g_host->restoredEvent);
        }
    }
    // The benchmark's hotkeys' modifiers must not put a window into menu
    // mode.
    if ((msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP || msg == WM_SYSCHAR) ||
        (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_KEYMENU))
        return 0;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HANDLE NamedEvent(const std::wstring& name, const wchar_t* which) {
    return CreateEventW(nullptr, FALSE, FALSE, (name + L"-" + which).c_str());
}

} // namespace

int RunWindowHost(int count, const std::wstring& name) {
    HostState state;
    state.minimizedEvent = NamedEvent(name, L"minimized");
    state.restoredEvent = NamedEvent(name, L"restored");
    HANDLE ready = NamedEvent(name, L"ready");
    HANDLE quit = NamedEvent(name, L"quit");
    if (!state.minimizedEvent || !state.restoredEvent || !ready || !quit)
        return 1;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostWndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kHostClass;
    RegisterClassW(&wc);
    std::vector<LONG_PTR> iconic(static_cast<size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        HWND w = CreateWindowExW(0, kHostClass, L"Quorel benchmark window", WS_OVERLAPPEDWINDOW,
                                 20 + (i % 40) * 16, 20 + (i / 40) * 16, 160, 100, nullptr, nullptr,
                                 inst, nullptr);
        if (!w)
            return 1;
        SetPropW(w, L"iconic", reinterpret_cast<HANDLE>(&iconic[static_cast<size_t>(i)]));
        ShowWindow(w, SW_SHOWNOACTIVATE);
        state.windows.push_back(w);
    }
    g_host = &state;
    SetEvent(ready);
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &quit, FALSE, INFINITE, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    g_host = nullptr;
    for (HWND w : state.windows) {
        RemovePropW(w, L"iconic");
        DestroyWindow(w);
    }
    return 0;
}

WindowHost::WindowHost(const std::wstring& benchExe, int count) {
    name_ = L"QuorelBenchHost-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(count);
    ready_ = NamedEvent(name_, L"ready");
    minimized_ = NamedEvent(name_, L"minimized");
    restored_ = NamedEvent(name_, L"restored");
    quit_ = NamedEvent(name_, L"quit");
    std::wstring cmd = L"\"" + benchExe + L"\" --host-windows " + std::to_wstring(count) +
                       L" --host-name " + name_;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(benchExe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi_))
        throw std::runtime_error("cannot start the window host");
    HANDLE both[] = {ready_, pi_.hProcess};
    if (WaitForMultipleObjects(2, both, FALSE, 120000) != WAIT_OBJECT_0)
        throw std::runtime_error("the window host did not show its windows");
}

WindowHost::~WindowHost() {
    SetEvent(quit_);
    if (pi_.hProcess) {
        if (WaitForSingleObject(pi_.hProcess, 30000) != WAIT_OBJECT_0)
            TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    for (HANDLE h : {ready_, minimized_, restored_, quit_})
        if (h)
            CloseHandle(h);
}

namespace {
// Waits for the event while this thread answers what is sent to it.
bool WaitPumping(HANDLE event, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            return false;
        DWORD r =
            MsgWaitForMultipleObjects(1, &event, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            return true;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
} // namespace

bool WindowHost::WaitAllMinimized(DWORD timeoutMs) const {
    return WaitPumping(minimized_, timeoutMs);
}

bool WindowHost::WaitAllRestored(DWORD timeoutMs) const {
    return WaitPumping(restored_, timeoutMs);
}

} // namespace bench

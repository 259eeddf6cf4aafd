// The benchmark's baseline: the least a hotkey window mover can do. It
// registers one hotkey (Shift+Alt+Right unless the command line names
// another as "<modifiers> <virtual key>", both decimal) under a hidden
// window, and on each press moves the foreground window 5 pixels to the
// right with one SetWindowPos. WM_CLOSE to its window ends it. Exit code 2:
// the hotkey could not be registered.
//
// With "all <modifiers> <key> <modifiers> <key>" it registers two hotkeys
// instead: the first minimizes all windows, the second restores all
// minimized windows, with the calls Quorel makes (the same enumeration and
// tests, one WM_SYSCOMMAND sent to each window in turn), in a plain loop on
// its own thread.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

constexpr wchar_t kClassName[] = L"QuorelBenchBaseline";
constexpr int kStep = 5;
constexpr int kMinimizeAll = 2, kRestoreAll = 3;

using CloakQuery = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
CloakQuery g_cloakQuery = nullptr;

bool Cloaked(HWND wnd) {
    DWORD cloaked = 0;
    return g_cloakQuery &&
           SUCCEEDED(g_cloakQuery(wnd, 14 /* DWMWA_CLOAKED */, &cloaked, sizeof cloaked)) &&
           cloaked != 0;
}

BOOL CALLBACK CollectForMinimize(HWND wnd, LPARAM param) {
    wchar_t cls[256] = {};
    GetClassNameW(wnd, cls, 255);
    const LONG style = GetWindowLongW(wnd, GWL_STYLE);
    GetWindowLongW(wnd, GWL_EXSTYLE);
    if (IsWindowVisible(wnd) && IsWindowEnabled(wnd) && !Cloaked(wnd) &&
        std::wcscmp(cls, kClassName) != 0 && !IsIconic(wnd) && (style & WS_MINIMIZEBOX))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
    return TRUE;
}

BOOL CALLBACK CollectForRestore(HWND wnd, LPARAM param) {
    GetWindowLongW(wnd, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(wnd, GWL_EXSTYLE);
    if (IsWindowVisible(wnd) && IsWindowEnabled(wnd) && IsIconic(wnd) &&
        !(exStyle & WS_EX_TOOLWINDOW) && !Cloaked(wnd))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
    return TRUE;
}

void MinimizeAll() {
    std::vector<HWND> list;
    EnumWindows(CollectForMinimize, reinterpret_cast<LPARAM>(&list));
    for (HWND wnd : list)
        SendMessageW(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void RestoreAll() {
    std::vector<HWND> list;
    EnumWindows(CollectForRestore, reinterpret_cast<LPARAM>(&list));
    std::reverse(list.begin(), list.end());
    for (HWND wnd : list)
        SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_HOTKEY: {
        if (wp == kMinimizeAll) {
            MinimizeAll();
            return 0;
        }
        if (wp == kRestoreAll) {
            RestoreAll();
            return 0;
        }
        HWND fg = GetForegroundWindow();
        RECT r;
        if (fg && GetWindowRect(fg, &r))
            SetWindowPos(fg, HWND_TOP, r.left + kStep, r.top, 0, 0, SWP_NOSIZE);
        return 0;
    }
    case WM_DESTROY:
        for (int id : {1, kMinimizeAll, kRestoreAll})
            UnregisterHotKey(hwnd, id);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

// Reads "<modifiers> <key>" (both decimal) from text; false when there is
// no such pair.
bool ReadHotkey(const wchar_t*& text, UINT& mods, UINT& vk) {
    wchar_t* rest = nullptr;
    unsigned long m = std::wcstoul(text, &rest, 10);
    if (rest == text)
        return false;
    wchar_t* end = nullptr;
    unsigned long k = std::wcstoul(rest, &end, 10);
    if (end == rest)
        return false;
    mods = static_cast<UINT>(m);
    vk = static_cast<UINT>(k);
    text = end;
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int) {
    UINT mods = MOD_SHIFT | MOD_ALT;
    UINT vk = VK_RIGHT;
    const wchar_t* text = cmdLine;
    while (*text == L' ')
        ++text;
    const bool desktopWide = std::wcsncmp(text, L"all ", 4) == 0;
    UINT minMods = 0, minVk = 0, restoreMods = 0, restoreVk = 0;
    if (desktopWide) {
        text += 4;
        if (!ReadHotkey(text, minMods, minVk) || !ReadHotkey(text, restoreMods, restoreVk))
            return 1;
        g_cloakQuery = reinterpret_cast<CloakQuery>(reinterpret_cast<void (*)()>(
            GetProcAddress(LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32),
                           "DwmGetWindowAttribute")));
    } else {
        ReadHotkey(text, mods, vk);
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc))
        return 1;
    HWND hwnd = CreateWindowExW(0, kClassName, L"Quorel bench baseline", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return 1;
    const bool registered = desktopWide
                                ? RegisterHotKey(hwnd, kMinimizeAll, minMods, minVk) &&
                                      RegisterHotKey(hwnd, kRestoreAll, restoreMods, restoreVk)
                                : RegisterHotKey(hwnd, 1, mods, vk) != FALSE;
    if (!registered) {
        DestroyWindow(hwnd);
        return 2;
    }

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

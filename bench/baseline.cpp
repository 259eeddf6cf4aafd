// The benchmark's baseline: the least a hotkey window mover can do. It
// registers one hotkey (Shift+Alt+Right unless the command line names
// another as "<modifiers> <virtual key>", both decimal) under a hidden
// window, and on each press moves the foreground window 5 pixels to the
// right with one SetWindowPos. WM_CLOSE to its window ends it. Exit code 2:
// the hotkey could not be registered.
#include <windows.h>

#include <cwchar>

namespace {

constexpr wchar_t kClassName[] = L"QuorelBenchBaseline";
constexpr int kStep = 5;

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_HOTKEY: {
        HWND fg = GetForegroundWindow();
        RECT r;
        if (fg && GetWindowRect(fg, &r))
            SetWindowPos(fg, HWND_TOP, r.left + kStep, r.top, 0, 0, SWP_NOSIZE);
        return 0;
    }
    case WM_DESTROY:
        UnregisterHotKey(hwnd, 1);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int) {
    UINT mods = MOD_SHIFT | MOD_ALT;
    UINT vk = VK_RIGHT;
    wchar_t* rest = nullptr;
    unsigned long m = std::wcstoul(cmdLine, &rest, 10);
    if (rest != cmdLine) {
        wchar_t* end = nullptr;
        unsigned long k = std::wcstoul(rest, &end, 10);
        if (end != rest) {
            mods = static_cast<UINT>(m);
            vk = static_cast<UINT>(k);
        }
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
    if (!RegisterHotKey(hwnd, 1, mods, vk)) {
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

#include "base/dpi.h"

#include "base/system_library.h"

namespace dpi {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

} // namespace

int Scale(int value, UINT dpi) {
    return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

RECT ScaleRect(const RECT& r, UINT d) {
    return RECT{Scale(r.left, d), Scale(r.top, d), Scale(r.right, d), Scale(r.bottom, d)};
}

UINT ForSystem() {
    HDC dc = GetDC(nullptr);
    int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc)
        ReleaseDC(nullptr, dc);
    return v > 0 ? static_cast<UINT>(v) : kDefaultDpi;
}

UINT ForWindow(HWND hwnd) {
    static const auto fn =
        system_library::Function<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (fn && hwnd) {
        UINT v = fn(hwnd);
        if (v)
            return v;
    }
    return ForSystem();
}

UINT ForMonitor(HMONITOR monitor) {
    static const auto fn =
        system_library::Function<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    if (fn && monitor) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(fn(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y)
            return y;
    }
    return ForSystem();
}

void AdjustWindowRect(RECT& rc, DWORD style, DWORD exStyle, UINT d) {
    static const auto fn = system_library::Function<AdjustWindowRectExForDpiFn>(
        L"user32.dll", "AdjustWindowRectExForDpi");
    if (fn && fn(&rc, style, FALSE, exStyle, d))
        return;
    AdjustWindowRectEx(&rc, style, FALSE, exStyle);
}

SIZE WindowSizeForClient(int w, int h, DWORD style, DWORD exStyle, UINT d) {
    RECT rc{0, 0, w, h};
    AdjustWindowRect(rc, style, exStyle, d);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

HMONITOR PrimaryMonitor() {
    return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

POINT ScreenCentre(SIZE size) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(PrimaryMonitor(), &mi))
        area = mi.rcWork;
    return POINT{area.left + (area.right - area.left - size.cx) / 2,
                 area.top + (area.bottom - area.top - size.cy) / 2};
}

void MoveToSuggestedRect(HWND hwnd, LPARAM suggested) {
    const RECT* r = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace dpi

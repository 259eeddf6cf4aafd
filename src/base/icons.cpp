#include "base/icons.h"

namespace icons {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

// A function of a system DLL that older Windows may lack, or nullptr.
template <class Fn> Fn SystemFunction(const wchar_t* module, const char* name) {
    HMODULE h = GetModuleHandleW(module);
    if (!h)
        h = LoadLibraryW(module);
    if (!h)
        return nullptr;
    // Through a generic function pointer: no -Wcast-function-type, valid
    // for MSVC as well.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(h, name)));
}

UINT SystemDpi() {
    HDC dc = GetDC(nullptr);
    int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc)
        ReleaseDC(nullptr, dc);
    return v > 0 ? static_cast<UINT>(v) : 96;
}

int MetricForDpi(int metric, UINT dpi) {
    static const auto fn =
        SystemFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    if (fn) {
        int v = fn(metric, dpi);
        if (v > 0)
            return v;
    }
    // The system metric is for the system DPI.
    return MulDiv(GetSystemMetrics(metric), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

} // namespace

UINT DpiOf(HWND window) {
    static const auto fn = SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (fn && window) {
        UINT v = fn(window);
        if (v)
            return v;
    }
    return SystemDpi();
}

int SmallSize(UINT dpi) {
    return MetricForDpi(SM_CXSMICON, dpi);
}

int LargeSize(UINT dpi) {
    return MetricForDpi(SM_CXICON, dpi);
}

handles::UniqueIcon Load(HINSTANCE module, int id, int size) {
    // comctl32 6, which the manifest selects, has it from Vista on.
    static const auto fn =
        SystemFunction<LoadIconWithScaleDownFn>(L"comctl32.dll", "LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (fn && SUCCEEDED(fn(module, MAKEINTRESOURCEW(id), size, size, &icon)) && icon)
        return handles::UniqueIcon(icon);
    return handles::UniqueIcon(static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

} // namespace icons

#include "base/icons.h"

#include "base/dpi.h"
#include "base/system_library.h"

namespace icons {

namespace {

using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

int MetricForDpi(int metric, UINT dotsPerInch) {
    static const auto fn =
        system_library::Function<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    if (fn) {
        int v = fn(metric, dotsPerInch);
        if (v > 0)
            return v;
    }
    // The system metric is for the system DPI.
    return MulDiv(GetSystemMetrics(metric), static_cast<int>(dotsPerInch),
                  static_cast<int>(dpi::ForSystem()));
}

} // namespace

int SmallSize(UINT dpi) {
    return MetricForDpi(SM_CXSMICON, dpi);
}

int LargeSize(UINT dpi) {
    return MetricForDpi(SM_CXICON, dpi);
}

handles::UniqueIcon Load(HINSTANCE module, int id, int size) {
    // comctl32 6, which the manifest selects, has it from Vista on.
    static const auto fn =
        system_library::Function<LoadIconWithScaleDownFn>(L"comctl32.dll", "LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (fn && SUCCEEDED(fn(module, MAKEINTRESOURCEW(id), size, size, &icon)) && icon)
        return handles::UniqueIcon(icon);
    return handles::UniqueIcon(static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

} // namespace icons

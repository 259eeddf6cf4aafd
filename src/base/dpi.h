// Scaling of layouts authored at 96 dots per inch to the DPI of the monitor
// a window is on. The program is per-monitor DPI-aware; the newer DPI
// functions are looked up at run time so that it still runs on systems
// that lack them.
#pragma once

#include <windows.h>

namespace dpi {

constexpr UINT kDefaultDpi = 96;

// value * dpi / 96, rounded to the nearest pixel (negative values, such as
// font heights, round symmetrically).
int Scale(int value, UINT dpi);
RECT ScaleRect(const RECT& r96, UINT dpi);

// The DPI of a window (GetDpiForWindow), of a monitor (GetDpiForMonitor),
// or of the system (GetDeviceCaps LOGPIXELSY) where those are missing.
UINT ForWindow(HWND hwnd);
UINT ForMonitor(HMONITOR monitor);
UINT ForSystem();

// AdjustWindowRectExForDpi where available, AdjustWindowRectEx otherwise.
void AdjustWindowRect(RECT& rc, DWORD style, DWORD exStyle, UINT dpi);

// The outer size of a window whose client area is clientWidth x clientHeight.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

// Moves a window to the rectangle that WM_DPICHANGED suggests (its lParam).
void MoveToSuggestedRect(HWND hwnd, LPARAM suggested);

// The top-left position that centres a window of the given size in the
// work area of the primary monitor (poScreenCenter), and that monitor.
POINT ScreenCentre(SIZE size);
HMONITOR PrimaryMonitor();

} // namespace dpi

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

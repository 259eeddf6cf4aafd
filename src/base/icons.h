// Icons at the size a display scale wants. The program is per-monitor
// DPI-aware, so it picks the image of an icon resource that fits the DPI
// itself. The functions that know per-DPI sizes are looked up at run time;
// systems without them get the system metrics and LoadImageW.
#pragma once

#include "base/handles.h"

#include <windows.h>

namespace icons {

// The width of a small icon (SM_CXSMICON: the tray, captions) and of an
// icon (SM_CXICON) at a DPI: 16 and 32 at 96 DPI, 24 and 48 at 144.
int SmallSize(UINT dpi);
int LargeSize(UINT dpi);

// Loads image id of an icon resource at size x size pixels: the image of
// that size, or the next larger one scaled down (LoadIconWithScaleDown of
// comctl32 6), or LoadImageW's pick where that function is missing; empty
// when there is no such resource.
handles::UniqueIcon Load(HINSTANCE module, int id, int size);

} // namespace icons

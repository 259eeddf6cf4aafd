// What a process holds, read from outside: private bytes, working set,
// kernel handles, GDI objects and USER objects.
//
// On Windows the figures come from GetProcessMemoryInfo, GetProcessHandleCount
// and GetGuiResources. Wine (8.0) answers the last two with 0 and leaves
// PrivateUsage at 0, so there the reader falls back to what Wine does keep:
// its private bytes are the resident anonymous memory (PagefileUsage), the
// kernel handles are counted in the system handle list, the GDI objects in
// the process's GDI handle table (non-stock entries), and the USER objects
// are its windows (top-level, child and message-only); menus, icons and
// cursors are not counted there (an icon's bitmaps are, as GDI objects).
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace bench {

struct Usage {
    double privateKiB = 0;
    double workingSetKiB = 0;
    long kernelHandles = -1;
    long gdiObjects = -1;
    long userObjects = -1;
    // Read from Wine's GDI handle table only (-1 elsewhere): its display and
    // window DCs, their display companions and the regions.
    long displayDcs = -1, dcCompanions = -1, regions = -1;
};

Usage MeasureUsage(HANDLE process, DWORD pid);

// Of the GDI growth from one point to the next, how many entries of Wine's
// window-DC cache came: Wine keeps a window's cache DC after ReleaseDC
// until the window is destroyed, and then reuses it, so its cache grows to
// the most windows that painted at once (up to 64). Each entry is three
// GDI objects: a display DC, its companion and a region. 0 elsewhere.
long WineDcCacheGrowth(const Usage& from, const Usage& to);

// How the figures of the last MeasureUsage were read, for the table's notes.
std::wstring UsageMethods();

// The objects of a process that can be listed from outside, each handle with
// a description: kernel handles by object type, GDI objects by kind (where
// the GDI handle table is readable), windows by class and caption.
struct ObjectList {
    std::map<unsigned long long, std::wstring> kernel, gdi, windows;
};
ObjectList ListObjects(HANDLE process, DWORD pid);

// What after holds that before did not, and the reverse, counted by
// description: "GDI +2 bitmap, +1 font; windows -1 Button". Empty when
// nothing changed.
std::wstring DescribeChange(const ObjectList& before, const ObjectList& after);

} // namespace bench

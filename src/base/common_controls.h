// Common Controls (comctl32.dll), loaded when the program first needs it
// rather than imported: loading it and its own DLLs at start would delay
// the hotkeys, which need none of it. It comes through system_library, so
// the manifest's redirection gives version 6 from the side-by-side store,
// and never a DLL of that name beside the exe.
//
// Initialize comes before the first dialog and the first window of a
// common-controls class; the subclass calls below load the DLL themselves.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace common_controls {

// Loads the DLL and registers its window classes (InitCommonControlsEx with
// the standard and the Windows 95 classes: among them the key-capture,
// up-down and tab controls), once per process. False, with the failure
// written by ReportSystemError and the last error set, when the DLL or the
// function is missing; a later call tries again.
bool Initialize();

// SetWindowSubclass, RemoveWindowSubclass and DefSubclassProc of the DLL,
// loaded at the first call. Without the DLL the first two fail (false,
// last error set); the third, which only a subclass procedure calls, then
// has nothing to pass the message on to but DefWindowProcW.
bool SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData);
bool RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclass(HWND window, UINT msg, WPARAM wp, LPARAM lp);

// What the loading takes: system_library::Load(L"comctl32.dll") unless
// replaced (tests play a system without the DLL through it).
extern HMODULE (*LoadLibraryCall)();

} // namespace common_controls

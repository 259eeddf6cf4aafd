// COM on the program's thread, for the shell: the handlers of the links
// ShellExecute opens and the shell's link objects may need it.
//
// The program does not import ole32.dll: loading it, and the DLLs it
// imports in turn, would cost every start time before the first hotkey
// works, for what only a few menu and dialog commands use. Its functions
// come from the system folder at their first use (base/system_library).
#pragma once

#include <windows.h>

// Sets up a single-threaded apartment on the calling thread at the first
// call and keeps it to the end of the program; later calls do nothing. Not
// done at start-up, which does not need it. Call it from the program's
// thread only (the one that runs the windows). A failure is reported once,
// and what needed COM then fails on its own.
void EnsureComApartment();

// CoCreateInstance of an in-process server, in the apartment above (set up
// here when it is not yet).
HRESULT CreateComObject(REFCLSID cls, REFIID iid, void** object);

// CoTaskMemFree: frees what a system call gave back in COM's task memory.
void FreeComMemory(void* block);

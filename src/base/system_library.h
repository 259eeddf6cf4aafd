// DLLs of Windows that the program loads at run time. They come from the
// system folder only, never from the program's folder or the current
// directory, where anyone may have put a DLL of the same name.
//
// The shell (shell32.dll) is one of them, although every Windows has it:
// the DLLs a program imports are loaded, with the DLLs they import in turn,
// before its first line runs, and those that Windows does not hold as Known
// DLLs are looked for beside the exe first. The shell imports many of them
// (under Wine, shcore.dll through shlwapi.dll). Loaded here, after
// RestrictSearchToSystemFolder, all of them come from the system folder.
#pragma once

#include <windows.h>

namespace system_library {

// The two calls that set the DLL search of the whole process; tests give
// their own.
struct SearchCalls {
    // SetDefaultDllDirectories: Windows 8 and later, Windows 7 with update
    // KB2533623; nullptr where Windows lacks it.
    BOOL(WINAPI* setDefaultDllDirectories)(DWORD flags);
    // SetDllDirectoryW: every Windows the program runs on.
    BOOL(WINAPI* setDllDirectory)(LPCWSTR folder);
};
SearchCalls SystemSearchCalls();

// Called first thing at start, before anything can load a DLL. Takes the
// current directory out of the DLL search of the whole process
// (SetDllDirectoryW with an empty folder) and, where Windows has
// SetDefaultDllDirectories, the program's folder and PATH too, leaving the
// system folder (LOAD_LIBRARY_SEARCH_SYSTEM32). Returns whether that
// second step was taken. Without it the DLLs the program loads itself come
// by their full System32 path (see Load), but a DLL that one of Windows'
// DLLs later loads by name is still looked for in the program's folder
// first.
bool RestrictSearchToSystemFolder(const SearchCalls& calls = SystemSearchCalls());

// A DLL of Windows by its file name ("shcore.dll"), from the system folder;
// it stays loaded to the end of the process. A DLL the manifest redirects
// comes from where it points: Common Controls in version 6 from the
// side-by-side store. nullptr where the system has no such DLL.
HMODULE Load(const wchar_t* fileName);

// Load's way where Windows lacks the search flags (Windows 7 without
// KB2533623): a DLL the manifest redirects by its name, any other by its
// full path in the system folder, with the DLLs it imports looked for in
// that folder first.
HMODULE LoadByFullPath(const wchar_t* fileName);

// A function of a loaded module by its name, as type Fn; nullptr where the
// module lacks it.
template <class Fn> Fn FunctionOf(HMODULE module, const char* name) {
    // Casting through a generic function pointer keeps GCC's
    // -Wcast-function-type quiet and is valid for MSVC as well.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A function of a DLL of Windows (see Load), or nullptr where the system
// lacks the DLL or the function.
template <class Fn> Fn Function(const wchar_t* fileName, const char* name) {
    HMODULE module = Load(fileName);
    return module ? FunctionOf<Fn>(module, name) : nullptr;
}

} // namespace system_library

#include "base/system_library.h"

#include <string>

namespace system_library {

namespace {

// kernel32 is in every process from its start.
FARPROC KernelFunction(const char* name) {
    return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
}

// The LOAD_LIBRARY_SEARCH_ flags: Windows 8 and later, Windows 7 with update
// KB2533623. The functions that came with them tell whether they are there.
bool SearchFlagsAvailable() {
    static const bool available = KernelFunction("AddDllDirectory") != nullptr;
    return available;
}

std::wstring SystemFolder() {
    wchar_t dir[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(dir, n) : std::wstring();
}

} // namespace

SearchCalls SystemSearchCalls() {
    using SetDefault = BOOL(WINAPI*)(DWORD);
    return {reinterpret_cast<SetDefault>(
                reinterpret_cast<void (*)()>(KernelFunction("SetDefaultDllDirectories"))),
            SetDllDirectoryW};
}

bool RestrictSearchToSystemFolder(const SearchCalls& calls) {
    if (calls.setDllDirectory)
        calls.setDllDirectory(L"");
    return calls.setDefaultDllDirectories &&
           calls.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE Load(const wchar_t* fileName) {
    // A bare name still goes through the manifest's redirection and finds a
    // module the process already has; the flag limits the search to the
    // system folder.
    if (SearchFlagsAvailable())
        return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return LoadByFullPath(fileName);
}

HMODULE LoadByFullPath(const wchar_t* fileName) {
    // A DLL the manifest redirects (Common Controls, to version 6 in the
    // side-by-side store) by its name alone, which the redirection resolves
    // before any search; by its System32 path it would come in version 5.
    // Anything else by its full path, with the DLLs it imports looked for in
    // the system folder before the others.
    ACTCTX_SECTION_KEYED_DATA redirected{};
    redirected.cbSize = sizeof redirected;
    if (FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, fileName,
                                 &redirected))
        return LoadLibraryW(fileName);
    std::wstring dir = SystemFolder();
    if (dir.empty())
        return nullptr;
    return LoadLibraryExW((dir + L"\\" + fileName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace system_library

#include "base/known_folder.h"

#include "base/com_apartment.h"
#include "base/system_library.h"

std::wstring KnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HRESULT* result) {
    using Fn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
    static const auto query = system_library::Function<Fn>(L"shell32.dll", "SHGetKnownFolderPath");
    PWSTR folder = nullptr;
    HRESULT hr =
        query ? query(id, flags, nullptr, &folder) : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    std::wstring path;
    if (SUCCEEDED(hr) && folder && *folder)
        path = folder;
    else if (SUCCEEDED(hr))
        hr = E_FAIL;
    FreeComMemory(folder);
    if (result)
        *result = hr;
    return path;
}

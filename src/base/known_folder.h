// The folders Windows keeps for each user (%APPDATA%, the Startup folder).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

// The path of a known folder (SHGetKnownFolderPath, from the shell loaded at
// run time out of the system folder), with flags such as KF_FLAG_CREATE.
// Empty when the system has no such folder or cannot give it; *result, when
// asked for, then says why.
std::wstring KnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HRESULT* result = nullptr);

#include "settings/settings_location.h"

#include "base/decimal_text.h"
#include "base/error_report.h"
#include "base/known_folder.h"
#include "base/names.h"
#include "settings/settings_file.h"

#include <windows.h>

#include <string>

namespace {

// The folder part of a path, without the last separator.
std::wstring FolderOf(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep);
}

std::wstring FileNameOf(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

} // namespace

SettingsFiles ChooseSettingsFiles(const std::wstring& besideExe, bool exeFolderWritable,
                                  const std::wstring& perUser, bool perUserExists) {
    if (exeFolderWritable || perUser.empty())
        return {besideExe, besideExe, false};
    return {perUserExists ? perUser : besideExe, perUser, true};
}

bool CanCreateFileIn(const std::wstring& folder) {
    for (unsigned attempt = 0; attempt < 8; ++attempt) {
        std::wstring probe = folder + L"\\~Quorel-" + DecimalText(GetCurrentProcessId()) + L"-" +
                             DecimalText(GetTickCount64() + attempt) + L".tmp";
        HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h); // the file goes with its handle
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

std::wstring PerUserSettingsPath(const std::wstring& besideExe) {
    HRESULT hr = S_OK;
    std::wstring appData = KnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, &hr);
    if (appData.empty()) {
        ReportSystemError(L"SHGetKnownFolderPath", L"FOLDERID_RoamingAppData",
                          static_cast<DWORD>(hr));
        return {};
    }
    return appData + L"\\" + names::kSettingsFolder + L"\\" + FileNameOf(besideExe);
}

SettingsFiles FindSettingsFiles(const std::wstring& exePath) {
    std::wstring besideExe = IniPathForExe(exePath);
    if (CanCreateFileIn(FolderOf(exePath)))
        return ChooseSettingsFiles(besideExe, true, {}, false);
    std::wstring perUser = PerUserSettingsPath(besideExe);
    bool exists =
        !perUser.empty() && GetFileAttributesW(perUser.c_str()) != INVALID_FILE_ATTRIBUTES;
    return ChooseSettingsFiles(besideExe, false, perUser, exists);
}

void SaveSettings(const SettingsFiles& files) {
    if (files.MakeFolder) {
        std::wstring folder = FolderOf(files.Write);
        // A folder that cannot be made shows as the file's write error.
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            ReportSystemError(L"CreateDirectoryW", folder);
    }
    SaveSettings(files.Write);
}

#include "settings/settings_location.h"

#include "base/decimal_text.h"
#include "base/error_report.h"
#include "base/handles.h"
#include "base/known_folder.h"
#include "base/names.h"
#include "settings/settings_file.h"

#include <windows.h>

#include <string>
#include <vector>

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

// Whether token is granted access to the file or folder at path by its
// access control list.
bool TokenMayOpen(HANDLE token, const std::wstring& path, DWORD access) {
    // With the integrity label: a normal token may not write up to an
    // object labelled above its own level.
    constexpr SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                           DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityW(path.c_str(), parts, nullptr, 0, &size);
    if (size == 0)
        return false;
    std::vector<BYTE> descriptor(size);
    if (!GetFileSecurityW(path.c_str(), parts, descriptor.data(), size, &size))
        return false;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges, granted = 0;
    BOOL allowed = FALSE;
    return AccessCheck(descriptor.data(), token, access, &mapping, &privileges, &privilegesSize,
                       &granted, &allowed) &&
           allowed;
}

} // namespace

SettingsFiles ChooseSettingsFiles(const std::wstring& besideExe, bool besideExeUsable,
                                  const std::wstring& perUser, bool perUserExists) {
    if (besideExeUsable || perUser.empty())
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

bool CanWriteFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return true;
}

bool SettingsBesideExe(Writability now, std::optional<Writability> asUser) {
    const auto both = [](Writability w) { return w.folder && w.file; };
    return both(now) && (!asUser || both(*asUser));
}

std::optional<Writability> WritabilityForNormalStart(const std::wstring& folder,
                                                     const std::wstring& file) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return std::nullopt;
    handles::UniqueHandle own{raw};
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (!GetTokenInformation(own.get(), TokenElevationType, &type, sizeof type, &size) ||
        type != TokenElevationTypeFull)
        return std::nullopt;
    // The user's normal token: an identification token, enough to ask the
    // system what it would be granted.
    TOKEN_LINKED_TOKEN linked{};
    if (!GetTokenInformation(own.get(), TokenLinkedToken, &linked, sizeof linked, &size))
        return std::nullopt;
    handles::UniqueHandle user{linked.LinkedToken};
    Writability w;
    w.folder = TokenMayOpen(user.get(), folder, FILE_ADD_FILE);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    w.file = attributes == INVALID_FILE_ATTRIBUTES ||
             (!(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) &&
              TokenMayOpen(user.get(), file, FILE_WRITE_DATA));
    return w;
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
    const std::wstring besideExe = IniPathForExe(exePath), folder = FolderOf(exePath);
    // A copy run as administrator asks first what the user's normal token
    // may do, and makes its probe only where that token could make it too:
    // it leaves nothing beside the exe that a normal start would not.
    const std::optional<Writability> asUser = WritabilityForNormalStart(folder, besideExe);
    Writability now;
    if (SettingsBesideExe({true, true}, asUser))
        now = {CanCreateFileIn(folder), CanWriteFile(besideExe)};
    if (SettingsBesideExe(now, asUser))
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

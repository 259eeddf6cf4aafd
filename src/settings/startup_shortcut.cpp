#include "settings/startup_shortcut.h"

#include "base/com_apartment.h"
#include "base/error_report.h"
#include "base/known_folder.h"
#include "settings/ui_texts.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

namespace {

constexpr wchar_t kShortcutName[] = L"Quorel.lnk";
constexpr wchar_t kExeName[] = L"Quorel.exe";

// One COM interface pointer, released when it goes.
template <class T> class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_)
            p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    T** Out() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

std::wstring FileNameOf(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep);
}

[[noreturn]] void ThrowNotWritten(const std::wstring& linkPath, const wchar_t* call, DWORD error) {
    ReportSystemError(call, linkPath, error);
    throw EQuorelError(UiText(TextId::StartupShortcutNotMade) + linkPath);
}

} // namespace

std::wstring StartupShortcutPath(bool create) {
    std::wstring folder =
        KnownFolderPath(FOLDERID_Startup, create ? KF_FLAG_CREATE : KF_FLAG_DEFAULT);
    return folder.empty() ? folder : folder + L"\\" + kShortcutName;
}

std::wstring ShortcutTarget(const std::wstring& linkPath) {
    if (linkPath.empty() || GetFileAttributesW(linkPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return {};
    ComPtr<IShellLinkW> link;
    if (FAILED(CreateComObject(CLSID_ShellLink, IID_IShellLinkW,
                               reinterpret_cast<void**>(link.Out()))))
        return {};
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))) ||
        FAILED(file->Load(linkPath.c_str(), STGM_READ)))
        return {};
    // The stored path as it is: nothing is searched for or resolved.
    wchar_t target[MAX_PATH + 1] = {};
    if (link->GetPath(target, MAX_PATH + 1, nullptr, SLGP_RAWPATH) != S_OK)
        return {};
    return target;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION info[2] = {};
    const std::wstring* paths[2] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        // Opened for its attributes only: no program's use of the file is
        // disturbed.
        HANDLE file = CreateFileW(paths[i]->c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const BOOL read = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!read)
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

bool IsShortcutTo(const std::wstring& linkPath, const std::wstring& exePath) {
    std::wstring target = ShortcutTarget(linkPath);
    return !target.empty() && (SamePath(target, exePath) || SameFile(target, exePath));
}

bool IsShortcutToProgram(const std::wstring& linkPath, const std::wstring& exePath) {
    std::wstring target = ShortcutTarget(linkPath);
    return !target.empty() && (SamePath(FileNameOf(target), kExeName) ||
                               SamePath(target, exePath) || SameFile(target, exePath));
}

void WriteShortcut(const std::wstring& linkPath, const std::wstring& exePath) {
    if (linkPath.empty())
        throw EQuorelError(UiText(TextId::StartupFolderNotFound));
    ComPtr<IShellLinkW> link;
    HRESULT hr =
        CreateComObject(CLSID_ShellLink, IID_IShellLinkW, reinterpret_cast<void**>(link.Out()));
    if (FAILED(hr))
        ThrowNotWritten(linkPath, L"CoCreateInstance", static_cast<DWORD>(hr));
    std::wstring folder = FolderOf(exePath);
    link->SetPath(exePath.c_str());
    link->SetWorkingDirectory(folder.c_str());
    link->SetDescription(L"Quorel");
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()));
    if (SUCCEEDED(hr))
        hr = file->Save(linkPath.c_str(), TRUE);
    if (FAILED(hr))
        ThrowNotWritten(linkPath, L"IPersistFile::Save", static_cast<DWORD>(hr));
}

void RemoveShortcut(const std::wstring& linkPath) {
    if (linkPath.empty() || DeleteFileW(linkPath.c_str()))
        return;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return;
    ReportSystemError(L"DeleteFileW", linkPath, error);
    throw EQuorelError(UiText(TextId::StartupShortcutNotDeleted) + linkPath);
}

bool StartsWithWindows() {
    return IsShortcutTo(StartupShortcutPath(), ExecutablePath());
}

void SetStartsWithWindows(bool on) {
    if (on) {
        WriteShortcut(StartupShortcutPath(true), ExecutablePath());
        return;
    }
    const std::wstring link = StartupShortcutPath();
    if (IsShortcutToProgram(link, ExecutablePath()))
        RemoveShortcut(link);
}

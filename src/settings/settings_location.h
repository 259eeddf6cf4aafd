// Where the settings file lives. Decided once at start: beside the exe when
// the user can write there (a portable copy), otherwise in the user's
// roaming application data folder (a copy under Program Files, on a
// read-only share, a read-only Quorel.INI), where the folder is made when
// the file is first written. A copy run as administrator decides as a
// normal start of the same user does, so both use one file.
#pragma once

#include <optional>
#include <string>

struct SettingsFiles {
    std::wstring Read;  // read once at start
    std::wstring Write; // written once at exit: the file in use
    // The folder of Write is made first when it is missing.
    bool MakeFolder = false;
};

// The choice from what the start found out: the file beside the exe,
// whether the settings belong there (SettingsBesideExe), the per-user file
// (empty when the system names no application data folder) and whether
// that file exists. Without the per-user file, the first start reads the
// one beside the exe (defaults an administrator put there), or the
// defaults when there is none.
SettingsFiles ChooseSettingsFiles(const std::wstring& besideExe, bool besideExeUsable,
                                  const std::wstring& perUser, bool perUserExists);

// Whether a file can be made in folder: a uniquely named file is made there
// and goes again at once.
bool CanCreateFileIn(const std::wstring& folder);

// Whether the existing file at path can be written: it is not read-only and
// opens for writing (nothing is written). True when there is no file (the
// folder decides then); a file another program holds open counts as
// writable.
bool CanWriteFile(const std::wstring& path);

// What can be written of the place beside the exe: the folder (a file can
// be made there) and the settings file (true when there is none yet).
struct Writability {
    bool folder = false;
    bool file = false;
};

// Whether the settings belong beside the exe. now: for this copy. asUser:
// for the same user's normal token, given only when this copy runs as
// administrator with such a token beside (started through the system's
// consent prompt); an administrator's rights open folders a normal start
// cannot write, so then both must hold. Pure.
bool SettingsBesideExe(Writability now, std::optional<Writability> asUser);

// For a copy run as administrator: what the same user's normal token may
// write beside the exe, read from the folder's and the file's access
// control lists (nothing is made or opened for writing). Nothing for a copy
// that does not run so, or has no normal token beside (User Account Control
// off: every start of the user runs as administrator).
std::optional<Writability> WritabilityForNormalStart(const std::wstring& folder,
                                                     const std::wstring& file);

// The per-user settings file for the file name of the one beside the exe:
// %APPDATA%\Quorel\<name>; empty when the system names no such folder.
std::wstring PerUserSettingsPath(const std::wstring& besideExe);

// The files of the exe at exePath, looked up on the system now.
SettingsFiles FindSettingsFiles(const std::wstring& exePath);

// Writes all keys to files.Write, making its folder first when asked.
// Throws as SaveSettings does.
void SaveSettings(const SettingsFiles& files);

// Where the settings file lives. Decided once at start: beside the exe when
// a file can be made in the exe's folder (a portable copy), otherwise in
// the user's roaming application data folder (a copy under Program Files,
// on a read-only share), where the folder is made when the file is first
// written.
#pragma once

#include <string>

struct SettingsFiles {
    std::wstring Read;  // read once at start
    std::wstring Write; // written once at exit: the file in use
    // The folder of Write is made first when it is missing.
    bool MakeFolder = false;
};

// The choice from what the start found out: the file beside the exe,
// whether its folder can be written, the per-user file (empty when the
// system names no application data folder) and whether that file exists.
// Without the per-user file, the first start reads the one beside the exe
// (defaults an administrator put there), or the defaults when there is
// none.
SettingsFiles ChooseSettingsFiles(const std::wstring& besideExe, bool exeFolderWritable,
                                  const std::wstring& perUser, bool perUserExists);

// Whether a file can be made in folder: a uniquely named file is made there
// and goes again at once.
bool CanCreateFileIn(const std::wstring& folder);

// The per-user settings file for the file name of the one beside the exe:
// %APPDATA%\Quorel\<name>; empty when the system names no such folder.
std::wstring PerUserSettingsPath(const std::wstring& besideExe);

// The files of the exe at exePath, looked up on the system now.
SettingsFiles FindSettingsFiles(const std::wstring& exePath);

// Writes all keys to files.Write, making its folder first when asked.
// Throws as SaveSettings does.
void SaveSettings(const SettingsFiles& files);

// Starting the program with Windows: a shortcut "Quorel.lnk" in the user's
// Startup folder that points at the exe. The shortcut itself is the state;
// there is no registry value and no INI key for it. The calls use the
// shell's link object, so COM must be initialised on the calling thread.
#pragma once

#include <string>

// The shortcut's path in the user's Startup folder; empty when the system
// names no such folder. With create, the folder is made when missing.
std::wstring StartupShortcutPath(bool create = false);

// The path a shortcut file points at; empty when the file is missing or is
// no shortcut that can be read.
std::wstring ShortcutTarget(const std::wstring& linkPath);

// Whether two paths name the same file as Windows compares them: without
// regard to letter case.
bool SamePath(const std::wstring& a, const std::wstring& b);

// Whether two paths lead to one existing file, however each is spelt (a
// short 8.3 name, a mapped drive or a UNC path, a junction, subst): the
// same volume and file index. False when either cannot be opened.
bool SameFile(const std::wstring& a, const std::wstring& b);

// Whether the shortcut at linkPath points at exePath, by the same path or
// another spelling of it. A broken shortcut, or one that points at another
// copy, does not.
bool IsShortcutTo(const std::wstring& linkPath, const std::wstring& exePath);

// Whether the shortcut at linkPath starts the program: it points at exePath
// or at any file named as the program's exe (a copy moved away, or one in
// another folder), wherever that lies now.
bool IsShortcutToProgram(const std::wstring& linkPath, const std::wstring& exePath);

// Makes the shortcut at linkPath, replacing whatever file is there: it
// points at exePath and starts in the exe's folder. Throws EQuorelError
// with a message for the user when it cannot be written.
void WriteShortcut(const std::wstring& linkPath, const std::wstring& exePath);
// Removes the shortcut; a missing file is no error. Throws EQuorelError
// with a message for the user when it stays.
void RemoveShortcut(const std::wstring& linkPath);

// The running exe and the user's Startup folder: ticked when the shortcut
// there points at this exe; ticking makes it point here (also after the exe
// moved), unticking removes it when it starts the program at all and
// leaves any other shortcut of that name alone.
bool StartsWithWindows();
void SetStartsWithWindows(bool on);

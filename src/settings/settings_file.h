// The INI file that keeps the settings between runs, and single values of
// an INI file through the Windows profile functions. The path is Unicode (a
// folder name outside the ANSI code page works); the values are 8-bit texts
// in the system code page, and the file keeps the bytes that the ANSI
// profile functions would write.
#pragma once

#include <cstddef>
#include <string>

// The longest value that is read, in bytes of the system code page.
constexpr std::size_t IniValueMaxBytes = 1023;

// The value of key in section, cut to IniValueMaxBytes; def when the file,
// the section or the key is missing. The profile function's rules apply
// (surrounding blanks and one pair of enclosing quotes removed).
std::string ReadIniValue(const std::wstring& path, const char* section, const char* key,
                         const std::string& def);

// Writes key=value into section, creating the file or section when
// missing; false when the profile function reports a failure.
bool WriteIniValue(const std::wstring& path, const char* section, const char* key,
                   const std::string& value);

// Removes key from section; true also when there was no such key, false
// when the profile function reports a failure.
bool RemoveIniValue(const std::wstring& path, const char* section, const char* key);

// The longest start of text whose conversion to codePage takes at most
// maxBytes bytes; a character is never split (no lone lead byte of a
// double-byte character, no half of a surrogate pair).
std::string CodePagePrefix(const std::wstring& text, std::size_t maxBytes, unsigned codePage);

// Path of the INI file for an executable path: its extension replaced by
// ".INI" (appended when there is none).
std::wstring IniPathForExe(const std::wstring& exePath);
// The INI file of the running executable.
std::wstring IniFilePath();

// Reads every key of SettingTable() from the file into Settings (defaults
// for what is missing or malformed). Never throws for a missing or
// unreadable file.
void LoadSettings(const std::wstring& iniPath);
// Writes every key of SettingTable() from Settings in file order; a key
// written only while set is removed instead while it is empty. Throws
// EQuorelError "<path> に書き込めません" at the first key that cannot be
// written.
void SaveSettings(const std::wstring& iniPath);

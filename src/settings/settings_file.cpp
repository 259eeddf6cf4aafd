#include "settings/settings_file.h"

#include "base/error_report.h"
#include "base/names.h"
#include "settings/settings.h"
#include "settings/ui_texts.h"

#include <windows.h>

#include <vector>

namespace {

std::wstring Widen(const char* ascii) {
    std::wstring out;
    for (; *ascii; ++ascii)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
    return out;
}

std::string ToCodePage(UINT codePage, const wchar_t* text, int units) {
    if (units <= 0)
        return {};
    int n = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text, units, out.data(), n, nullptr, nullptr);
    return out;
}

std::string ReadSetting(const std::wstring& path, const char* key, const std::string& def) {
    return ReadIniValue(path, names::kIniSection, key, def);
}
} // namespace

std::wstring IniPathForExe(const std::wstring& exePath) {
    return ChangeFileExt(exePath, names::kIniExtension);
}

std::wstring IniFilePath() {
    return IniPathForExe(ExecutablePath());
}

std::string CodePagePrefix(const std::wstring& text, std::size_t maxBytes, unsigned codePage) {
    std::string whole = ToCodePage(codePage, text.data(), static_cast<int>(text.size()));
    if (whole.size() <= maxBytes)
        return whole;
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t units = 1;
        if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]))
            units = 2;
        std::string piece = ToCodePage(codePage, text.data() + i, static_cast<int>(units));
        if (out.size() + piece.size() > maxBytes)
            break;
        out += piece;
        i += units;
    }
    return out;
}

std::string ReadIniValue(const std::wstring& path, const char* section, const char* key,
                         const std::string& def) {
    // Every UTF-16 unit but half a surrogate pair takes at least one byte
    // in the code page, so this many units always cover the longest value
    // that is kept.
    constexpr DWORD kUnits = 2 * IniValueMaxBytes + 2;
    std::vector<wchar_t> buf(kUnits, L'\0');
    std::wstring wdef = AnsiToWide(def);
    DWORD n = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), wdef.c_str(),
                                       buf.data(), kUnits, path.c_str());
    return CodePagePrefix(std::wstring(buf.data(), n), IniValueMaxBytes, CP_ACP);
}

bool WriteIniValue(const std::wstring& path, const char* section, const char* key,
                   const std::string& value) {
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                      AnsiToWide(value).c_str(), path.c_str()) != 0;
}

bool RemoveIniValue(const std::wstring& path, const char* section, const char* key) {
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), nullptr,
                                      path.c_str()) != 0;
}

void LoadSettings(const std::wstring& iniPath) {
    AppSettings loaded;
    for (const SettingEntry& s : SettingTable()) {
        switch (s.Kind) {
        case SettingKind::Text:
            loaded.*s.Text = ReadSetting(iniPath, s.Key, s.DefaultText);
            break;
        case SettingKind::Integer:
            loaded.*s.Int = IntegerSettingOf(s, ReadSetting(iniPath, s.Key, ""));
            break;
        case SettingKind::Switch:
            loaded.*s.Switch =
                ParseIniInteger(ReadSetting(iniPath, s.Key, "")).value_or(s.DefaultInt) != 0;
            break;
        }
    }
    loaded.Language = KnownLanguageSetting(loaded.Language);
    Settings = std::move(loaded);
}

void SaveSettings(const std::wstring& iniPath) {
    for (const SettingEntry& s : SettingTable()) {
        std::string value;
        switch (s.Kind) {
        case SettingKind::Text:
            value = Settings.*s.Text;
            break;
        case SettingKind::Integer:
            value = std::to_string(Settings.*s.Int);
            break;
        case SettingKind::Switch:
            value.assign(1, Settings.*s.Switch ? '1' : '0');
            break;
        }
        const bool written = s.WrittenOnlyWhenSet && value.empty()
                                 ? RemoveIniValue(iniPath, names::kIniSection, s.Key)
                                 : WriteIniValue(iniPath, names::kIniSection, s.Key, value);
        if (!written) {
            ReportSystemError(L"WritePrivateProfileStringW", iniPath);
            throw EQuorelError(UiTextWith(TextId::SettingsNotWritten, iniPath));
        }
    }
}

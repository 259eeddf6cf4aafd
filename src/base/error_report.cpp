#include "base/error_report.h"

#include <cstring>
#include <vector>

namespace {

std::wstring Convert(UINT codePage, const std::string& s) {
    if (s.empty())
        return {};
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string Convert(UINT codePage, const std::wstring& s) {
    if (s.empty())
        return {};
    int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

} // namespace

std::wstring Utf8ToWide(const std::string& s) {
    return Convert(CP_UTF8, s);
}
std::string WideToUtf8(const std::wstring& s) {
    return Convert(CP_UTF8, s);
}
std::wstring AnsiToWide(const std::string& s) {
    return Convert(CP_ACP, s);
}
std::string WideToAnsi(const std::wstring& s) {
    return Convert(CP_ACP, s);
}

EQuorelError::EQuorelError(std::wstring message)
    : message_(std::move(message)), narrow_(WideToUtf8(message_)) {}

std::wstring ExecutablePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size())
            return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::wstring ChangeFileExt(const std::wstring& path, const std::wstring& ext) {
    size_t sep = path.find_last_of(L"\\:/");
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep))
        return path + ext;
    return path.substr(0, dot) + ext;
}

std::wstring ApplicationTitleFromPath(const std::wstring& exePath) {
    size_t sep = exePath.find_last_of(L"\\:/");
    std::wstring name = sep == std::wstring::npos ? exePath : exePath.substr(sep + 1);
    size_t dot = name.find(L'.');
    if (dot != std::wstring::npos)
        name.resize(dot);
    if (name.size() > 1) {
        std::wstring rest = name.substr(1);
        CharLowerBuffW(rest.data(), static_cast<DWORD>(rest.size()));
        name = name.substr(0, 1) + rest;
    }
    return name;
}

std::wstring ApplicationTitle() {
    return ApplicationTitleFromPath(ExecutablePath());
}

bool IsJapaneseCharacter(wchar_t c) {
    // Japanese punctuation, kana and the CJK ideographs; the full-width
    // forms.
    return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

std::wstring ErrorReportText(const std::wstring& message) {
    if (message.empty())
        return message;
    const wchar_t last = message.back();
    // A sentence that ends in Japanese ends with the Japanese full stop;
    // one that already ends with a Japanese mark of its own keeps it.
    if (IsJapaneseCharacter(last)) {
        const bool endsSentence = last == L'。' || last == L'！' || last == L'？' || last == L'．';
        return endsSentence ? message : message + L"。";
    }
    if (last > L'.' && last < 0x80)
        return message + L".";
    return message;
}

std::wstring ExceptionMessage(const std::exception& e) {
    // The program's own errors keep their text in what() as UTF-8; the
    // runtime's are plain ASCII, which reads the same. Text that is not
    // UTF-8 is read in the system's code page.
    const char* what = e.what();
    const int length = static_cast<int>(std::strlen(what));
    if (length > 0 && !MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, what, length, nullptr, 0))
        return AnsiToWide(what);
    return Utf8ToWide(what);
}

void ShowErrorMessage(const std::wstring& message) noexcept {
    try {
        std::wstring text = ErrorReportText(message);
        std::wstring title = ApplicationTitle();
        MessageBoxW(GetActiveWindow(), text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
    } catch (...) {
    }
}

void ShowException(const std::exception& e) noexcept {
    try {
        ShowErrorMessage(ExceptionMessage(e));
    } catch (...) {
    }
}

std::wstring SystemErrorReason(DWORD error) {
    wchar_t* reason = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
    if (!reason)
        return {};
    std::wstring s(reason, length);
    LocalFree(reason);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' '))
        s.pop_back();
    return s;
}

std::wstring SystemErrorText(const wchar_t* call, const std::wstring& detail, DWORD error) {
    const DWORD code = error;
    std::wstring text = L"Quorel: ";
    text += call;
    if (!detail.empty())
        text += L" (" + detail + L")";
    text += L" failed: ";
    wchar_t digits[16];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + error % 10);
        error /= 10;
    } while (error);
    while (n)
        text += digits[--n];
    const std::wstring reason = SystemErrorReason(code);
    if (!reason.empty())
        text += L" " + reason;
    return text;
}

void ReportSystemError(const wchar_t* call, const std::wstring& detail, DWORD error) noexcept {
    try {
        std::wstring line = SystemErrorText(call, detail, error) + L"\n";
        OutputDebugStringW(line.c_str());
    } catch (...) {
    }
    SetLastError(error);
}

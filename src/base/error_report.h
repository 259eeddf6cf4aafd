// The program's exception types and its one error report.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

// An error the program raises itself. The message is the text the user
// reads, held as UTF-16 so Japanese texts show on any system locale.
class EQuorelError : public std::exception {
  public:
    explicit EQuorelError(std::wstring message);
    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return narrow_.c_str(); }

  private:
    std::wstring message_;
    std::string narrow_; // UTF-8 copy for what()
};

// A component refused a property value or an operation.
class EInvalidOperation : public EQuorelError {
  public:
    using EQuorelError::EQuorelError;
};

// The application title: the executable's file name without its folder and
// without everything from its first "." on, every character after the first
// in lower case ("QUOREL.EXE" -> "Quorel").
std::wstring ApplicationTitle();
std::wstring ApplicationTitleFromPath(const std::wstring& exePath);

// The text of the report: the message as a sentence. One that ends in a
// Japanese character gets "。" (unless it ends with "。", "！", "？", or "．"); one that ends in
// another ASCII character sorting after "." gets
// "."; anything else is left as it is.
std::wstring ErrorReportText(const std::wstring& message);
// Whether c is written only in Japanese text: kana, the CJK ideographs,
// Japanese punctuation and the full-width forms.
bool IsJapaneseCharacter(wchar_t c);

// The message of any exception as the user should read it: the text of an
// EQuorelError as it was given, another's what() (UTF-8, or else in the
// system's code page).
std::wstring ExceptionMessage(const std::exception& e);

// Shows the standard error report for an exception that escaped a handler:
// a message box with the application title as caption, MB_ICONERROR and one
// OK button. Never throws.
void ShowException(const std::exception& e) noexcept;
void ShowErrorMessage(const std::wstring& message) noexcept;

// Runs fn, reporting anything it throws; returns false when it threw.
template <class Fn> bool RunGuarded(Fn&& fn) noexcept {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowErrorMessage(L"Unknown error");
    }
    return false;
}

// The line a developer reads about a failed system call: the program's
// name, the call, what it was about (when given), the error number and the
// system's text for it, e.g.
// "Quorel: RegisterHotKey (Alt+F12) failed: 1409 Hot key is already registered."
std::wstring SystemErrorText(const wchar_t* call, const std::wstring& detail, DWORD error);
// The system's text for an error number, in the user's language; empty
// when the system has none.
std::wstring SystemErrorReason(DWORD error);
// Writes SystemErrorText to the debugger output (OutputDebugStringW), where
// a standard tool captures it; the user sees nothing of it. Keeps the last
// error as it was. Never throws.
void ReportSystemError(const wchar_t* call, const std::wstring& detail = {},
                       DWORD error = GetLastError()) noexcept;

// UTF-8 <-> UTF-16 and ANSI (system code page) <-> UTF-16 conversions.
std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& s);

// Full path of the running executable (Unicode, any length).
std::wstring ExecutablePath();

// Replaces the extension of a path (the text from the last "." after the
// last "\" or ":") with ext, or appends ext when there is none.
std::wstring ChangeFileExt(const std::wstring& path, const std::wstring& ext);

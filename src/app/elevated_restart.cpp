#include "app/elevated_restart.h"

#include "base/com_apartment.h"
#include "base/decimal_text.h"
#include "base/error_report.h"
#include "base/handles.h"
#include "base/system_library.h"
#include "settings/ui_language.h"

#include <shellapi.h>

#include <cwchar>

namespace {

constexpr wchar_t kTakeoverSwitch[] = L"/takeover:";
constexpr size_t kTakeoverSwitchLength = sizeof kTakeoverSwitch / sizeof kTakeoverSwitch[0] - 1;

std::optional<DWORD> ParseProcessId(const wchar_t* text) {
    if (!*text)
        return std::nullopt;
    unsigned long long value = 0;
    for (; *text; ++text) {
        if (*text < L'0' || *text > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(*text - L'0');
        if (value > MAXDWORD)
            return std::nullopt;
    }
    return static_cast<DWORD>(value);
}

// ShellExecuteExW of the system's shell32.dll (see system_library.h for
// why the program does not import it).
BOOL SystemShellExecute(SHELLEXECUTEINFOW* info) {
    using Fn = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    static const auto fn = system_library::Function<Fn>(L"shell32.dll", "ShellExecuteExW");
    if (!fn) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    EnsureComApartment(); // the shell's handlers of the verb may need it
    return fn(info);
}

Launched LaunchWithShell(const std::wstring& exe, const std::wstring& arguments, HWND owner) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = exe.c_str();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    Launched launched;
    if (SystemShellExecute(&info)) {
        launched.result = LaunchResult::Started;
        launched.process.reset(info.hProcess);
        return launched;
    }
    launched.error = GetLastError();
    launched.result =
        launched.error == ERROR_CANCELLED ? LaunchResult::Declined : LaunchResult::Failed;
    if (launched.result == LaunchResult::Failed)
        ReportSystemError(L"ShellExecuteExW(runas)", exe, launched.error);
    return launched;
}

} // namespace

std::wstring TakeoverArguments(DWORD processId) {
    return kTakeoverSwitch + DecimalText(processId);
}

std::optional<DWORD> TakeoverProcessId(const wchar_t* commandLine) {
    if (!commandLine)
        return std::nullopt;
    // The program's path comes first, in quotes when it holds blanks; the
    // arguments follow, separated by blanks. (Read by hand: the shell's
    // CommandLineToArgvW would load shell32.dll before anything else.)
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        p = std::wcschr(p + 1, L'"');
        if (!p)
            return std::nullopt;
        ++p;
    }
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (*p && !blank(*p))
        ++p;
    while (*p) {
        while (blank(*p))
            ++p;
        const wchar_t* end = p;
        while (*end && !blank(*end))
            ++end;
        if (static_cast<size_t>(end - p) >= kTakeoverSwitchLength &&
            _wcsnicmp(p, kTakeoverSwitch, kTakeoverSwitchLength) == 0)
            return ParseProcessId(std::wstring(p + kTakeoverSwitchLength, end).c_str());
        p = end;
    }
    return std::nullopt;
}

std::function<Launched(const std::wstring&, const std::wstring&, HWND)> ElevatedRestart::Launch =
    LaunchWithShell;

LaunchResult ElevatedRestart::Request(HWND owner, DWORD& error) {
    error = ERROR_PROC_NOT_FOUND;
    if (Pending())
        return LaunchResult::Started;
    if (!Launch)
        return LaunchResult::Failed;
    Launched launched = Launch(ExecutablePath(), TakeoverArguments(GetCurrentProcessId()), owner);
    error = launched.error;
    if (launched.result == LaunchResult::Started) {
        // The shell gives the process of an exe it starts; were it ever
        // missing, only the new copy's messages would end the restart.
        pending_ = true;
        released_ = false;
        started_ = std::move(launched.process);
    }
    return launched.result;
}

bool ElevatedRestart::HandOverAsked() {
    if (!Pending() || released_)
        return false;
    released_ = true;
    return true;
}

bool ElevatedRestart::TakenOver() {
    if (!Pending() || !released_)
        return false;
    started_.reset();
    pending_ = released_ = false;
    return true;
}

ElevatedRestart::NewCopy ElevatedRestart::CheckStarted() {
    if (!Pending() || !started_ || WaitForSingleObject(started_.get(), 0) == WAIT_TIMEOUT)
        return NewCopy::OnItsWay;
    const bool released = released_;
    started_.reset();
    pending_ = released_ = false;
    return released ? NewCopy::EndedAfterRelease : NewCopy::EndedBeforeAsking;
}

std::wstring RestartFailedText(DWORD error) {
    std::wstring text = InCurrentLanguage(L"Quorel を管理者として再起動できませんでした。",
                                          L"Quorel could not be restarted as administrator.");
    const std::wstring reason = SystemErrorReason(error);
    if (!reason.empty())
        text += L"\n\n" + reason;
    return text;
}

const wchar_t* NotTakenOverText() {
    return InCurrentLanguage(
        L"管理者として起動した Quorel に引き継げませんでした（別のユーザーとして起動したとき"
        L"など）。Quorel は管理者ではないまま動作を続けます。",
        L"The copy of Quorel run as administrator could not take over (for example, because it "
        L"runs as another user). Quorel goes on running without administrator rights.");
}

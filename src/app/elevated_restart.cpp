#include "app/elevated_restart.h"

#include "base/com_apartment.h"
#include "base/decimal_text.h"
#include "base/error_report.h"
#include "base/handles.h"
#include "base/system_library.h"

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

LaunchResult LaunchWithShell(const std::wstring& exe, const std::wstring& arguments, HWND owner) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = exe.c_str();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (SystemShellExecute(&info)) {
        handles::UniqueHandle started{info.hProcess};
        return LaunchResult::Started;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_CANCELLED)
        return LaunchResult::Declined;
    ReportSystemError(L"ShellExecuteExW(runas)", exe, error);
    return LaunchResult::Failed;
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

void WaitForProcessEnd(DWORD processId, DWORD timeoutMs) {
    handles::UniqueHandle process{OpenProcess(SYNCHRONIZE, FALSE, processId)};
    if (process)
        WaitForSingleObject(process.get(), timeoutMs);
}

std::function<LaunchResult(const std::wstring&, const std::wstring&, HWND)>
    ElevatedRestart::Launch = LaunchWithShell;

LaunchResult ElevatedRestart::Request(HWND owner) {
    const LaunchResult result =
        Launch ? Launch(ExecutablePath(), TakeoverArguments(GetCurrentProcessId()), owner)
               : LaunchResult::Failed;
    if (result == LaunchResult::Started && OnStarted)
        OnStarted();
    return result;
}

// Restarting as administrator: the takeover switch, both copies' sides of
// the hand-over through seams, and the real Quorel.exe's hand-over on a
// balloon click (under Wine "runas" starts the program as any start does).
#include "app/elevated_restart.h"

#include "app/main_form.h"

#include "base/error_report.h"
#include "base/names.h"

#include "support/testutil.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace testutil;

// The old copy lets go only when asked, ends only once the new copy has
// taken over, and stays when the new copy ends first.
TEST(ElevatedRestart, TheOldCopyEndsOnlyOnceTheNewOneHasTakenOverAndStaysWhenItEndsFirst) {
    std::vector<std::wstring> launched;
    LaunchResult answer = LaunchResult::Declined;
    HANDLE newCopy = nullptr; // stands for the new copy's process: set when it ends
    ElevatedRestart::Launch = [&](const std::wstring& exe, const std::wstring& args, HWND) {
        launched.push_back(L"\"" + exe + L"\" " + args);
        Launched l;
        l.result = answer;
        l.error = answer == LaunchResult::Failed ? ERROR_FILE_NOT_FOUND : ERROR_CANCELLED;
        if (answer == LaunchResult::Started)
            l.process.reset(testutil::StandInProcess(&newCopy));
        return l;
    };
    using NewCopy = ElevatedRestart::NewCopy;
    ElevatedRestart restart;
    DWORD error = 0;
    EXPECT_EQ(restart.Request(nullptr, error), LaunchResult::Declined);
    answer = LaunchResult::Failed;
    EXPECT_EQ(restart.Request(nullptr, error), LaunchResult::Failed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    const std::wstring failed = RestartFailedText(error), reason = SystemErrorReason(error);
    EXPECT_TRUE(!reason.empty() && failed.ends_with(L"\n\n" + reason)) << failed;
    EXPECT_FALSE(restart.Pending());
    EXPECT_FALSE(restart.HandOverAsked()); // nobody was started: ignored

    // Started, then refused (another user's copy): it ends without asking; this copy stays.
    answer = LaunchResult::Started;
    EXPECT_EQ(restart.Request(nullptr, error), LaunchResult::Started);
    EXPECT_TRUE(restart.Pending());
    EXPECT_EQ(restart.Request(nullptr, error), LaunchResult::Started); // not started twice
    EXPECT_FALSE(restart.TakenOver()); // not before it asked for the program
    EXPECT_EQ(restart.CheckStarted(), NewCopy::OnItsWay);
    SetEvent(newCopy);
    EXPECT_EQ(restart.CheckStarted(), NewCopy::EndedBeforeAsking);
    EXPECT_FALSE(restart.Pending());
    CloseHandle(newCopy);

    // Started, asked for the program, then tired of waiting: taken back.
    restart.Request(nullptr, error);
    EXPECT_TRUE(restart.HandOverAsked());
    EXPECT_FALSE(restart.HandOverAsked()); // once
    SetEvent(newCopy);
    EXPECT_EQ(restart.CheckStarted(), NewCopy::EndedAfterRelease);
    EXPECT_FALSE(restart.Pending());
    CloseHandle(newCopy);

    // Started, asked, taken over: only now does this copy end.
    restart.Request(nullptr, error);
    EXPECT_TRUE(restart.HandOverAsked());
    EXPECT_EQ(restart.CheckStarted(), NewCopy::OnItsWay);
    EXPECT_TRUE(restart.TakenOver());
    EXPECT_FALSE(restart.Pending());
    CloseHandle(newCopy);

    const std::wstring expected =
        L"\"" + ExecutablePath() + L"\" " + TakeoverArguments(GetCurrentProcessId());
    EXPECT_EQ(launched, std::vector<std::wstring>(5, expected));
    EXPECT_EQ(TakeoverProcessId(expected.c_str()), GetCurrentProcessId());
    ElevatedRestart::Launch = nullptr;
    EXPECT_EQ(restart.Request(nullptr, error), LaunchResult::Failed);

    const std::wstring exe = L"\"C:\\Program Files\\Quorel\\Quorel.exe\" ";
    EXPECT_EQ(TakeoverProcessId((exe + L"/TAKEOVER:4294967295").c_str()), 4294967295u);
    for (const wchar_t* rest : {L"", L"/takeover:", L"/takeover:12x", L"/takeover:4294967296",
                                L"/takeover: 12", L"takeover:12", L"/takeover"})
        EXPECT_FALSE(TakeoverProcessId((exe + rest).c_str())) << rest;
    // The program's own path is never taken for the switch.
    EXPECT_FALSE(TakeoverProcessId(L"/takeover:12"));
    EXPECT_FALSE(TakeoverProcessId(L""));
}

// The new copy gives up at once when refused the mutex; otherwise it asks
// the old copy to let go and waits on the mutex itself, a bounded time.
TEST(ElevatedRestart, TheNewCopyWaitsOnTheMutexItselfAndGivesUpWhenRefused) {
    HWND previous =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(previous, nullptr);
    const auto askedToLetGo = [previous] {
        MSG msg;
        bool asked = false;
        while (PeekMessageW(&msg, previous, names::kHandOverMessage, names::kHandOverMessage,
                            PM_REMOVE))
            asked = msg.wParam == GetCurrentProcessId();
        return asked;
    };
    // The old copy's mutex, held by a thread that ends without letting go.
    HANDLE held = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE end = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        WaitForSingleObject(held, INFINITE);
        WaitForSingleObject(end, INFINITE);
    });
    ASSERT_TRUE(WaitUntil([&] {
        if (WaitForSingleObject(held, 0) != WAIT_TIMEOUT) {
            ReleaseMutex(held);
            return false;
        }
        return true;
    }));
    DWORD openError = ERROR_SUCCESS;
    std::vector<DWORD> access;
    InstanceMutexCalls calls{[&](DWORD a, const wchar_t*) -> HANDLE {
                                 access.push_back(a);
                                 HANDLE h = nullptr;
                                 if (openError == ERROR_SUCCESS)
                                     DuplicateHandle(GetCurrentProcess(), held, GetCurrentProcess(),
                                                     &h, 0, FALSE, DUPLICATE_SAME_ACCESS);
                                 SetLastError(openError);
                                 return h;
                             },
                             [](const wchar_t*) -> HANDLE { return nullptr; }};
    handles::UniqueHandle mutex;
    openError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(TakeOverInstance(previous, calls, mutex, 100), Takeover::Refused);
    EXPECT_FALSE(askedToLetGo());
    openError = ERROR_FILE_NOT_FOUND;
    EXPECT_EQ(TakeOverInstance(previous, calls, mutex, 100), Takeover::NotRunning);
    EXPECT_FALSE(mutex);

    openError = ERROR_SUCCESS; // the old copy does not let go in time
    EXPECT_EQ(TakeOverInstance(previous, calls, mutex, 300), Takeover::TimedOut);
    EXPECT_FALSE(mutex);
    EXPECT_TRUE(askedToLetGo());
    SetEvent(end); // it ends, still holding the mutex
    holder.join();
    EXPECT_EQ(TakeOverInstance(nullptr, calls, mutex, 5000), Takeover::Taken);
    ASSERT_TRUE(mutex);
    EXPECT_TRUE(ReleaseMutex(mutex.get())); // this thread's now
    EXPECT_EQ(access, std::vector<DWORD>(4, SYNCHRONIZE | MUTEX_MODIFY_STATE));
    mutex.reset();
    CloseHandle(held);
    CloseHandle(end);
    DestroyWindow(previous);
}

// The program's main forms, whichever process owns them.
static std::vector<HWND> MainForms() {
    std::vector<HWND> forms;
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, names::kMainFormClass, nullptr));)
        forms.push_back(h);
    return forms;
}

TEST(ElevatedRestart, ABalloonClickHandsTheProgramToANewCopyThatHoldsTheHotkeys) {
    QuorelProcess old;
    ASSERT_TRUE(old.Start());
    ASSERT_EQ(GetFileAttributesW(old.IniPath().c_str()), INVALID_FILE_ATTRIBUTES);
    HWND receiver = FindWindowExW(old.MainForm(), nullptr, L"TNotifyWindow", nullptr);
    ASSERT_NE(receiver, nullptr);
    PostMessageW(receiver, names::kTrayCallbackMessage, 1, NIN_BALLOONUSERCLICK);

    // The old copy ends by itself, its settings written.
    ASSERT_EQ(WaitForSingleObject(old.ProcessHandle(), 15000), WAIT_OBJECT_0);
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeProcess(old.ProcessHandle(), &code) && code == 0) << code;
    EXPECT_EQ(old.IniText(), kDefaultIniText);

    // One copy remains: the new one, which registered every hotkey without
    // a refusal and acts on them once it has (it was not started by this
    // test, so there is no waiting for its first idle moment).
    HWND form = nullptr;
    DWORD pid = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            auto forms = MainForms();
            form = forms.size() == 1 ? forms[0] : nullptr;
            return form && GetWindowThreadProcessId(form, &pid) && pid != old.ProcessId();
        },
        std::chrono::milliseconds(15000)));
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    ASSERT_NE(process, nullptr);
    TargetWindow target;
    ASSERT_TRUE(target.MakeForeground());
    const RECT before = target.Rect();
    EXPECT_TRUE(WaitUntil(
        [&] {
            PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
            return WaitUntil([&] { return target.Rect().left != before.left; },
                             std::chrono::milliseconds(200));
        },
        kGenerousWait));
    EXPECT_EQ((target.Rect().left - before.left) % 5, 0);
    EXPECT_EQ(target.Rect().top, before.top);
    EXPECT_TRUE(ProcessWindows(pid, L"#32770").empty()); // no "登録に失敗" box
    EXPECT_EQ(MainForms().size(), 1u);

    // It ends as any copy does (before the folder goes).
    PostMessageW(GetWindow(form, GW_OWNER), WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, 15000), WAIT_OBJECT_0);
    CloseHandle(process);
}

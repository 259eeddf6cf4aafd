// Restarting as administrator: the switch that tells a new copy which copy
// it takes over from, the launch through a seam (declined and started),
// and, against the real Quorel.exe, the handover a click on the balloon
// starts (under Wine "runas" starts the program as any start does).
#include "app/elevated_restart.h"

#include "base/error_report.h"
#include "base/names.h"

#include "support/testutil.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testutil;

// Only a started copy ends this one; the copy is told on its command line
// which process it takes over from, and nothing else is read as that.
TEST(ElevatedRestart, OnlyAStartedCopyEndsThisOneAndIsToldWhichProcessItTakesOverFrom) {
    std::vector<std::wstring> launched;
    LaunchResult answer = LaunchResult::Declined;
    ElevatedRestart::Launch = [&](const std::wstring& exe, const std::wstring& args, HWND) {
        launched.push_back(L"\"" + exe + L"\" " + args);
        return answer;
    };
    int ended = 0;
    ElevatedRestart restart;
    restart.OnStarted = [&] { ++ended; };
    for (LaunchResult result :
         {LaunchResult::Declined, LaunchResult::Failed, LaunchResult::Started}) {
        answer = result;
        EXPECT_EQ(restart.Request(nullptr), result);
        EXPECT_EQ(ended, result == LaunchResult::Started ? 1 : 0);
    }
    const std::wstring expected =
        L"\"" + ExecutablePath() + L"\" " + TakeoverArguments(GetCurrentProcessId());
    EXPECT_EQ(launched, std::vector<std::wstring>(3, expected));
    EXPECT_EQ(TakeoverProcessId(expected.c_str()), GetCurrentProcessId());
    ElevatedRestart::Launch = nullptr;
    EXPECT_EQ(restart.Request(nullptr), LaunchResult::Failed);

    const std::wstring exe = L"\"C:\\Program Files\\Quorel\\Quorel.exe\" ";
    EXPECT_EQ(TakeoverProcessId((exe + L"/TAKEOVER:4294967295").c_str()), 4294967295u);
    for (const wchar_t* rest : {L"", L"/takeover:", L"/takeover:12x", L"/takeover:4294967296",
                                L"/takeover: 12", L"takeover:12", L"/takeover"})
        EXPECT_FALSE(TakeoverProcessId((exe + rest).c_str())) << rest;
    // The program's own path is never taken for the switch.
    EXPECT_FALSE(TakeoverProcessId(L"/takeover:12"));
    EXPECT_FALSE(TakeoverProcessId(L""));
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

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

TEST(ElevatedRestart, TheTakeoverSwitchNamesTheOldProcessAndNothingElseIsRead) {
    const std::wstring exe = L"\"C:\\Program Files\\Quorel\\Quorel.exe\" ";
    EXPECT_EQ(TakeoverArguments(1234), L"/takeover:1234");
    EXPECT_EQ(TakeoverProcessId((exe + TakeoverArguments(1234)).c_str()), 1234u);
    EXPECT_EQ(TakeoverProcessId((exe + L"/TAKEOVER:4294967295").c_str()), 4294967295u);
    for (const wchar_t* rest : {L"", L"/takeover:", L"/takeover:12x", L"/takeover:4294967296",
                                L"/takeover: 12", L"takeover:12", L"/takeover"})
        EXPECT_FALSE(TakeoverProcessId((exe + rest).c_str())) << rest;
    // The program's own path is never taken for the switch.
    EXPECT_FALSE(TakeoverProcessId(L"/takeover:12"));
    EXPECT_FALSE(TakeoverProcessId(L""));
}

TEST(ElevatedRestart, OnlyAStartedCopyEndsThisOne) {
    std::vector<std::wstring> launched;
    LaunchResult answer = LaunchResult::Declined;
    ElevatedRestart::Launch = [&](const std::wstring& exe, const std::wstring& args, HWND) {
        launched.push_back(exe + L" " + args);
        return answer;
    };
    int ended = 0;
    ElevatedRestart restart;
    restart.OnStarted = [&] { ++ended; };
    for (LaunchResult declined : {LaunchResult::Declined, LaunchResult::Failed}) {
        answer = declined;
        EXPECT_EQ(restart.Request(nullptr), declined);
        EXPECT_EQ(ended, 0);
    }
    answer = LaunchResult::Started;
    EXPECT_EQ(restart.Request(nullptr), LaunchResult::Started);
    EXPECT_EQ(ended, 1);
    const std::wstring expected =
        ExecutablePath() + L" " + TakeoverArguments(GetCurrentProcessId());
    EXPECT_EQ(launched, std::vector<std::wstring>(3, expected));
    ElevatedRestart::Launch = nullptr;
    EXPECT_EQ(restart.Request(nullptr), LaunchResult::Failed);
}

namespace {

std::vector<HWND> MainForms() {
    std::vector<HWND> forms;
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            if (ClassName(h) == names::kMainFormClass)
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&forms));
    return forms;
}

DWORD ProcessOf(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

} // namespace

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
    GetExitCodeProcess(old.ProcessHandle(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(old.IniText(), kDefaultIniText);

    // One copy remains: the new one, which registered every hotkey without
    // a refusal and acts on them.
    HWND form = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            auto forms = MainForms();
            form = forms.size() == 1 ? forms[0] : nullptr;
            return form && ProcessOf(form) != old.ProcessId();
        },
        std::chrono::milliseconds(15000)));
    const DWORD pid = ProcessOf(form);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    ASSERT_NE(process, nullptr);

    // Its hotkeys work once it has registered them (it was not started by
    // this test, so there is no waiting for its first idle moment).
    TargetWindow target;
    ASSERT_TRUE(target.MakeForeground());
    const RECT before = target.Rect();
    EXPECT_TRUE(WaitUntil(
        [&] {
            PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
            return WaitUntil([&] { return target.Rect().left != before.left; },
                             std::chrono::milliseconds(200));
        },
        std::chrono::milliseconds(10000)));
    const RECT after = target.Rect();
    EXPECT_EQ((after.left - before.left) % 5, 0);
    EXPECT_EQ(after.top, before.top);
    EXPECT_TRUE(ProcessWindows(pid, L"#32770").empty()); // no "登録に失敗" box
    EXPECT_EQ(MainForms().size(), 1u);

    // It ends as any copy does (before the folder goes).
    HWND app = GetWindow(form, GW_OWNER);
    ASSERT_NE(app, nullptr);
    PostMessageW(app, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, 15000), WAIT_OBJECT_0);
    CloseHandle(process);
}

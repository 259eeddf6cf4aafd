#include "app/main_form.h"

#include "app/application.h"
#include "base/message_filter.h"
#include "base/names.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testutil;

namespace {

// The menu's captions joined by "|", a separator as "-".
std::wstring Captions(HMENU m) {
    std::wstring out;
    for (int i = 0; i < GetMenuItemCount(m); ++i) {
        wchar_t buf[128] = {};
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_STRING;
        mi.dwTypeData = buf;
        mi.cch = 128;
        GetMenuItemInfoW(m, static_cast<UINT>(i), TRUE, &mi);
        out += (i ? L"|" : L"") + std::wstring((mi.fType & MFT_SEPARATOR) ? L"-" : buf);
    }
    return out;
}

// Dispatches what waits; true when the loop was told to end.
bool PumpUntilQuit() {
    bool quit = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            quit = true;
        else
            DispatchMessageW(&msg);
    }
    return quit;
}

// A form over seams that accept every hotkey and tray call; the seams, the
// settings and the INI file the form writes are put back afterwards.
class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GlobalHotkeys::SystemRegister = [](HWND, int, UINT, UINT) -> BOOL { return TRUE; };
        TrayIcon::ShellNotify = [](DWORD, PNOTIFYICONDATAA) -> BOOL { return TRUE; };
        TrayIcon::ShellNotifyW = [](DWORD, PNOTIFYICONDATAW) -> BOOL { return TRUE; };
    }
    void TearDown() override {
        message_filter::Change = savedChange;
        GlobalHotkeys::SystemRegister = RegisterHotKey;
        TrayIcon::ShellNotify = Shell_NotifyIconA;
        TrayIcon::ShellNotifyW = Shell_NotifyIconW;
        ElevatedRestart::Launch = nullptr;
        Settings = saved;
        DeleteFileW(IniFilePath().c_str());
    }
    const AppSettings saved = Settings;
    const decltype(message_filter::Change) savedChange = message_filter::Change;
};

} // namespace

TEST(MainFormDispatch, EveryNumberRunsItsCommandAndNothingElseDoesAnything) {
    using K = HotkeyAction::Kind;
    std::vector<int> rowsOfKind(K::KindCount, 0);
    for (const HotkeyEntry& e : HotkeyTable()) {
        EXPECT_EQ(HotkeyActionFor(e.Number).kind, e.Action.kind) << e.Key;
        EXPECT_EQ(HotkeyActionFor(e.Number).direction, e.Action.direction) << e.Key;
        EXPECT_NE(e.Action.kind, K::None) << e.Key;
        // Directions run Up, Down, Left, Right within each family.
        EXPECT_EQ(e.Action.direction, rowsOfKind.at(e.Action.kind)++ % 4) << e.Key;
    }
    for (int kind = K::None + 1; kind < static_cast<int>(rowsOfKind.size()); ++kind)
        EXPECT_GT(rowsOfKind[static_cast<size_t>(kind)], 0) << "no row runs kind " << kind;
    for (int n : {0, -1, HotkeyCommandLast + 1, 1000})
        EXPECT_EQ(HotkeyActionFor(n).kind, K::None);
    // The commands on the foreground window, and those on the desktop, the
    // cursor or the program.
    for (K k : {K::ToggleMaximize, K::Minimize, K::Move, K::SizeBottomRight, K::SizeTopLeft,
                K::Close, K::TopMost, K::Center})
        EXPECT_TRUE(ActsOnForegroundWindow(k)) << k;
    for (K k : {K::None, K::MouseMove, K::PopupMenu, K::AllRestore, K::AllMin, K::ScreenSaver,
                K::KindCount})
        EXPECT_FALSE(ActsOnForegroundWindow(k)) << k;
}

// In both languages, with the same access keys.
TEST(MainFormMenu, TrayVariantHasTheBoldOptionsItemAndNoCancel_CursorVariantTheOtherWay) {
    const std::pair<const char*, std::wstring> languages[] = {
        {"ja", L"オプション(&O)...|-|すべて元のサイズに戻す(&R)|すべて最小化(&N)|-|"
               L"スクリーンセーバー(&S)|-|ヘルプ(&H)...|バージョン情報(&A)...|-|"
               L"Quorel の終了(&X)|キャンセル(&C)"},
        {"en", L"&Options...|-|&Restore All Windows|Mi&nimize All Windows|-|"
               L"Start &Screen Saver|-|&Help...|&About Quorel...|-|E&xit Quorel|&Cancel"}};
    for (const auto& [language, all] : languages) {
        Settings.Language = language;
        MenuHandle m = CreateProgramMenu();
        EXPECT_EQ(Captions(m.get()), all);
        for (int round = 0; round < 2; ++round) {
            PreparePopupMenu(m.get(), true);
            EXPECT_EQ(GetMenuDefaultItem(m.get(), FALSE, 0), static_cast<UINT>(idOption));
            EXPECT_EQ(Captions(m.get()), all.substr(0, all.rfind(L'|')));

            PreparePopupMenu(m.get(), false);
            EXPECT_EQ(GetMenuDefaultItem(m.get(), FALSE, 0), static_cast<UINT>(-1));
            EXPECT_EQ(Captions(m.get()), all);
            EXPECT_EQ(GetMenuItemID(m.get(), 11), static_cast<UINT>(idCancel));
        }
    }
    Settings.Language.clear();
}

TEST_F(MainFormTest, OnlyTheMoveAndResizeCommandsRepeatWhileTheKeyIsHeld) {
    std::vector<UINT> asked(HotkeyTable().size() + 1, 0); // modifier flags by number
    GlobalHotkeys::SystemRegister = [&](HWND, int id, UINT modifiers, UINT) -> BOOL {
        asked.at(static_cast<size_t>(id)) = modifiers;
        return TRUE;
    };
    {
        Application app(L"Quorel");
        MainForm form(app);
        for (const HotkeyEntry& e : HotkeyTable()) // Shift+Ctrl+Alt+F1 and on
            Settings.*(e.Field) = "Shift+Ctrl+Alt+F" + std::to_string(e.Number);
        form.RegisterAllHotkeys();
    }
    const UINT mods = MOD_SHIFT | MOD_CONTROL | MOD_ALT;
    for (const HotkeyEntry& e : HotkeyTable())
        EXPECT_EQ(asked[static_cast<size_t>(e.Number)], e.Repeats ? mods : mods | MOD_NOREPEAT)
            << e.Key;
}

// Start-up registers the hotkeys before it sets the tray icon up; a refused
// combination is reported, and the cursor moved to its corner, once the
// message loop runs, so the icon is there when the box shows.
TEST_F(MainFormTest, TheHotkeysComeBeforeTheIconAndARefusalIsReportedOnceTheLoopRuns) {
    WriteFileBytes(IniFilePath(), IniWith("MouseMovePos=0\r\nMouseOffset=10\r\n"
                                          "StartMouseMove=1\r\nLanguage=ja\r\n"));
    std::vector<std::string> events;
    GlobalHotkeys::SystemRegister = [&](HWND, int id, UINT, UINT) -> BOOL {
        events.push_back("register " + std::to_string(id));
        SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
        return id != 2; // Alt+F11 is held elsewhere
    };
    TrayIcon::ShellNotify = [&](DWORD message, PNOTIFYICONDATAA) -> BOOL {
        if (message == NIM_ADD)
            events.push_back("icon");
        return TRUE;
    };
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    SetCursorPos(w / 2, h / 2);
    {
        MessageBoxCloser closer;
        Application app(L"Quorel");
        MainForm form(app);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), "register 1");
        EXPECT_EQ(events.back(), "icon");
        EXPECT_EQ(std::count(events.begin(), events.end(), "icon"), 1);
        // Nothing shown and the cursor where it was until the loop runs.
        EXPECT_EQ(closer.Count(), 0u);
        POINT p{};
        GetCursorPos(&p);
        EXPECT_EQ(p.x, w / 2);

        EXPECT_TRUE(WaitUntil([&] { return GetCursorPos(&p) && p.x == 10 && p.y == 10; }))
            << p.x << "," << p.y;
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() >= 1; }));
        const auto seen = closer.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, L"ホットキー「Alt+F11」の登録に失敗しました。");
        EXPECT_EQ(seen[0].caption, L"Quorel");
        EXPECT_EQ(seen[0].owner, form.Handle());
    }
}

TEST(MainFormSingleInstance, AMutexThatExistsOrIsDeniedMeansAnotherCopyRuns) {
    // A real handle (the guard closes or keeps it) unless the call failed.
    DWORD access = 0, openError = 0, createError = 0;
    auto answer = [](DWORD error, bool gives) {
        HANDLE h = gives ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
        SetLastError(error);
        return h;
    };
    InstanceMutexCalls calls{
        [&](DWORD a, const wchar_t*) {
            access = a;
            return answer(openError, openError == 0);
        },
        [&](const wchar_t*) { return answer(createError, createError != ERROR_ACCESS_DENIED); }};
    handles::UniqueHandle mutex;
    openError = ERROR_ACCESS_DENIED; // held by a copy started as administrator
    EXPECT_FALSE(ClaimSingleInstance(calls, mutex));
    EXPECT_EQ(access, static_cast<DWORD>(SYNCHRONIZE)); // waiting rights only
    // Made meanwhile by a copy started at the same moment, elevated or not.
    openError = ERROR_FILE_NOT_FOUND;
    for (DWORD error : {ERROR_ALREADY_EXISTS, ERROR_ACCESS_DENIED}) {
        createError = error;
        EXPECT_FALSE(ClaimSingleInstance(calls, mutex));
        EXPECT_FALSE(mutex);
    }
    createError = ERROR_SUCCESS; // the first copy keeps its mutex
    EXPECT_TRUE(ClaimSingleInstance(calls, mutex));
    EXPECT_TRUE(mutex);
}

TEST_F(MainFormTest, ADeclinedRestartKeepsTheProgramAndOnlyTheThreeMessagesAreLetThrough) {
    std::vector<std::pair<HWND, UINT>> allowed;
    message_filter::Change = [&](HWND w, UINT m, DWORD) {
        allowed.emplace_back(w, m);
        return TRUE;
    };
    int launches = 0;
    LaunchResult answer = LaunchResult::Declined;
    HANDLE newCopy = nullptr;       // stands for the new copy's process: set when it ends
    std::vector<bool> ownerInFront; // the system's question comes to the front
    ElevatedRestart::Launch = [&](const std::wstring&, const std::wstring&, HWND owner) {
        ++launches;
        ownerInFront.push_back(owner && GetForegroundWindow() == owner);
        Launched l;
        l.result = answer;
        if (answer == LaunchResult::Started)
            l.process.reset(testutil::StandInProcess(&newCopy));
        return l;
    };
    int registered = 0;
    GlobalHotkeys::SystemRegister = [&](HWND, int, UINT, UINT) -> BOOL { return ++registered; };
    {
        Application app(L"Quorel");
        MainForm form(app);
        PumpUntilQuit();
        EXPECT_EQ(allowed, (std::vector<std::pair<HWND, UINT>>{
                               {form.Handle(), names::kSecondInstanceMessage},
                               {TrayIcon::NotifyWindow(), names::kTrayCallbackMessage},
                               {form.Handle(), RegisterWindowMessageW(L"TaskbarCreated")}}));

        const auto click = [] {
            PostMessageW(TrayIcon::NotifyWindow(), names::kTrayCallbackMessage, 1,
                         NIN_BALLOONUSERCLICK);
            return PumpUntilQuit();
        };
        EXPECT_FALSE(click()); // declined: the program goes on
        EXPECT_EQ(launches, 1);

        // Started, asked to let go, and the new copy ends without taking
        // over: the hotkeys come back and the user is told.
        answer = LaunchResult::Started;
        EXPECT_FALSE(click());
        EXPECT_EQ(launches, 2);
        const int hotkeys = registered;
        PostMessageW(form.Handle(), names::kHandOverMessage, 0, 0);
        DeleteFileW(IniFilePath().c_str());
        EXPECT_FALSE(PumpUntilQuit());
        // written for the new copy
        EXPECT_NE(ReadFileBytes(IniFilePath()).find("MaxRestoreKey"), std::string::npos);
        {
            MessageBoxCloser closer;
            SetEvent(newCopy);
            EXPECT_TRUE(WaitUntil([&] { return closer.Count() == 1; }));
            ASSERT_EQ(closer.Count(), 1u);
            EXPECT_EQ(closer.Seen()[0].text, NotTakenOverText());
        }
        EXPECT_EQ(registered, 2 * hotkeys);
        EXPECT_FALSE(PumpUntilQuit());
        CloseHandle(newCopy);

        // Started and taken over: only now does this copy end.
        EXPECT_FALSE(click());
        PostMessageW(form.Handle(), names::kTakenOverMessage, 0, 0); // not asked yet
        EXPECT_FALSE(PumpUntilQuit());
        PostMessageW(form.Handle(), names::kHandOverMessage, 0, 0);
        PostMessageW(form.Handle(), names::kTakenOverMessage, 0, 0);
        EXPECT_TRUE(PumpUntilQuit());
        EXPECT_EQ(launches, 3);
        EXPECT_EQ(ownerInFront, std::vector<bool>(3, true));
        CloseHandle(newCopy);
    }
}

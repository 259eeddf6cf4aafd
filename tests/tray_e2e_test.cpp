// End-to-end tests of the tray icon's callbacks, the popup menu and the
// dialogs it opens, against the real Quorel.exe. The callbacks are posted to
// the program's tray receiver window as the shell would post them.
#include "base/names.h"
#include "res/version.h"
#include "settings/settings.h"
#include "settings/ui_language.h"
#include "ui/help_window.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <string>

using namespace testutil;
using std::chrono::milliseconds;

namespace {

constexpr UINT kTrayCallback = WM_USER + 102;
constexpr UINT kAboutCommand = 106; // the About item of the popup menu

HWND NotifyWindow(const QuorelProcess& q) {
    return FindWindowExW(q.MainForm(), nullptr, L"TNotifyWindow", nullptr);
}

void PostTray(const QuorelProcess& q, UINT mouseMessage) {
    PostMessageW(NotifyWindow(q), kTrayCallback, 1, mouseMessage);
}

std::vector<HWND> Menus(const QuorelProcess& q) {
    return q.VisibleWindows(L"#32768");
}

HWND FindTitled(const QuorelProcess& q, const std::wstring& title) {
    for (HWND h : q.VisibleWindows())
        if (WindowText(h) == title)
            return h;
    return nullptr;
}

bool HasStaticText(HWND dialog, const std::wstring& text) {
    bool found = false;
    EnumChildWindows(
        dialog,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* p = reinterpret_cast<std::pair<const std::wstring*, bool*>*>(lp);
            if (WindowText(h) == *p->first)
                *p->second = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(new std::pair<const std::wstring*, bool*>(&text, &found)));
    return found;
}

} // namespace

TEST(QuorelTray, RightPressOpensTheMenuAndItsExitItemEndsTheProgramWritingTheIni) {
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    ASSERT_NE(NotifyWindow(q), nullptr);
    PostTray(q, WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return !Menus(q).empty(); }));
    // "Quorel の終了(&X)": its access key chooses it.
    PressKey(0, 'X');
    EXPECT_TRUE(WaitUntil([&] { return !q.Running(); }, milliseconds(10000)));
    EXPECT_NE(q.IniText().find("MaxRestoreKey=Alt+F12\r\n"), std::string::npos);
}

TEST(QuorelTray, CallbacksAreDroppedWhileTheMenuIsOpen) {
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    PostTray(q, WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return !Menus(q).empty(); }));
    // A double click while the menu is open is not queued for later.
    PostTray(q, WM_LBUTTONDBLCLK);
    q.CancelMenu();
    ASSERT_TRUE(WaitUntil([&] { return Menus(q).empty(); }));
    q.WaitIdle();
    // The program handles a later callback normally...
    PostTray(q, WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return !Menus(q).empty(); }));
    q.CancelMenu();
    ASSERT_TRUE(WaitUntil([&] { return Menus(q).empty(); }));
    // ...and the dropped double click never opened the options dialog.
    EXPECT_EQ(FindTitled(q, L"オプション"), nullptr);
}

TEST(QuorelTray, HotkeySixteenOpensTheMenuAtTheCursor) {
    std::string ini = IniWith("PopupMenuKey=Ctrl+Alt+F6\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    SetCursorPos(300, 200);
    PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
    ASSERT_TRUE(WaitUntil([&] { return !Menus(q).empty(); }));
    RECT r{};
    GetWindowRect(Menus(q).front(), &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
    q.CancelMenu();
    EXPECT_TRUE(WaitUntil([&] { return Menus(q).empty(); }));
    q.WaitIdle();
    EXPECT_TRUE(q.Running());
    EXPECT_TRUE(q.VisibleWindows().empty());
}

TEST(QuorelTray, DoubleClickOpensTheOptionsDialogAndTrayActionsOnlyBringItForward) {
    std::string ini = IniWith("PopupMenuKey=Ctrl+Alt+F6\r\nLanguage=ja\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    PostTray(q, WM_LBUTTONDBLCLK);
    HWND dlg = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dlg = FindTitled(q, L"オプション")) != nullptr; }));

    for (UINT m : {WM_RBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
        PostTray(q, m);
        q.WaitIdle();
        EXPECT_TRUE(Menus(q).empty());
    }
    // Only one options dialog.
    int count = 0;
    for (HWND h : q.VisibleWindows())
        count += WindowText(h) == L"オプション";
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dlg; }));

    // Cancel closes it; the hotkeys are registered again (before the
    // dialog's window goes): hotkey 16 opens the menu.
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
    PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
    ASSERT_TRUE(WaitUntil([&] { return !Menus(q).empty(); }));
    q.CancelMenu();
    EXPECT_TRUE(WaitUntil([&] { return Menus(q).empty(); }));
}

TEST(QuorelTray, AboutBoxShowsTheVersionAndANewOneIsMadeEachTime) {
    std::string ini = IniWith("PopupMenuKey=Ctrl+Alt+F6\r\nLanguage=ja\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    for (int round = 0; round < 2; ++round) {
        PostMessageW(q.MainForm(), WM_COMMAND, kAboutCommand, 0);
        HWND about = nullptr;
        ASSERT_TRUE(
            WaitUntil([&] { return (about = FindTitled(q, L"バージョン情報")) != nullptr; }));
        EXPECT_TRUE(HasStaticText(about, L"Version " QUOREL_VERSION_TEXT));
        EXPECT_TRUE(HasStaticText(about, L"Quorel"));
        // While it is open, hotkey 16 and the tray open no menu.
        PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
        PostTray(q, WM_RBUTTONDOWN);
        q.WaitIdle();
        EXPECT_TRUE(Menus(q).empty());
        PostMessageW(about, WM_COMMAND, round == 0 ? IDOK : IDCANCEL, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    }
}

namespace {

constexpr UINT kHelpCommand = 105; // the Help item of the popup menu

HWND HelpWindowOf(const QuorelProcess& q) {
    auto v = q.VisibleWindows(names::kHelpWindowClass);
    return v.empty() ? nullptr : v.front();
}

// Chooses "ヘルプ(&H)..." in the menu opened from the tray icon.
void ChooseHelpInTheMenu(const QuorelProcess& q) {
    PostTray(q, WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return !Menus(q).empty(); }));
    PressKey(0, 'H');
    ASSERT_TRUE(WaitUntil([&] { return Menus(q).empty(); }));
}

} // namespace

// The menu's help opens the built-in help on its first topic, which lists
// the keys in effect, here in English. It is no dialog: the tray, the menu
// and the hotkeys keep working, and a second request brings the same
// window forward. Esc closes it.
TEST(QuorelTray, TheMenusHelpShowsTheKeysInEffectInOneWindowThatEscCloses) {
    std::string ini = IniWith("MaxRestoreKey=ctrl+alt+f10\r\n"
                              "MinKey=\r\n"
                              "MoveUpKey=^Alt+U\r\n"
                              "PopupMenuKey=Ctrl+Alt+F6\r\n"
                              "Language=en\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    ChooseHelpInTheMenu(q);
    HWND help = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (help = HelpWindowOf(q)) != nullptr; }));
    EXPECT_EQ(WindowText(help), L"Quorel Help");
    std::wstring text = ControlText(GetDlgItem(help, idHelpText));
    EXPECT_EQ(text.rfind(L"■ Overview\r\n", 0), 0u) << text.substr(0, 40);
    const std::pair<int, const wchar_t*> keys[] = {
        {hkMaxRestore, L"Ctrl+Alt+F10"}, {hkMinimize, L"None"},         {hkMoveUp, L"Ctrl+Alt+U"},
        {hkMoveDown, L"Shift+Alt+Down"}, {hkPopupMenu, L"Ctrl+Alt+F6"}, {hkScreenSaver, L"None"}};
    for (auto [number, key] : keys) {
        const HotkeyEntry* e = FindHotkey(number);
        std::wstring line = std::wstring(L"\r\n") +
                            InLanguage(UiLanguage::English, e->Name, e->NameEn) + L"\t" + key +
                            L"\r\n";
        EXPECT_NE(text.find(line), std::wstring::npos) << e->Key;
    }
    EXPECT_EQ(SendMessageW(GetDlgItem(help, idHelpContents), LB_GETCURSEL, 0, 0), 0);
    // No message box, no help viewer of the system.
    EXPECT_TRUE(q.VisibleWindows(L"#32770").empty());
    EXPECT_EQ(FindWindowW(L"MS_WINHELP", nullptr), nullptr);

    // The hotkeys act while it is open.
    TargetWindow w;
    ASSERT_TRUE(w.MakeForeground());
    RECT r = w.Rect();
    PressKey(MOD_CONTROL | MOD_ALT, 'U');
    OffsetRect(&r, 0, -5);
    EXPECT_TRUE(WaitForRect(w, r));
    // The menu opens, also by its hotkey, and asks for help again: the
    // same window comes forward.
    PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
    ASSERT_TRUE(WaitUntil([&] { return !Menus(q).empty(); }));
    q.CancelMenu();
    ASSERT_TRUE(WaitUntil([&] { return Menus(q).empty(); }));
    ChooseHelpInTheMenu(q);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == help; }));
    EXPECT_EQ(q.VisibleWindows(names::kHelpWindowClass).size(), 1u);

    PressKey(0, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
    EXPECT_TRUE(q.Running());
    EXPECT_TRUE(q.VisibleWindows().empty());
}

namespace {

void MouseClickAt(int x, int y, DWORD down, DWORD up) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> in;
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = x * 65535 / (w - 1);
    move.mi.dy = y * 65535 / (h - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in.push_back(move);
    INPUT b{};
    b.type = INPUT_MOUSE;
    b.mi.dwFlags = down;
    in.push_back(b);
    b.mi.dwFlags = up;
    in.push_back(b);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

} // namespace

// With no tray program on the display, Wine shows the icons in a window of
// its own, each icon a child window. This clicks the program's icon for real.
TEST(QuorelTray, ClickingTheRealIconOpensTheMenu) {
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    HWND tray = nullptr;
    if (!WaitUntil(
            [&] {
                tray = FindWindowW(nullptr, L"Wine System Tray");
                return tray && IsWindowVisible(tray);
            },
            kGenerousWait))
        GTEST_SKIP() << "no stand-alone tray window on this system";
    // The icons shown; the program's is among them (a program that ended
    // a moment ago may still have its icon there).
    std::vector<HWND> icons;
    ASSERT_TRUE(WaitUntil([&] {
        icons.clear();
        for (HWND c = FindWindowExW(tray, nullptr, nullptr, nullptr); c;
             c = FindWindowExW(tray, c, nullptr, nullptr))
            if (IsWindowVisible(c))
                icons.push_back(c);
        return !icons.empty();
    }));
    POINT at{};
    bool opened = false;
    for (HWND icon : icons) {
        RECT ir{};
        GetWindowRect(icon, &ir);
        at = {(ir.left + ir.right) / 2, (ir.top + ir.bottom) / 2};
        MouseClickAt(at.x, at.y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        if ((opened = WaitUntil([&] { return !Menus(q).empty(); }, kGenerousWait)))
            break;
    }
    ASSERT_TRUE(opened);
    // The menu opens at the pointer.
    RECT r{};
    GetWindowRect(Menus(q).front(), &r);
    EXPECT_EQ(r.left, at.x);
    q.CancelMenu();
    EXPECT_TRUE(WaitUntil([&] { return Menus(q).empty(); }));
}

// With a help file beside the program, a request goes to the system's help
// viewer as it always did, but the program never waits on that viewer:
// here the viewer stops at a message box of its own (the empty file is no
// help file), and the program goes on with its messages meanwhile.
TEST(QuorelTray, AHelpFileBesideTheProgramGoesToTheSystemsViewerWithoutHoldingTheProgram) {
    std::string ini = IniWith("Language=ja\r\n"); // the texts below are Japanese
    QuorelProcess q(&ini);
    WriteFileBytes(q.ExePath().substr(0, q.ExePath().size() - 4) + L".hlp", "");
    ASSERT_TRUE(q.Start());
    PostMessageW(q.MainForm(), WM_COMMAND, kHelpCommand, 0);
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (viewer = FindWindowW(L"MS_WINHELP", nullptr)) != nullptr; },
                          milliseconds(20000)));
    DWORD viewerPid = 0;
    GetWindowThreadProcessId(viewer, &viewerPid);
    HANDLE viewerProcess = OpenProcess(SYNCHRONIZE, FALSE, viewerPid);
    ASSERT_NE(viewerProcess, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !ProcessWindows(viewerPid, L"#32770").empty(); },
                          milliseconds(10000)));
    // While the viewer's box is up, a command posted to the program after
    // the help request is carried out: the About box opens.
    PostMessageW(q.MainForm(), WM_COMMAND, kAboutCommand, 0);
    HWND about = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (about = FindTitled(q, L"バージョン情報")) != nullptr; }));
    EXPECT_FALSE(ProcessWindows(viewerPid, L"#32770").empty());
    EXPECT_EQ(HelpWindowOf(q), nullptr);
    if (about)
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    {
        MessageBoxCloser closer(viewerPid);
        PostMessageW(viewer, WM_CLOSE, 0, 0);
        EXPECT_TRUE(
            WaitUntil([&] { return WaitForSingleObject(viewerProcess, 0) == WAIT_OBJECT_0; },
                      milliseconds(10000)));
    }
    CloseHandle(viewerProcess);
    EXPECT_TRUE(q.Close());
}

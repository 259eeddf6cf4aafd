// End-to-end tests of the options dialog and the About box against the real
// Quorel.exe. This process, a separate program, opens the dialog through the
// tray callback as the shell would, drives its controls with their own
// messages (none of which carries a pointer, so they work across
// processes), closes it, and looks at what the program does afterwards: its
// hotkeys, its tray icon, its message boxes and the INI file it writes at
// exit.
#include "ui/about_box.h"
#include "ui/help_window.h"
#include "ui/options_dialog.h"

#include "base/names.h"
#include "res/version.h"
#include "settings/settings.h"
#include "settings/startup_shortcut.h"
#include "settings/ui_language.h"
#include "support/testutil.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>

#include <sstream>
#include <string>
#include <vector>

using namespace testutil;
using std::chrono::milliseconds;

namespace {

constexpr UINT kTrayCallback = WM_USER + 102;
constexpr UINT kOptionsCommand = 101; // the options item of the popup menu
constexpr UINT kAboutCommand = 106;   // the About item
constexpr UINT kHelpCommand = 105;    // the Help item

// A key-capture control's value as HKM_SETHOTKEY takes it and HKM_GETHOTKEY
// gives it back (without the extended-key flag).
constexpr WORD Hk(UINT vk, BYTE flags = 0) {
    return static_cast<WORD>(vk | (flags << 8));
}
constexpr BYTE kShift = HOTKEYF_SHIFT, kCtrl = HOTKEYF_CONTROL, kAlt = HOTKEYF_ALT;

// The value of a key in an INI text, or "<missing>".
std::string IniValue(const std::string& text, const std::string& key) {
    std::string needle = "\n" + key + "=";
    std::string t = "\n" + text;
    size_t p = t.find(needle);
    if (p == std::string::npos)
        return "<missing>";
    p += needle.size();
    size_t end = t.find_first_of("\r\n", p);
    return t.substr(p, end == std::string::npos ? std::string::npos : end - p);
}

// Expects the INI text to hold each of the space-separated "Key=Value".
void ExpectIni(const std::string& text, const std::string& expected) {
    std::istringstream in(expected);
    for (std::string item; in >> item;) {
        size_t eq = item.find('=');
        EXPECT_EQ(IniValue(text, item.substr(0, eq)), item.substr(eq + 1)) << item;
    }
}

bool Has(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// Whether a (Japanese) message names the command of a number.
bool Names(const std::wstring& text, int number) {
    return Has(text, FindHotkey(number)->Name);
}

HWND NotifyWindow(const QuorelProcess& q) {
    return FindWindowExW(q.MainForm(), nullptr, L"TNotifyWindow", nullptr);
}

// Waits until the program's thread has handled everything sent to it so far
// (a sent message is handled only when the thread looks for messages again).
bool Sync(const QuorelProcess& q) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(q.MainForm(), WM_NULL, 0, 0, SMTO_NORMAL, kGenerousWaitMs, &r) != 0;
}

// Whether the shell holds the program's tray icon: a modification that
// changes nothing succeeds only for an icon that is there.
bool TrayIconShown(const QuorelProcess& q) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = NotifyWindow(q);
    nid.uID = 1;
    nid.uFlags = 0;
    return nid.hWnd && Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

// The options dialog of a running program, driven from outside.
class Options {
  public:
    // Opens it by a left double click on the tray icon, or by the menu's
    // options command (with the icon hidden).
    explicit Options(const QuorelProcess& q, bool byMenu = false) {
        if (byMenu)
            PostMessageW(q.MainForm(), WM_COMMAND, kOptionsCommand, 0);
        else
            PostMessageW(NotifyWindow(q), kTrayCallback, 1, WM_LBUTTONDBLCLK);
        WaitUntil([&] {
            auto w = q.VisibleWindows(names::kOptionsDialogClass);
            dlg_ = w.empty() ? nullptr : w.front();
            return dlg_ != nullptr;
        });
    }
    HWND Handle() const { return dlg_; }
    HWND C(int id) const { return OptionsDialogControl(dlg_, id); }

    WORD Key(int number) const {
        auto v = SendMessageW(C(HotkeyControlId(number)), HKM_GETHOTKEY, 0, 0);
        return static_cast<WORD>(v & ~(HOTKEYF_EXT << 8) & 0xFFFF);
    }
    void SetKey(int number, WORD value) {
        SendMessageW(C(HotkeyControlId(number)), HKM_SETHOTKEY, value, 0);
    }
    std::vector<WORD> AllKeys() const {
        std::vector<WORD> v;
        for (const HotkeyEntry& e : HotkeyTable())
            v.push_back(Key(e.Number));
        return v;
    }
    int Pos(int upDownId) const {
        return static_cast<short>(LOWORD(SendMessageW(C(upDownId), UDM_GETPOS, 0, 0)));
    }
    void SetPos(int upDownId, short pos) {
        SendMessageW(C(upDownId), UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(pos), 0));
    }
    // A control's text, asked of the control itself (GetWindowText does
    // not ask a window of another process).
    std::wstring Text(int id) const {
        wchar_t buf[64] = {};
        SendMessageW(C(id), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    LRESULT Corner() const { return SendMessageW(C(idMouseMovePos), CB_GETCURSEL, 0, 0); }
    void SetCorner(int item) { SendMessageW(C(idMouseMovePos), CB_SETCURSEL, item, 0); }
    void Check(int id, bool on) {
        SendMessageW(C(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    int Page() const { return static_cast<int>(SendMessageW(C(idPageTabs), TCM_GETCURSEL, 0, 0)); }
    // Turns the pages with Ctrl+Tab, as the user does, until the given one
    // shows.
    bool GoToPage(int page) {
        if (!MakeForeground(dlg_))
            return false;
        for (int i = 0; i < kOptionPageCount && Page() != page; ++i) {
            int before = Page();
            PressKey(MOD_CONTROL, VK_TAB);
            if (!WaitUntil([&] { return Page() != before; }))
                return false;
        }
        return Page() == page;
    }
    // Posted, so that a message box that the click opens does not hold this
    // thread.
    void Click(int id) { PostMessageW(C(id), BM_CLICK, 0, 0); }
    // Clicks OK or Cancel and waits until the dialog has gone: by then the
    // program has applied the tray switch and registered its hotkeys again
    // (the release is posted after that).
    bool CloseWith(int id, milliseconds timeout = kGenerousWait) {
        Click(id);
        return WaitUntil([&] { return !IsWindow(dlg_); }, timeout);
    }
    // Waits until the program's keyboard focus is on the control id.
    bool WaitFocus(int id) const {
        DWORD tid = GetWindowThreadProcessId(dlg_, nullptr);
        return WaitUntil([&] {
            GUITHREADINFO gti{};
            gti.cbSize = sizeof gti;
            return GetGUIThreadInfo(tid, &gti) && gti.hwndFocus == C(id);
        });
    }

  private:
    HWND dlg_ = nullptr;
};

// The user's Startup folder holds no Quorel.lnk before and after a test (the
// Wine prefix is shared by the whole run); COM is on to read the shortcut.
struct CleanStartupFolder {
    const std::wstring link = StartupShortcutPath(true);
    CleanStartupFolder() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        DeleteFileW(link.c_str());
    }
    ~CleanStartupFolder() {
        DeleteFileW(link.c_str());
        CoUninitialize();
    }
    bool Exists() const { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

HWND HelpWindowOf(const QuorelProcess& q) {
    auto v = q.VisibleWindows(names::kHelpWindowClass);
    return v.empty() ? nullptr : v.front();
}

std::wstring HelpText(HWND help) {
    return ControlText(GetDlgItem(help, idHelpText));
}

bool ShowsTopic(HWND help, HelpTopic topic) {
    return HelpText(help).rfind(
               std::wstring(L"■ ") + HelpTopicTitle(topic, UiLanguage::English) + L"\r\n", 0) == 0;
}

// A command's name in the English help.
std::wstring EnglishName(int number) {
    const HotkeyEntry* e = FindHotkey(number);
    return InLanguage(UiLanguage::English, e->Name, e->NameEn);
}

bool Shows(HWND help, const std::wstring& line) {
    return HelpText(help).find(L"\r\n" + line + L"\r\n") != std::wstring::npos;
}

// Whether the help window leaves the dialog's caption and its OK and Cancel
// buttons uncovered.
bool LeavesInView(HWND help, const Options& dlg) {
    RECT h, d, ok, cancel, overlap;
    GetWindowRect(help, &h);
    GetWindowRect(dlg.Handle(), &d);
    GetWindowRect(dlg.C(IDOK), &ok);
    GetWindowRect(dlg.C(IDCANCEL), &cancel);
    POINT client{0, 0};
    ClientToScreen(dlg.Handle(), &client);
    RECT caption{d.left, d.top, d.right, client.y};
    return !IntersectRect(&overlap, &h, &caption) && !IntersectRect(&overlap, &h, &ok) &&
           !IntersectRect(&overlap, &h, &cancel);
}

} // namespace

// OK copies every control into the settings; the program registers the new
// combinations at once and writes the values, in their canonical text form,
// at exit.
TEST(OptionsE2E, OkAppliesTheEditedValuesAtOnceAndWritesThemCanonicallyAtExit) {
    std::string ini = IniWith("MinKey=alt+f11\r\n"
                              "MoveUpKey=^Alt+Up\r\n"
                              "RB_SizeUpKey=\r\n"
                              "MoveP=5\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);
    EXPECT_EQ(dlg.Key(hkMinimize), Hk(VK_F11, kAlt));
    EXPECT_EQ(dlg.Key(hkMoveUp), Hk(VK_UP, kCtrl | kAlt));

    // Page 0, "全般".
    dlg.SetKey(hkClose, Hk(VK_F9, kCtrl | kAlt));
    // Page 1, "移動": a new key for moving right, and a new step.
    dlg.SetKey(hkMoveRight, Hk('J', kCtrl | kAlt));
    dlg.SetPos(idMoveP_UpDown, 9);
    // Page 2, "サイズ変更1".
    dlg.SetPos(idSizeP_UpDown, 4);
    // Page 4, "マウス".
    dlg.SetKey(hkMouseMove, 0);
    dlg.SetCorner(3);
    dlg.SetPos(idMouseOffset_UpDown, 20);
    dlg.Check(idStartMouseMove, true);
    // Page 5, "その他".
    dlg.SetKey(hkPopupMenu, Hk(VK_HOME, kShift | kCtrl));
    ASSERT_TRUE(dlg.CloseWith(IDOK));
    // Written at OK: the file holds the new values while the program runs.
    ExpectIni(q.IniText(), "CloseKey=Ctrl+Alt+F9 MoveRightKey=Ctrl+Alt+J MoveP=9 SizeP=4 "
                           "MouseMovePos=3 MouseOffset=20 PopupMenuKey=Shift+Ctrl+Home");

    // The old combination for moving right no longer acts, the new one
    // does, with the new step. The presses are handled in order, so when
    // the window has moved by one step, the old combination had no effect.
    TargetWindow w;
    ASSERT_TRUE(w.MakeForeground());
    RECT r = w.Rect();
    PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
    PressKey(MOD_CONTROL | MOD_ALT, 'J');
    OffsetRect(&r, 9, 0);
    EXPECT_TRUE(WaitForRect(w, r));
    // The rewritten combination for moving up still acts.
    PressKey(MOD_CONTROL | MOD_ALT, VK_UP);
    OffsetRect(&r, 0, -9);
    EXPECT_TRUE(WaitForRect(w, r));

    ASSERT_TRUE(q.Close());
    ExpectIni(q.IniText(), "MinKey=Alt+F11 MoveUpKey=Ctrl+Alt+Up MaxRestoreKey=Alt+F12 "
                           "CloseKey=Ctrl+Alt+F9 MoveRightKey=Ctrl+Alt+J RB_SizeUpKey= "
                           "MoveP=9 SizeP=4 MouseMoveKey= MouseMovePos=3 MouseOffset=20 "
                           "StartMouseMove=1 PopupMenuKey=Shift+Ctrl+Home NoTrayIcon=0");
}

// Cancel, and Esc pressed in the dialog, drop every edit: the old hotkeys act
// again, the tray icon stays, no start with Windows is set up, and the INI
// file keeps the old values.
TEST(OptionsE2E, CancelAndEscChangeNothingAndBringTheOldHotkeysBack) {
    CleanStartupFolder startup;
    std::string ini = IniWith("MoveP=7\r\nMouseMovePos=2\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    ASSERT_TRUE(TrayIconShown(q));
    TargetWindow w;

    for (bool byEsc : {false, true}) {
        SCOPED_TRACE(byEsc ? "Esc" : "Cancel");
        Options dlg(q);
        ASSERT_NE(dlg.Handle(), nullptr);
        dlg.SetKey(hkMoveRight, Hk('J', kCtrl | kAlt));
        dlg.SetPos(idMoveP_UpDown, 20);
        dlg.SetCorner(0);
        dlg.Check(idNoTrayIcon, true);
        dlg.Check(idStartWithWindows, true);
        if (byEsc) {
            // The program's message loop gives the modeless dialog its
            // keyboard handling: Esc is its cancel button.
            ASSERT_TRUE(MakeForeground(dlg.Handle()));
            PressKey(0, VK_ESCAPE);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg.Handle()); }));
        } else {
            ASSERT_TRUE(dlg.CloseWith(IDCANCEL));
        }
        EXPECT_TRUE(TrayIconShown(q));
        EXPECT_FALSE(startup.Exists());

        ASSERT_TRUE(w.MakeForeground());
        RECT r = w.Rect();
        PressKey(MOD_CONTROL | MOD_ALT, 'J');
        PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
        OffsetRect(&r, 7, 0);
        EXPECT_TRUE(WaitForRect(w, r));
    }

    ASSERT_TRUE(q.Close());
    ExpectIni(q.IniText(), "MoveRightKey=Shift+Alt+Right MoveP=7 MouseMovePos=2 NoTrayIcon=0");
}

// Opens the dialog over steps and a corner stored out of range, both ways,
// and presses OK without a change: the spin controls show their nearer
// bounds, the corner list shows no item, and that is what the program writes
// at exit.
TEST(OptionsE2E, StepsAndCornerOutOfRangeOpenAtTheBoundsAndOkStoresThem) {
    const struct {
        const char *moveP, *sizeP, *corner;
        short moveShown, sizeShown;
    } cases[] = {{"0", "80", "7", 1, 50}, {"80", "-3", "-2", 50, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.moveP);
        std::string ini = IniWith(std::string("MoveP=") + c.moveP + "\r\nSizeP=" + c.sizeP +
                                  "\r\nMouseMovePos=" + c.corner + "\r\n");
        QuorelProcess q(&ini);
        ASSERT_TRUE(q.Start());
        Options dlg(q);
        ASSERT_NE(dlg.Handle(), nullptr);
        EXPECT_EQ(dlg.Pos(idMoveP_UpDown), c.moveShown);
        EXPECT_EQ(dlg.Text(idMoveP), std::to_wstring(c.moveShown));
        EXPECT_EQ(dlg.Pos(idSizeP_UpDown), c.sizeShown);
        EXPECT_EQ(dlg.Text(idSizeP), std::to_wstring(c.sizeShown));
        EXPECT_EQ(dlg.Corner(), CB_ERR);
        ASSERT_TRUE(dlg.CloseWith(IDOK));
        ASSERT_TRUE(q.Close());
        ExpectIni(q.IniText(), "MoveP=" + std::to_string(c.moveShown) +
                                   " SizeP=" + std::to_string(c.sizeShown) + " MouseMovePos=-1");
    }
}

// A bare 7 typed into a key field brings a question at OK naming command and
// key; its default answer (Enter) keeps the dialog open on that field. Then a
// key two commands share and a key another program (this test) holds are
// listed at OK; the default goes back to the first. Kept, the lower number
// gets the shared key and each refused key gets its box.
TEST(OptionsE2E, ABareSevenIsQuestionedAndTakenKeysAreListedAtOk) {
    std::string ini = IniWith("Language=ja\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x7001, MOD_CONTROL | MOD_ALT, 'K'));
    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);
    ASSERT_TRUE(MakeForeground(dlg.Handle()));
    ASSERT_TRUE(dlg.WaitFocus(HotkeyControlId(hkMaxRestore)));
    PressKey(0, '7');
    ASSERT_TRUE(WaitUntil([&] { return dlg.Key(hkMaxRestore) == Hk('7'); }));
    {
        MessageBoxCloser closer(q.ProcessId(), MessageBoxCloser::kDefaultAnswer);
        PressKey(0, VK_RETURN); // OK
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() == 1; }));
        const SeenBox box = closer.Seen()[0];
        EXPECT_EQ(box.owner, dlg.Handle());
        EXPECT_TRUE(Names(box.text, hkMaxRestore)) << box.text;
        EXPECT_TRUE(Has(box.text, L"「7」は文字を入力するキー")) << box.text;
        ASSERT_TRUE(WaitUntil([&] { return q.VisibleWindows(L"#32770").empty(); }));
    }
    ASSERT_TRUE(Sync(q));
    EXPECT_TRUE(IsWindowVisible(dlg.Handle()));
    EXPECT_TRUE(dlg.WaitFocus(HotkeyControlId(hkMaxRestore)));
    EXPECT_EQ(dlg.Key(hkMaxRestore), Hk('7'));

    dlg.SetKey(hkMaxRestore, Hk(VK_F12, kAlt)); // its default again
    dlg.SetKey(hkMoveUp, Hk('J', kCtrl | kAlt));
    dlg.SetKey(hkMoveRight, Hk('J', kCtrl | kAlt));
    dlg.SetKey(hkClose, Hk('K', kCtrl | kAlt));
    {
        MessageBoxCloser closer(q.ProcessId(), MessageBoxCloser::kDefaultAnswer);
        dlg.Click(IDOK);
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() == 1; }));
        const SeenBox box = closer.Seen()[0];
        EXPECT_EQ(box.caption, L"Quorel");
        EXPECT_EQ(box.owner, dlg.Handle());
        // Both commands of the shared key and the held key, in the order of the pages.
        EXPECT_TRUE(Names(box.text, hkMoveRight) && Names(box.text, hkMoveUp)) << box.text;
        EXPECT_TRUE(Has(box.text, L"ほかのプログラムが使用中")) << box.text;
        EXPECT_LT(box.text.find(L"Ctrl+Alt+K"), box.text.find(L"Ctrl+Alt+J")) << box.text;
    }
    EXPECT_TRUE(dlg.WaitFocus(HotkeyControlId(hkClose)));
    EXPECT_TRUE(IsWindowVisible(dlg.Handle()));

    std::vector<SeenBox> seen;
    {
        MessageBoxCloser closer(q.ProcessId(), IDNO);
        ASSERT_TRUE(dlg.CloseWith(IDOK));
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() == 3; }));
        seen = closer.Seen();
    }
    EXPECT_EQ(seen[1].text, L"ホットキー「Ctrl+Alt+J」の登録に失敗しました。");
    EXPECT_EQ(seen[2].text, L"ホットキー「Ctrl+Alt+K」の登録に失敗しました。");
    EXPECT_EQ(seen[2].owner, q.MainForm());
    UnregisterHotKey(nullptr, 0x7001);

    // Moving up (number 3) has the shared key.
    TargetWindow w;
    ASSERT_TRUE(w.MakeForeground());
    RECT r = w.Rect();
    PressKey(MOD_CONTROL | MOD_ALT, 'J');
    OffsetRect(&r, 0, -5);
    EXPECT_TRUE(WaitForRect(w, r));

    // All keep their keys in the settings all the same.
    ASSERT_TRUE(q.Close());
    ExpectIni(q.IniText(), "MoveUpKey=Ctrl+Alt+J MoveRightKey=Ctrl+Alt+J CloseKey=Ctrl+Alt+K");
}

// Texts in the file that name no key: one box at start lists them all, none is
// registered, and the file keeps them through OK and exit until they are set.
TEST(OptionsE2E, UnreadableKeyTextsAreListedOnceAtStartAndNeverRegistered) {
    std::string ini = IniWith("Language=ja\r\nMaxRestoreKey=Foo+Bar\r\nMinKey=Ctrl+Alt\r\n"
                              "CloseKey=Ctrl + Alt + Q\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    std::vector<SeenBox> seen;
    {
        MessageBoxCloser closer(q.ProcessId());
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() >= 1; }));
        ASSERT_TRUE(WaitUntil([&] { return q.VisibleWindows(L"#32770").empty(); }));
        ASSERT_TRUE(Sync(q));
        seen = closer.Seen();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Quorel");
    const std::pair<int, std::wstring> unreadable[] = {
        {hkMaxRestore, L"Foo+Bar"}, {hkMinimize, L"Ctrl+Alt"}, {hkClose, L"Ctrl + Alt + Q"}};
    for (const auto& [number, text] : unreadable)
        EXPECT_TRUE(Names(seen[0].text, number) &&
                    Has(seen[0].text, L"「" + text + L"」はキーとして読めません"))
            << seen[0].text;
    // No key at all was registered for them.
    EXPECT_TRUE(RegisterHotKey(nullptr, 0x7002, 0, 0));
    UnregisterHotKey(nullptr, 0x7002);

    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);
    EXPECT_EQ(dlg.Key(hkMaxRestore), 0);
    dlg.SetKey(hkMinimize, Hk(VK_F11, kAlt)); // the user sets this one
    ASSERT_TRUE(dlg.CloseWith(IDOK));
    ExpectIni(q.IniText(), "MinKey=Alt+F11");
    ASSERT_TRUE(q.Close());
    EXPECT_EQ(IniValue(q.IniText(), "MaxRestoreKey"), "Foo+Bar");
    EXPECT_EQ(IniValue(q.IniText(), "CloseKey"), "Ctrl + Alt + Q");
}

// While the dialog is open no hotkey of the program is registered: a
// configured combination reaches the window that has the keyboard, and in
// the dialog the focused key-capture control records it.
TEST(OptionsE2E, WhileTheDialogIsOpenAConfiguredCombinationIsAnOrdinaryKey) {
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);

    // The test's own window in front: Shift+Alt+Up arrives there as a key
    // instead of moving it (a registered hotkey never reaches a window).
    TargetWindow w;
    ASSERT_TRUE(w.MakeForeground());
    RECT r = w.Rect();
    w.TakeKeyDown(VK_UP);
    PressKey(MOD_SHIFT | MOD_ALT, VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return w.TakeKeyDown(VK_UP); }));
    RECT now = w.Rect();
    EXPECT_TRUE(EqualRect(&now, &r));

    // The dialog in front: the combination lands in the focused control,
    // "最大化、元のサイズに戻す".
    ASSERT_TRUE(MakeForeground(dlg.Handle()));
    ASSERT_TRUE(dlg.WaitFocus(HotkeyControlId(hkMaxRestore)));
    EXPECT_EQ(dlg.Key(hkMaxRestore), Hk(VK_F12, kAlt));
    PressKey(MOD_SHIFT | MOD_ALT, VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return dlg.Key(hkMaxRestore) == Hk(VK_UP, kShift | kAlt); }));

    // After Cancel the combination moves windows again, and as a hotkey it
    // no longer reaches the window as a key.
    ASSERT_TRUE(dlg.CloseWith(IDCANCEL));
    ASSERT_TRUE(w.MakeForeground());
    w.TakeKeyDown(VK_UP);
    PressKey(MOD_SHIFT | MOD_ALT, VK_UP);
    OffsetRect(&r, 0, -5);
    EXPECT_TRUE(WaitForRect(w, r));
    PumpMessages();
    EXPECT_FALSE(w.TakeKeyDown(VK_UP));
}

// "デフォルト" and "クリア" ask in a message box of the program; Cancel there
// changes nothing, OK changes the four key-capture controls of their page
// and nothing else. Only the dialog's OK would commit them.
TEST(OptionsE2E, DefaultAndClearAskFirstAndTouchOnlyTheirPagesKeys) {
    std::string ini = IniWith("Language=ja\r\n"
                              "MoveUpKey=Ctrl+Alt+1\r\n"
                              "MoveDownKey=Ctrl+Alt+2\r\n"
                              "MoveLeftKey=Ctrl+Alt+3\r\n"
                              "MoveRightKey=Ctrl+Alt+4\r\n"
                              "MoveP=11\r\nSizeP=12\r\nMouseOffset=13\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);

    struct Case {
        int button;
        int first; // the first of the page's four numbers
        std::vector<WORD> result;
        const wchar_t* question;
    };
    const Case cases[] = {
        {idMoveDefaults,
         hkMoveUp,
         {Hk(VK_UP, kShift | kAlt), Hk(VK_DOWN, kShift | kAlt), Hk(VK_LEFT, kShift | kAlt),
          Hk(VK_RIGHT, kShift | kAlt)},
         L"[移動]のホットキーをデフォルトに戻します。"},
        {idSizeBottomRightClear,
         hkRBSizeUp,
         {0, 0, 0, 0},
         L"[サイズ変更1]のホットキーをクリアします。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        const std::vector<WORD> before = dlg.AllKeys();
        for (WPARAM answer : {IDCANCEL, IDOK}) {
            SCOPED_TRACE(answer == IDOK ? "OK" : "Cancel");
            std::vector<SeenBox> seen;
            {
                MessageBoxCloser closer(q.ProcessId(), answer);
                dlg.Click(c.button);
                ASSERT_TRUE(WaitUntil([&] { return closer.Count() == 1; }));
                // The box has gone and the button's handler has returned.
                ASSERT_TRUE(WaitUntil([&] { return q.VisibleWindows(L"#32770").empty(); }));
                ASSERT_TRUE(Sync(q));
                seen = closer.Seen();
            }
            ASSERT_EQ(seen.size(), 1u);
            EXPECT_EQ(seen[0].caption, L"Quorel");
            EXPECT_EQ(seen[0].text, c.question);
            EXPECT_EQ(seen[0].owner, dlg.Handle());

            std::vector<WORD> expected = before;
            if (answer == IDOK)
                for (int i = 0; i < 4; ++i)
                    expected[c.first - 1 + i] = c.result[i];
            EXPECT_EQ(dlg.AllKeys(), expected);
            EXPECT_EQ(dlg.Pos(idMoveP_UpDown), 11);
            EXPECT_EQ(dlg.Pos(idSizeP_UpDown), 12);
            EXPECT_EQ(dlg.Pos(idMouseOffset_UpDown), 13);
        }
    }
    // A mouse click on "クリア" makes it the default button once its
    // question is answered: Enter asks again. With the focus on to a
    // number field, OK is the default again.
    auto isDefault = [&](int id) {
        return (GetWindowLongW(dlg.C(id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    ASSERT_TRUE(dlg.GoToPage(1));
    {
        MessageBoxCloser closer(q.ProcessId(), IDCANCEL);
        RECT clear;
        GetWindowRect(dlg.C(idMoveClear), &clear);
        ClickAt({(clear.left + clear.right) / 2, (clear.top + clear.bottom) / 2});
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() == 1; }));
        ASSERT_TRUE(dlg.WaitFocus(idMoveClear));
        ASSERT_TRUE(WaitUntil([&] { return isDefault(idMoveClear) && !isDefault(IDOK); }));
        ASSERT_TRUE(MakeForeground(dlg.Handle()));
        PressKey(0, VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() == 2; }));
        ASSERT_TRUE(WaitUntil([&] { return q.VisibleWindows(L"#32770").empty(); }));
        EXPECT_TRUE(IsWindowVisible(dlg.Handle()));
        ASSERT_TRUE(dlg.WaitFocus(idMoveClear));
        PressKey(0, VK_TAB);
        ASSERT_TRUE(dlg.WaitFocus(idMoveP));
        EXPECT_TRUE(WaitUntil([&] { return isDefault(IDOK) && !isDefault(idMoveClear); }));
    }

    // The Move page's defaults are the program's own: they stay apart from
    // the other numbers.
    EXPECT_EQ(dlg.Key(hkMoveDown), Hk(VK_DOWN, kShift | kAlt));
    EXPECT_EQ(dlg.Key(hkRBSizeRight), 0);
    EXPECT_EQ(dlg.Key(hkTLSizeUp), Hk(VK_UP, kShift | kCtrl | kAlt));

    ASSERT_TRUE(dlg.CloseWith(IDCANCEL));
    ASSERT_TRUE(q.Close());
    ExpectIni(q.IniText(), "MoveUpKey=Ctrl+Alt+1 RB_SizeUpKey=Ctrl+Alt+Up");
}

// Ticking "タスクトレイのアイコンを表示しない" and pressing OK takes the icon
// away at once; the menu is then reached by starting the program again.
TEST(OptionsE2E, NoTrayIconAndOkRemoveTheIconAtOnce) {
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    ASSERT_TRUE(TrayIconShown(q));
    // With the icon shown, a second start opens nothing.
    EXPECT_EQ(q.StartSecondCopy(), 0);
    ASSERT_TRUE(Sync(q));
    EXPECT_TRUE(q.VisibleWindows(L"#32768").empty());

    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);
    EXPECT_EQ(SendMessageW(dlg.C(idNoTrayIcon), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    dlg.Check(idNoTrayIcon, true);
    ASSERT_TRUE(dlg.CloseWith(IDOK));
    EXPECT_FALSE(TrayIconShown(q));

    EXPECT_EQ(q.StartSecondCopy(), 0);
    ASSERT_TRUE(WaitUntil([&] { return !q.VisibleWindows(L"#32768").empty(); }));
    PressKey(0, VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return q.VisibleWindows(L"#32768").empty(); }));

    ASSERT_TRUE(q.Close());
    EXPECT_EQ(IniValue(q.IniText(), "NoTrayIcon"), "1");
}

// 「Windows の起動時に Quorel を起動する」: ticked and OK makes the Startup
// folder's Quorel.lnk point at this exe; unticked and OK removes it. A
// broken shortcut shows unticked and is replaced when the box is ticked.
TEST(OptionsE2E, StartWithWindowsMakesAndRemovesTheStartupShortcut) {
    CleanStartupFolder startup;
    ASSERT_FALSE(startup.link.empty());
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    for (bool tick : {true, false, true}) {
        Options dlg(q);
        ASSERT_NE(dlg.Handle(), nullptr);
        EXPECT_EQ(SendMessageW(dlg.C(idStartWithWindows), BM_GETCHECK, 0, 0) == BST_CHECKED, !tick);
        dlg.Check(idStartWithWindows, tick);
        ASSERT_TRUE(dlg.CloseWith(IDOK));
        if (tick) {
            EXPECT_TRUE(IsShortcutTo(startup.link, q.ExePath())) << ShortcutTarget(startup.link);
        } else {
            EXPECT_FALSE(startup.Exists());
            WriteFileBytes(startup.link, "left behind"); // for the last round
        }
    }
    // One naming this exe by its short (8.3) path shows ticked; unticking removes it.
    wchar_t shortExe[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(q.ExePath().c_str(), shortExe, MAX_PATH), 0u);
    WriteShortcut(startup.link, shortExe);
    {
        Options dlg(q);
        ASSERT_NE(dlg.Handle(), nullptr);
        EXPECT_EQ(SendMessageW(dlg.C(idStartWithWindows), BM_GETCHECK, 0, 0), BST_CHECKED)
            << ShortcutTarget(startup.link);
        dlg.Check(idStartWithWindows, false);
        ASSERT_TRUE(dlg.CloseWith(IDOK));
    }
    EXPECT_FALSE(startup.Exists());
    ASSERT_TRUE(q.Close());
    // The shortcut is the state: the INI file has no key for it.
    EXPECT_EQ(q.IniText(), kDefaultIniText);
}

// The About item opens the version dialog; Enter and Esc, typed on the
// keyboard, close it through its dialog keys, and every opening makes a new
// window.
TEST(OptionsE2E, AboutBoxShowsTheVersionAndClosesOnEnterAndEsc) {
    std::string ini = IniWith("Language=ja\r\n"); // the texts below are Japanese
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    HWND previous = nullptr;
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Esc");
        PostMessageW(q.MainForm(), WM_COMMAND, kAboutCommand, 0);
        HWND about = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            auto v = q.VisibleWindows(names::kAboutBoxClass);
            about = v.empty() ? nullptr : v.front();
            return about != nullptr;
        }));
        EXPECT_NE(about, previous);
        EXPECT_EQ(WindowText(about), L"バージョン情報");
        EXPECT_EQ(WindowText(GetDlgItem(about, idAboutVersion)), L"Version " QUOREL_VERSION_TEXT);
        EXPECT_EQ(WindowText(GetDlgItem(about, idAboutProgramName)), L"Quorel");
        ASSERT_TRUE(MakeForeground(about));
        PressKey(0, key);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
        previous = about;
    }
    // The program goes on: the options dialog opens again.
    ASSERT_TRUE(Sync(q));
    Options dlg(q);
    EXPECT_NE(dlg.Handle(), nullptr);
    EXPECT_TRUE(dlg.CloseWith(IDCANCEL));
}

// Moving through the dialog with Tab, Shift+Tab, Ctrl+Tab and Ctrl+Shift+Tab
// holds a modifier in every key-capture control the focus leaves; none of
// them may take it as a new entry. With the icon hidden, starting the
// program again is how a dialog that went behind another window comes back.
TEST(OptionsE2E, KeyboardNavigationKeepsEveryCombinationAndASecondStartFindsTheDialog) {
    // Every key set (the ones empty by default to Ctrl+Alt+F5..F9).
    auto value = [](const HotkeyEntry& e) {
        return *e.DefaultText ? std::string(e.DefaultText)
                              : "Ctrl+Alt+F" + std::to_string(e.Number - 11);
    };
    std::string lines = "NoTrayIcon=1\r\n";
    for (const HotkeyEntry& e : HotkeyTable())
        lines += std::string(e.Key) + "=" + value(e) + "\r\n";
    std::string ini = IniWith(lines);
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    Options dlg(q, true);
    ASSERT_NE(dlg.Handle(), nullptr);

    TargetWindow w;
    ASSERT_TRUE(w.MakeForeground());
    EXPECT_EQ(q.StartSecondCopy(), 0);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dlg.Handle(); }));
    ASSERT_TRUE(dlg.WaitFocus(HotkeyControlId(hkMaxRestore)));

    // The key-capture controls of each page in tab order.
    std::vector<std::vector<int>> pages(kOptionPageCount);
    for (const HotkeyEntry* e : HotkeysInPageOrder())
        pages[static_cast<size_t>(e->Page)].push_back(e->Number);
    auto step = [&](UINT mods, int number) {
        PressKey(mods, VK_TAB);
        return dlg.WaitFocus(HotkeyControlId(number));
    };
    for (size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(p);
        const auto& page = pages[p];
        for (size_t i = 1; i < page.size(); ++i)
            ASSERT_TRUE(step(0, page[i]));
        for (size_t i = page.size() - 1; i > 0; --i)
            ASSERT_TRUE(step(MOD_SHIFT, page[i - 1]));
        if (p + 1 < pages.size()) {
            ASSERT_TRUE(step(MOD_CONTROL, pages[p + 1].front()));
        }
    }
    for (size_t p = pages.size() - 1; p > 0; --p)
        ASSERT_TRUE(step(MOD_CONTROL | MOD_SHIFT, pages[p - 1].front()));
    // The mouse: a click on another field with Shift held.
    RECT close;
    GetWindowRect(dlg.C(HotkeyControlId(hkClose)), &close);
    SendKey(VK_SHIFT, true);
    ClickAt({(close.left + close.right) / 2, (close.top + close.bottom) / 2});
    EXPECT_TRUE(dlg.WaitFocus(HotkeyControlId(hkClose)));
    SendKey(VK_SHIFT, false);
    PressKey(0, VK_RETURN); // OK
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg.Handle()); }));

    ASSERT_TRUE(q.Close());
    std::string out = q.IniText();
    for (const HotkeyEntry& e : HotkeyTable())
        EXPECT_EQ(IniValue(out, e.Key), value(e)) << e.Key;
}

// A modifier pressed and released with the focus staying in a key-capture
// control empties it; Enter, Esc and Space with a modifier are taken as
// keys. The number fields take digits only and bring a typed number into
// their range when OK is pressed. A dialog brought back from behind another
// window has the focus where it was.
TEST(OptionsE2E, AModifierAloneClearsTheFieldAndTypedStepsAreDigitsInRange) {
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);
    ASSERT_TRUE(MakeForeground(dlg.Handle()));
    ASSERT_TRUE(dlg.WaitFocus(HotkeyControlId(hkMaxRestore)));
    PressKey(0, VK_SHIFT);
    PressKey(0, VK_TAB);
    ASSERT_TRUE(dlg.WaitFocus(HotkeyControlId(hkMinimize)));
    EXPECT_EQ(dlg.Key(hkMaxRestore), 0);
    EXPECT_EQ(dlg.Key(hkMinimize), Hk(VK_F11, kAlt));

    // Enter, Esc and Space with a modifier are keys like any other; the
    // dialog stays open.
    PressKey(MOD_CONTROL, VK_TAB);
    const struct {
        int number;
        UINT mods, vk;
        WORD key;
    } typed[] = {{hkMoveUp, MOD_CONTROL | MOD_ALT, VK_RETURN, Hk(VK_RETURN, kCtrl | kAlt)},
                 {hkMoveDown, MOD_SHIFT, VK_ESCAPE, Hk(VK_ESCAPE, kShift)},
                 {hkMoveLeft, MOD_CONTROL | MOD_ALT, VK_SPACE, Hk(VK_SPACE, kCtrl | kAlt)}};
    for (const auto& t : typed) {
        ASSERT_TRUE(dlg.WaitFocus(HotkeyControlId(t.number)));
        PressKey(t.mods, t.vk);
        EXPECT_TRUE(WaitUntil([&] { return dlg.Key(t.number) == t.key; }))
            << std::hex << dlg.Key(t.number);
        PressKey(0, VK_TAB);
    }
    ASSERT_TRUE(Sync(q));
    EXPECT_TRUE(IsWindowVisible(dlg.Handle()));

    // To "間隔": past the page's other keys and its two buttons.
    for (size_t i = std::size(typed); i < HotkeysOfPage(OptionPage::Move).size() + 2; ++i)
        PressKey(0, VK_TAB);
    ASSERT_TRUE(dlg.WaitFocus(idMoveP));
    for (UINT vk : {'A', 'B', 'C', '5', '1'})
        PressKey(0, vk);
    EXPECT_TRUE(WaitUntil([&] { return dlg.Text(idMoveP) == L"51"; })) << dlg.Text(idMoveP);

    // Another window in front, then a click on the tray icon brings the
    // dialog back with the focus where it was: the next digit goes into
    // the number field (after the 50 that "51" became on leaving it), not
    // into the page's first key field.
    const std::vector<WORD> keys = dlg.AllKeys();
    TargetWindow w;
    ASSERT_TRUE(w.MakeForeground());
    PostMessageW(NotifyWindow(q), kTrayCallback, 1, WM_LBUTTONDOWN);
    PostMessageW(NotifyWindow(q), kTrayCallback, 1, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dlg.Handle(); }));
    ASSERT_TRUE(dlg.WaitFocus(idMoveP));
    PressKey(0, '7');
    EXPECT_TRUE(WaitUntil([&] { return dlg.Text(idMoveP) == L"507"; })) << dlg.Text(idMoveP);
    EXPECT_EQ(dlg.AllKeys(), keys);
    EXPECT_FALSE(w.TakeKeyDown('7'));
    PressKey(0, VK_RETURN); // OK
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg.Handle()); }));

    ASSERT_TRUE(q.Close());
    ExpectIni(q.IniText(), "MaxRestoreKey= MinKey=Alt+F11 MoveP=50 MoveUpKey=Ctrl+Alt+Enter "
                           "MoveDownKey=Shift+Esc MoveLeftKey=Ctrl+Alt+Space "
                           "MoveRightKey=Shift+Alt+Right");
}

// The dialog's Help button and F1 open the current page's topic in the help
// window that is already open, and the dialog stays open and usable. The
// help shows the settings in effect, not the dialog's unsaved edits, and
// follows them when OK applies them. The help here is in English.
TEST(OptionsE2E, HelpAndF1OpenThePagesTopicAndTheDialogStaysOpen) {
    std::string ini =
        IniWith("RB_SizeUpKey=Ctrl+Alt+I\r\nSizeP=7\r\nMouseMoveKey=\r\nLanguage=en\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    PostMessageW(q.MainForm(), WM_COMMAND, kHelpCommand, 0);
    HWND help = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (help = HelpWindowOf(q)) != nullptr; }));
    EXPECT_TRUE(ShowsTopic(help, HelpTopic::Intro));

    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);
    ASSERT_TRUE(dlg.GoToPage(2));
    dlg.Click(idHelpBtn);
    EXPECT_TRUE(WaitUntil([&] { return ShowsTopic(help, HelpTopic::Resize1); }));
    EXPECT_TRUE(Shows(help, EnglishName(hkRBSizeUp) + L"\tCtrl+Alt+I"));
    EXPECT_TRUE(Shows(help, L"Step\t7 pixels (shared by Resize 1 and 2)"));
    EXPECT_EQ(SendMessageW(GetDlgItem(help, idHelpContents), LB_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == help; }));
    EXPECT_EQ(q.VisibleWindows(names::kHelpWindowClass).size(), 1u);
    // The help opened over the dialog from the menu goes beside it.
    EXPECT_TRUE(WaitUntil([&] { return LeavesInView(help, dlg); }));
    EXPECT_TRUE(IsWindowVisible(dlg.Handle()));
    EXPECT_EQ(dlg.Page(), 2);

    // F1 on the Mouse page, over an edit that OK has not applied yet.
    dlg.SetKey(hkMouseMove, Hk('K', kCtrl | kAlt));
    ASSERT_TRUE(dlg.GoToPage(4));
    PressKey(0, VK_F1);
    EXPECT_TRUE(WaitUntil([&] { return ShowsTopic(help, HelpTopic::Mouse); }));
    EXPECT_TRUE(LeavesInView(help, dlg));
    EXPECT_TRUE(Shows(help, EnglishName(hkMouseMove) + L"\tNone"));
    EXPECT_EQ(dlg.Key(hkMouseMove), Hk('K', kCtrl | kAlt));

    // OK applies it, and the open help shows it.
    ASSERT_TRUE(dlg.CloseWith(IDOK));
    EXPECT_TRUE(WaitUntil([&] { return Shows(help, EnglishName(hkMouseMove) + L"\tCtrl+Alt+K"); }));
    EXPECT_TRUE(IsWindow(help));
    ASSERT_TRUE(q.Close());
    EXPECT_EQ(IniValue(q.IniText(), "MouseMoveKey"), "Ctrl+Alt+K");
}

// With the cursor on the second of two monitors: the menu opens at the
// cursor there; the About box, the options dialog and its help each lie
// wholly on one monitor, the help beside the dialog on the dialog's
// monitor, also once the dialog has been moved to the second.
TEST(TwoMonitors, MenuAtTheCursorAndTheDialogsAndHelpEachWhollyOnOneMonitor) {
    MonitorPair m{};
    if (!FindTwoMonitors(m)) {
        ASSERT_FALSE(TwoMonitorsPromised()) << "the run promised two monitors";
        GTEST_SKIP() << "one monitor";
    }
    std::string ini = IniWith("PopupMenuKey=Ctrl+Alt+F6\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    const POINT cursor{m.second.left + 300, 300};
    SetCursorPos(cursor.x, cursor.y);
    PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
    std::vector<HWND> menus;
    ASSERT_TRUE(WaitUntil([&] { return !(menus = q.VisibleWindows(L"#32768")).empty(); }));
    RECT r{};
    GetWindowRect(menus.front(), &r);
    HMONITOR on = nullptr;
    EXPECT_EQ(std::make_pair(r.left, r.top), std::make_pair(cursor.x, cursor.y));
    EXPECT_TRUE(WhollyOnOneMonitor(r, &on));
    EXPECT_EQ(on, m.secondHandle);
    q.CancelMenu();
    ASSERT_TRUE(WaitUntil([&] { return q.VisibleWindows(L"#32768").empty(); }));

    PostMessageW(q.MainForm(), WM_COMMAND, kAboutCommand, 0);
    std::vector<HWND> about;
    ASSERT_TRUE(
        WaitUntil([&] { return !(about = q.VisibleWindows(names::kAboutBoxClass)).empty(); }));
    GetWindowRect(about.front(), &r);
    EXPECT_TRUE(WhollyOnOneMonitor(r));
    PostMessageW(about.front(), WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about.front()); }));

    Options dlg(q);
    ASSERT_NE(dlg.Handle(), nullptr);
    GetWindowRect(dlg.Handle(), &r);
    HMONITOR dialogOn = nullptr;
    EXPECT_TRUE(WhollyOnOneMonitor(r, &dialogOn));
    for (const POINT at : {POINT{r.left, r.top}, POINT{m.second.left + 40, m.second.top + 60}}) {
        SetWindowPos(dlg.Handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        GetWindowRect(dlg.Handle(), &r);
        ASSERT_TRUE(WhollyOnOneMonitor(r, &dialogOn));
        dlg.Click(idHelpBtn);
        HWND help = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (help = HelpWindowOf(q)) != nullptr; }));
        EXPECT_TRUE(WaitUntil([&] { return LeavesInView(help, dlg); }));
        RECT h{};
        GetWindowRect(help, &h);
        EXPECT_TRUE(WhollyOnOneMonitor(h, &on, true)) << h.left << "," << h.right;
        EXPECT_EQ(on, dialogOn) << at.x;
        PostMessageW(help, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
    }
    EXPECT_EQ(dialogOn, m.secondHandle);
    ASSERT_TRUE(dlg.CloseWith(IDCANCEL));
}

#include "tray/tray_icon.h"
#include "settings/settings.h"

#include "base/error_report.h"
#include "base/message_filter.h"

#include "base/names.h"
#include "res/resource.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// The shell as the tests see it: every call recorded, answers forced.
struct ShellCall {
    DWORD message;
    NOTIFYICONDATAA data;
};

std::vector<ShellCall> calls;
int refuseAdds = 0;
int refuseModifies = 0;

BOOL FakeShell(DWORD message, PNOTIFYICONDATAA data) {
    calls.push_back({message, *data});
    if (message == NIM_ADD && refuseAdds > 0) {
        --refuseAdds;
        return FALSE;
    }
    if (message == NIM_MODIFY && refuseModifies > 0) {
        --refuseModifies;
        return FALSE;
    }
    return TRUE;
}

// The calls recorded so far, as "add 1", "delete 5" and so on.
std::vector<std::string> Sent() {
    std::vector<std::string> out;
    for (const ShellCall& c : calls)
        out.push_back(std::string(c.message == NIM_ADD      ? "add "
                                  : c.message == NIM_MODIFY ? "modify "
                                                            : "delete ") +
                      std::to_string(c.data.uID));
    return out;
}
using Strings = std::vector<std::string>;

HICON LoadIconFile(const char* name, int size) {
    // From the source tree's path, not from __FILE__: a compiler cache may
    // make that relative to the build folder.
    const std::wstring path = testutil::SourcePath(std::string("src/res/") + name);
    return static_cast<HICON>(
        LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
}

// The side of a square picture; -1 for any other shape.
int IconSide(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return 0;
    BITMAP bm{};
    GetObjectW(info.hbmMask, sizeof bm, &bm);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return bm.bmWidth == (info.hbmColor ? bm.bmHeight : bm.bmHeight / 2) ? bm.bmWidth : -1;
}

std::vector<std::string> events;

// The owner window: records a few messages and ends an open menu on request.
constexpr UINT WM_TEST_ENDMENU = WM_APP + 1;
constexpr UINT WM_TEST_MARK = WM_APP + 2;
bool menuWasOpen = false;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TEST_ENDMENU) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        menuWasOpen = menu && IsWindowVisible(menu);
        EndMenu();
        return 0;
    }
    if (msg == WM_TEST_MARK) {
        events.push_back("mark");
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateTestWindow(const wchar_t* title) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TrayTestOwner";
        RegisterClassW(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExW(0, L"TrayTestOwner", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                                50, 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    testutil::PumpMessages();
    return hwnd;
}

std::wstring ErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const EInvalidOperation& e) {
        return e.Message();
    }
    return L"(none)";
}

class TrayIconTest : public ::testing::Test {
  protected:
    void SetUp() override {
        calls.clear();
        events.clear();
        refuseAdds = refuseModifies = 0;
        TrayIcon::ShellNotify = FakeShell;
        Settings.Language = "ja"; // the component's messages below are Japanese
        owner = CreateTestWindow(L"owner");
        icon = LoadIconFile("tray.ico", 16);
        ASSERT_NE(icon, nullptr);
    }
    void TearDown() override {
        TrayIcon::ShellNotify = Shell_NotifyIconA;
        DestroyIcon(icon);
        DestroyWindow(owner);
    }

    // A shown component with the recorded calls cleared.
    void Show(TrayIcon& t) {
        t.SetIcon(icon);
        t.SetRegistered(true);
        ASSERT_TRUE(t.InTray());
        calls.clear();
    }

    void Record(TrayIcon& t) {
        const auto name = [&t] { return std::to_string(t.IconID()); };
        const auto where = [](int x, int y) {
            POINT pt{};
            GetCursorPos(&pt);
            return x == pt.x && y == pt.y ? " at cursor" : " elsewhere";
        };
        t.OnDblClick = [name](TrayIcon&, TMouseButton b) {
            events.push_back(name() + " dbl " + std::to_string(b));
        };
        t.OnMouseMove = [name, where](TrayIcon&, TShiftState s, int x, int y) {
            events.push_back(name() + " move " + std::to_string(s) + where(x, y));
        };
        const auto button = [name, where](const char* what) {
            return [name, where, what](TrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
                events.push_back(name() + " " + what + " " + std::to_string(b) + " " +
                                 std::to_string(s) + where(x, y));
            };
        };
        t.OnMouseDown = button("down");
        t.OnMouseUp = button("up");
    }

    static void Callback(WPARAM id, LPARAM mouseMessage) {
        PostMessageW(TrayIcon::NotifyWindow(), names::kTrayCallbackMessage, id, mouseMessage);
        testutil::PumpMessages();
    }

    HWND owner = nullptr;
    HICON icon = nullptr;
};

} // namespace

TEST(TrayIconPictures, ProgramAndTrayIconsHoldTheirImages) {
    for (const char* name : {"quorel.ico", "tray.ico"}) {
        for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
            HICON icon = LoadIconFile(name, size);
            ASSERT_NE(icon, nullptr) << name << " " << size;
            EXPECT_EQ(IconSide(icon), size) << name;
            DestroyIcon(icon);
        }
    }
}

TEST(TrayIconTip, LongTipsAreCutBetweenCharacters) {
    const std::string a = "\x82\xa0"; // "あ" in code page 932
    EXPECT_EQ(CutTipText("Quorel", 63, 932), "Quorel");
    EXPECT_EQ(CutTipText(std::string(61, 'x') + a, 63, 932), std::string(61, 'x') + a);
    EXPECT_EQ(CutTipText(std::string(62, 'x') + a, 63, 932), std::string(62, 'x'));
    EXPECT_EQ(CutTipText(std::string(70, 'x'), 63, 932), std::string(63, 'x'));
    std::string japanese;
    for (int i = 0; i < 40; ++i)
        japanese += a;
    EXPECT_EQ(CutTipText(japanese, 63, 932).size(), 62u);
    // In a single-byte code page every byte is a character.
    EXPECT_EQ(CutTipText(std::string(62, 'x') + a, 63, 1252), std::string(62, 'x') + "\x82");
}

TEST_F(TrayIconTest, DefaultIdentifiersFollowTheLastRegistryEntry) {
    auto a = std::make_unique<TrayIcon>(owner);
    auto b = std::make_unique<TrayIcon>(owner);
    EXPECT_EQ(a->IconID(), 1);
    EXPECT_EQ(b->IconID(), 2);
    a.reset();
    auto c = std::make_unique<TrayIcon>(owner);
    EXPECT_EQ(c->IconID(), 3);
    c->SetIconID(7);
    TrayIcon d(owner);
    EXPECT_EQ(d.IconID(), 8);

    // The default is not checked against earlier entries: b takes 9, then a
    // new component also gets 9, and the first entry answers for it.
    b->SetIconID(9);
    TrayIcon e(owner);
    EXPECT_EQ(e.IconID(), 9);
    EXPECT_EQ(TrayIcon::Find(9), b.get());
    // Moving the later one moves its own entry, not the first one's.
    e.SetIconID(10);
    EXPECT_EQ(TrayIcon::Find(9), b.get());
    EXPECT_EQ(TrayIcon::Find(10), &e);
    EXPECT_TRUE(calls.empty());
}

TEST_F(TrayIconTest, AddingFillsTheRecordAndUnchangedWritesMakeNoCall) {
    TrayIcon t(owner);
    t.SetTipString("Quorel");
    EXPECT_EQ(ErrorOf([&] { t.SetRegistered(true); }), L"アイコンが指定されていません");
    EXPECT_FALSE(t.Registered());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(TrayIcon::NotifyWindow(), nullptr);

    t.SetIcon(icon);
    EXPECT_TRUE(calls.empty());
    t.SetRegistered(true);
    ASSERT_EQ(Sent(), Strings{"add 1"});
    const NOTIFYICONDATAA& d = calls[0].data;
    EXPECT_EQ(d.cbSize, sizeof(void*) == 8 ? 104u : 88u);
    EXPECT_EQ(d.hWnd, TrayIcon::NotifyWindow());
    EXPECT_EQ(d.uFlags, 7u);
    EXPECT_EQ(d.uCallbackMessage, 0x466u);
    EXPECT_EQ(d.hIcon, t.Icon());
    EXPECT_STREQ(d.szTip, "Quorel");

    // The receiver: a hidden, zero-size child of the owner.
    HWND receiver = TrayIcon::NotifyWindow();
    EXPECT_EQ(testutil::ClassName(receiver), L"TNotifyWindow");
    EXPECT_EQ(GetParent(receiver), owner);
    EXPECT_FALSE(IsWindowVisible(receiver));
    RECT r{};
    GetWindowRect(receiver, &r);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);

    // The component keeps its own copy of the picture.
    EXPECT_NE(t.Icon(), icon);
    EXPECT_EQ(IconSide(t.Icon()), 16);

    calls.clear();
    t.SetRegistered(true);
    t.SetTipString("Quorel");
    t.SetIcon(t.Icon());
    EXPECT_TRUE(calls.empty());

    t.SetTipString("");
    ASSERT_EQ(Sent(), Strings{"modify 1"});
    EXPECT_EQ(calls[0].data.uFlags, 3u);

    t.SetTipString(std::string(80, 'q'));
    EXPECT_EQ(std::string(calls.back().data.szTip), std::string(63, 'q'));

    calls.clear();
    t.SetIcon(nullptr);
    EXPECT_EQ(Sent(), Strings{"delete 1"});
    EXPECT_FALSE(t.Registered());
    EXPECT_EQ(t.Icon(), nullptr);
}

TEST_F(TrayIconTest, ARefusedAddWaitsForTheNextRefreshOrBecomesAModifyIfTheShellHoldsTheEntry) {
    TrayIcon t(owner);
    t.SetIcon(icon);
    refuseAdds = refuseModifies = 1;
    EXPECT_EQ(ErrorOf([&] { t.SetRegistered(true); }), L"タスクトレイに登録できません");
    EXPECT_TRUE(t.Registered());
    EXPECT_FALSE(t.InTray());
    calls.clear();
    t.SetRegistered(true);
    EXPECT_TRUE(calls.empty());

    t.SetTipString("again");
    EXPECT_EQ(Sent(), Strings{"add 1"});
    EXPECT_TRUE(t.InTray());

    refuseModifies = 1;
    EXPECT_EQ(ErrorOf([&] { t.SetTipString("refused"); }), L"タスクトレイに登録できません");
    EXPECT_EQ(t.TipString(), "refused");
    EXPECT_TRUE(t.Registered() && t.InTray());

    // An add refused for an entry the shell holds becomes a modify.
    t.SetRegistered(false);
    calls.clear();
    refuseAdds = 1;
    t.SetRegistered(true);
    refuseAdds = 1; // and again after the shell's restart message
    SendMessageW(owner, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(t.InTray());
    t.SetRegistered(false); // held, so taken out at the end
    EXPECT_EQ(Sent(), (Strings{"add 1", "modify 1", "add 1", "modify 1", "delete 1"}));
}

TEST_F(TrayIconTest, ANewIdentifierMovesTheShownIconAndItsCallbacks_ARejectedOneChangesNothing) {
    TrayIcon one(owner), t(owner);
    Record(t);
    Show(t);
    EXPECT_EQ(ErrorOf([&] { t.SetIconID(0); }), L"0以下は指定できません");
    EXPECT_EQ(ErrorOf([&] { t.SetIconID(-3); }), L"0以下は指定できません");
    EXPECT_EQ(ErrorOf([&] { one.SetIconID(-1); }), L"0以下は指定できません");
    EXPECT_EQ(ErrorOf([&] { t.SetIconID(1); }), L"同じアイコン識別子が有ります");
    t.SetIconID(2);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(TrayIcon::Find(1), &one);
    EXPECT_EQ(TrayIcon::Find(2), &t);

    t.SetIconID(5);
    EXPECT_EQ(Sent(), (Strings{"delete 2", "add 5"}));
    EXPECT_TRUE(t.Registered() && t.InTray());
    Callback(2, WM_LBUTTONUP);
    EXPECT_TRUE(events.empty());
    Callback(5, WM_LBUTTONUP);
    EXPECT_EQ(events, Strings{"5 up 0 8 at cursor"});
}

TEST_F(TrayIconTest, MouseMessagesBecomeEvents) {
    TrayIcon t(owner);
    Record(t);
    Show(t);
    SetCursorPos(300, 200);
    for (LPARAM m = 0x200; m <= 0x20A; ++m)
        Callback(1, m);
    Callback(2, WM_LBUTTONDOWN); // no such icon
    EXPECT_EQ(events, (Strings{"1 move 0 at cursor", "1 down 0 8 at cursor", "1 up 0 8 at cursor",
                               "1 dbl 0", "1 down 1 16 at cursor", "1 up 1 16 at cursor", "1 dbl 1",
                               "1 down 2 32 at cursor", "1 up 2 32 at cursor"}));

    // A left double click as the shell reports it.
    events.clear();
    for (LPARAM m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        Callback(1, m);
    EXPECT_EQ(events, (Strings{"1 down 0 8 at cursor", "1 up 0 8 at cursor", "1 dbl 0",
                               "1 up 0 8 at cursor"}));
    EXPECT_TRUE(calls.empty());
}

TEST_F(TrayIconTest, ButtonDownBringsTheOwnerForwardAfterWaitingMessages) {
    TrayIcon t(owner);
    HWND other = CreateTestWindow(L"other");
    SetForegroundWindow(other);
    ASSERT_TRUE(testutil::WaitUntil([&] { return GetForegroundWindow() == other; }));
    t.OnMouseDown = [&](TrayIcon&, TMouseButton, TShiftState, int, int) {
        events.push_back(GetForegroundWindow() == owner ? "down, owner in front" : "down");
    };
    PostMessageW(owner, WM_TEST_MARK, 0, 0);
    t.DoMouseDown(mbMiddle, ssMiddle, 0, 0);
    EXPECT_EQ(events, (Strings{"mark", "down, owner in front"}));
    DestroyWindow(other);
}

TEST_F(TrayIconTest, CallbacksDuringADispatchAreDropped) {
    TrayIcon t(owner);
    Record(t);
    Show(t);
    // A callback delivered from inside a handler.
    t.OnMouseDown = [](TrayIcon&, TMouseButton, TShiftState, int, int) {
        events.push_back("down");
        SendMessageW(TrayIcon::NotifyWindow(), names::kTrayCallbackMessage, 1, WM_LBUTTONUP);
    };
    Callback(1, WM_LBUTTONDOWN);
    EXPECT_EQ(events, Strings{"down"});

    // A callback that arrives while the right-button menu is open.
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 100, L"item");
    t.SetPopupMenuR(menu);
    events.clear();
    menuWasOpen = false;
    t.OnMouseDown = [this](TrayIcon&, TMouseButton, TShiftState, int, int) {
        HWND open = FindWindowW(L"#32768", nullptr);
        events.push_back(open && IsWindowVisible(open) ? "down, menu open" : "down");
        PostMessageW(TrayIcon::NotifyWindow(), names::kTrayCallbackMessage, 1, WM_RBUTTONUP);
        PostMessageW(owner, WM_TEST_ENDMENU, 0, 0);
    };
    Callback(1, WM_RBUTTONDOWN);
    EXPECT_TRUE(menuWasOpen);
    EXPECT_EQ(events, Strings{"down"});

    // The guard is cleared afterwards, also when a handler throws.
    t.OnMouseDown = [](TrayIcon&, TMouseButton, TShiftState, int, int) {
        throw EInvalidOperation(L"handler failed");
    };
    {
        testutil::MessageBoxCloser closer;
        Callback(1, WM_RBUTTONDOWN);
        ASSERT_EQ(closer.Count(), 1u);
        EXPECT_EQ(closer.Seen()[0].text, L"handler failed.");
    }
    Callback(1, WM_RBUTTONUP);
    EXPECT_EQ(events, (Strings{"down", "1 up 1 16 at cursor"}));

    t.SetPopupMenuL(menu);
    t.MenuDestroyed(menu);
    EXPECT_EQ(t.PopupMenuL(), nullptr);
    EXPECT_EQ(t.PopupMenuR(), nullptr);
    DestroyMenu(menu);
}

TEST_F(TrayIconTest, DestroyingAShownComponentRemovesItsIconAndEntry) {
    auto t = std::make_unique<TrayIcon>(owner);
    Record(*t);
    Show(*t);
    const NOTIFYICONDATAA shown = t->NotifyData();
    HWND receiver = TrayIcon::NotifyWindow();
    TrayIcon keep(owner); // keeps the receiver alive
    t.reset();
    ASSERT_EQ(Sent(), Strings{"delete 1"});
    EXPECT_EQ(calls[0].data.hWnd, shown.hWnd);
    EXPECT_EQ(TrayIcon::Find(1), nullptr);
    PostMessageW(receiver, names::kTrayCallbackMessage, 1, WM_LBUTTONDOWN);
    testutil::PumpMessages();
    EXPECT_TRUE(events.empty());
}

TEST_F(TrayIconTest, ShellRestartAddsTheWantedIconsAgain) {
    TrayIcon shown(owner), pending(owner), hidden(owner);
    Show(shown);
    pending.SetIcon(icon);
    refuseAdds = refuseModifies = 1;
    EXPECT_NE(ErrorOf([&] { pending.SetRegistered(true); }), L"(none)");
    hidden.SetIcon(icon);
    calls.clear();

    // The shell broadcasts to top-level windows: here the owner.
    SendMessageW(owner, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(Sent(), (Strings{"add 1", "add 2"}));
    EXPECT_TRUE(shown.InTray() && pending.InTray());
    EXPECT_FALSE(hidden.Registered() || hidden.InTray());
}

TEST_F(TrayIconTest, ResourcePictureHasTheSmallIconSizeOfTheDpi) {
    TrayIcon t(owner);
    t.SetIconResource(GetModuleHandleW(nullptr), IDI_TRAY);
    t.SetRegistered(true);
    ASSERT_EQ(calls.size(), 1u);
    // The window is on a display at the system DPI.
    EXPECT_EQ(IconSide(calls[0].data.hIcon), GetSystemMetrics(SM_CXSMICON));

    // The window moves to displays of other scales: 16 pixels at 96 DPI.
    for (UINT dpi : {120u, 144u, 192u, 96u}) {
        calls.clear();
        RECT suggested{50, 50, 250, 150};
        SendMessageW(owner, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        ASSERT_EQ(Sent(), Strings{"modify 1"}) << dpi;
        EXPECT_EQ(calls[0].data.hIcon, t.Icon());
        EXPECT_EQ(IconSide(t.Icon()), MulDiv(16, static_cast<int>(dpi), 96)) << dpi;
        EXPECT_EQ(t.IconDpi(), dpi);
    }
}

TEST_F(TrayIconTest, RealShellAddsModifiesAndDeletes) {
    std::vector<BOOL> results;
    TrayIcon::ShellNotify = [&](DWORD message, PNOTIFYICONDATAA data) {
        calls.push_back({message, *data});
        BOOL ok = Shell_NotifyIconA(message, data);
        results.push_back(ok);
        return ok;
    };
    {
        TrayIcon t(owner);
        t.SetTipString("Quorel");
        t.SetIcon(icon);
        t.SetRegistered(true);
        t.SetTipString("Quorel test");
        t.SetRegistered(false);
    }
    EXPECT_EQ(Sent(), (Strings{"add 1", "modify 1", "delete 1"}));
    EXPECT_EQ(results, (std::vector<BOOL>{TRUE, TRUE, TRUE}));
}

TEST_F(TrayIconTest, BalloonAndWideTipGoThroughTheUnicodeCallAndTheBalloonsClickIsAnEvent) {
    const auto savedChange = message_filter::Change;
    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> wide;
    TrayIcon::ShellNotifyW = [&](DWORD message, PNOTIFYICONDATAW data) {
        wide.emplace_back(message, *data);
        return TRUE;
    };
    std::vector<std::pair<HWND, UINT>> allowed;
    message_filter::Change = [&](HWND w, UINT m, DWORD action) {
        EXPECT_EQ(action, static_cast<DWORD>(MSGFLT_ALLOW));
        allowed.emplace_back(w, m);
        return TRUE;
    };
    {
        TrayIcon t(owner);
        EXPECT_FALSE(t.ShowBalloon(L"Quorel", L"x")); // not in the tray: no call
        Show(t);
        // The receiver lets exactly the callback and "TaskbarCreated" through.
        EXPECT_EQ(allowed, (std::vector<std::pair<HWND, UINT>>{
                               {TrayIcon::NotifyWindow(), names::kTrayCallbackMessage},
                               {owner, RegisterWindowMessageW(L"TaskbarCreated")}}));

        ASSERT_TRUE(t.ShowBalloon(L"Quorel", L"管理者として"));
        ASSERT_EQ(wide.size(), 1u);
        const auto& [message, b] = wide[0];
        EXPECT_EQ(message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(b.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
        EXPECT_EQ(b.hWnd, TrayIcon::NotifyWindow());
        EXPECT_EQ(b.uID, 1u);
        EXPECT_EQ(b.uFlags, static_cast<UINT>(NIF_INFO)); // tip and picture stay
        EXPECT_EQ(b.dwInfoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_NOSOUND));
        EXPECT_STREQ(b.szInfo, L"管理者として");
        EXPECT_STREQ(b.szInfoTitle, L"Quorel");
        EXPECT_TRUE(calls.empty());

        t.OnBalloonClick = [&](TrayIcon&) { events.push_back("balloon"); };
        Callback(1, NIN_BALLOONUSERCLICK);
        EXPECT_EQ(events, Strings{"balloon"});

        // A wide tip: the record keeps its code page form, the shell's entry
        // gets the text itself after every update; a plain tip ends that.
        wide.clear();
        t.SetTipText(L"Quorel (管理者)");
        EXPECT_EQ(t.TipString(), WideToAnsi(L"Quorel (管理者)"));
        ASSERT_EQ(calls.size(), 1u);
        ASSERT_EQ(wide.size(), 1u);
        EXPECT_EQ(wide[0].second.uFlags, static_cast<UINT>(NIF_TIP));
        EXPECT_STREQ(wide[0].second.szTip, L"Quorel (管理者)");
        t.SetTipString("Quorel");
        EXPECT_EQ(wide.size(), 1u);
        EXPECT_TRUE(t.TipText().empty());
    }
    TrayIcon::ShellNotifyW = Shell_NotifyIconW;
    message_filter::Change = savedChange;
}

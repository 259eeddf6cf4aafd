// End-to-end tests: the real Quorel.exe runs in a folder of its own, and
// this process, a separate program, presses its hotkeys and watches what
// happens to its own windows, to the cursor and to the INI file.
#include "base/names.h"
#include "res/version.h"
#include "support/testutil.h"
#include "winops/command_queues.h"
#include "winops/command_runner.h"
#include "winops/window_commands.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace testutil;
using std::chrono::milliseconds;

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// A hotkey for another window (or the cursor's) while one window keeps its
// commands waiting, however long; widened by the machine's load now.
constexpr double kOtherHotkeyBoundMs = 250;
double OtherHotkeyBoundMs(double referenceMs) {
    return BoundUnderLoad(kOtherHotkeyBoundMs, referenceMs);
}

// What load adds now to a hotkey: the slowest of three presses of
// Shift+Alt+Right on w (in the foreground), each until it has moved.
double MoveKeyReferenceMs(const TargetWindow& w) {
    return SlowestRunMs(3, [&] {
        RECT r = w.Rect();
        OffsetRect(&r, 5, 0);
        PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
        EXPECT_TRUE(WaitForRect(w, r));
    });
}

bool HasRect(HWND wnd, const RECT& want) {
    RECT now{};
    return GetWindowRect(wnd, &now) && EqualRect(&now, &want);
}

// The slowest of three move presses on a live window of another thread, in
// this run: what the machine's load adds to any press just now. A bound of
// kOtherHotkeyBoundMs plus twice this keeps its meaning on a busy machine
// (where every press is slow) and still tells a command that waited behind
// a stuck or modal call (held for seconds, or dropped) from one that did
// not.
double SlowestMove(ThreadWindow& w) {
    double slowest = 0;
    for (int i = 0; i < 3; ++i) {
        if (!MakeForeground(w.Handle()))
            return 1000;
        RECT r = w.Rect();
        OffsetRect(&r, 5, 0);
        const auto t0 = std::chrono::steady_clock::now();
        PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
        if (!WaitUntil([&] { return HasRect(w.Handle(), r); }))
            return 1000;
        slowest = std::max(slowest, MillisecondsSince(t0));
    }
    return slowest;
}

} // namespace

TEST(QuorelProgram, FirstRunIsHiddenEndsASecondCopyAndWritesTheDefaultsAtExit) {
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    // No visible window, and the application window is a hidden tool window.
    EXPECT_TRUE(q.VisibleWindows(L"TQuorelMainForm").empty());
    HWND app = q.AppWindow();
    ASSERT_NE(app, nullptr);
    EXPECT_FALSE(IsWindowVisible(app));
    // The program sets exactly WS_EX_TOOLWINDOW; the system adds the edge
    // bit to any window with a caption.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(app, GWL_EXSTYLE)) & ~DWORD{WS_EX_WINDOWEDGE},
              DWORD{WS_EX_TOOLWINDOW});
    EXPECT_EQ(GetWindow(q.MainForm(), GW_OWNER), app);
    // A second copy ends at once and shows nothing.
    EXPECT_EQ(q.StartSecondCopy(), 0);
    q.WaitIdle();
    EXPECT_TRUE(q.VisibleWindows(L"#32768").empty());
    EXPECT_TRUE(q.IniText().empty());

    ASSERT_TRUE(q.Close());
    EXPECT_EQ(q.IniText(), kDefaultIniText);
}

TEST(QuorelProgram, EndOfSessionEndsTheProgramAtOnceWithTheSettingsWritten) {
    std::string ini = IniWith("MoveP=3\r\nStartMouseMove=2\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    PostMessageW(q.AppWindow(), WM_ENDSESSION, TRUE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !q.Running(); }));
    std::string text = q.IniText();
    EXPECT_NE(text.find("MoveP=3\r\n"), std::string::npos);
    EXPECT_NE(text.find("StartMouseMove=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("NoTrayIcon=0\r\n"), std::string::npos);
}

TEST(QuorelProgram, EveryWindowHotkeyActsOnTheForegroundWindow) {
    std::string ini = IniWith("MoveP=7\r\nSizeP=3\r\nTopMostKey=Ctrl+Alt+F10\r\n"
                              "CenterKey=Ctrl+Alt+F6\r\nCloseKey=Ctrl+Alt+F9\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    TargetWindow w;
    ASSERT_TRUE(w.MakeForeground());
    RECT r = w.Rect();
    // Moves; the bottom-right family (bottom edge down, right edge left);
    // the top-left family (top edge up, left edge right, the others stay).
    const struct {
        UINT mods, vk;
        RECT change;
    } steps[] = {{MOD_SHIFT | MOD_ALT, VK_RIGHT, {7, 0, 7, 0}},
                 {MOD_SHIFT | MOD_ALT, VK_UP, {0, -7, 0, -7}},
                 {MOD_CONTROL | MOD_ALT, VK_DOWN, {0, 0, 0, 3}},
                 {MOD_CONTROL | MOD_ALT, VK_LEFT, {0, 0, -3, 0}},
                 {MOD_SHIFT | MOD_CONTROL | MOD_ALT, VK_UP, {0, -3, 0, 0}},
                 {MOD_SHIFT | MOD_CONTROL | MOD_ALT, VK_RIGHT, {3, 0, 0, 0}}};
    for (const auto& step : steps) {
        PressKey(step.mods, step.vk);
        r = {r.left + step.change.left, r.top + step.change.top, r.right + step.change.right,
             r.bottom + step.change.bottom};
        EXPECT_TRUE(WaitForRect(w, r)) << step.vk;
    }

    // Topmost toggles, neither moving nor sizing the window nor taking the
    // foreground from it.
    auto topmost = [&] { return (GetWindowLongW(w.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    ASSERT_FALSE(topmost());
    PressKey(MOD_CONTROL | MOD_ALT, VK_F10);
    EXPECT_TRUE(WaitUntil(topmost));
    PressKey(MOD_CONTROL | MOD_ALT, VK_F10);
    EXPECT_TRUE(WaitUntil([&] { return !topmost(); }));
    EXPECT_TRUE(WaitForRect(w, r));
    EXPECT_EQ(GetForegroundWindow(), w.Handle());

    // Centred on its work area.
    MONITORINFO info{sizeof info};
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(w.Handle(), MONITOR_DEFAULTTONEAREST), &info));
    const RECT& work = info.rcWork;
    OffsetRect(&r, work.left + (work.right - work.left - (r.right - r.left)) / 2 - r.left,
               work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2 - r.top);
    PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
    EXPECT_TRUE(WaitForRect(w, r));

    // Maximize, minimize and close follow the window's caption buttons.
    PressKey(MOD_ALT, VK_F12);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(w.Handle()) != FALSE; }));
    PressKey(MOD_ALT, VK_F12);
    EXPECT_TRUE(WaitUntil([&] { return !IsZoomed(w.Handle()); }));
    // A maximized window is not moved: after a move press and a restore
    // press (handled in order) it is back where it was.
    RECT normal = w.Rect();
    PressKey(MOD_ALT, VK_F12);
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(w.Handle()) != FALSE; }));
    PressKey(MOD_SHIFT | MOD_ALT, VK_DOWN);
    PressKey(MOD_ALT, VK_F12);
    ASSERT_TRUE(WaitUntil([&] { return !IsZoomed(w.Handle()); }));
    EXPECT_TRUE(WaitForRect(w, normal));

    // No maximize box: neither maximized nor resized; still moved.
    TargetWindow fixed(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                       L"QuorelE2EFixed");
    ASSERT_TRUE(fixed.MakeForeground());
    r = fixed.Rect();
    PressKey(MOD_ALT, VK_F12);
    PressKey(MOD_CONTROL | MOD_ALT, VK_RIGHT);
    PressKey(MOD_SHIFT | MOD_ALT, VK_LEFT);
    OffsetRect(&r, -7, 0);
    EXPECT_TRUE(WaitForRect(fixed, r));
    EXPECT_FALSE(IsZoomed(fixed.Handle()));

    PressKey(MOD_ALT, VK_F11);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(fixed.Handle()) != FALSE; }));

    // Close, and the key is kept in the file because it holds a combination.
    ASSERT_TRUE(w.MakeForeground());
    PressKey(MOD_CONTROL | MOD_ALT, VK_F9);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(w.Handle()); }));
    ASSERT_TRUE(q.Close());
    EXPECT_NE(q.IniText().find("\r\nTopMostKey=Ctrl+Alt+F10\r\n"), std::string::npos);
}

TEST(QuorelProgram, CursorGoesToItsCornerAndASecondCopyOpensTheMenuWithoutATrayIcon) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    SetCursorPos(w / 2, h / 2);
    std::string ini =
        IniWith("MouseMovePos=1\r\nMouseOffset=10\r\nStartMouseMove=1\r\nNoTrayIcon=1\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    POINT p{};
    const auto inCorner = [&] { return GetCursorPos(&p) && p.x == w - 10 && p.y == 10; };
    EXPECT_TRUE(WaitUntil(inCorner)) << p.x << "," << p.y;
    SetCursorPos(w / 2, h / 2);
    PressKey(MOD_CONTROL | MOD_ALT, 'M');
    EXPECT_TRUE(WaitUntil(inCorner)) << p.x << "," << p.y;

    EXPECT_EQ(q.StartSecondCopy(), 0);
    EXPECT_TRUE(WaitUntil([&] { return !q.VisibleWindows(L"#32768").empty(); }));
    q.CancelMenu();
    EXPECT_TRUE(WaitUntil([&] { return q.VisibleWindows(L"#32768").empty(); }));
    EXPECT_TRUE(q.Running());
}

TEST(QuorelProgram, RestoreAllAndMinimizeAllByHotkey) {
    std::string ini = IniWith("AllRestoreKey=Ctrl+Alt+F7\r\nAllMinKey=Ctrl+Alt+F8\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    TargetWindow a, b;
    TargetWindow tool(WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, L"QuorelE2ETool");
    PressKey(MOD_CONTROL | MOD_ALT, VK_F8);
    EXPECT_TRUE(WaitUntil(
        [&] { return IsIconic(a.Handle()) && IsIconic(b.Handle()) && IsIconic(tool.Handle()); }));
    // Windows of threads of their own, each a little slow to restore: were
    // they not taken in turn, their restoring would overlap. They are
    // restored one after another, the last reported first.
    std::vector<std::unique_ptr<ThreadWindow>> windows;
    for (int i = 0; i < 3; ++i) {
        // Slow enough to overlap if sent at once; within their turn under load.
        windows.push_back(std::make_unique<ThreadWindow>(20));
        ShowWindow(windows.back()->Handle(), SW_SHOWMINNOACTIVE);
        ASSERT_TRUE(IsIconic(windows.back()->Handle()));
    }
    std::vector<const ThreadWindow*> order;
    for (HWND h : ProcessWindows(GetCurrentProcessId(), L"QuorelTestThreadWindow"))
        for (const auto& w : windows)
            if (w->Handle() == h)
                order.insert(order.begin(), w.get());
    ASSERT_EQ(order.size(), windows.size());

    PressKey(MOD_CONTROL | MOD_ALT, VK_F7);
    EXPECT_TRUE(WaitUntil([&] {
        for (const auto& w : windows)
            if (IsIconic(w->Handle()) || !w->Drain())
                return false;
        return !IsIconic(a.Handle()) && !IsIconic(b.Handle());
    }));
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i]->SysCommands(), std::vector<WPARAM>{SC_RESTORE}) << i;
        if (i > 0) {
            EXPECT_LT(order[i - 1]->SysCommandEnded(), order[i]->SysCommandBegan()) << i;
        }
    }
    // Tool windows are not restored.
    EXPECT_TRUE(IsIconic(tool.Handle()));
    // The program survives all of it.
    EXPECT_TRUE(q.Running());
}

TEST(QuorelProgram, ACopyDeniedFullRightsOnTheMutexEndsAtOnceAndWritesNothing) {
    // Held as a copy started as administrator holds it for a normal one.
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)", 1, &sd, nullptr));
    SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
    HANDLE held = CreateMutexW(&sa, FALSE, L"_QUOREL");
    LocalFree(sd);
    QuorelProcess q;
    EXPECT_EQ(q.StartSecondCopy(), 0);
    EXPECT_EQ(GetFileAttributesW(q.IniPath().c_str()), INVALID_FILE_ATTRIBUTES);
    CloseHandle(held);
}

TEST(QuorelProgram, AHeldCombinationIsReportedWithItsTextAndTheRestStillWorks) {
    // This process holds Alt+F12 before the program starts.
    TargetWindow holder;
    ASSERT_TRUE(RegisterHotKey(holder.Handle(), 1, MOD_ALT, VK_F12));
    std::string ini = IniWith("MaxRestoreKey=alt+f12\r\nLanguage=ja\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    // The box comes once the program's loop runs: by then the other keys
    // work and the tray icon is set up.
    ASSERT_TRUE(WaitUntil([&] { return !ProcessWindows(q.ProcessId(), L"#32770").empty(); },
                          milliseconds(10000)));
    EXPECT_FALSE(RegisterHotKey(nullptr, 0xBF00, MOD_SHIFT | MOD_ALT, VK_DOWN) &&
                 UnregisterHotKey(nullptr, 0xBF00))
        << "Shift+Alt+Down is not registered while the box is up";
    EXPECT_NE(FindWindowExW(q.MainForm(), nullptr, names::kTrayReceiverClass, nullptr), nullptr);
    MessageBoxCloser closer(q.ProcessId());
    ASSERT_TRUE(WaitUntil([&] { return closer.Count() >= 1; }, milliseconds(10000)));
    const auto seen = closer.Seen();
    EXPECT_EQ(seen[0].caption, L"Quorel");
    EXPECT_EQ(seen[0].text, L"ホットキー「alt+f12」の登録に失敗しました。");
    EXPECT_EQ(seen[0].owner, q.MainForm());
    UnregisterHotKey(holder.Handle(), 1);
    // Once the box is gone (not only hidden), a message the program
    // answers comes from its own loop.
    ASSERT_TRUE(WaitUntil([&] { return ProcessWindows(q.ProcessId(), L"#32770", false).empty(); }));
    DWORD_PTR answer = 0;
    ASSERT_NE(
        SendMessageTimeoutW(q.MainForm(), WM_NULL, 0, 0, SMTO_NORMAL, kGenerousWaitMs, &answer), 0);

    TargetWindow w;
    ASSERT_TRUE(w.MakeForeground());
    RECT r = w.Rect();
    PressKey(MOD_SHIFT | MOD_ALT, VK_DOWN);
    OffsetRect(&r, 0, 5);
    EXPECT_TRUE(WaitForRect(w, r));
}

TEST(QuorelProgram, TheExeCarriesItsVersionRecordAndAManifestOfTheSameVersion) {
    FileVersionRecord v = ReadFileVersion(QuorelExePath());
    ASSERT_TRUE(v.found);
    const WORD version[4] = {QUOREL_VERSION_MAJOR, QUOREL_VERSION_MINOR, QUOREL_VERSION_PATCH,
                             QUOREL_VERSION_BUILD};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v.fileVersion[i], version[i]) << i;
        EXPECT_EQ(v.productVersion[i], version[i]) << i;
    }
    EXPECT_EQ(v.fileType, DWORD{VFT_APP});
    // A Japanese block first, then an English one, in Unicode, same texts.
    EXPECT_EQ(v.language, 0x0411);
    EXPECT_EQ(v.codePage, 1200);
    const std::vector<std::pair<WORD, WORD>> translations{{0x0411, 1200}, {0x0409, 1200}};
    EXPECT_EQ(v.translations, translations);
    for (auto [name, value] : {std::pair{L"FileVersion", L"" QUOREL_VERSION_FILE_TEXT},
                               {L"ProductVersion", L"" QUOREL_VERSION_TEXT},
                               {L"FileDescription", L"Quorel"},
                               {L"ProductName", L"Quorel"},
                               {L"CompanyName", L"Quorel Project"},
                               {L"LegalCopyright", L"Copyright (c) 2026 Quorel Project"},
                               {L"OriginalFilename", L"Quorel.exe"},
                               {L"InternalName", L"Quorel"}})
        for (auto [language, codePage] : translations)
            EXPECT_EQ(v.String(name, language, codePage), value) << name << " " << language;

    std::string manifest = ReadManifest(QuorelExePath());
    EXPECT_NE(manifest.find("name=\"Quorel\" version=\"" QUOREL_VERSION_FILE_TEXT "\""),
              std::string::npos)
        << manifest;
}

TEST(QuorelProgram, MinimizeAllPastWindowsThatHaveJustStoppedAnsweringGivesTheKeysBackAtOnce) {
    std::string ini = IniWith("AllMinKey=Ctrl+Alt+F8\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    TargetWindow normal;
    // No minimize box: left alone by minimize-all, moved by the next key.
    TargetWindow fixed(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, L"QuorelE2EFixed");
    // More stuck windows above them than one command waits for.
    std::vector<ThreadWindow> stuck(10);
    ASSERT_TRUE(fixed.MakeForeground());
    const double reference = MoveKeyReferenceMs(fixed);
    RECT r = fixed.Rect();
    for (auto& w : stuck)
        ASSERT_TRUE(w.Stop());

    const auto t0 = std::chrono::steady_clock::now();
    PressKey(MOD_CONTROL | MOD_ALT, VK_F8);
    PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
    OffsetRect(&r, 5, 0);
    EXPECT_TRUE(WaitForRect(fixed, r));
    EXPECT_LT(MillisecondsSince(t0), OtherHotkeyBoundMs(reference)) << "reference " << reference;
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(normal.Handle()) != FALSE; }));

    // Each stuck window is minimized once it reads its messages again.
    for (auto& w : stuck) {
        EXPECT_TRUE(w.SysCommands().empty());
        w.Resume();
    }
    for (auto& w : stuck) {
        EXPECT_TRUE(WaitUntil([&] { return IsIconic(w.Handle()) != FALSE; }));
        EXPECT_TRUE(w.Drain());
        EXPECT_EQ(w.SysCommands(), std::vector<WPARAM>{SC_MINIMIZE});
    }
}

TEST(QuorelProgram, SlowAndStuckWindowsHoldUpNoOtherKeyNorTheExit) {
    // What an exit with nothing to wait for takes now.
    double exitReference = 0;
    {
        QuorelProcess plain;
        ASSERT_TRUE(plain.Start());
        exitReference = SlowestRunMs(1, [&] { EXPECT_TRUE(plain.Close()); });
    }
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    // A window that answers every question at once, but takes three seconds
    // before it lets itself be moved, holds up no other window.
    ThreadWindow slow;
    TargetWindow other;
    ASSERT_TRUE(other.MakeForeground());
    const double reference = MoveKeyReferenceMs(other);
    ASSERT_TRUE(MakeForeground(slow.Handle()));
    slow.SetMoveWork(3000);
    const unsigned begun = slow.MovesBegun();
    // Pressed again should a press go astray under load; harmless here.
    ASSERT_TRUE(WaitUntil([&] {
        PressKey(MOD_SHIFT | MOD_ALT, VK_DOWN);
        return WaitUntil([&] { return slow.MovesBegun() > begun; }, milliseconds(5000));
    }));
    ASSERT_TRUE(other.MakeForeground());
    RECT o = other.Rect();
    const auto slowStart = std::chrono::steady_clock::now();
    PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
    OffsetRect(&o, 5, 0);
    EXPECT_TRUE(WaitForRect(other, o));
    EXPECT_LT(MillisecondsSince(slowStart), OtherHotkeyBoundMs(reference))
        << "reference " << reference;
    slow.SetMoveWork(0);
    EXPECT_TRUE(slow.Drain());

    // A held move key on a window that has just stopped answering.
    const int h = GetSystemMetrics(SM_CYSCREEN);
    SetCursorPos(300, 300);
    ThreadWindow stuck;
    ASSERT_TRUE(MakeForeground(stuck.Handle()));
    RECT r = stuck.Rect();
    ASSERT_TRUE(stuck.Stop());

    // Ten presses, as a held key repeats, then the cursor key.
    constexpr int kPresses = 10;
    for (int i = 0; i < kPresses; ++i)
        PressKey(MOD_SHIFT | MOD_ALT, VK_DOWN);
    const auto t0 = std::chrono::steady_clock::now();
    PressKey(MOD_CONTROL | MOD_ALT, 'M'); // cursor to the bottom left corner
    POINT p{};
    EXPECT_TRUE(WaitUntil([&] { return GetCursorPos(&p) && p.x == 0 && p.y == h - 1; }));
    EXPECT_LT(MillisecondsSince(t0), OtherHotkeyBoundMs(reference)) << "reference " << reference;
    const auto at = [&](RECT want) {
        RECT now = stuck.Rect();
        return EqualRect(&now, &want) != FALSE;
    };
    // Not moved while it does not answer (for a second).
    EXPECT_FALSE(WaitUntil([&] { return !at(r); }, milliseconds(1000)));

    // Once it answers, every press counts, each from where the one before
    // left the window.
    stuck.Resume();
    OffsetRect(&r, 0, 5 * kPresses);
    EXPECT_TRUE(WaitUntil([&] { return at(r); }));
    EXPECT_TRUE(stuck.Drain());
    q.WaitIdle();
    EXPECT_TRUE(stuck.Drain());
    EXPECT_TRUE(at(r));

    // A backlog older than five seconds is dropped; the press in its call counts.
    ASSERT_TRUE(stuck.Stop());
    for (int i = 0; i < 3; ++i)
        PressKey(MOD_SHIFT | MOD_ALT, VK_DOWN);
    EXPECT_FALSE(WaitUntil([&] { return !at(r); }, milliseconds(MaxCommandAgeMs + 500)));
    stuck.Resume();
    OffsetRect(&r, 0, 5);
    EXPECT_TRUE(WaitUntil([&] { return at(r); }));
    EXPECT_TRUE(stuck.Drain());
    q.WaitIdle();
    EXPECT_TRUE(stuck.Drain());
    EXPECT_TRUE(at(r));

    // Exit with a command in its hands writes the settings and ends within
    // a second, with room for a slow machine and the load now.
    ASSERT_TRUE(stuck.Stop());
    PressKey(MOD_SHIFT | MOD_ALT, VK_DOWN);
    q.WaitIdle();
    const auto t1 = std::chrono::steady_clock::now();
    ASSERT_TRUE(q.Close());
    EXPECT_LT(MillisecondsSince(t1), BoundUnderLoad(1000 + 1500, exitReference))
        << "an exit with nothing to wait for took " << exitReference;
    EXPECT_EQ(q.IniText(), kDefaultIniText);
    stuck.Resume();
}

TEST(QuorelProgram, APromptThatTheCloseKeyOpensMovesAndClosesByKey) {
    std::string ini = IniWith("CloseKey=Ctrl+Alt+F9\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    ThreadWindow w;
    const double bound = kOtherHotkeyBoundMs + 2 * SlowestMove(w);
    // The close key: the window asks whether to save inside the close's call.
    w.SetPromptOnClose(true);
    ASSERT_TRUE(MakeForeground(w.Handle()));
    PressKey(MOD_CONTROL | MOD_ALT, VK_F9);
    HWND prompt = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (prompt = w.Prompt()) != nullptr; }));
    ASSERT_TRUE(MakeForeground(prompt));
    RECT r{};
    ASSERT_TRUE(GetWindowRect(prompt, &r));
    // The move key moves the prompt.
    OffsetRect(&r, 5, 0);
    const auto t0 = std::chrono::steady_clock::now();
    PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
    EXPECT_TRUE(WaitUntil([&] { return HasRect(prompt, r); }, milliseconds(3000)));
    EXPECT_LT(MillisecondsSince(t0), bound);
    // The close key cancels it; the close that opened it returns.
    PressKey(MOD_CONTROL | MOD_ALT, VK_F9);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }));
    if (IsWindow(prompt))
        PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(w.Drain());
    EXPECT_TRUE(IsWindow(w.Handle()));
    EXPECT_EQ(w.SysCommands(), std::vector<WPARAM>{SC_CLOSE});
    EXPECT_TRUE(q.Running());
}

TEST(QuorelProgram, TwentyStuckProgramsHoldOneWorkerEachAndALiveWindowStillMoves) {
    QuorelProcess q;
    ASSERT_TRUE(q.Start());
    ThreadWindow live;
    const double bound = kOtherHotkeyBoundMs + 2 * SlowestMove(live);
    q.WaitIdle();
    // The program's threads, its standing workers among them.
    const size_t threadsBefore = ProcessThreadCount(q.ProcessId());
    constexpr size_t kStuck = 20;
    std::vector<std::unique_ptr<ThreadWindow>> stuck;
    std::vector<RECT> before;
    for (size_t i = 0; i < kStuck; ++i) {
        stuck.push_back(std::make_unique<ThreadWindow>());
        ThreadWindow& w = *stuck.back();
        ASSERT_TRUE(MakeForeground(w.Handle())) << i;
        before.push_back(w.Rect());
        ASSERT_TRUE(w.Stop());
        PressKey(MOD_SHIFT | MOD_ALT, VK_DOWN);
    }
    // Each press is in its call.
    EXPECT_TRUE(WaitUntil([&] {
        return ProcessThreadCount(q.ProcessId()) >= threadsBefore + kStuck - StandingCommandWorkers;
    }));
    ASSERT_TRUE(MakeForeground(live.Handle()));
    RECT r = live.Rect();
    OffsetRect(&r, 5, 0);
    const auto t0 = std::chrono::steady_clock::now();
    PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
    EXPECT_TRUE(WaitUntil([&] { return HasRect(live.Handle(), r); }));
    EXPECT_LT(MillisecondsSince(t0), bound);
    // One worker per stuck thread, and the standing ones.
    EXPECT_LE(ProcessThreadCount(q.ProcessId()), threadsBefore + kStuck);
    for (auto& w : stuck)
        w->Resume();
    for (size_t i = 0; i < kStuck; ++i) {
        OffsetRect(&before[i], 0, 5);
        EXPECT_TRUE(WaitUntil([&] { return HasRect(stuck[i]->Handle(), before[i]); })) << i;
    }
}

namespace {

RECT Moved(const RECT& r, int dx, int dy) {
    RECT m = r;
    OffsetRect(&m, dx, dy);
    return m;
}

bool Near(const RECT& a, const RECT& b, int pixels) {
    return std::abs(a.left - b.left) <= pixels && std::abs(a.top - b.top) <= pixels &&
           a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

// The restore rectangle (no taskbar here: workspace = screen coordinates).
RECT NormalRect(HWND w) {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    GetWindowPlacement(w, &p);
    return p.rcNormalPosition;
}

} // namespace

// On two monitors: next/prev carry normal and maximized windows over and
// back; moves cross the boundary; maximize, centre and restore-all keep to
// the second monitor; the cursor corner stays on the primary.
TEST(TwoMonitors, NextAndPrevCarryWindowsOverAndBackAndEveryCommandKeepsToItsMonitor) {
    MonitorPair m{};
    if (!FindTwoMonitors(m)) {
        ASSERT_FALSE(TwoMonitorsPromised()) << "the run promised two monitors";
        GTEST_SKIP() << "one monitor";
    }
    std::string ini = IniWith("MoveP=50\r\nNextMonitorKey=Ctrl+Alt+F7\r\n"
                              "PrevMonitorKey=Ctrl+Alt+F8\r\nCenterKey=Ctrl+Alt+F6\r\n"
                              "AllRestoreKey=Ctrl+Alt+F9\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    TargetWindow w;
    const RECT start{200, 100, 600, 400};
    SetWindowPos(w.Handle(), nullptr, start.left, start.top, 400, 300, SWP_NOZORDER);
    ASSERT_TRUE(w.MakeForeground());
    auto on = [&](HMONITOR monitor) { return MonitorFromWindow(w.Handle(), 0) == monitor; };

    // Next: the same share of the second's spare room; Prev: back within a pixel.
    PressKey(MOD_CONTROL | MOD_ALT, VK_F7);
    const RECT there = MonitorMoveGeometry(start, m.primaryWork, m.secondWork, true);
    EXPECT_TRUE(WaitForRect(w, there));
    EXPECT_TRUE(WhollyOnOneMonitor(w.Rect(), nullptr, true));
    EXPECT_TRUE(on(m.secondHandle));
    PressKey(MOD_CONTROL | MOD_ALT, VK_F8);
    EXPECT_TRUE(WaitUntil([&] { return Near(w.Rect(), start, 1); }));

    // Move steps cross the boundary one by one.
    const RECT edge = Moved(start, m.primary.right - 420 - start.left, 0);
    SetWindowPos(w.Handle(), nullptr, edge.left, edge.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(w.MakeForeground());
    for (int i = 1; i <= 2; ++i) {
        const RECT before = w.Rect(); // each step from where the one before left it
        PressKey(MOD_SHIFT | MOD_ALT, VK_RIGHT);
        EXPECT_TRUE(WaitForRect(w, Moved(before, 50, 0))) << i;
    }
    EXPECT_GT(w.Rect().right, m.primary.right); // across the boundary, not clamped

    // Centred on the second monitor's work area once it is mostly there.
    SetWindowPos(w.Handle(), nullptr, m.second.left + 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
    const RECT& sw = m.secondWork;
    const RECT centred{sw.left + (sw.right - sw.left - 400) / 2,
                       sw.top + (sw.bottom - sw.top - 300) / 2, 0, 0};
    EXPECT_TRUE(WaitForRect(w, {centred.left, centred.top, centred.left + 400, centred.top + 300}));
    const RECT normal = w.Rect();

    // Maximized there and restored there.
    PressKey(MOD_ALT, VK_F12);
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(w.Handle()) != FALSE; }));
    EXPECT_TRUE(on(m.secondHandle));
    RECT client{};
    GetClientRect(w.Handle(), &client);
    EXPECT_GE(client.right, sw.right - sw.left - 20);
    // A maximized window goes over maximized, its restore rectangle with it.
    PressKey(MOD_CONTROL | MOD_ALT, VK_F7);
    EXPECT_TRUE(WaitUntil([&] { return on(m.primaryHandle) && IsZoomed(w.Handle()); }));
    const RECT normalThere = NormalRect(w.Handle());
    EXPECT_TRUE(WhollyOnOneMonitor(normalThere, nullptr, true));
    EXPECT_EQ(MonitorFromRect(&normalThere, 0), m.primaryHandle)
        << normalThere.left << "," << normalThere.top << "," << normalThere.right;
    PressKey(MOD_CONTROL | MOD_ALT, VK_F8);
    EXPECT_TRUE(WaitUntil([&] { return on(m.secondHandle) && IsZoomed(w.Handle()); }));
    PressKey(MOD_ALT, VK_F12);
    ASSERT_TRUE(WaitUntil([&] { return !IsZoomed(w.Handle()); }));
    EXPECT_TRUE(WaitUntil([&] { return Near(w.Rect(), normal, 2); }));

    // Restore-all brings it back to its place on the second monitor.
    ShowWindow(w.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(w.Handle()) != FALSE; }));
    PressKey(MOD_CONTROL | MOD_ALT, VK_F9);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(w.Handle()); }));
    EXPECT_TRUE(WaitUntil([&] { return Near(w.Rect(), normal, 2); }));

    // The cursor corner (bottom left by default) is the primary's.
    SetCursorPos(m.second.left + 300, 300);
    PressKey(MOD_CONTROL | MOD_ALT, 'M');
    POINT p{};
    EXPECT_TRUE(WaitUntil([&] {
        return GetCursorPos(&p) && p.x == 0 && p.y == m.primary.bottom - 1;
    })) << p.x
        << "," << p.y;
}

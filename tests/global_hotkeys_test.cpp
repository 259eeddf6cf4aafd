#include "hotkey/global_hotkeys.h"

#include "base/error_report.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Combinations nothing else on the desktop uses.
constexpr UINT kMods = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
constexpr TShortCut kF9 = scCtrl | scAlt | scShift | VK_F9;
constexpr TShortCut kF8 = scCtrl | scAlt | scShift | VK_F8;
constexpr TShortCut kF7 = scCtrl | scAlt | scShift | VK_F7;

struct WindowDeleter {
    void operator()(HWND h) const { DestroyWindow(h); }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

Window MakeTopWindow(const wchar_t* title, int x) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HkTestTop";
        RegisterClassW(&wc);
        registered = true;
    }
    HWND h = CreateWindowExW(0, L"HkTestTop", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 40, 200,
                             120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return Window(h);
}

bool MakeForeground(HWND h) {
    SetForegroundWindow(h);
    return testutil::WaitUntil([&] { return GetForegroundWindow() == h; });
}

// Counts the messages that reach DoHotKey, with or without a handler.
class CountingHotKey : public GlobalHotkeys {
  public:
    using GlobalHotkeys::GlobalHotkeys;
    void DoHotKey(int Index) override {
        delivered.push_back(Index);
        GlobalHotkeys::DoHotKey(Index);
    }
    std::vector<int> delivered;
};

} // namespace

TEST(GlobalHotkeysComponent, PressesArriveWithTheirNumbers) {
    GlobalHotkeys hk;
    EXPECT_TRUE(hk.Activate);
    HWND w = hk.Handle();
    ASSERT_TRUE(IsWindow(w));
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(GetParent(w), nullptr);
    EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(testutil::WindowText(w), L"");

    std::vector<int> got;
    hk.Activate = false;
    hk.OnHotKey = [&](GlobalHotkeys& sender, int index) {
        EXPECT_EQ(&sender, &hk);
        got.push_back(index);
    };
    ASSERT_TRUE(hk.RegisterKey(7, kF9));
    ASSERT_TRUE(hk.RegisterKey(12, kF8));
    testutil::PressKey(kMods, VK_F9);
    ASSERT_TRUE(testutil::WaitUntil([&] { return got.size() == 1; }));
    EXPECT_EQ(got[0], 7);
    testutil::PressKey(kMods, VK_F8);
    ASSERT_TRUE(testutil::WaitUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got[1], 12);

    // Unregistered: the press no longer arrives (the later press of a
    // registered combination proves the first one was handled).
    EXPECT_TRUE(hk.UnregisterKey(7));
    EXPECT_FALSE(hk.UnregisterKey(7));
    EXPECT_FALSE(hk.UnregisterKey(99));
    testutil::PressKey(kMods, VK_F9);
    testutil::PressKey(kMods, VK_F8);
    ASSERT_TRUE(testutil::WaitUntil([&] { return got.size() == 3; }));
    EXPECT_EQ(got[2], 12);
    EXPECT_TRUE(hk.UnregisterKey(12));
}

TEST(GlobalHotkeysComponent, ActivateBringsTheOwnerForwardFirst) {
    Window owner = MakeTopWindow(L"owner", 40);
    Window other = MakeTopWindow(L"other", 300);
    ASSERT_TRUE(owner && other);
    GlobalHotkeys hk([&] { return owner.get(); });
    std::vector<HWND> foregroundInHandler;
    hk.OnHotKey = [&](GlobalHotkeys&, int) {
        foregroundInHandler.push_back(GetForegroundWindow());
    };
    ASSERT_TRUE(hk.RegisterKey(1, kF9));

    ASSERT_TRUE(MakeForeground(other.get()));
    testutil::PressKey(kMods, VK_F9);
    ASSERT_TRUE(testutil::WaitUntil([&] { return foregroundInHandler.size() == 1; }));
    EXPECT_EQ(foregroundInHandler[0], owner.get());

    hk.Activate = false;
    ASSERT_TRUE(MakeForeground(other.get()));
    testutil::PressKey(kMods, VK_F9);
    ASSERT_TRUE(testutil::WaitUntil([&] { return foregroundInHandler.size() == 2; }));
    EXPECT_EQ(foregroundInHandler[1], other.get());
    testutil::PumpMessages();
    EXPECT_EQ(GetForegroundWindow(), other.get());
}

TEST(GlobalHotkeysComponent, WithoutHandlerNothingHappens) {
    Window owner = MakeTopWindow(L"owner", 40);
    Window other = MakeTopWindow(L"other", 300);
    CountingHotKey hk([&] { return owner.get(); });
    ASSERT_TRUE(hk.Activate);
    ASSERT_TRUE(hk.RegisterKey(3, kF9));
    ASSERT_TRUE(MakeForeground(other.get()));
    testutil::PressKey(kMods, VK_F9);
    ASSERT_TRUE(testutil::WaitUntil([&] { return hk.delivered.size() == 1; }));
    EXPECT_EQ(hk.delivered[0], 3);
    testutil::PumpMessages();
    EXPECT_EQ(GetForegroundWindow(), other.get());

    // An empty owner: the handler runs, nothing is brought forward.
    GlobalHotkeys noOwner;
    int calls = 0;
    noOwner.OnHotKey = [&](GlobalHotkeys&, int) { ++calls; };
    ASSERT_TRUE(noOwner.RegisterKey(4, kF8));
    testutil::PressKey(kMods, VK_F8);
    ASSERT_TRUE(testutil::WaitUntil([&] { return calls == 1; }));
    EXPECT_EQ(GetForegroundWindow(), other.get());
}

TEST(GlobalHotkeysComponent, HandlerExceptionIsReportedAndLaterPressesStillArrive) {
    GlobalHotkeys hk;
    hk.Activate = false;
    std::vector<int> got;
    hk.OnHotKey = [&](GlobalHotkeys&, int index) {
        got.push_back(index);
        if (got.size() == 1)
            throw EQuorelError(L"ウィンドウを動かせません");
    };
    ASSERT_TRUE(hk.RegisterKey(5, kF9));
    testutil::MessageBoxCloser closer;
    testutil::PressKey(kMods, VK_F9);
    ASSERT_TRUE(testutil::WaitUntil([&] { return got.size() == 1 && closer.Count() == 1; }));
    auto box = closer.Seen().front();
    EXPECT_EQ(box.text, L"ウィンドウを動かせません。");
    EXPECT_EQ(box.caption, L"global_hotkeys_test");

    testutil::PressKey(kMods, VK_F9);
    ASSERT_TRUE(testutil::WaitUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got[1], 5);
    EXPECT_EQ(closer.Count(), 1u);
}

TEST(GlobalHotkeysComponent, CombinationHeldElsewhereIsRefusedUntilReleased) {
    auto first = std::make_unique<GlobalHotkeys>();
    GlobalHotkeys second;
    std::vector<int> got;
    second.Activate = false;
    second.OnHotKey = [&](GlobalHotkeys&, int index) { got.push_back(index); };

    ASSERT_TRUE(first->RegisterKey(3, kF9));
    EXPECT_FALSE(second.RegisterKey(3, kF9));
    EXPECT_FALSE(second.RegisterKey(4, kF9));
    EXPECT_TRUE(first->UnregisterKey(3));
    EXPECT_TRUE(second.RegisterKey(4, kF9));
    testutil::PressKey(kMods, VK_F9);
    ASSERT_TRUE(testutil::WaitUntil([&] { return got.size() == 1; }));
    EXPECT_EQ(got[0], 4);
    EXPECT_TRUE(second.UnregisterKey(4));

    // Destroying a component releases what it held.
    ASSERT_TRUE(first->RegisterKey(6, kF7));
    EXPECT_FALSE(second.RegisterKey(6, kF7));
    first.reset();
    EXPECT_TRUE(second.RegisterKey(6, kF7));
    EXPECT_TRUE(second.UnregisterKey(6));

    // Held by another thread of the process.
    HANDLE registered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> heldOk{false};
    std::thread holder([&] {
        heldOk = RegisterHotKey(nullptr, 1, kMods, VK_F8) != 0;
        SetEvent(registered);
        WaitForSingleObject(release, 10000);
        UnregisterHotKey(nullptr, 1);
    });
    WaitForSingleObject(registered, 10000);
    EXPECT_TRUE(heldOk);
    EXPECT_FALSE(second.RegisterKey(8, kF8));
    SetEvent(release);
    holder.join();
    EXPECT_TRUE(second.RegisterKey(8, kF8));
    EXPECT_TRUE(second.UnregisterKey(8));
    CloseHandle(registered);
    CloseHandle(release);
}

TEST(GlobalHotkeysComponent, OnceAsksForNoRepeatAndDoesWithoutWhereTheSystemRefusesIt) {
    GlobalHotkeys hk;
    std::vector<UINT> asked;
    DWORD refuseNoRepeat = 0;
    GlobalHotkeys::SystemRegister = [&](HWND, int, UINT modifiers, UINT) -> BOOL {
        asked.push_back(modifiers);
        DWORD error = (modifiers & MOD_NOREPEAT) ? refuseNoRepeat : 0;
        SetLastError(error);
        return error == 0;
    };
    EXPECT_TRUE(hk.RegisterKey(1, kF9));
    EXPECT_TRUE(hk.RegisterKey(2, kF8, KeyRepeat::Repeats));
    // As a system before Windows 7 refuses the flag.
    refuseNoRepeat = ERROR_INVALID_PARAMETER;
    EXPECT_TRUE(hk.RegisterKey(3, kF9));
    // A combination held elsewhere is asked for once.
    refuseNoRepeat = ERROR_HOTKEY_ALREADY_REGISTERED;
    EXPECT_FALSE(hk.RegisterKey(4, kF9));
    GlobalHotkeys::SystemRegister = RegisterHotKey;
    const UINT once = kMods | MOD_NOREPEAT;
    EXPECT_EQ(asked, (std::vector<UINT>{once, kMods, once, kMods, once}));
}

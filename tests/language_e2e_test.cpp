// End-to-end tests of the interface language against the real Quorel.exe.
// Under Wine the display language follows the locale a process starts under,
// so CTest runs this program under C.UTF-8 (English, 0x409) and under
// ja_JP.UTF-8 (Japanese, 0x411).
#include "base/names.h"
#include "ui/help_window.h"
#include "ui/options_dialog.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace testutil;

namespace {

constexpr UINT kOptionsCommand = 101; // the options item of the menu

// What the program shows in one language: the options dialog's caption
// and a check box of its その他 page, and the help window's caption.
struct Shown {
    const wchar_t* options;
    const wchar_t* noTrayIcon;
    const wchar_t* help;
};
constexpr Shown kJapanese{L"オプション", L"タスクトレイのアイコンを表示しない", L"Quorel ヘルプ"};
constexpr Shown kEnglish{L"Options", L"Hide the icon in the notification area", L"Quorel Help"};

// The menu (known by its width: a menu of another process cannot be read
// under Wine), the help window and the options dialog in the expected
// language; the dialog closes with Cancel, or with OK after choosing item in
// its language list.
void ExpectShown(QuorelProcess& q, const Shown& expected, int& menuWidth, int item = -1) {
    std::vector<HWND> menus;
    // Pressed again if the first press came before the program was ready.
    for (int attempt = 0; attempt < 3 && menus.empty(); ++attempt) {
        q.WaitIdle();
        PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
        WaitUntil([&] { return !(menus = q.VisibleWindows(L"#32768")).empty(); },
                  std::chrono::milliseconds(4000));
    }
    ASSERT_FALSE(menus.empty());
    RECT r{};
    GetWindowRect(menus.front(), &r);
    menuWidth = r.right - r.left;
    PressKey(0, 'H'); // "&Help" in both languages
    HWND help = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        auto v = q.VisibleWindows(names::kHelpWindowClass);
        return !v.empty() && (help = v.front()) != nullptr;
    }));
    EXPECT_EQ(WindowText(help), expected.help);
    PostMessageW(help, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));

    PostMessageW(q.MainForm(), WM_COMMAND, kOptionsCommand, 0);
    HWND dlg = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND h : q.VisibleWindows())
            if (WindowText(h) == expected.options)
                dlg = h;
        return dlg != nullptr;
    }));
    EXPECT_EQ(ControlText(OptionsDialogControl(dlg, idNoTrayIcon)), expected.noTrayIcon);
    if (item >= 0)
        SendMessageW(OptionsDialogControl(dlg, idLanguage), CB_SETCURSEL, static_cast<WPARAM>(item),
                     0);
    PostMessageW(dlg, WM_COMMAND, item >= 0 ? IDOK : IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
}

} // namespace

// The run is under the Windows display language CTest asked for.
TEST(QuorelLanguage, RunsUnderTheWindowsDisplayLanguageAskedFor) {
    char expected[16] = {};
    if (!GetEnvironmentVariableA("QUOREL_UI_LANGUAGE", expected, sizeof expected))
        GTEST_SKIP() << "no display language asked for";
    EXPECT_EQ(GetUserDefaultUILanguage(), std::strtoul(expected, nullptr, 16));
}

// Without a Language key the Windows display language decides. The options
// dialog's choice of the other language switches the menu at OK and writes
// the key, which wins over Windows at the next start.
TEST(QuorelLanguage, WindowsDecidesWithoutTheKeyAndTheDialogsChoiceWinsOverIt) {
    const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    const Shown &windows = japanese ? kJapanese : kEnglish,
                &other = japanese ? kEnglish : kJapanese;
    std::string ini = IniWith("PopupMenuKey=Ctrl+Alt+F6\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    int windowsWidth = 0, otherWidth = 0, againWidth = 0;
    ASSERT_NO_FATAL_FAILURE(ExpectShown(q, windows, windowsWidth, japanese ? 2 : 1));
    ASSERT_NO_FATAL_FAILURE(ExpectShown(q, other, otherWidth));
    EXPECT_NE(otherWidth, windowsWidth) << "the menu did not switch at OK";
    ASSERT_TRUE(q.Close());
    EXPECT_NE(q.IniText().find(japanese ? "\r\nLanguage=en\r\n" : "\r\nLanguage=ja\r\n"),
              std::string::npos);

    QuorelProcess again(q.ExePath());
    ASSERT_TRUE(again.Start());
    ASSERT_NO_FATAL_FAILURE(ExpectShown(again, other, againWidth));
    EXPECT_EQ(againWidth, otherWidth);
    ASSERT_TRUE(again.Close());
}

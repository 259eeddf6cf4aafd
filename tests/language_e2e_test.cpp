// End-to-end tests of the interface language against the real Quorel.exe:
// chosen by the Windows display language when the settings file has no
// Language key, by the key when it has one, and switched by the options
// dialog at OK. Under Wine the display language follows the locale the
// processes start under (each process reads it from its own environment
// when it starts), so CTest runs this program twice: under the suite's
// C.UTF-8 (English, 0x409) and under ja_JP.UTF-8 (Japanese, 0x411).
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

// The language of this run's Windows, which the program follows without a
// Language key.
const Shown& WindowsLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? kJapanese : kEnglish;
}

HWND Titled(const QuorelProcess& q, const wchar_t* title) {
    for (HWND h : q.VisibleWindows())
        if (WindowText(h) == title)
            return h;
    return nullptr;
}

// The width of the menu, opened by its hotkey and closed again. A menu of
// another process cannot be read under Wine, so a menu is known by its
// width: the width of its texts in the menu font.
int MenuWidth(const QuorelProcess& q) {
    std::vector<HWND> menus;
    // Pressed again if the first press came before the program was ready
    // for it (it has just closed a dialog or started).
    for (int attempt = 0; attempt < 3 && menus.empty(); ++attempt) {
        q.WaitIdle();
        PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
        WaitUntil([&] { return !(menus = q.VisibleWindows(L"#32768")).empty(); },
                  std::chrono::milliseconds(4000));
    }
    if (menus.empty())
        return 0;
    RECT r{};
    GetWindowRect(menus.front(), &r);
    q.CancelMenu();
    WaitUntil([&] { return q.VisibleWindows(L"#32768").empty(); });
    return r.right - r.left;
}

// The menu's width in each language, from copies whose settings name it
// (the menu's texts themselves are checked in process: main_form_test),
// measured once, before a copy under test starts (one copy runs at a time).
struct MenuWidths {
    int japanese, english;
};
const MenuWidths& ReferenceMenuWidths() {
    static const MenuWidths widths = [] {
        int measured[2] = {};
        for (int i = 0; i < 2; ++i) {
            std::string ini = IniWith(std::string("PopupMenuKey=Ctrl+Alt+F6\r\nLanguage=") +
                                      (i ? "en" : "ja") + "\r\n");
            QuorelProcess q(&ini);
            measured[i] = q.Start() ? MenuWidth(q) : -1;
        }
        return MenuWidths{measured[0], measured[1]};
    }();
    return widths;
}

// The menu, the options dialog and the help window, each in the expected
// language.
void ExpectShown(QuorelProcess& q, const Shown& expected, const MenuWidths& widths) {
    ASSERT_GT(widths.japanese, 0);
    ASSERT_GT(widths.english, 0);
    ASSERT_NE(widths.japanese, widths.english);
    EXPECT_EQ(MenuWidth(q), &expected == &kEnglish ? widths.english : widths.japanese);

    PostMessageW(q.MainForm(), WM_COMMAND, kOptionsCommand, 0);
    HWND dlg = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dlg = Titled(q, expected.options)) != nullptr; }));
    EXPECT_EQ(ControlText(OptionsDialogControl(dlg, idNoTrayIcon)), expected.noTrayIcon);
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));

    // The menu's "&Help" (both languages give it the same access key).
    q.WaitIdle();
    PressKey(MOD_CONTROL | MOD_ALT, VK_F6);
    ASSERT_TRUE(WaitUntil([&] { return !q.VisibleWindows(L"#32768").empty(); }));
    PressKey(0, 'H');
    HWND help = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        auto v = q.VisibleWindows(names::kHelpWindowClass);
        return !v.empty() && (help = v.front()) != nullptr;
    }));
    EXPECT_EQ(WindowText(help), expected.help);
    PostMessageW(help, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
}

} // namespace

// The run is under the Windows display language CTest asked for.
TEST(QuorelLanguage, RunsUnderTheWindowsDisplayLanguageAskedFor) {
    char expected[16] = {};
    if (!GetEnvironmentVariableA("QUOREL_UI_LANGUAGE", expected, sizeof expected))
        GTEST_SKIP() << "no display language asked for";
    EXPECT_EQ(GetUserDefaultUILanguage(), std::strtoul(expected, nullptr, 16));
}

// Without a Language key the Windows display language decides: Japanese
// gives Japanese, anything else English. With the key, the key wins over
// it; a value other than ja and en counts as no key, and leaves the file.
TEST(QuorelLanguage, WindowsDecidesWithoutTheKeyAndTheKeyWinsOverIt) {
    const MenuWidths& widths = ReferenceMenuWidths();
    const std::pair<const char*, const Shown*> cases[] = {
        {"", &WindowsLanguage()},
        {"Language=en\r\n", &kEnglish},
        {"Language=ja\r\n", &kJapanese},
        {"Language=fr\r\n", &WindowsLanguage()},
    };
    for (auto [line, expected] : cases) {
        SCOPED_TRACE(line);
        std::string ini = IniWith(std::string("PopupMenuKey=Ctrl+Alt+F6\r\n") + line);
        QuorelProcess q(&ini);
        ASSERT_TRUE(q.Start());
        ExpectShown(q, *expected, widths);
        ASSERT_TRUE(q.Close());
        const bool kept = std::string(line).find("=fr") == std::string::npos && line[0];
        EXPECT_EQ(q.IniText().find("Language="), kept ? q.IniText().find(line) : std::string::npos);
    }
}

// The options dialog's choice: OK writes the key and switches the menu and
// the help at once; the dialog shows the new language when it opens next.
// Back to automatic, the key goes from the file.
TEST(QuorelLanguage, TheDialogsChoiceSwitchesAtOkAndWritesTheKey) {
    const MenuWidths& widths = ReferenceMenuWidths();
    std::string ini = IniWith("PopupMenuKey=Ctrl+Alt+F6\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    const Shown& other = &WindowsLanguage() == &kEnglish ? kJapanese : kEnglish;
    const int otherItem = &other == &kEnglish ? 2 : 1;
    const std::pair<int, const Shown*> steps[] = {{otherItem, &other}, {0, &WindowsLanguage()}};
    for (auto [item, expected] : steps) {
        PostMessageW(q.MainForm(), WM_COMMAND, kOptionsCommand, 0);
        HWND dlg = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            auto v = q.VisibleWindows(names::kOptionsDialogClass);
            return !v.empty() && (dlg = v.front()) != nullptr;
        }));
        HWND list = OptionsDialogControl(dlg, idLanguage);
        ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 3);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
        ExpectShown(q, *expected, widths);
        if (item) {
            // The key is written, and the next start reads it.
            ASSERT_TRUE(q.Close());
            EXPECT_NE(q.IniText().find(item == 2 ? "\r\nLanguage=en\r\n" : "\r\nLanguage=ja\r\n"),
                      std::string::npos);
            QuorelProcess again(q.ExePath());
            ASSERT_TRUE(again.Start());
            ExpectShown(again, *expected, widths);
            ASSERT_TRUE(again.Close());
            ASSERT_TRUE(q.Start());
        }
    }
    ASSERT_TRUE(q.Close());
    EXPECT_EQ(q.IniText().find("Language="), std::string::npos);
}

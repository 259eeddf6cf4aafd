// The built-in help, in process: which topic each help request opens, the
// topics' texts built from the settings, and the help window itself.
#include "ui/help_topics.h"
#include "ui/help_window.h"
#include "ui/options_dialog.h"

#include "base/error_report.h"
#include "base/names.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace testutil;

namespace {

bool Has(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// The default settings, with the Japanese help in effect unless a test says otherwise.
AppSettings Defaults() {
    TempDir dir;
    LoadSettings(dir.File(L"none.ini"));
    Settings.Language = "ja";
    return Settings;
}

std::wstring Topic(HelpTopic t, const AppSettings& s, const HelpFacts& f = HelpFacts{},
                   UiLanguage language = UiLanguage::Japanese) {
    return HelpTopicText(t, s, f, language);
}

} // namespace

TEST(HelpTopics, ContextNumbersOpenTheirPagesTopicAndAnythingElseTheFirst) {
    for (unsigned long other : {0ul, 1ul, 13ul, 19ul, 22ul, 24ul, 1000ul})
        EXPECT_EQ(HelpTopicOfContext(other), HelpTopic::Intro) << other;
    // Each page of the options dialog asks for the topic of that page,
    // whose title is the page's caption.
    const wchar_t* const pages[] = {L"全般",        L"移動",   L"サイズ変更1",
                                    L"サイズ変更2", L"マウス", L"その他"};
    for (int page = 0; page < kOptionPageCount; ++page) {
        HelpTopic t = HelpTopicOfContext(HelpContextOfPage(static_cast<OptionPage>(page)));
        EXPECT_EQ(static_cast<int>(t), page + 1);
        EXPECT_STREQ(HelpTopicTitle(t, UiLanguage::Japanese), pages[page]);
    }
    EXPECT_EQ(HelpTopicOfRequest(HELP_CONTEXT, 16), HelpTopic::Resize1);
    EXPECT_EQ(HelpTopicOfRequest(HELP_FINDER, 0), HelpTopic::Intro);
    EXPECT_EQ(HelpTopicOfRequest(HELP_CONTENTS, 16), HelpTopic::Intro);
}

TEST(HelpTopics, KeysShowInTheirCanonicalTextForm) {
    Defaults();
    EXPECT_EQ(HotkeyText(""), L"なし");
    EXPECT_EQ(HotkeyText("", UiLanguage::English), L"None");
    EXPECT_EQ(HotkeyText("alt+f12"), L"Alt+F12");
    EXPECT_EQ(HotkeyText("^Alt+Up"), L"Ctrl+Alt+Up");
    EXPECT_EQ(HotkeyText("Alt+Shift+Z"), L"Shift+Alt+Z");
    // A text that names no key is listed as such, in the words of the start's report.
    for (const char* text : {"Ctrl+Foo", "Foo+Bar", "Ctrl+Alt", "Ctrl + Alt + Q"}) {
        EXPECT_EQ(HotkeyText(text), L"なし（「" + AnsiToWide(text) + L"」はキーとして読めません）");
        EXPECT_EQ(HotkeyText(text, UiLanguage::English),
                  L"None (\"" + AnsiToWide(text) + L"\" cannot be read as a key)");
    }
}

TEST(HelpTopics, TheFirstTopicListsEveryCommandWithTheKeysInEffect) {
    AppSettings s = Defaults();
    s.MaxRestoreKey = "ctrl+alt+f10";
    s.MinKey = "";
    s.PopupMenuKey = "Ctrl+Alt+F6";
    std::wstring t = Topic(HelpTopic::Intro, s);
    EXPECT_TRUE(Has(t, L"\r\n最大化、元のサイズに戻す\tCtrl+Alt+F10\r\n"));
    EXPECT_TRUE(Has(t, L"\r\n最小化\tなし\r\n"));
    EXPECT_TRUE(Has(t, L"\r\nメニューを開く\tCtrl+Alt+F6\r\n"));
    EXPECT_TRUE(Has(t, L"\r\n左上を右へ（狭く）\tShift+Ctrl+Alt+Right\r\n"));
    EXPECT_TRUE(Has(t, L"\r\nカーソルを隅へ移動\tCtrl+Alt+M\r\n"));
    // One line per command, in the order of the options pages, before the
    // tray.
    std::wstring keys = t.substr(0, t.find(L"【タスクトレイのアイコン】"));
    EXPECT_EQ(static_cast<size_t>(std::count(keys.begin(), keys.end(), L'\t')),
              HotkeyTable().size());
    size_t at = 0;
    for (const HotkeyEntry* e : HotkeysInPageOrder()) {
        size_t next = keys.find(std::wstring(L"\r\n") + e->Name + L"\t", at);
        ASSERT_NE(next, std::wstring::npos) << e->Key;
        at = next + 1;
    }
}

TEST(HelpTopics, EveryTopicIsBuiltCompletelyWithCrLfLines) {
    AppSettings s = Defaults();
    HelpFacts f{L"C:\\Tools\\Quorel.INI"};
    for (int i = 0; i < kHelpTopicCount * 2; ++i) {
        auto topic = static_cast<HelpTopic>(i % kHelpTopicCount);
        auto lang = i < kHelpTopicCount ? UiLanguage::Japanese : UiLanguage::English;
        std::wstring t = Topic(topic, s, f, lang);
        SCOPED_TRACE(HelpTopicTitle(topic, lang));
        EXPECT_EQ(t.rfind(std::wstring(L"■ ") + HelpTopicTitle(topic, lang) + L"\r\n", 0), 0u);
        // No empty line before the text.
        EXPECT_FALSE(Has(t.substr(0, t.find(L"\r\n") + 6), L"\r\n\r\n\r\n"));
        EXPECT_FALSE(Has(t, L"@")) << "a placeholder was left";
        for (size_t p = t.find(L'\n'); p != std::wstring::npos; p = t.find(L'\n', p + 1))
            ASSERT_TRUE(p > 0 && t[p - 1] == L'\r');
        EXPECT_EQ(t.substr(t.size() - 2), L"\r\n");
    }
    EXPECT_EQ(Topic(static_cast<HelpTopic>(kHelpTopicCount), s), L"");
}

TEST(HelpTopics, PageTopicsShowTheirKeysAndValuesNow) {
    AppSettings s = Defaults();
    s.RB_SizeUpKey = "Ctrl+Alt+I";
    s.MoveP = 9;
    s.SizeP = -3;
    s.MouseMovePos = 7;
    s.MouseOffset = 20;
    s.StartMouseMove = true;
    s.NoTrayIcon = true;
    std::wstring move = Topic(HelpTopic::Move, s);
    EXPECT_TRUE(Has(move, L"\r\n上へ移動\tShift+Alt+Up\r\n"));
    EXPECT_TRUE(Has(move, L"\r\n間隔\t9 ピクセル\r\n"));
    EXPECT_TRUE(Has(move, L"最初の設定（Shift+Alt+Up、Shift+Alt+Down、Shift+Alt+Left、"
                          L"Shift+Alt+Right）に戻し"));
    EXPECT_FALSE(Has(move, L"右下を上へ"));
    std::wstring resize = Topic(HelpTopic::Resize1, s);
    EXPECT_TRUE(Has(resize, L"\r\n右下を上へ（低く）\tCtrl+Alt+I\r\n"));
    EXPECT_TRUE(Has(resize, L"\r\n間隔\t1 ピクセル")); // -3 takes effect as 1
    EXPECT_TRUE(Has(resize, L"最大化ボタンのないウィンドウ"));
    EXPECT_TRUE(Has(Topic(HelpTopic::Resize2, s), L"（Shift+Ctrl+Alt+Up、"));
    std::wstring mouse = Topic(HelpTopic::Mouse, s);
    EXPECT_TRUE(Has(mouse, L"\r\n移動する位置\tなし（値 7 ではカーソルは動きません）\r\n"));
    EXPECT_TRUE(Has(mouse, L"\r\n隅からの距離\t20 ピクセル\r\n"));
    EXPECT_TRUE(Has(mouse, L"\r\n起動時に隅へ移動\tする\r\n"));
    std::wstring other = Topic(HelpTopic::Other, s);
    EXPECT_TRUE(Has(other, L"\r\nトレイのアイコン\t表示しない\r\n"));
    EXPECT_TRUE(Has(Topic(HelpTopic::Intro, s), L"\r\nアイコン\t表示しない\r\n"));
    EXPECT_TRUE(Has(other, L"\r\nWindows の起動時に起動\tしない\r\n"));
    HelpFacts starts{L"x"};
    starts.StartsWithWindows = true;
    EXPECT_TRUE(Has(Topic(HelpTopic::Other, s, starts), L"\r\nWindows の起動時に起動\tする\r\n"));
    s.MouseMovePos = 3;
    EXPECT_TRUE(Has(Topic(HelpTopic::Mouse, s), L"\r\n移動する位置\t右下\r\n"));
    std::wstring general = Topic(HelpTopic::General, s);
    EXPECT_TRUE(Has(general, L"\r\n閉じる\tなし\r\n"));
    EXPECT_FALSE(Has(general, L"上へ移動"));
    // Numbers out of range show as the nearer end.
    s.MoveP = INT32_MIN;
    s.MouseOffset = 100000;
    EXPECT_TRUE(Has(Topic(HelpTopic::Move, s), L"\r\n間隔\t1 ピクセル\r\n"));
    EXPECT_TRUE(Has(Topic(HelpTopic::Mouse, s), L"\r\n隅からの距離\t100 ピクセル\r\n"));
}

TEST(HelpTopics, TheSettingsFileTopicNamesThePathAndEveryKey) {
    AppSettings s = Defaults();
    std::wstring t = Topic(HelpTopic::SettingsFile, s, HelpFacts{L"D:\\Apps\\Quorel.INI"});
    EXPECT_TRUE(Has(t, L"\r\nD:\\Apps\\Quorel.INI\r\n"));
    EXPECT_TRUE(Has(t, L"%APPDATA%\\Quorel"));
    for (const SettingEntry& e : SettingTable()) {
        std::string key = e.Key;
        EXPECT_TRUE(Has(t, L"\r\n" + std::wstring(key.begin(), key.end()) + L"\t")) << key;
    }
    EXPECT_TRUE(Has(t, L"\r\nMaxRestoreKey\t最大化、元のサイズに戻す（既定 Alt+F12）\r\n"));
    EXPECT_TRUE(Has(t, L"\r\nCloseKey\t閉じる（既定 なし）\r\n"));
    EXPECT_TRUE(Has(t, L"\r\nMoveP\t移動の間隔（ピクセル）（既定 5）\r\n"));
    EXPECT_TRUE(Has(t, L"\r\nMouseMovePos\t隅：0 左上、1 右上、2 左下、3 右下（既定 2）\r\n"));
    EXPECT_TRUE(
        Has(t, L"\r\nNoTrayIcon\tアイコンを表示しない：1 表示しない、0 表示する（既定 0）\r\n"));
    EXPECT_TRUE(Has(t, L"0x"));
    EXPECT_TRUE(Has(t, L"$"));
}

// Each command is listed with its key and described on its page's topic,
// and a key written only while set says so in the settings file topic.
TEST(HelpTopics, EveryCommandIsDescribedOnItsPagesTopic) {
    AppSettings s = Defaults();
    s.CenterKey = "Ctrl+Alt+C";
    for (const PageHelp& p : kPageHelp) {
        std::wstring t = Topic(p.Topic, s);
        for (const HotkeyEntry& e : HotkeyTable()) {
            std::wstring line = std::wstring(L"\r\n・") + e.Name + L"：" + e.Description + L"\r\n";
            EXPECT_EQ(Has(t, line), e.Page == p.Page) << e.Key << " on " << HelpTopicTitle(p.Topic);
        }
    }
    EXPECT_TRUE(Has(Topic(HelpTopic::Other, s), L"\r\n中央へ移動\tCtrl+Alt+C\r\n"));
    std::wstring file = Topic(HelpTopic::SettingsFile, s);
    EXPECT_TRUE(Has(file, L"\r\nCenterKey\t中央へ移動（既定 なし）（キーを設定したときだけ"));
    EXPECT_FALSE(Has(file, L"26"));
}

TEST(HelpTopics, ARefusedCombinationIsMarkedWhereverItIsListed) {
    AppSettings s = Defaults();
    HelpFacts f{L"x"};
    EXPECT_TRUE(Has(Topic(HelpTopic::Trouble, s, f), L"いま、登録できなかったキーはありません。"));
    f.Refused[hkMaxRestore] = true;
    f.Refused[hkClose] = true; // no key: nothing was refused
    std::wstring intro = Topic(HelpTopic::Intro, s, f);
    EXPECT_TRUE(Has(intro, L"\r\n最大化、元のサイズに戻す\tAlt+F12（登録できませんでした）\r\n"));
    EXPECT_TRUE(Has(intro, L"\r\n閉じる\tなし\r\n"));
    std::wstring trouble = Topic(HelpTopic::Trouble, s, f);
    EXPECT_TRUE(Has(trouble, L"\r\n最大化、元のサイズに戻す\tAlt+F12（登録できませんでした）\r\n"));
    EXPECT_FALSE(Has(trouble, L"\r\n閉じる\t"));
    EXPECT_TRUE(Has(trouble, L"管理者として実行"));
    EXPECT_TRUE(Has(trouble, L"応答"));
    // An unreadable key text is named as a cause too.
    EXPECT_TRUE(Has(trouble, L"キーとして読めないと（Ctrl+Alt のように"));
}

namespace {

// Kana, kanji, and the full-width forms and punctuation that go with them.
bool IsJapanese(wchar_t c) {
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

size_t CountOf(const std::wstring& t, wchar_t c) {
    return static_cast<size_t>(std::count(t.begin(), t.end(), c));
}

} // namespace

// Every topic reads in the language in effect, the English line for line and
// pair for pair beside the Japanese and without Japanese, with the settings
// taking each variable part either way.
TEST(HelpTopics, EveryTopicReadsInBothLanguagesLineForLine) {
    AppSettings plain = Defaults();
    AppSettings odd = plain;
    odd.MaxRestoreKey = "Ctrl+Alt";
    odd.CenterKey = "Ctrl+Alt+C";
    odd.MouseMovePos = 7;
    odd.StartMouseMove = true;
    odd.NoTrayIcon = true;
    HelpFacts plainFacts{L"x"}, oddFacts{L"x"};
    oddFacts.StartsWithWindows = true;
    oddFacts.Refused[hkMinimize] = true;
    for (int i = 0; i < kHelpTopicCount; ++i) {
        auto topic = static_cast<HelpTopic>(i);
        SCOPED_TRACE(HelpTopicTitle(topic, UiLanguage::English));
        EXPECT_STRNE(HelpTopicTitle(topic, UiLanguage::English),
                     HelpTopicTitle(topic, UiLanguage::Japanese));
        for (const auto& [s, f] : {std::pair{&plain, &plainFacts}, std::pair{&odd, &oddFacts}}) {
            Settings.Language = "ja";
            std::wstring ja = HelpTopicText(topic, *s, *f);
            Settings.Language = "en";
            std::wstring en = HelpTopicText(topic, *s, *f);
            EXPECT_EQ(ja, Topic(topic, *s, *f, UiLanguage::Japanese));
            EXPECT_EQ(en, Topic(topic, *s, *f, UiLanguage::English));
            EXPECT_EQ(CountOf(en, L'\n'), CountOf(ja, L'\n'));
            EXPECT_EQ(CountOf(en, L'\t'), CountOf(ja, L'\t'));
            size_t at =
                static_cast<size_t>(std::find_if(en.begin(), en.end(), IsJapanese) - en.begin());
            EXPECT_EQ(at, en.size())
                << "Japanese in the English help: "
                << testing::PrintToString(en.substr(at < 30 ? 0 : at - 30, 60));
        }
    }
    Settings.Language = "ja";
    // The values and notes the topics insert.
    const std::pair<HelpTopic, const wchar_t*> notes[] = {
        {HelpTopic::Mouse, L"\r\nCorner\tNone (with the value 7 the pointer does not move)\r\n"},
        {HelpTopic::Other, L"\r\nNotification area icon\tHidden\r\n"},
        {HelpTopic::Trouble, L"\tAlt+F11 (could not be registered)\r\n"},
        {HelpTopic::SettingsFile, L" (default: None) (written only when set)\r\n"}};
    for (auto [topic, line] : notes)
        EXPECT_TRUE(Has(Topic(topic, odd, oddFacts, UiLanguage::English), line))
            << testing::PrintToString(std::wstring(line));
}

// Where the help goes when the options dialog opens it: beside the dialog
// on its monitor where there is room, narrower on the roomier side where
// there is less, else over it between its caption and its buttons.
TEST(HelpPlacement, BesideTheDialogOnItsMonitorElseOverItBetweenCaptionAndButtons) {
    struct Case {
        LONG x, y; // the dialog's top left
        RECT work, expected;
    };
    const RECT wide{0, 0, 1920, 1040}, small{0, 0, 1280, 800};
    const Case cases[] = {
        {771, 352, wide, {1148, 352, 1796, 839}},                   // on the right
        {1500, 100, wide, {852, 100, 1500, 587}},                   // only on the left
        {1500, 700, wide, {852, 553, 1500, 1040}},                  // moved up into the work area
        {-1000, 10, {-1920, 40, 0, 1080}, {-1648, 40, -1000, 527}}, // left monitor, taskbar on top
        {451, 232, small, {828, 232, 1280, 719}},                   // narrower
        {452, 232, small, {0, 232, 452, 719}},
        {211, 132, {0, 0, 800, 600}, {152, 158, 800, 437}}, // over the dialog
    };
    for (const Case& c : cases) {
        HelpAnchor anchor{RECT{c.x, c.y, c.x + 377, c.y + 335}, static_cast<int>(c.y + 26),
                          static_cast<int>(c.y + 305)};
        RECT r = HelpRectBeside(anchor, SIZE{648, 487}, SIZE{376, 271}, c.work);
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.x << "," << c.y << ": " << r.left << ","
                                                << r.top << "," << r.right << "," << r.bottom;
    }
}

// --- the window ------------------------------------------------------------

namespace {

// A title line and a hundred more, enough to scroll.
std::wstring WindowTopicText(HelpTopic t) {
    std::wstring text = std::wstring(L"topic ") + HelpTopicTitle(t) + L"\r\n";
    for (int i = 0; i < 100; ++i)
        text += L"line\r\n";
    return text;
}

class HelpWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Settings.Language = "ja";
        help_ = std::make_unique<HelpWindow>(nullptr);
        help_->TopicText = &WindowTopicText;
        help_->OnModeless = [this](HWND) { events_.push_back(L"modeless"); };
        help_->OnClosed = [this](HWND) { events_.push_back(L"closed"); };
    }

    HWND Show(HelpTopic t) {
        help_->Show(t);
        PumpMessages(help_->Handle());
        return help_->Handle();
    }
    static HWND Text(HWND h) { return GetDlgItem(h, idHelpText); }
    static LRESULT Selected(HWND h) {
        return SendMessageW(GetDlgItem(h, idHelpContents), LB_GETCURSEL, 0, 0);
    }

    std::unique_ptr<HelpWindow> help_;
    std::vector<std::wstring> events_;
};

} // namespace

TEST_F(HelpWindowTest, OneWindowTurnsToEachRequestedTopic) {
    HWND h = Show(HelpTopic::Move);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(ClassName(h), names::kHelpWindowClass);
    EXPECT_EQ(WindowText(h), L"Quorel ヘルプ");
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(Selected(h), 2);
    EXPECT_EQ(ControlText(Text(h)).rfind(L"topic 移動\r\n", 0), 0u);
    EXPECT_EQ(SendMessageW(GetDlgItem(h, idHelpContents), LB_GETCOUNT, 0, 0), kHelpTopicCount);
    EXPECT_TRUE(GetWindowLongW(Text(h), GWL_STYLE) & ES_READONLY);

    EXPECT_EQ(Show(HelpTopic::Mouse), h);
    EXPECT_EQ(Selected(h), 5);
    EXPECT_EQ(ControlText(Text(h)).rfind(L"topic マウス\r\n", 0), 0u);
    EXPECT_EQ(help_->Topic(), HelpTopic::Mouse);

    // Choosing in the contents list.
    SendMessageW(GetDlgItem(h, idHelpContents), LB_SETCURSEL, 8, 0);
    SendMessageW(h, WM_COMMAND, MAKEWPARAM(idHelpContents, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(h, idHelpContents)));
    EXPECT_EQ(ControlText(Text(h)).rfind(L"topic 困ったときは\r\n", 0), 0u);
    EXPECT_EQ(events_, std::vector<std::wstring>{L"modeless"});
    // Freeing the object takes the window with it, and says so.
    help_.reset();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(events_, (std::vector<std::wstring>{L"modeless", L"closed"}));
}

TEST_F(HelpWindowTest, CtrlASelectsAllTheTextAndEscClosesTheWindow) {
    HWND h = Show(HelpTopic::Intro);
    ASSERT_TRUE(MakeForeground(h));
    // In the text and in the contents list alike; the topic stays.
    auto allSelected = [&] {
        DWORD start = 0, end = 0;
        SendMessageW(Text(h), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return start == 0 && end == ControlText(Text(h)).size();
    };
    for (int id : {idHelpText, idHelpContents}) {
        SendMessageW(Text(h), EM_SETSEL, 0, 0);
        SetFocus(GetDlgItem(h, id));
        PressKey(MOD_CONTROL, 'A');
        EXPECT_TRUE(WaitUntil(allSelected, kGenerousWait, h)) << id;
    }
    // Ctrl+C there copies it.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    PressKey(MOD_CONTROL, 'C');
    auto clipboard = [] {
        std::wstring text;
        if (OpenClipboard(nullptr)) {
            HANDLE data = GetClipboardData(CF_UNICODETEXT);
            if (auto* p = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
                text = p;
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        return text;
    };
    EXPECT_TRUE(WaitUntil([&] { return clipboard() == ControlText(Text(h)); }, kGenerousWait, h));
    EXPECT_EQ(Selected(h), 0);
    PressKey(0, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(h); }, kGenerousWait, h));
    EXPECT_EQ(help_->Handle(), nullptr);
    EXPECT_EQ(events_, (std::vector<std::wstring>{L"modeless", L"closed"}));
    help_.reset(); // no second notice
    EXPECT_EQ(events_.size(), 2u);
}

TEST_F(HelpWindowTest, FollowsTheMonitorsDpiAndKeepsItsPlaceOnRefresh) {
    HWND h = Show(HelpTopic::Intro);
    auto fontHeight = [&] {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Text(h), WM_GETFONT, 0, 0)), sizeof lf,
                   &lf);
        return lf.lfHeight;
    };
    auto width = [](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        return r.right - r.left;
    };
    LONG height96 = fontHeight();
    int list96 = width(GetDlgItem(h, idHelpContents));
    RECT r;
    GetWindowRect(h, &r);
    RECT suggested{r.left, r.top, r.left + (r.right - r.left) * 3 / 2,
                   r.top + (r.bottom - r.top) * 3 / 2};
    SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(fontHeight(), height96 * 3 / 2);
    EXPECT_NEAR(width(GetDlgItem(h, idHelpContents)), list96 * 3 / 2, 2);
    EXPECT_EQ(width(h), suggested.right - suggested.left);

    SendMessageW(Text(h), EM_LINESCROLL, 0, 3);
    LRESULT first = SendMessageW(Text(h), EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(first, 0);
    help_->Refresh();
    EXPECT_EQ(SendMessageW(Text(h), EM_GETFIRSTVISIBLELINE, 0, 0), first);
    EXPECT_EQ(Selected(h), 0);
}

// The Japanese help reads exactly as it always has: every topic with the
// default settings against tests/data/help-ja.txt, which the test writes
// instead with QUOREL_WRITE_GOLDEN set (after a deliberate change of the text).
TEST(HelpTopics, TheJapaneseTextIsUnchanged) {
    const std::wstring path = L"" QUOREL_TEST_DATA_DIR L"/help-ja.txt";
    AppSettings s = Defaults();
    HelpFacts f{L"C:\\Tools\\Quorel.INI"};
    std::wstring all;
    for (int i = 0; i < kHelpTopicCount; ++i)
        all += Topic(static_cast<HelpTopic>(i), s, f);
    if (GetEnvironmentVariableA("QUOREL_WRITE_GOLDEN", nullptr, 0) > 0) {
        WriteFileBytes(path, WideToUtf8(all));
        GTEST_SKIP() << "wrote the golden file";
    }
    EXPECT_EQ(WideToUtf8(all), ReadFileBytes(path));
}

// At Refresh after a change of the language in effect, the open window
// takes the new language: caption, contents, font and text.
TEST_F(HelpWindowTest, TakesTheNewLanguageOnRefresh) {
    auto face = [](HWND w) {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        return std::wstring(lf.lfFaceName);
    };
    auto item = [](HWND h, int i) {
        wchar_t buf[64] = {};
        SendMessageW(GetDlgItem(h, idHelpContents), LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
        return std::wstring(buf);
    };
    HWND h = Show(HelpTopic::Move);
    for (const char* lang : {"en", "ja"}) {
        Settings.Language = lang;
        help_->Refresh();
        const bool en = Settings.Language == "en";
        EXPECT_EQ(WindowText(h), en ? L"Quorel Help" : L"Quorel ヘルプ");
        EXPECT_EQ(item(h, 8), en ? L"Troubleshooting" : L"困ったときは");
        EXPECT_EQ(SendMessageW(GetDlgItem(h, idHelpContents), LB_GETCOUNT, 0, 0), kHelpTopicCount);
        EXPECT_EQ(Selected(h), 2);
        EXPECT_EQ(ControlText(Text(h)).rfind(en ? L"topic Move\r\n" : L"topic 移動\r\n", 0), 0u);
        EXPECT_EQ(face(Text(h)), en ? L"Segoe UI" : L"ＭＳ Ｐゴシック");
        EXPECT_EQ(face(GetDlgItem(h, idHelpContents)), face(Text(h)));
    }
}

// Nothing of the help is cut off in either language at 100, 150 and 200 %: the
// titles fit the contents list, and each topic's values start in one column
// on their name's line.
TEST(HelpWindowFit, TitlesFitAndValuesLineUpInBothLanguagesAtEveryScale) {
    AppSettings s = Defaults();
    s.MaxRestoreKey = "Ctrl+Alt"; // the longest value: a note that it names no key
    HelpFacts f{L"C:\\Users\\someone\\AppData\\Roaming\\Quorel\\Quorel.INI"};
    f.Refused[hkMinimize] = true;
    for (const char* lang : {"ja", "en"}) {
        Settings.Language = lang;
        HelpWindow help(nullptr);
        help.TopicText = [&](HelpTopic t) { return HelpTopicText(t, s, f); };
        help.Show(HelpTopic::Intro);
        HWND h = help.Handle();
        ASSERT_TRUE(h);
        EXPECT_EQ(WindowText(h), lang == std::string("en") ? L"Quorel Help" : L"Quorel ヘルプ");
        HWND list = GetDlgItem(h, idHelpContents), text = GetDlgItem(h, idHelpText);
        auto at = [&](size_t c) {
            LRESULT p = SendMessageW(text, EM_POSFROMCHAR, c, 0);
            return POINT{static_cast<short>(LOWORD(p)), static_cast<short>(HIWORD(p))};
        };
        for (UINT dpi : {96u, 144u, 192u}) {
            SCOPED_TRACE(std::string(lang) + " at " + std::to_string(dpi));
            RECT r, client;
            GetWindowRect(h, &r);
            RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, 96),
                           r.top + MulDiv(r.bottom - r.top, dpi, 96)};
            if (dpi != 96)
                SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                             reinterpret_cast<LPARAM>(&suggested));
            GetClientRect(text, &client);
            HDC dc = GetDC(list);
            HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
            for (int i = 0; i < kHelpTopicCount; ++i) {
                const wchar_t* title = HelpTopicTitle(static_cast<HelpTopic>(i));
                RECT item{};
                SendMessageW(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
                SIZE extent{};
                GetTextExtentPoint32W(dc, title, static_cast<int>(wcslen(title)), &extent);
                EXPECT_LE(extent.cx, item.right - item.left) << i;
            }
            SelectObject(dc, old);
            ReleaseDC(list, dc);
            for (int i = 0; i < kHelpTopicCount; ++i) {
                help.Show(static_cast<HelpTopic>(i));
                std::wstring body = ControlText(text);
                SCOPED_TRACE(HelpTopicTitle(static_cast<HelpTopic>(i)));
                int column = -1;
                for (size_t line = 0, end = 0, tab = 0; line < body.size(); line = end + 1) {
                    end = body.find(L'\n', line);
                    if ((tab = body.find(L'\t', line)) >= end)
                        continue;
                    POINT start = at(line), name = at(tab), value = at(tab + 1);
                    EXPECT_EQ(value.y, start.y) << "the value goes to the next line";
                    EXPECT_GT(value.x, name.x);
                    EXPECT_LT(value.x, client.right);
                    if (column < 0)
                        column = value.x;
                    EXPECT_EQ(value.x, column) << "not in the column: line at " << line;
                }
            }
        }
    }
    Settings.Language = "ja";
}

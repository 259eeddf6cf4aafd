// The texts of the program's built-in help: one topic per entry of the help
// window's contents list, built from the settings in effect when it is
// shown, so that every key combination it names is the one that works now.
#pragma once

#include "settings/settings.h"
#include "settings/ui_language.h"

#include <array>
#include <iterator>
#include <string>

enum class HelpTopic : int {
    Intro,        // はじめに
    General,      // 全般 (the options pages, in their order)
    Move,         // 移動
    Resize1,      // サイズ変更1
    Resize2,      // サイズ変更2
    Mouse,        // マウス
    Other,        // その他
    SettingsFile, // 設定ファイル
    Trouble,      // 困ったときは
};
constexpr int kHelpTopicCount = static_cast<int>(HelpTopic::Trouble) + 1;

// What the help has for each page of the options dialog: its topic, and the
// help context number the page asks for.
struct PageHelp {
    OptionPage Page;
    HelpTopic Topic;
    unsigned long Context;
};
inline constexpr PageHelp kPageHelp[] = {
    {OptionPage::General, HelpTopic::General, 14},
    {OptionPage::Move, HelpTopic::Move, 15},
    {OptionPage::SizeBottomRight, HelpTopic::Resize1, 16},
    {OptionPage::SizeTopLeft, HelpTopic::Resize2, 17},
    {OptionPage::Mouse, HelpTopic::Mouse, 23},
    {OptionPage::Other, HelpTopic::Other, 18},
};
static_assert(std::size(kPageHelp) == kOptionPageCount, "every options page has a topic");

// The help context of an options page (0 for none).
unsigned long HelpContextOfPage(OptionPage page);

// Each text below comes in the language given, by default the one in effect
// (CurrentUiLanguage) when it is asked for.

// The entry of a topic in the contents list.
const wchar_t* HelpTopicTitle(HelpTopic topic, UiLanguage language = CurrentUiLanguage());
// The help window's caption.
const wchar_t* HelpWindowCaption(UiLanguage language = CurrentUiLanguage());

// The topic of a help context number: a page's number (kPageHelp) opens the
// page's topic, any other number the first topic.
HelpTopic HelpTopicOfContext(unsigned long context);
// The topic of a help request (WinHelp's command and data): a context
// request opens the topic of its number, any other request (contents,
// finder, keyword) the first topic.
HelpTopic HelpTopicOfRequest(unsigned command, unsigned long data);

// What the topics say about the running program besides the settings.
struct HelpFacts {
    std::wstring IniPath; // the settings file in use
    // By hotkey number: the system refused the combination at the last
    // registration (another program holds it).
    std::array<bool, HotkeyCommandLast + 1> Refused{};
    // A shortcut in the Startup folder starts this exe with Windows.
    bool StartsWithWindows = false;
};

// A stored shortcut text as the help shows it: its canonical text form
// ("Alt+F12"), "なし" ("None") when empty, and a note when it names no key.
std::wstring HotkeyText(const std::string& stored, UiLanguage language = CurrentUiLanguage());

// The whole text of a topic, lines ending in CR LF. Lines that pair a name
// with a value hold one tab between them.
std::wstring HelpTopicText(HelpTopic topic, const AppSettings& settings, const HelpFacts& facts,
                           UiLanguage language = CurrentUiLanguage());

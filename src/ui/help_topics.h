// The texts of the program's built-in help: one topic per entry of the help
// window's contents list, built from the settings in effect when it is
// shown, so that every key combination it names is the one that works now.
#pragma once

#include "settings/settings.h"

#include <array>

#include <string>

enum class HelpTopic : int {
    Intro,        // はじめに
    General,      // 全般 (options page 0)
    Move,         // 移動 (page 1)
    Resize1,      // サイズ変更1 (page 2)
    Resize2,      // サイズ変更2 (page 3)
    Mouse,        // マウス (page 4)
    Other,        // その他 (page 5)
    SettingsFile, // 設定ファイル
    Trouble,      // 困ったときは
};
constexpr int kHelpTopicCount = 9;

// The entry of a topic in the contents list.
const wchar_t* HelpTopicTitle(HelpTopic topic);

// The topic of a help context number: the options dialog asks for 14, 15,
// 16, 17, 23 and 18 for its six pages; any other number opens the first
// topic.
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
// ("Alt+F12"), "なし" when empty, and a note when it names no key.
std::wstring HotkeyText(const std::string& stored);

// The whole text of a topic, lines ending in CR LF. Lines that pair a name
// with a value hold one tab between them.
std::wstring HelpTopicText(HelpTopic topic, const AppSettings& settings, const HelpFacts& facts);

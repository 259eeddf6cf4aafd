// The language of the user interface: Japanese or English.
//
// Every text the user sees has a Japanese and an English form, side by side
// where the text is defined (a command's row of the hotkey table, or the
// program's text tables). Settings.Language ("ja", "en", or anything else
// for automatic) chooses; automatic follows the user's Windows display
// language: Japanese gives Japanese, every other language English.
#pragma once

#include <string_view>

enum class UiLanguage { Japanese, English };

// Pure: the language for a Language setting and a Windows UI language id
// (GetUserDefaultUILanguage).
UiLanguage ResolveUiLanguage(std::string_view setting, unsigned short windowsUiLanguage);

// The language in effect now, from Settings.Language and the user's Windows
// display language.
UiLanguage CurrentUiLanguage();

// One text in both languages, picked for the language given or in effect.
inline const wchar_t* InLanguage(UiLanguage language, const wchar_t* japanese,
                                 const wchar_t* english) {
    return language == UiLanguage::English && english != nullptr ? english : japanese;
}
inline const wchar_t* InCurrentLanguage(const wchar_t* japanese, const wchar_t* english) {
    return InLanguage(CurrentUiLanguage(), japanese, english);
}

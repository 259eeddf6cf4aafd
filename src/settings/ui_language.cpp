#include "settings/ui_language.h"

#include <windows.h>

#include "settings/settings.h"

UiLanguage ResolveUiLanguage(std::string_view setting, unsigned short windowsUiLanguage) {
    if (setting == "ja")
        return UiLanguage::Japanese;
    if (setting == "en")
        return UiLanguage::English;
    return PRIMARYLANGID(windowsUiLanguage) == LANG_JAPANESE ? UiLanguage::Japanese
                                                             : UiLanguage::English;
}

UiLanguage CurrentUiLanguage() {
    return ResolveUiLanguage(Settings.Language, GetUserDefaultUILanguage());
}

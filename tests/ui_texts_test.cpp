// The interface's two languages: which one is in effect, and that every
// text has both.
#include "settings/settings.h"
#include "settings/ui_language.h"
#include "settings/ui_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Kana, kanji and the full-width forms and punctuation that go with them.
bool HasJapanese(const std::wstring& text) {
    for (wchar_t c : text)
        if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) ||
            (c >= 0xFF00 && c <= 0xFFEF))
            return true;
    return false;
}

// The text is there in both languages, the English one in English, with a "%1" in both or neither.
void ExpectBothLanguages(const wchar_t* japanese, const wchar_t* english) {
    ASSERT_NE(japanese, nullptr);
    ASSERT_NE(english, nullptr);
    const std::wstring ja = japanese, en = english;
    EXPECT_FALSE(ja.empty());
    EXPECT_FALSE(en.empty());
    EXPECT_FALSE(HasJapanese(en)) << en;
    EXPECT_EQ(ja.find(L"%1") != std::wstring::npos, en.find(L"%1") != std::wstring::npos) << en;
}

} // namespace

TEST(UiLanguage, TheSettingWinsElseTheWindowsDisplayLanguageDecides) {
    constexpr unsigned short kJapanese = 0x0411, kUsEnglish = 0x0409, kGerman = 0x0407,
                             kChinese = 0x0804;
    EXPECT_EQ(ResolveUiLanguage("", kJapanese), UiLanguage::Japanese);
    for (unsigned short other : {kUsEnglish, kGerman, kChinese})
        EXPECT_EQ(ResolveUiLanguage("", other), UiLanguage::English) << other;
    EXPECT_EQ(ResolveUiLanguage("ja", kGerman), UiLanguage::Japanese);
    EXPECT_EQ(ResolveUiLanguage("en", kJapanese), UiLanguage::English);
    for (const char* unknown : {"fr", "JA", " en"}) {
        EXPECT_EQ(ResolveUiLanguage(unknown, kJapanese), UiLanguage::Japanese) << unknown;
        EXPECT_EQ(ResolveUiLanguage(unknown, kGerman), UiLanguage::English) << unknown;
    }
}

TEST(UiTexts, EveryTextHasBothLanguages) {
    for (int i = 0; i < static_cast<int>(TextId::Count); ++i) {
        const TextPair& row = TextRow(static_cast<TextId>(i));
        SCOPED_TRACE(i);
        EXPECT_EQ(row.Id, static_cast<TextId>(i));
        ExpectBothLanguages(row.Japanese, row.English);
    }
    for (const HotkeyEntry& e : HotkeyTable()) {
        SCOPED_TRACE(e.Key);
        ExpectBothLanguages(e.Label, e.LabelEn);
        ExpectBothLanguages(e.Name, e.NameEn);
        ExpectBothLanguages(e.Description, e.DescriptionEn);
    }
}

TEST(UiTexts, TheLanguageInEffectPicksAndFillsIn) {
    const std::string saved = Settings.Language;
    Settings.Language = "ja";
    EXPECT_STREQ(UiText(TextId::PageOther), L"その他");
    EXPECT_EQ(UiTextWith(TextId::HotkeyRefused, L"Alt+F12"),
              L"ホットキー「Alt+F12」の登録に失敗しました。");
    Settings.Language = "en";
    EXPECT_STREQ(UiText(TextId::PageOther), L"Other");
    EXPECT_EQ(UiTextWith(TextId::HotkeyRefused, L"Alt+F12"),
              L"Could not register the hotkey \"Alt+F12\".");
    Settings.Language = saved;
}

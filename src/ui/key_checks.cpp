#include "ui/key_checks.h"

#include "base/error_report.h"
#include "settings/ui_language.h"

#include <windows.h>

bool IsCharacterKey(std::uint8_t vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z') || vk == VK_SPACE)
        return true;
    // The numeric pad's digits and operators (VK_SEPARATOR types nothing).
    if ((vk >= VK_NUMPAD0 && vk <= VK_MULTIPLY) || (vk >= VK_SUBTRACT && vk <= VK_DIVIDE) ||
        vk == VK_ADD)
        return true;
    // The punctuation keys of the main keyboard, on every layout.
    return (vk >= VK_OEM_1 && vk <= VK_OEM_3) || (vk >= VK_OEM_4 && vk <= VK_OEM_8) ||
           vk == VK_OEM_102;
}

bool IsBareCharacterKey(TShortCut value) {
    return (value & (scCtrl | scAlt)) == 0 && IsCharacterKey(static_cast<std::uint8_t>(value));
}

std::vector<TakenKey> FindTakenKeys(const std::vector<KeyField>& fields,
                                    const std::function<bool(TShortCut)>& heldElsewhere) {
    std::vector<TakenKey> taken;
    for (const KeyField& f : fields) {
        if (f.Value == 0)
            continue;
        // The lowest number with this key is registered first and gets it.
        int lowest = f.Number;
        for (const KeyField& other : fields)
            if (other.Value == f.Value && other.Number < lowest)
                lowest = other.Number;
        if (lowest != f.Number)
            taken.push_back({f.Number, f.Value, lowest});
        else if (heldElsewhere && heldElsewhere(f.Value))
            taken.push_back({f.Number, f.Value, 0});
    }
    return taken;
}

std::wstring CommandName(const HotkeyEntry& entry) {
    return InCurrentLanguage(entry.Name, entry.NameEn);
}

std::wstring KeyText(TShortCut value) {
    return AnsiToWide(FormatShortCut(value));
}

std::wstring BareKeyQuestion(const HotkeyEntry& entry, TShortCut value) {
    const std::wstring key = KeyText(value);
    std::wstring text;
    if (CurrentUiLanguage() == UiLanguage::English) {
        text = L"The key " + key + L" for \"" + CommandName(entry) +
               L"\" types a character. As a hotkey, " + key +
               L" could no longer be typed anywhere.\n\nUse this key anyway?";
    } else {
        text = L"「" + CommandName(entry) + L"」のキー「" + key +
               L"」は文字を入力するキーです。ホットキーにすると、" + key +
               L" はどこにも入力できなくなります。\n\nこのキーにしますか？";
    }
    return text;
}

std::wstring TakenKeysQuestion(const std::vector<TakenKey>& taken) {
    const bool english = CurrentUiLanguage() == UiLanguage::English;
    std::wstring text = english ? L"These keys are already in use and would not work:\n\n"
                                : L"次のキーはすでに使われているため、働きません。\n\n";
    for (const TakenKey& t : taken) {
        const HotkeyEntry* entry = FindHotkey(t.Number);
        const HotkeyEntry* holder = FindHotkey(t.HeldBy);
        if (!entry)
            continue;
        if (english)
            text += L"- " + CommandName(*entry) + L" (" + KeyText(t.Value) + L"): ";
        else
            text += L"・" + CommandName(*entry) + L"（" + KeyText(t.Value) + L"）：";
        if (english)
            text += holder ? L"same key as \"" + CommandName(*holder) + L"\""
                           : std::wstring(L"in use by another program");
        else
            text += holder ? L"「" + CommandName(*holder) + L"」と同じキー"
                           : std::wstring(L"ほかのプログラムが使用中");
        text += L"\n";
    }
    text += english ? L"\nChange them? Yes goes back to the first of these keys; No keeps the "
                      L"keys as they are."
                    : L"\nキーを設定し直しますか？「はい」で最初のキーに戻ります。「いいえ」で"
                      L"このまま閉じます。";
    return text;
}

bool IsUnreadableKeyText(const std::string& text) {
    return !text.empty() && ParseShortCut(text) == 0;
}

std::wstring UnreadableKeysMessage(const std::vector<UnreadableKey>& keys) {
    const bool english = CurrentUiLanguage() == UiLanguage::English;
    std::wstring text = english ? L"These keys in the settings file were not registered:\n\n"
                                : L"設定ファイルの次のキーは登録していません。\n\n";
    for (const UnreadableKey& k : keys) {
        const HotkeyEntry* entry = FindHotkey(k.Number);
        if (!entry)
            continue;
        text += english ? L"- " : L"・";
        text += CommandName(*entry);
        text += english ? L": \"" + AnsiToWide(k.Text) + L"\" cannot be read as a key\n"
                        : L"：「" + AnsiToWide(k.Text) + L"」はキーとして読めません\n";
    }
    text += english ? L"\nSet these keys again in Options. Until then the file keeps the text."
                    : L"\nオプションの画面でキーを設定し直してください。それまで、ファイルの"
                      L"値はそのまま残ります。";
    return text;
}

#include "ui/key_checks.h"

#include "base/error_report.h"
#include "settings/ui_language.h"

#include <windows.h>

#include <initializer_list>

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

namespace {

// A text from a pattern: each "@" stands for the next of the parts.
std::wstring Fill(const wchar_t* pattern, std::initializer_list<const std::wstring*> parts) {
    std::wstring text;
    auto next = parts.begin();
    for (const wchar_t* p = pattern; *p; ++p) {
        if (*p == L'@' && next != parts.end())
            text += **next++;
        else
            text += *p;
    }
    return text;
}

} // namespace

std::wstring CommandName(const HotkeyEntry& entry) {
    return InCurrentLanguage(entry.Name, entry.NameEn);
}

std::wstring KeyText(TShortCut value) {
    return AnsiToWide(FormatShortCut(value));
}

std::wstring BareKeyQuestion(const HotkeyEntry& entry, TShortCut value) {
    const std::wstring key = KeyText(value);
    const std::wstring name = CommandName(entry);
    return Fill(
        InCurrentLanguage(L"「@」のキー「@」は文字を入力するキーです。ホットキーにすると、@ は"
                          L"どこにも入力できなくなります。\n\nこのキーにしますか？",
                          L"The key @ for \"@\" types a character. As a hotkey, @ could no "
                          L"longer be typed anywhere.\n\nUse this key anyway?"),
        CurrentUiLanguage() == UiLanguage::English
            ? std::initializer_list<const std::wstring*>{&key, &name, &key}
            : std::initializer_list<const std::wstring*>{&name, &key, &key});
}

std::wstring TakenKeysQuestion(const std::vector<TakenKey>& taken) {
    std::wstring text = InCurrentLanguage(L"次のキーはすでに使われているため、働きません。\n\n",
                                          L"These keys are already in use and would not work:\n\n");
    for (const TakenKey& t : taken) {
        const HotkeyEntry* entry = FindHotkey(t.Number);
        const HotkeyEntry* holder = FindHotkey(t.HeldBy);
        if (!entry)
            continue;
        const std::wstring name = CommandName(*entry);
        const std::wstring key = KeyText(t.Value);
        const std::wstring holderName = holder ? CommandName(*holder) : std::wstring();
        text += Fill(holder ? InCurrentLanguage(L"・@（@）：「@」と同じキー\n",
                                                L"- @ (@): same key as \"@\"\n")
                            : InCurrentLanguage(L"・@（@）：ほかのプログラムが使用中\n",
                                                L"- @ (@): in use by another program\n"),
                     {&name, &key, &holderName});
    }
    text +=
        InCurrentLanguage(L"\nキーを設定し直しますか？「はい」で最初のキーに戻ります。「いいえ」で"
                          L"このまま閉じます。",
                          L"\nChange them? Yes goes back to the first of these keys; No keeps "
                          L"the keys as they are.");
    return text;
}

bool IsUnreadableKeyText(const std::string& text) {
    return !text.empty() && ParseShortCut(text) == 0;
}

std::wstring UnreadableKeysMessage(const std::vector<UnreadableKey>& keys) {
    std::wstring text =
        InCurrentLanguage(L"設定ファイルの次のキーは登録していません。\n\n",
                          L"These keys in the settings file were not registered:\n\n");
    for (const UnreadableKey& k : keys) {
        const HotkeyEntry* entry = FindHotkey(k.Number);
        if (!entry)
            continue;
        const std::wstring name = CommandName(*entry);
        const std::wstring stored = AnsiToWide(k.Text);
        text += Fill(InCurrentLanguage(L"・@：「@」はキーとして読めません\n",
                                       L"- @: \"@\" cannot be read as a key\n"),
                     {&name, &stored});
    }
    text += InCurrentLanguage(
        L"\nオプションの画面でキーを設定し直してください。それまで、ファイルの"
        L"値はそのまま残ります。",
        L"\nSet these keys again in Options. Until then the file keeps the text.");
    return text;
}

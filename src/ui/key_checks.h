// The checks of the keys the user gives the commands, and the texts that
// report what they find: a character key that would no longer type, a key
// that two commands share or that another program holds, a text in the
// settings file that names no key. Pure, apart from the caller's test of
// whether a key is free.
#pragma once

#include "hotkey/shortcut.h"
#include "settings/settings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Whether a key types a character: a letter, a digit, Space, a punctuation
// key of the main keyboard, or a key of the numeric pad's digits and
// operators.
bool IsCharacterKey(std::uint8_t vk);
// A character key with no modifier or with Shift only: as a hotkey, what
// it types could no longer be typed anywhere.
bool IsBareCharacterKey(TShortCut value);

// A command's key as the dialog holds it.
struct KeyField {
    int Number;
    TShortCut Value;
};
// A key that will not work: held by the command of a lower number (which
// is registered first), or, with HeldBy 0, by another program.
struct TakenKey {
    int Number;
    TShortCut Value;
    int HeldBy;
};
// The taken keys among fields, in the order of fields (empty keys are
// skipped). heldElsewhere is asked once for each key that no lower number
// holds.
std::vector<TakenKey> FindTakenKeys(const std::vector<KeyField>& fields,
                                    const std::function<bool(TShortCut)>& heldElsewhere);

// A command's name in the language of the user interface.
std::wstring CommandName(const HotkeyEntry& entry);
// A key as the messages show it ("Alt+F12", "7").
std::wstring KeyText(TShortCut value);

// The question about a bare character key, for its command.
std::wstring BareKeyQuestion(const HotkeyEntry& entry, TShortCut value);
// The list of taken keys with the question whether to go back to them.
std::wstring TakenKeysQuestion(const std::vector<TakenKey>& taken);

// A text of the settings file that names no key, and its command.
struct UnreadableKey {
    int Number;
    std::string Text;
};
// Whether a stored text is one: not empty, and naming no key.
bool IsUnreadableKeyText(const std::string& text);
// The one report of the texts that were not registered at start.
std::wstring UnreadableKeysMessage(const std::vector<UnreadableKey>& keys);

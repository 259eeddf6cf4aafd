#include "settings/settings.h"

#include <algorithm>

AppSettings Settings;

namespace {

constexpr bool HotkeysInNumberOrder() {
    for (std::size_t i = 0; i < kHotkeyTable.size(); ++i)
        if (kHotkeyTable[i].Number != static_cast<int>(i) + 1)
            return false;
    return true;
}
static_assert(HotkeysInNumberOrder(), "hotkey rows must be in number order from 1");

// Each group lies on one page, and the groups stand in the pages' order.
constexpr bool GroupsKeepToTheirPages() {
    for (const HotkeyEntry& a : kHotkeyTable)
        for (const HotkeyEntry& b : kHotkeyTable)
            if ((a.Group == b.Group && a.Page != b.Page) || (a.Group < b.Group && a.Page > b.Page))
                return false;
    return true;
}
static_assert(GroupsKeepToTheirPages(), "a hotkey group spans pages or stands out of page order");

// Every hotkey has exactly one text row, and every text row but the
// language is a hotkey.
constexpr bool EveryHotkeyStoredOnce() {
    for (const HotkeyEntry& h : kHotkeyTable) {
        int rows = 0;
        for (const SettingEntry& s : kSettingTable)
            if (s.Kind == SettingKind::Text && s.Text == h.Field)
                ++rows;
        if (rows != 1)
            return false;
    }
    int textRows = 0;
    for (const SettingEntry& s : kSettingTable)
        if (s.Kind == SettingKind::Text && s.Text != &AppSettings::Language)
            ++textRows;
    return textRows == static_cast<int>(kHotkeyTable.size());
}
static_assert(EveryHotkeyStoredOnce(), "each hotkey needs exactly one text key in the file");

// A key that is left out of the file while empty reads as empty again, so
// such a command has no default combination.
constexpr bool OptionalKeysDefaultToNone() {
    for (const HotkeyEntry& h : kHotkeyTable)
        if (h.WrittenOnlyWhenSet && h.DefaultText[0] != '\0')
            return false;
    return true;
}
static_assert(OptionalKeysDefaultToNone(), "a key written only while set has no default");

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
unsigned HexValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

// Hexadecimal digits only, at most 32 significant bits; the bit pattern is
// the result ("FFFFFFFF" is -1).
std::optional<std::int32_t> ParseHex(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    for (char c : digits)
        if (!IsHexDigit(c))
            return std::nullopt;
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos)
        return 0;
    digits.remove_prefix(first);
    if (digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits)
        value = (value << 4) | HexValue(c);
    return static_cast<std::int32_t>(value);
}

// Decimal digits with an optional sign; a number past the 64-bit range
// saturates at its nearer end.
std::optional<std::int64_t> ParseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value > (INT64_MAX - 9) / 10 ? INT64_MAX : value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

} // namespace

const std::array<HotkeyEntry, kHotkeyTable.size()>& HotkeyTable() {
    return kHotkeyTable;
}

const HotkeyEntry* FindHotkey(int number) {
    if (number < HotkeyCommandFirst || number > HotkeyCommandLast)
        return nullptr;
    return &kHotkeyTable[static_cast<std::size_t>(number - 1)];
}

const std::array<SettingEntry, kSettingTable.size()>& SettingTable() {
    return kSettingTable;
}

HotkeyAction HotkeyActionFor(int index) {
    const HotkeyEntry* e = FindHotkey(index);
    return e ? e->Action : HotkeyAction{HotkeyAction::None, 0};
}

bool HotkeyRepeats(int index) {
    const HotkeyEntry* e = FindHotkey(index);
    return e && e->Repeats;
}

std::vector<const HotkeyEntry*> HotkeysOfPage(OptionPage page) {
    std::vector<const HotkeyEntry*> rows;
    int lastGroup = -1;
    for (const HotkeyEntry& h : kHotkeyTable)
        if (h.Page == page)
            lastGroup = std::max(lastGroup, static_cast<int>(h.Group));
    for (int group = 0; group <= lastGroup; ++group)
        for (const HotkeyEntry& h : kHotkeyTable)
            if (h.Page == page && static_cast<int>(h.Group) == group)
                rows.push_back(&h);
    return rows;
}

std::vector<const HotkeyEntry*> HotkeysInPageOrder() {
    std::vector<const HotkeyEntry*> rows;
    for (int page = 0; page < kOptionPageCount; ++page)
        for (const HotkeyEntry* h : HotkeysOfPage(static_cast<OptionPage>(page)))
            rows.push_back(h);
    return rows;
}

std::string KnownLanguageSetting(std::string_view text) {
    return text == "ja" || text == "en" ? std::string(text) : std::string();
}

std::optional<std::int64_t> ParseIniNumber(std::string_view text) {
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(start);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseHex(text.substr(2));
    if (text[0] == '$')
        return ParseHex(text.substr(1));
    return ParseDecimal(text);
}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    std::optional<std::int64_t> value = ParseIniNumber(text);
    if (!value || *value < INT32_MIN || *value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

const SettingEntry* FindIntegerSetting(std::int32_t AppSettings::*field) {
    for (const SettingEntry& s : kSettingTable)
        if (s.Kind == SettingKind::Integer && s.Int == field)
            return &s;
    return nullptr;
}

std::int32_t IntegerSettingOf(const SettingEntry& row, std::string_view text) {
    std::optional<std::int64_t> value = ParseIniNumber(text);
    return value ? ClampToRange(*value, row.Min, row.Max) : row.DefaultInt;
}

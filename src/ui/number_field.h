// Number fields that take the digits a Japanese input method types: a
// full-width digit typed into a guarded edit control arrives there as its
// ASCII digit, so that a field that takes digits only (ES_NUMBER) keeps it.
#pragma once

#include <windows.h>

// A full-width digit (as a Japanese input method types it) as its ASCII
// digit; any other character as it is.
constexpr wchar_t HalfWidthDigit(wchar_t c) {
    return c >= L'０' && c <= L'９' ? static_cast<wchar_t>(L'0' + (c - L'０')) : c;
}

namespace ui {

// Guards an edit control for the rest of its window's life.
void GuardNumberField(HWND edit);

} // namespace ui

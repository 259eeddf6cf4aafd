// Number fields that take the digits a Japanese input method types: a
// full-width digit typed into a guarded edit control arrives there as its
// ASCII digit, so that a field that takes digits only (ES_NUMBER) keeps it.
#pragma once

#include <windows.h>

namespace ui {

// Guards an edit control for the rest of its window's life.
void GuardNumberField(HWND edit);

} // namespace ui

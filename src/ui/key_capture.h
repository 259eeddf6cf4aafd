// Key-capture controls ("msctls_hotkey32") that keep their combination
// through keyboard navigation.
//
// The platform's control takes a modifier that goes down in it as the start
// of a new entry and drops its combination at once. Ctrl, Shift and
// Ctrl+Shift go down in the focused control before Tab, Shift+Tab, Ctrl+Tab
// or Ctrl+Shift+Tab move the focus or switch the page, and a modifier held
// while clicking elsewhere does the same. A guarded control remembers its
// combination when the first modifier goes down in it, and gets it back
// when it loses the focus (or is settled) while only modifiers have gone
// down since. Modifiers pressed and released with the focus staying in the
// control still leave it empty, which is how a user clears it; a modifier
// that was already held when the focus came does not.
//
// Enter, Esc, Space, BkSp and Del with Ctrl, Alt or Shift held are taken as
// the control's combination (the platform's control would empty itself, and
// the dialog would take Enter and Esc as OK and Cancel); alone they keep
// their usual meaning.
#pragma once

#include <windows.h>

namespace ui {

// Guards a key-capture control for the rest of its window's life.
void GuardKeyCapture(HWND control);

// Ends a pending modifier-only entry of a guarded control now (before its
// page is hidden or the dialog's values are read): the control gets back
// the combination it had before the modifiers went down. Does nothing for
// any other window.
void SettleKeyCapture(HWND control);

} // namespace ui

// Small pieces shared by the program's dialogs: dialog
// windows built from an in-memory template with a class of their own, and
// child controls placed at pixel positions.
#pragma once

#include "base/handles.h"
#include "settings/ui_language.h"

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace ui {

using handles::UniqueBrush;
using handles::UniqueFont;
using handles::UniqueIcon;

// A font of the given face and 96-dpi character height (negative: the
// height of the characters, as in LOGFONT), scaled to dpi.
UniqueFont CreateDialogFont(const wchar_t* face, int height96, int weight, BYTE charset, UINT dpi);
// The font of the program's dialogs in a language: "ＭＳ Ｐゴシック" for
// Japanese, "Segoe UI" (Windows' own dialog font) for English, both 9 points.
UniqueFont CreateTextFont(UiLanguage language, UINT dpi);

// Registers (once per process) a dialog window class: DefDlgProcW as its
// window procedure and the extra bytes the dialog manager needs. Using a
// class of their own instead of "#32770" lets the program's dialogs be told
// apart from message boxes.
void RegisterDialogClass(const wchar_t* className);

// An in-memory dialog template without controls; the dialog's procedure
// creates the controls itself at scaled pixel positions. The size in the
// template is 0 x 0: the dialog sizes itself once it knows its DPI.
std::vector<WORD> EmptyDialogTemplate(DWORD style, DWORD exStyle, const wchar_t* className,
                                      const wchar_t* caption);

// Turns off the system's own re-layout of a dialog on DPI changes (the
// dialogs lay themselves out from their 96-dpi tables instead). Does
// nothing on systems without per-monitor dialog scaling.
void DisableSystemDialogScaling(HWND dialog);

// Gives a page-like child dialog the themed background of a tab control's
// body where visual styles are active.
void EnableTabPageTexture(HWND page);

// Creates a child control; id is its dialog control identifier.
HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                 DWORD exStyle, int id);

// The size of a single-line text in a font.
SIZE TextExtent(HWND hwnd, HFONT font, const std::wstring& text);

// The text of a window.
std::wstring GetText(HWND hwnd);

// A descendant window with the given control identifier (children before
// grandchildren), or
// nullptr.
HWND FindDescendant(HWND root, int id);

} // namespace ui

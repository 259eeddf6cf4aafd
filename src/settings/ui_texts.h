// The program's own texts outside the hotkey table (whose rows hold each
// command's texts), each in Japanese and English side by side.
#pragma once

#include "settings/ui_language.h"

#include <string>

enum class TextId : int {
    // The popup menu; "&" marks the access key.
    MenuOptions,
    MenuRestoreAll,
    MenuMinimizeAll,
    MenuScreenSaver,
    MenuHelp,
    MenuAbout,
    MenuExit,
    MenuCancel,
    // The tray icon of a copy run as administrator, and the notice about a
    // window of a program run as administrator.
    TrayTipAdministrator,
    BlockedTargetNotice,
    // Message boxes; "%1" stands for the hotkey, path or page caption.
    HotkeyRefused,
    SettingsNotWritten,
    StartupShortcutNotMade,
    StartupFolderNotFound,
    StartupShortcutNotDeleted,
    OptionsNotMade,
    TrayNotAdded,
    TrayIdNotPositive,
    TrayIdTaken,
    TrayNoIcon,
    PageToDefaults,
    PageCleared,
    // The About box.
    AboutCaption,
    // The options dialog.
    OptionsCaption,
    PageGeneral,
    PageMove,
    PageSizeBottomRight,
    PageSizeTopLeft,
    PageMouse,
    PageOther,
    ButtonDefaults,
    ButtonClear,
    ButtonCancel,
    ButtonHelp,
    GroupWindow,
    GroupMove,
    GroupSizeBottomRight,
    GroupSizeTopLeft,
    GroupMouse,
    GroupPopupMenu,
    GroupPlacement,
    GroupTrayIcon,
    GroupStartup,
    GroupLanguage,
    LabelStep,
    NoteStepShared,
    LabelCorner,
    LabelCornerDistance,
    CheckStartMouseMove,
    CheckNoTrayIcon,
    CheckStartWithWindows,
    LabelLanguage,
    LanguageAutomatic,
    CornerTopLeft,
    CornerTopRight,
    CornerBottomLeft,
    CornerBottomRight,
    Count
};

// One text in both languages.
struct TextPair {
    TextId Id;
    const wchar_t* Japanese;
    const wchar_t* English;
};

// The row of a text (tests read every row through it).
const TextPair& TextRow(TextId id);
// The text in the language given, or in the language in effect.
const wchar_t* TextIn(UiLanguage language, TextId id);
const wchar_t* UiText(TextId id);
// The text in effect with its "%1" replaced by argument.
std::wstring UiTextWith(TextId id, const std::wstring& argument);

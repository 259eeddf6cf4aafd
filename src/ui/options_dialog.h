// OptionsDialog: the six-page options dialog that edits every field of the
// Settings. Modeless; its opener owns the object and frees it once the
// window has gone (OnReleased). While it is open none of the program's global
// hotkeys is registered, so every combination reaches its key-capture
// controls; closing it, by whatever means, applies the tray-icon switch and
// registers the hotkeys again. Only OK copies the controls into Settings.
#pragma once

#include "base/handles.h"
#include "hotkey/shortcut.h"
#include "settings/settings.h"
#include "settings/ui_language.h"
#include "ui/dialog_util.h"
#include "ui/dialog_window.h"
#include "ui/number_field.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Control identifiers. The page controls are children of their page
// windows (idPage0 + index, children of the dialog): find them with
// OptionsDialogControl() or any search of the window tree by control id.
enum OptionsDialogControlId : int {
    idOKBtn = IDOK,
    idCancelBtn = IDCANCEL,
    idHelpBtn = IDHELP,
    idPageTabs = 100,
    idPage0 = 110, // 110 + OptionPage: the pages
    // 200 + hotkey command number: the key-capture controls
    idHotkeyBase = 200,
    idMoveP = 301,
    idMoveP_UpDown = 302,
    idSizeP = 303,
    idSizeP_UpDown = 304,
    idMouseMovePos = 305,
    idMouseOffset = 306,
    idMouseOffset_UpDown = 307,
    idStartMouseMove = 308,
    idNoTrayIcon = 309,
    idStartWithWindows = 310,
    idLanguage = 311,
    idMoveDefaults = 401, // "デフォルト" of the move and resize pages
    idSizeBottomRightDefaults = 402,
    idSizeTopLeftDefaults = 403,
    idMoveClear = 404, // "クリア" of the move and resize pages
    idSizeBottomRightClear = 405,
    idSizeTopLeftClear = 406,
    idGroupBase = 500, // group boxes
    idLabelBase = 600, // labels
};
constexpr int HotkeyControlId(int number) {
    return idHotkeyBase + number;
}

// Value conversions of the key-capture controls ("msctls_hotkey32"):
// HKM_SETHOTKEY's wParam for a shortcut, and the shortcut of
// HKM_GETHOTKEY's result. HOTKEYF_EXT is ignored when reading, so a key of
// the extended keyboard and its twin on the keypad read alike; when
// setting, it is given for the keys of the extended keyboard only so that
// the control names them rightly ("Up", not the keypad's "Num 8").
bool IsExtendedKey(unsigned vk);
WPARAM ShortCutToHotkeyControl(TShortCut value);
TShortCut HotkeyControlToShortCut(LRESULT value);
// A stored step or distance as the spin control's 16-bit position: the
// value brought into min..max first, whatever its size; and a position read
// with UDM_GETPOS as stored.
constexpr short UpDownPositionOf(std::int32_t stored, std::int32_t min, std::int32_t max) {
    return static_cast<short>(ClampToRange(ClampToRange(stored, min, max), -32768, 32767));
}
std::int32_t StoredValueOfUpDown(LRESULT position);
// The digits of a text, in order, full-width ones as ASCII digits;
// everything else left out.
std::wstring DigitsOf(const std::wstring& text);
// The number typed into a number field (ASCII or full-width digits),
// brought to the nearer bound of min..max; nullopt for an empty text or one
// with anything but digits.
std::optional<std::int32_t> TypedNumber(const std::wstring& text, std::int32_t min,
                                        std::int32_t max);
// The drop-down item of a corner value: 0..3, or -1 (no item) otherwise.
int CornerItemOf(std::int32_t stored);
// The item of the language list for a Language setting: 0 automatic (also
// for anything but "ja" and "en"), 1 日本語, 2 English.
int LanguageItemOf(const std::string& setting);

class OptionsDialog : public DialogWindow {
  public:
    // Creates the dialog window, hidden, with all its controls, laid out
    // for the DPI of the primary monitor. The window owns the object.
    explicit OptionsDialog(HWND owner);
    // Destroys the window if it is still there.
    ~OptionsDialog() override;

    // Shows the dialog modelessly, centred on the screen. FormShow runs
    // on the first showing only; later calls bring it to the front.
    void Show();
    // True once the dialog has closed (it may still wait for its window to
    // go).
    bool Closed() const { return closing_; }

    // The dialog of a window handle (the dialog window itself), or nullptr.
    static OptionsDialog* FromHandle(HWND hwnd);

    // Handlers.
    void FormShow();
    void FormClose();
    void OnOk();
    void OnCancel();
    void OnHelp();
    // "デフォルト" and "クリア": after the user agrees, the page's hotkeys
    // take their defaults, or none.
    void ResetPageHotkeys(OptionPage page, bool toDefaults);

    // The current page index.
    int ActivePage() const;
    void SetActivePage(int index);

    // What the dialog calls around it, set by its opener before Show();
    // each is skipped when empty.
    std::function<void()> UnregisterHotKeys;
    std::function<void()> RegisterHotKeys;
    std::function<void()> UpdateTray;
    // Whether the program starts with Windows, asked when the dialog is
    // shown; and the change of it, made by OK when the box was changed,
    // which throws EQuorelError with the message for the user when it
    // cannot be made (the dialog then stays open with the box as it was).
    std::function<bool()> StartsWithWindows;
    std::function<void(bool on)> SetStartsWithWindows;
    std::function<void(unsigned command, unsigned long data)> HelpRequest;
    // Whether a key is held by another program: OK tries the keys it is
    // about to register through it (the opener's own registrations do not
    // count). Unset: no key is.
    std::function<bool(TShortCut)> KeyHeldElsewhere;
    // Writes the settings file, after OK has copied the controls into
    // Settings; throws EQuorelError with the message for the user.
    std::function<void()> SaveSettings;
    // The dialog is shown and wants keyboard navigation from the message
    // loop.
    std::function<void(HWND dialog)> OnModeless;
    // The dialog has closed (raised once, from closing or from the window's
    // end, whichever comes first).
    std::function<void(HWND dialog)> OnClosed;
    // The dialog's window is gone: the object may be freed now (not from
    // inside this call).
    std::function<void()> OnReleased;

  protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnWindowGone() override;

  private:
    static INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK MsgFilterProc(int code, WPARAM wp, LPARAM lp);
    bool Command(int id, int code);
    void CreateControls();
    void Layout(UINT dpi);
    void ShowPage(int index, bool focusIntoPage);
    HWND Page(int index) const;
    HWND Control(int id) const;
    void FillFromSettings();
    void CopyToSettings();
    void SetHotkey(int number, TShortCut value);
    TShortCut GetHotkey(int number) const;
    // A number field's text keeps its digits only.
    void KeepDigitsOnly(int editId);
    // A number field shows what OK stores: the typed number brought into
    // its range; when it holds none, the number it showed at opening.
    void SettleNumberField(int editId);
    // The focused push button is the default button, drawn so and pressed
    // by Enter; with the focus anywhere else OK is.
    void MakeDefaultButton(HWND button);
    // The control that had the focus when the dialog was last left, while
    // it can take the focus again; nullptr otherwise.
    HWND FocusToRestore() const;
    // Makes the start with Windows follow its box when that has changed;
    // false, with the message shown and the box as it was, when it
    // cannot.
    bool ApplyStartWithWindows();
    // The checks of the keys at OK; false when the user goes back to a
    // field (the focus is then there).
    // A character key without Ctrl or Alt: the user confirms it.
    bool ConfirmBareCharacterKeys();
    // Keys two commands share or another program holds: listed, and the
    // user goes back to the first or keeps them.
    bool ConfirmTakenKeys();
    // Shows the page of a command's key field and puts the focus there.
    void GoToKeyField(int number);

    void NotifyClosed();

    HWND owner_ = nullptr;
    // The language of its texts: the one in effect when it was opened.
    UiLanguage language_;
    handles::UniqueHook hook_;
    UINT dpi_ = 96;
    ui::UniqueFont font_;
    // The number fields' positions as filled in, in field order.
    std::vector<std::int32_t> shownAtOpening_;
    // By command number: the bare character key the user confirmed for it.
    std::array<TShortCut, HotkeyCommandLast + 1> confirmedBare_{};
    HWND lastFocus_ = nullptr;
    bool shownOnce_ = false;
    bool startsWithWindows_ = false; // as the box was filled in
    bool accepted_ = false;          // the accept flag: set by OK, read on closing
    bool closing_ = false;
    bool closedNotified_ = false;
};

// A control of the dialog by its identifier, wherever it sits in the window
// tree; nullptr when there is none.
HWND OptionsDialogControl(HWND dialog, int id);

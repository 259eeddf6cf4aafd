// TOptionDlg: the six-page options dialog that edits every field of the
// Settings. Modeless; the window owns the object, which is deleted when the
// window is destroyed. While it is open none of the program's global
// hotkeys is registered, so every combination reaches its key-capture
// controls; closing it, by whatever means, applies the tray-icon switch and
// registers the hotkeys again. Only OK copies the controls into Settings.
#pragma once

#include "hotkey/shortcut.h"
#include "ui/uiutil.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// Control identifiers. The page controls are children of their page
// windows (idPage0 + index, children of the dialog): find them with
// OptionDlgControl() or any search of the window tree by control id.
enum OptionDlgControlId : int {
    idOKBtn = IDOK,
    idCancelBtn = IDCANCEL,
    idHelpBtn = IDHELP,
    idPageControl1 = 100,
    idPage0 = 110, // 110..115: the six pages in page-index order
    // 200 + hotkey command number (1..20): the twenty key-capture controls
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
    idButton1 = 401, // "デフォルト" of pages 1, 2, 3
    idButton2 = 402,
    idButton3 = 403,
    idButton4 = 404, // "クリア" of pages 1, 2, 3
    idButton5 = 405,
    idButton6 = 406,
    idGroupBase = 500, // group boxes
    idLabelBase = 600, // labels
};
constexpr int HotkeyControlId(int number) {
    return idHotkeyBase + number;
}
constexpr int kOptionPageCount = 6;

// The window class of the options dialog.
inline constexpr wchar_t kOptionDlgClassName[] = L"TOptionDlg";

// Value conversions of the key-capture controls ("msctls_hotkey32"):
// HKM_SETHOTKEY's wParam for a shortcut, and the shortcut of
// HKM_GETHOTKEY's result. HOTKEYF_EXT is ignored when reading, so a key of
// the extended keyboard and its twin on the keypad read alike; when
// setting, it is given for the keys of the extended keyboard only so that
// the control names them rightly ("Up", not the keypad's "Num 8").
bool IsExtendedKey(unsigned vk);
WPARAM ShortCutToHotkeyControl(TShortCut value);
TShortCut HotkeyControlToShortCut(LRESULT value);
// A stored step or distance as the spin control's 16-bit position (the low
// 16 bits taken as signed), and a position read with UDM_GETPOS as stored.
short UpDownPositionOf(std::int32_t stored);
std::int32_t StoredValueOfUpDown(LRESULT position);
// The drop-down item of a corner value: 0..3, or -1 (no item) otherwise.
int CornerItemOf(std::int32_t stored);
// The help context of a page index: 14, 15, 16, 17, 23, 18; 0 for none.
unsigned long HelpContextOfPage(int page);

class TOptionDlg {
  public:
    // Creates the dialog window, hidden, with all its controls, laid out
    // for the DPI of the primary monitor. The window owns the object.
    explicit TOptionDlg(HWND owner);
    TOptionDlg(const TOptionDlg&) = delete;
    TOptionDlg& operator=(const TOptionDlg&) = delete;

    // Shows the dialog modelessly, centred on the screen. FormShow runs
    // on the first showing only; later calls bring it to the front.
    void Show();
    HWND Handle() const { return hwnd_; }

    // The dialog of a window handle (the dialog window itself), or nullptr.
    static TOptionDlg* FromHandle(HWND hwnd);

    // Handlers.
    void FormShow();
    void FormClose();
    void OKBtnClick();
    void CancelBtnClick();
    void HelpBtnClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();

    // The current page index.
    int ActivePage() const;
    void SetActivePage(int index);

    // What the dialog calls around it; the main form's routines by default,
    // replaceable before Show() (tests).
    std::function<void()> UnregisterHotKeys;
    std::function<void()> RegisterHotKeys;
    std::function<void()> UpdateTray;
    std::function<void(unsigned command, unsigned long data)> HelpRequest;

  private:
    ~TOptionDlg();
    static INT_PTR CALLBACK DlgProc(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK MsgFilterProc(int code, WPARAM wp, LPARAM lp);
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
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
    void ResetPageHotkeys(int firstNumber, bool toDefaults, const wchar_t* question);

    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    HHOOK hook_ = nullptr;
    UINT dpi_ = 96;
    ui::UniqueFont font_;
    bool shownOnce_ = false;
    bool accepted_ = false; // the accept flag: set by OK, read on closing
    bool closing_ = false;
};

// The options dialog while it exists: set by its opener, cleared when it
// closes.
extern TOptionDlg* OptionDlg;

// A control of the dialog by its identifier, wherever it sits in the window
// tree; nullptr when there is none.
HWND OptionDlgControl(HWND dialog, int id);

// TrayIcon: one icon in the notification area of the taskbar, its picture
// and tip text, and the mouse actions the shell reports for it.
//
// All components of the process share the icon registry (icon identifier ->
// component) and one hidden receiver window (names::kTrayReceiverClass), to
// which the shell sends the tray callback message (names::
// kTrayCallbackMessage: wParam = IconID, lParam = the mouse message) for
// every icon. The
// receiver lets that message and "TaskbarCreated" through from programs at
// a lower integrity level, so an icon of a program run as administrator
// still hears from the shell. The receiver is created by the first icon that goes into the tray, as
// a zero-size child of that component's owner window (the main form), and is destroyed with that
// window or when the last component goes.
//
// The picture can be an icon resource: the component then loads it at the
// small-icon size of the DPI of the display its window is on, and again at
// the new size when the window gets WM_DPICHANGED or the shell restarts.
//
// Components always run live: there is no design state.
#pragma once

#include "base/handles.h"
#include "hotkey/shortcut.h" // TShiftState and its flags

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

enum TMouseButton : std::uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

class TrayIcon;

using TButtonDblClick = std::function<void(TrayIcon& sender, TMouseButton button)>;
using TMouseEvent =
    std::function<void(TrayIcon& sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TrayIcon& sender, TShiftState shift, int x, int y)>;
using TNotifyEvent = std::function<void(TrayIcon& sender)>;

// The tip text as it fits the shell's 64-byte tip field: at most maxBytes
// bytes, never cut between the two bytes of a double-byte character of the
// given code page.
std::string CutTipText(const std::string& text, std::size_t maxBytes = 63, UINT codePage = CP_ACP);

class TrayIcon {
  public:
    // The owner window (the main form) is the parent of the receiver window
    // and is brought to the foreground when a button goes down over the
    // icon. It can be given as a handle, or as a function asked each time
    // the window is needed (for an owner whose window is created after the
    // component). Without an owner window the receiver is a hidden top-level
    // window and nothing is brought forward.
    TrayIcon() : TrayIcon(HWND{nullptr}) {}
    explicit TrayIcon(HWND owner);
    explicit TrayIcon(std::function<HWND()> owner);
    virtual ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Properties. Writing the value a property already has does nothing.
    const std::string& TipString() const { return tip_; }
    // Text in the system code page. Throws EInvalidOperation when the shell
    // refuses the change; the text stays written.
    void SetTipString(const std::string& text);

    // The tip as UTF-16 text, for a tip the system code page may not hold:
    // TipString becomes its system code page form, and the shell's entry
    // gets the text itself after every add or update. An empty text goes
    // back to TipString alone.
    void SetTipText(const std::wstring& text);
    const std::wstring& TipText() const { return wideTip_; }

    // Shows text in a balloon at the icon (a notification on Windows 10 and
    // later), titled title, with the information icon and without a sound.
    // False when the icon is not in the tray or the shell refuses. A click
    // on the balloon raises OnBalloonClick.
    bool ShowBalloon(const std::wstring& title, const std::wstring& text);

    // The component's own copy of the picture (do not destroy it); nullptr
    // when there is none.
    HICON Icon() const { return icon_.get(); }
    // Copies the given icon, so the caller may destroy its own at once, and
    // brings the tray up to date. nullptr empties the picture and takes the
    // icon out of the tray (Registered reads false afterwards). Giving back
    // the handle Icon() returns does nothing. The picture is fixed: it does
    // not follow the DPI.
    void SetIcon(HICON icon);
    // The picture as image id of an icon resource of module, loaded at the
    // small-icon size of the DPI of the display the component's window is
    // on, and loaded again when that DPI changes. A resource that cannot be
    // loaded empties the picture as SetIcon(nullptr) does. Giving the
    // resource already shown does nothing.
    void SetIconResource(HINSTANCE module, int id);
    // The DPI the picture was loaded for; 0 for a fixed picture.
    UINT IconDpi() const { return iconDpi_; }

    int IconID() const { return iconID_; }
    // Throws EInvalidOperation for a value below 1 or one that another
    // component holds; nothing changes then. On a shown icon the tray entry
    // moves to the new identifier.
    void SetIconID(int id);

    // True while the icon is wanted in the tray. Setting it without a picture
    // throws EInvalidOperation; a refused add throws too and leaves it true
    // (the next refresh tries again).
    bool Registered() const { return registered_; }
    void SetRegistered(bool registered);

    // True while the shell holds the icon's entry: the last add, or the
    // modify tried when the shell refused the add, succeeded.
    bool InTray() const { return inTray_; }

    // Menus opened at the cursor when the left or right button goes down over
    // the icon; not owned. The menu's owner calls MenuDestroyed before it
    // destroys a menu it has given here.
    HMENU PopupMenuL() const { return popupL_; }
    HMENU PopupMenuR() const { return popupR_; }
    void SetPopupMenuL(HMENU menu);
    void SetPopupMenuR(HMENU menu);
    void MenuDestroyed(HMENU menu);

    // End of loading: the owner has set the stored values.
    void Loaded() { RefreshIcon(); }

    // Events, skipped when empty.
    TButtonDblClick OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnBalloonClick;

    // Takes the icon out of the tray; Registered reads false afterwards.
    virtual void RemoveIcon();
    // Adds the icon to the tray or brings the shell's entry up to date when
    // Registered; throws EInvalidOperation when the shell refuses.
    virtual void RefreshIcon();
    virtual void DoDblClick(TMouseButton button);
    // Brings the owner window forward, processes waiting messages, raises
    // OnMouseDown, then opens PopupMenuL or PopupMenuR.
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseMove(int x, int y);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoBalloonClick();

    // The notification record as last handed to the shell.
    const NOTIFYICONDATAA& NotifyData() const { return nid_; }

    // The shell call; Shell_NotifyIconA unless replaced (tests force refusals
    // through it).
    static std::function<BOOL(DWORD message, PNOTIFYICONDATAA data)> ShellNotify;
    // The shell call for UTF-16 texts (the balloon, a wide tip):
    // Shell_NotifyIconW unless replaced.
    static std::function<BOOL(DWORD message, PNOTIFYICONDATAW data)> ShellNotifyW;

    // The shared receiver window, nullptr before the first icon is added.
    static HWND NotifyWindow();
    // The component the registry gives for an icon identifier, or nullptr.
    static TrayIcon* Find(int id);
    // The shell has restarted and forgotten every icon: adds again each
    // component's icon that is Registered. The receiver window calls this on
    // "TaskbarCreated"; refusals go to the standard error report.
    static void ShellRestarted();
    // The display the components' window is on has a new DPI: each
    // component that shows an icon resource loads it at the new size and
    // brings the shell's entry up to date. The receiver window calls this on
    // WM_DPICHANGED to its top-level window; refusals go to the standard
    // error report.
    static void DpiChanged(UINT dpi);

    // The size of the notification record this build hands to the shell: the
    // first version of the record, up to the end of its 64-byte tip (88 bytes
    // in the 32-bit build, 104 in the 64-bit one).
    static constexpr DWORD RecordSize = static_cast<DWORD>(offsetof(NOTIFYICONDATAA, szTip) + 64);

  private:
    HWND OwnerWindow() const;
    // The DPI of the display the receiver window (or the owner) is on.
    UINT WindowDpi() const;
    // Replaces the picture with the icon resource at the small-icon size of
    // dpi; false when it cannot be loaded (the picture is empty then).
    bool LoadIconResource(UINT dpi);
    // RefreshIcon with an icon resource's picture at the size for dpi.
    void RefreshIconAt(UINT dpi);
    static void OpenMenu(HMENU menu, HWND owner, int x, int y);
    // An update of the shell's entry through the UTF-16 call with the
    // given flags; the record names the entry as the last add did.
    bool ModifyWide(UINT flags, const std::wstring& tip, const std::wstring& title,
                    const std::wstring& text);

    std::function<HWND()> owner_;
    std::string tip_;
    std::wstring wideTip_;
    handles::UniqueIcon icon_; // the component's own copy
    HINSTANCE iconModule_ = nullptr;
    int iconResource_ = 0; // 0: a fixed picture
    UINT iconDpi_ = 0;
    int iconID_ = 1;
    HMENU popupL_ = nullptr;
    HMENU popupR_ = nullptr;
    NOTIFYICONDATAA nid_{};
    bool registered_ = false;
    bool inTray_ = false;
};

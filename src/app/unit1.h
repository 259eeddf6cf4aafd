// The main form: the program's invisible window that owns the hotkey
// component, the tray icon, the popup menu and the image list; start-up and
// shut-down; dispatch of the hotkeys; the popup menu's commands.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "hotkey/hkhotkey.h"
#include "tray/tasktray.h"

// Sent by a second copy of the program to the running one.
constexpr UINT WM_SECONDINSTANCE = WM_USER + 100;

// The name of the single-instance mutex and the main form's class name.
constexpr char kMutexName[] = "_QUOREL";
constexpr wchar_t kMainFormClass[] = L"TQuorelMainForm";

// Menu item identifiers of PopupMenu1.
enum MenuItemId : UINT {
    idOption = 101,
    idWinAllRestore,
    idWinAllMin,
    idOpenScreenSaver,
    idHelp,
    idAbout,
    idExit,
    idCancel,
};

// What one hotkey number does.
struct HotkeyAction {
    enum Kind {
        None,
        ToggleMaximize,
        Minimize,
        Move,
        SizeBottomRight,
        SizeTopLeft,
        MouseMove,
        PopupMenu,
        Close,
        AllRestore,
        AllMin,
        ScreenSaver,
    } kind;
    int direction; // Up 0, Down 1, Left 2, Right 3 for Move and the Size kinds
};
// The command of hotkey number index; None for anything outside 1..20.
HotkeyAction HotkeyActionFor(int index);

// Owns a menu handle.
struct MenuDeleter {
    void operator()(HMENU m) const { DestroyMenu(m); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;
struct ImageListDeleter {
    void operator()(HIMAGELIST il) const { ImageList_Destroy(il); }
};
using ImageListHandle = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

// PopupMenu1 with its twelve items.
MenuHandle CreatePopupMenu1();
// Sets the two item properties that depend on where the menu opens: from
// the tray, the options item is the default (bold) and there is no cancel
// item; at the cursor, no default item and the cancel item last.
void PreparePopupMenu(HMENU menu, bool fromTray);

class TQuorelMainForm {
  public:
    // Creates the form's window (owned by the application window) and its
    // components, then runs FormCreate.
    explicit TQuorelMainForm(HWND appWindow);
    // Runs FormDestroy (the settings are written), then frees the
    // components and the window.
    ~TQuorelMainForm();
    TQuorelMainForm(const TQuorelMainForm&) = delete;
    TQuorelMainForm& operator=(const TQuorelMainForm&) = delete;

    HWND Handle() const { return handle_; }

    // Ends the message loop (the exit command).
    void Close();

    std::unique_ptr<THookHotKey> HookHotKey1;
    std::unique_ptr<TTaskTray> TaskTray1;
    MenuHandle PopupMenu1;
    ImageListHandle ImageList1;
    std::wstring HelpFile;

    // Opens the popup menu at a screen point; fromTray selects the variant
    // (bold options item and no cancel item, or the other way round).
    void OpenMenuAt(int x, int y, bool fromTray);

    void pm_OptionClick();
    void pm_AboutClick();
    void pm_ExitClick();
    void Help1Click();

  private:
    void FormCreate();
    void FormDestroy();
    void HookHotKey1HotKey(int index);
    void TaskTray1MouseDown(TMouseButton button, int x, int y);
    void TaskTray1DblClick(TMouseButton button);
    void OnSecondInstance();

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    HWND handle_ = nullptr;
};

// The main form, set while its creation handler runs and until it is gone.
extern TQuorelMainForm* QuorelMainForm;

// Tells a running copy that the program was started again.
void NotifyRunningInstance();

// The whole program: single-instance guard, application window, main form,
// message loop, teardown. Returns the exit code.
int QuorelMain();

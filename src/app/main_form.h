// The main form: the program's invisible window that owns the global
// hotkeys, the tray icon and the popup menu; start-up and shut-down;
// registration of the hotkeys and their dispatch; the popup menu's
// commands and the dialogs they open.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/elevated_restart.h"
#include "app/help.h"
#include "base/handles.h"
#include "base/message_window.h"
#include "hotkey/global_hotkeys.h"
#include "settings/settings.h"
#include "settings/settings_location.h"
#include "settings/ui_language.h"
#include "tray/tray_icon.h"
#include "ui/key_checks.h"
#include "winops/blocked_target.h"
#include "winops/command_runner.h"
#include "winops/window_identity.h"

class Application;
class OptionsDialog;
class AboutBox;

// Menu item identifiers of the program's menu.
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

using MenuHandle = handles::UniqueMenu;

// The program's menu with its twelve items.
MenuHandle CreateProgramMenu();
// Sets the two item properties that depend on where the menu opens: from
// the tray, the options item is the default (bold) and there is no cancel
// item; at the cursor, no default item and the cancel item last.
void PreparePopupMenu(HMENU menu, bool fromTray);

class MainForm : public MessageWindow {
  public:
    // Reads the settings, registers the hotkeys, creates the form's window
    // (owned by the application window) and its other components, and
    // shows the tray icon. What start-up still has to do once the message
    // loop runs (reporting refused hotkeys, moving the cursor to its
    // corner) it posts to the form.
    explicit MainForm(Application& app);
    // Shutdown(), then frees the components and the window.
    ~MainForm() override;

    // The first step of the end, before anything that could wait: writes
    // the settings, then stops the window commands (waiting a second at
    // most for a window that does not answer). Later calls do nothing.
    void Shutdown();

    // Ends the message loop (the exit command).
    void Close();

    // Registers hotkey number index from its shortcut text, or unregisters
    // it when the text is empty; reports a refused registration in a
    // message box.
    void RegisterHotkeyText(const std::string& text, int index);
    // Registers the hotkeys from Settings in ascending number order;
    // an open help then shows the keys that work.
    void RegisterAllHotkeys();
    // Unregisters the hotkeys (the options dialog does this when
    // shown).
    void UnregisterAllHotkeys();

    // True while the About box or the options dialog exists, or while the
    // form's window is disabled.
    bool IsDialogOpen() const;
    // Shows or hides the tray icon according to Settings.NoTrayIcon. Throws
    // EInvalidOperation from the tray component.
    void UpdateTrayIcon();
    // The menu and the tray tip in the language in effect, made again when
    // it has changed since they were made (the options' OK).
    void ShowLanguage();
    // Opens the program's menu at the mouse cursor, or brings the open
    // dialog forward.
    void ShowMenuAtCursor();
    // Opens the menu at a screen point; fromTray selects the variant (bold
    // options item and no cancel item, or the other way round).
    void OpenMenuAt(int x, int y, bool fromTray);

    // The menu's commands.
    void OpenOptions();
    void OpenAbout();
    void OpenHelp();
    void Exit();

    // The single-instance mutex this copy holds (owned by the form's
    // thread), let go of while it hands the program to a copy run as
    // administrator.
    void SetInstanceMutex(HANDLE mutex) { instanceMutex_ = mutex; }

    // Closes a help window the program opened.
    void CloseHelp();
    // The text of a help topic from the settings in effect (not from an
    // open options dialog, whose edits count only after OK).
    std::wstring HelpText(HelpTopic topic) const;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    friend struct HotkeyDispatch; // runs the commands of the program's own

    // Registers number index from its text, or unregisters it when the
    // text is empty; false when the system refused the combination (the
    // caller reports that and unregisters the number).
    bool TryRegisterHotkey(const std::string& text, int index);
    // Whether another program holds a key: the program's own registrations
    // do not count; any other is found by trying the key.
    bool KeyHeldElsewhere(TShortCut value);
    // The message box about a refused combination, owned by the form.
    void ShowRefusedHotkey(const std::string& text);
    // The first registration: the hotkeys from Settings in ascending number
    // order, a refused number unregistered at once and its text kept for
    // FinishStart.
    void RegisterHotkeysAtStart();
    // Start-up's end, from the message loop: the boxes about the refused
    // hotkeys, then the cursor to its corner when the settings ask for it.
    void FinishStart();
    void OnHotkey(int index);
    void RestoreAll();
    void MinimizeAll();
    void StartScreenSaver();
    void OnTrayMouseDown(TMouseButton button, int x, int y);
    void OnTrayDoubleClick(TMouseButton button);
    void OnSecondInstance();
    // A command is about to act on the foreground window: the balloon
    // that says a window of a program run as administrator is out of
    // reach, once per run while the icon is shown.
    void NoticeBlockedTarget(const Target& target);
    // The balloon was clicked: restart as administrator, unless a dialog
    // is open (it comes to the front instead, so that nothing is lost).
    void OnBalloonClick();
    // The hand-over to a copy run as administrator: this copy writes its
    // settings and lets go of the hotkeys and the mutex; and, should the new
    // copy end without taking over, takes them back and tells the user.
    void ReleaseProgram();
    void NotTakenOver(bool released);
    // A message for the user at the icon, or in a box when the icon is not
    // shown.
    void TellUser(const std::wstring& text);
    void OnMenuCommand(UINT id);
    void ReleaseClosedDialog();

    Application& app_;
    // The window commands' workers: the form's thread never waits on
    // another program's window.
    CommandRunner commands_;
    // What never changes of the windows the hotkeys last acted on.
    WindowIdentities targets_;
    bool shutDown_ = false;
    // The settings were written for a copy that takes over: this one does
    // not write them again.
    bool handedOver_ = false;
    HANDLE instanceMutex_ = nullptr;
    std::unique_ptr<GlobalHotkeys> hotkeys_;
    std::unique_ptr<TrayIcon> tray_;
    MenuHandle menu_;
    std::unique_ptr<Help> help_;
    // The settings file read at start and written at exit.
    SettingsFiles settingsFiles_;
    // By hotkey number: the system refused its combination at the last
    // registration.
    std::array<bool, HotkeyCommandLast + 1> refused_{};
    // The texts the first registration could not register, until reported.
    std::vector<std::string> startRefusals_;
    // The texts of the file that name no key, until reported at start.
    std::vector<UnreadableKey> startUnreadable_;
    // By hotkey number: the combination registered now (0: none).
    std::array<TShortCut, HotkeyCommandLast + 1> held_{};
    // The language the menu and the tray tip are in.
    std::optional<UiLanguage> shownLanguage_;
    // The options dialog, from its opening until its window has gone.
    std::unique_ptr<OptionsDialog> options_;
    // The About box while it is shown (it lives on the stack of OpenAbout).
    AboutBox* about_ = nullptr;
    BlockedTargetNotice blocked_{SystemBlockedCheck()};
    ElevatedRestart restart_;
};

// Whether a hotkey command of this kind acts on the foreground window (as
// opposed to the desktop, the cursor or the program itself).
bool ActsOnForegroundWindow(HotkeyAction::Kind kind);

// Tells a running copy that the program was started again, and lets it
// take the foreground from this copy (it may open its menu).
void NotifyRunningInstance();

// The calls of the single-instance guard on the named mutex. Each sets the
// last error as the system does; tests play another copy's answers through
// them.
struct InstanceMutexCalls {
    // Opens the existing mutex with the given access (OpenMutexW).
    std::function<HANDLE(DWORD access, const wchar_t* name)> Open;
    // Creates it, owned by the calling thread when it is new, with default
    // security (CreateMutexW).
    std::function<HANDLE(const wchar_t* name)> Create;
};
InstanceMutexCalls SystemInstanceMutexCalls();

// A copy started to take over from the copy whose main form is previous
// (nullptr when it has gone): opens the running copy's mutex, asks previous
// to let go of the program, and waits at most waitMs until the mutex is
// free. Taken: the mutex is this copy's now, owned by the calling thread.
// NotRunning: no copy holds one (claim it as any start does). Refused: the
// mutex belongs to a copy this one may not wait on (another user's);
// TimedOut: the old copy did not let go. In both the old copy stays.
enum class Takeover { Taken, NotRunning, Refused, TimedOut };
Takeover TakeOverInstance(HWND previous, const InstanceMutexCalls& calls,
                          handles::UniqueHandle& mutex, DWORD waitMs);
// The main form of the program's copy in a process; nullptr when it has
// none.
HWND MainFormOf(DWORD processId);

// The single-instance guard: false when another copy holds the mutex,
// also when it holds it with rights this copy does not have (a copy started
// as administrator: "access denied"); otherwise true, with the mutex made
// for this copy in mutex (empty when the system could not make it: the
// program then runs without the guard).
bool ClaimSingleInstance(const InstanceMutexCalls& calls, handles::UniqueHandle& mutex);

// The whole program: single-instance guard, application window, main form,
// message loop, teardown. Returns the exit code.
int QuorelMain();

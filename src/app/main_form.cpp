#include "app/main_form.h"

#include "app/application.h"
#include "base/error_report.h"
#include "base/integrity.h"
#include "base/message_filter.h"
#include "base/names.h"
#include "hotkey/shortcut.h"
#include "res/resource.h"
#include "res/version.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/startup_shortcut.h"
#include "settings/ui_texts.h"
#include "ui/about_box.h"
#include "ui/options_dialog.h"
#include "winops/window_commands.h"

namespace {
// Posted to the form when the options dialog's window has gone.
constexpr UINT kReleaseDialogMessage = WM_APP + 1;
// Posted to the form at start, for what waits until the message loop runs.
constexpr UINT kFinishStartMessage = WM_APP + 2;
} // namespace

MainForm::MainForm(Application& app) : app_(app) {
    // The hotkeys first: they are what the user waits for, and they need
    // only their own window and the settings. Where the settings live is
    // decided once, here.
    hotkeys_ = std::make_unique<GlobalHotkeys>([this] { return Handle(); });
    hotkeys_->Activate = false;
    hotkeys_->OnHotKey = [this](GlobalHotkeys&, int index) { OnHotkey(index); };
    settingsFiles_ = FindSettingsFiles(ExecutablePath());
    LoadSettings(settingsFiles_.Read);
    RunGuarded([this] { RegisterHotkeysAtStart(); });

    // Then the form's window, and the components that need it.
    HINSTANCE inst = GetModuleHandleW(nullptr);
    RegisterWindowClass(names::kMainFormClass, LoadIconW(inst, MAKEINTRESOURCEW(IDI_QUOREL)));
    // No border and no caption; never shown.
    CreateFor(0, names::kMainFormClass, L"Quorel", WS_POPUP, app.Handle());
    // A second start reaches a copy run as administrator too.
    message_filter::AllowFromLowerLevels(Handle(), names::kSecondInstanceMessage);
    tray_ = std::make_unique<TrayIcon>(Handle());
    tray_->SetTipString("Quorel");
    ShowLanguage();
    tray_->OnBalloonClick = [this](TrayIcon&) { OnBalloonClick(); };
    restart_.OnStarted = [this] { Exit(); };
    tray_->SetIconID(1);
    tray_->OnDblClick = [this](TrayIcon&, TMouseButton b) { OnTrayDoubleClick(b); };
    tray_->OnMouseDown = [this](TrayIcon&, TMouseButton b, TShiftState, int x, int y) {
        OnTrayMouseDown(b, x, y);
    };
    menu_ = CreateProgramMenu();
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    help_ = std::make_unique<Help>(Handle(), app.Handle(), ExecutablePath());
    help_->TopicText = [this](HelpTopic topic) { return HelpText(topic); };
    help_->OnModeless = [this](HWND h) { app_.AddModelessDialog(h); };
    help_->OnClosed = [this](HWND h) { app_.RemoveModelessDialog(h); };
    // A tray icon that cannot be set up is reported; the hotkeys work all
    // the same.
    RunGuarded([this] { UpdateTrayIcon(); });
    // The reports of refused hotkeys and the cursor's move come once the
    // message loop runs: by then the icon is there, and the program is
    // whole for whatever the user does while a report is up.
    PostMessageW(Handle(), kFinishStartMessage, 0, 0);
    // The workers that carry out the window commands, ready for the first.
    commands_.Prepare();
}

MainForm::~MainForm() {
    Shutdown();
    options_.reset();
    help_.reset();
    menu_.reset();
    tray_.reset(); // removes the icon while its window still exists
    hotkeys_.reset();
    DestroyOwnWindow();
}

void MainForm::Shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    RunGuarded([this] { SaveSettings(settingsFiles_); });
    commands_.Stop(CommandRunner::StopWaitMs);
}

MenuHandle CreateProgramMenu() {
    MenuHandle menu(CreatePopupMenu());
    HMENU m = menu.get();
    auto item = [m](UINT id, const wchar_t* caption) { AppendMenuW(m, MF_STRING, id, caption); };
    auto sep = [m] { AppendMenuW(m, MF_SEPARATOR, 0, nullptr); };
    item(idOption, UiText(TextId::MenuOptions));
    sep();
    item(idWinAllRestore, UiText(TextId::MenuRestoreAll));
    item(idWinAllMin, UiText(TextId::MenuMinimizeAll));
    sep();
    item(idOpenScreenSaver, UiText(TextId::MenuScreenSaver));
    sep();
    item(idHelp, UiText(TextId::MenuHelp));
    item(idAbout, UiText(TextId::MenuAbout));
    sep();
    item(idExit, UiText(TextId::MenuExit));
    item(idCancel, UiText(TextId::MenuCancel));
    return menu;
}

void PreparePopupMenu(HMENU m, bool fromTray) {
    SetMenuDefaultItem(m, fromTray ? idOption : static_cast<UINT>(-1), FALSE);
    bool hasCancel = GetMenuState(m, idCancel, MF_BYCOMMAND) != static_cast<UINT>(-1);
    if (fromTray && hasCancel)
        DeleteMenu(m, idCancel, MF_BYCOMMAND);
    else if (!fromTray && !hasCancel)
        AppendMenuW(m, MF_STRING, idCancel, UiText(TextId::MenuCancel));
}

void MainForm::Close() {
    PostQuitMessage(0);
}

// --- hotkeys ----------------------------------------------------------------

bool MainForm::TryRegisterHotkey(const std::string& text, int index) {
    if (!hotkeys_)
        return true;
    bool known = index >= HotkeyCommandFirst && index <= HotkeyCommandLast;
    if (known)
        refused_[static_cast<size_t>(index)] = false;
    if (text.empty()) {
        hotkeys_->UnregisterKey(index);
        return true;
    }
    // Holding a key repeats the command where its row says so (moving and
    // resizing); every other command runs once per press, however long the
    // keys are held.
    const KeyRepeat repeat = HotkeyRepeats(index) ? KeyRepeat::Repeats : KeyRepeat::Once;
    if (hotkeys_->RegisterKey(index, ParseShortCut(text), repeat))
        return true;
    if (known)
        refused_[static_cast<size_t>(index)] = true;
    ReportSystemError(L"RegisterHotKey", AnsiToWide(text));
    return false;
}

void MainForm::ShowRefusedHotkey(const std::string& text) {
    std::wstring message = UiTextWith(TextId::HotkeyRefused, AnsiToWide(text));
    MessageBoxW(Handle(), message.c_str(), L"Quorel", MB_ICONERROR | MB_OK);
}

void MainForm::RegisterHotkeyText(const std::string& text, int index) {
    if (TryRegisterHotkey(text, index))
        return;
    ShowRefusedHotkey(text);
    hotkeys_->UnregisterKey(index);
}

void MainForm::RegisterAllHotkeys() {
    for (const HotkeyEntry& e : HotkeyTable())
        RegisterHotkeyText(Settings.*(e.Field), e.Number);
    if (help_)
        help_->Refresh();
}

void MainForm::RegisterHotkeysAtStart() {
    for (const HotkeyEntry& e : HotkeyTable()) {
        const std::string& text = Settings.*(e.Field);
        if (!TryRegisterHotkey(text, e.Number)) {
            hotkeys_->UnregisterKey(e.Number);
            startRefusals_.push_back(text);
        }
    }
}

void MainForm::FinishStart() {
    // One box per refused number, in number order, as a later registration
    // shows them; the cursor moves once they are closed.
    std::vector<std::string> refusals;
    refusals.swap(startRefusals_);
    for (const std::string& text : refusals)
        ShowRefusedHotkey(text);
    if (Settings.StartMouseMove)
        MoveCursorToCorner();
}

void MainForm::UnregisterAllHotkeys() {
    if (!hotkeys_)
        return;
    for (int i = HotkeyCommandFirst; i <= HotkeyCommandLast; ++i)
        hotkeys_->UnregisterKey(i);
}

void MainForm::OnHotkey(int index) {
    HotkeyAction a = HotkeyActionFor(index);
    // The window a command acts on is decided now, at the press.
    const Target target = a.ActsOnForegroundWindow() ? targets_.Foreground() : Target{};
    if (target.window)
        NoticeBlockedTarget(target);
    Direction d = static_cast<Direction>(a.direction);
    switch (a.kind) {
    case HotkeyAction::ToggleMaximize:
        commands_.Run(ToggleMaximizeCommand(target));
        break;
    case HotkeyAction::Minimize:
        commands_.Run(MinimizeCommand(target));
        break;
    case HotkeyAction::Move:
        commands_.Run(MoveCommand(target, d));
        break;
    case HotkeyAction::SizeBottomRight:
        commands_.Run(SizeBottomRightCommand(target, d));
        break;
    case HotkeyAction::SizeTopLeft:
        commands_.Run(SizeTopLeftCommand(target, d));
        break;
    case HotkeyAction::MouseMove:
        MoveCursorToCorner();
        break;
    case HotkeyAction::PopupMenu:
        ShowMenuAtCursor();
        break;
    case HotkeyAction::Close:
        commands_.Run(CloseCommand(target));
        break;
    case HotkeyAction::AllRestore:
        RestoreAll();
        break;
    case HotkeyAction::AllMin:
        MinimizeAll();
        break;
    case HotkeyAction::ScreenSaver:
        StartScreenSaver();
        break;
    case HotkeyAction::TopMost:
        commands_.Run(TopmostCommand(target));
        break;
    case HotkeyAction::Center:
        commands_.Run(CenterCommand(target));
        break;
    case HotkeyAction::None:
        break;
    }
}

void MainForm::NoticeBlockedTarget(const Target& target) {
    const bool iconShown = tray_ && tray_->InTray();
    if (blocked_.CanTell(iconShown) && blocked_.ShouldTell(target.identity, iconShown))
        tray_->ShowBalloon(L"Quorel", UiText(TextId::BlockedTargetNotice));
}

void MainForm::RestoreAll() {
    commands_.RunInTurn(RestoreAllCommands());
}

void MainForm::MinimizeAll() {
    commands_.RunInTurn(MinimizeAllCommands());
}

void MainForm::StartScreenSaver() {
    commands_.Run(ScreenSaverCommand());
}

// --- tray icon and menu -------------------------------------------------------

bool MainForm::IsDialogOpen() const {
    if (about_ || (options_ && !options_->Closed()))
        return true;
    return Handle() && !IsWindowEnabled(Handle());
}

void MainForm::UpdateTrayIcon() {
    if (!tray_)
        return;
    if (Settings.NoTrayIcon) {
        tray_->SetRegistered(false);
        return;
    }
    // The tray picture at the small-icon size of the display's DPI; the
    // component loads it again when that DPI changes.
    tray_->SetIconResource(GetModuleHandleW(nullptr), IDI_TRAY);
    tray_->SetRegistered(true);
}

void MainForm::ShowLanguage() {
    const UiLanguage language = CurrentUiLanguage();
    if (shownLanguage_ && *shownLanguage_ == language)
        return;
    const bool first = !shownLanguage_;
    shownLanguage_ = language;
    if (!first)
        menu_ = CreateProgramMenu();
    // Only the tip of a copy run as administrator has words to translate.
    if (tray_ && IsElevatedLevel(OwnIntegrityLevel()))
        tray_->SetTipText(UiText(TextId::TrayTipAdministrator));
}

void MainForm::ShowMenuAtCursor() {
    POINT pt{};
    GetCursorPos(&pt);
    if (IsDialogOpen()) {
        app_.BringToFront();
        return;
    }
    OpenMenuAt(pt.x, pt.y, false);
}

void MainForm::OpenMenuAt(int x, int y, bool fromTray) {
    HMENU m = menu_.get();
    PreparePopupMenu(m, fromTray);

    SetForegroundWindow(Handle());
    if (!ProcessPendingMessages())
        return;
    TrackPopupMenu(m, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, Handle(), nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void MainForm::OnTrayMouseDown(TMouseButton button, int x, int y) {
    if (IsDialogOpen()) {
        app_.BringToFront();
        return;
    }
    if (button == mbRight)
        OpenMenuAt(x, y, true);
}

void MainForm::OnTrayDoubleClick(TMouseButton button) {
    if (IsDialogOpen()) {
        app_.BringToFront();
        return;
    }
    if (button == mbLeft) {
        SetForegroundWindow(Handle());
        OpenOptions();
    }
}

void MainForm::OnSecondInstance() {
    // Starting the program again reaches it when the icon is hidden: an
    // open dialog comes to the front, as on a click on the icon (neither
    // dialog has a taskbar button to find it by).
    if (IsDialogOpen()) {
        app_.BringToFront();
        return;
    }
    if (Settings.NoTrayIcon)
        ShowMenuAtCursor();
}

void MainForm::OnBalloonClick() {
    if (IsDialogOpen()) {
        app_.BringToFront();
        return;
    }
    // Started, the new copy waits for this one to end; this one writes its
    // settings on the way out. Declined, nothing changes.
    restart_.Request(Handle());
}

// --- menu commands -------------------------------------------------------------

void MainForm::OpenOptions() {
    // A dialog that has closed but whose window is still going is freed
    // first.
    options_.reset();
    options_ = std::make_unique<OptionsDialog>(app_.Handle());
    OptionsDialog* dialog = options_.get();
    dialog->UnregisterHotKeys = [this] { UnregisterAllHotkeys(); };
    dialog->RegisterHotKeys = [this] { RegisterAllHotkeys(); };
    dialog->UpdateTray = [this] {
        ShowLanguage();
        UpdateTrayIcon();
    };
    dialog->StartsWithWindows = StartsWithWindows;
    dialog->SetStartsWithWindows = SetStartsWithWindows;
    dialog->HelpRequest = [this, dialog](unsigned command, unsigned long data) {
        help_->Request(command, data, dialog->Handle());
    };
    dialog->OnModeless = [this](HWND h) { app_.AddModelessDialog(h); };
    dialog->OnClosed = [this](HWND h) { app_.RemoveModelessDialog(h); };
    dialog->OnReleased = [this] { PostMessageW(Handle(), kReleaseDialogMessage, 0, 0); };
    dialog->Show();
}

void MainForm::OpenAbout() {
    AboutBox box(app_.Handle());
    about_ = &box;
    box.SetProgramName(L"Quorel");
    box.SetVersionText(L"Version " QUOREL_VERSION_TEXT);
    box.ShowModal();
    about_ = nullptr;
}

void MainForm::OpenHelp() {
    help_->Request(HELP_FINDER, 0);
}

void MainForm::CloseHelp() {
    if (help_)
        help_->Request(HELP_QUIT, 0);
}

std::wstring MainForm::HelpText(HelpTopic topic) const {
    HelpFacts facts{settingsFiles_.Write, refused_, StartsWithWindows()};
    return HelpTopicText(topic, Settings, facts);
}

void MainForm::Exit() {
    Close();
}

void MainForm::ReleaseClosedDialog() {
    if (options_ && !options_->Handle())
        options_.reset();
}

void MainForm::OnMenuCommand(UINT id) {
    switch (id) {
    case idOption:
        OpenOptions();
        break;
    case idWinAllRestore:
        RestoreAll();
        break;
    case idWinAllMin:
        MinimizeAll();
        break;
    case idOpenScreenSaver:
        StartScreenSaver();
        break;
    case idHelp:
        OpenHelp();
        break;
    case idAbout:
        OpenAbout();
        break;
    case idExit:
        Exit();
        break;
    default:
        break;
    }
}

LRESULT MainForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case names::kSecondInstanceMessage:
        RunGuarded([this] { OnSecondInstance(); });
        return 0;
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0) {
            RunGuarded([this, id = LOWORD(wp)] { OnMenuCommand(id); });
            return 0;
        }
        break;
    case WM_CLOSE:
        Close();
        return 0;
    case kReleaseDialogMessage:
        ReleaseClosedDialog();
        return 0;
    case kFinishStartMessage:
        RunGuarded([this] { FinishStart(); });
        return 0;
    default:
        break;
    }
    return Default(msg, wp, lp);
}

// --- the program ----------------------------------------------------------------

void NotifyRunningInstance() {
    HWND w = FindWindowW(names::kMainFormClass, nullptr);
    if (!w)
        return;
    // The user started this copy, so it may pass the foreground on; without
    // that the running copy's menu opens without the focus.
    DWORD process = 0;
    if (GetWindowThreadProcessId(w, &process) && process)
        AllowSetForegroundWindow(process);
    PostMessageW(w, names::kSecondInstanceMessage, 0, 0);
}

InstanceMutexCalls SystemInstanceMutexCalls() {
    return {[](DWORD access, const wchar_t* name) { return OpenMutexW(access, FALSE, name); },
            [](const wchar_t* name) { return CreateMutexW(nullptr, FALSE, name); }};
}

bool ClaimSingleInstance(const InstanceMutexCalls& calls, handles::UniqueHandle& mutex) {
    mutex.reset();
    // Waiting rights are all a copy needs, and all that a copy started
    // without administrator rights gets on the mutex of one started with
    // them; beyond that the system answers "access denied".
    handles::UniqueHandle running{calls.Open(SYNCHRONIZE, names::kMutexName)};
    if (running || GetLastError() == ERROR_ACCESS_DENIED)
        return false;
    HANDLE made = calls.Create(names::kMutexName);
    const DWORD error = GetLastError();
    mutex.reset(made);
    // Two copies started at the same moment: the later one finds the mutex
    // already made, or is denied it when the other has higher rights, and
    // leaves the program to the first.
    if (error == ERROR_ALREADY_EXISTS || (!made && error == ERROR_ACCESS_DENIED)) {
        mutex.reset();
        return false;
    }
    if (!made)
        ReportSystemError(L"CreateMutexW", names::kMutexName, error);
    return true;
}

int QuorelMain() {
    // A copy started to take over from another lets that one end first.
    if (auto previous = TakeoverProcessId(GetCommandLineW()))
        WaitForProcessEnd(*previous, TakeoverWaitMs);
    handles::UniqueHandle mutex;
    if (!ClaimSingleInstance(SystemInstanceMutexCalls(), mutex)) {
        NotifyRunningInstance();
        return 0;
    }

    Application app(L"Quorel");
    app.HideFromTaskbar();
    std::unique_ptr<MainForm> form;
    app.OnClose = [&form] {
        if (form)
            form->Close();
    };
    app.OnEndSession = [&form] {
        // Logging off: end at once, with the settings written.
        form.reset();
        ExitProcess(0);
    };
    form = std::make_unique<MainForm>(app);
    int code = app.Run();

    // The settings are written before anything that could wait, and
    // before the mutex is released, so a copy started now reads what this
    // one wrote.
    form->Shutdown();
    form->CloseHelp();
    form.reset();
    if (mutex)
        ReleaseMutex(mutex.get());
    return code;
}

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
#include "ui/key_checks.h"
#include "ui/options_dialog.h"
#include "winops/window_commands.h"

namespace {
// Posted to the form when the options dialog's window has gone.
constexpr UINT kReleaseDialogMessage = WM_APP + 1;
// Posted to the form at start, for what waits until the message loop runs.
constexpr UINT kFinishStartMessage = WM_APP + 2;
// While a restart as administrator is pending: whether the new copy has
// ended without taking over.
constexpr UINT_PTR kRestartTimer = 1;
constexpr UINT kRestartCheckMs = 250;
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
    if (!handedOver_)
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
    if (known)
        held_[static_cast<size_t>(index)] = 0;
    // A text that names no key is never registered (the start reports it,
    // the help shows it).
    const TShortCut value = ParseShortCut(text);
    if (value == 0) {
        hotkeys_->UnregisterKey(index);
        return true;
    }
    // Holding a key repeats the command where its row says so (moving and
    // resizing); every other command runs once per press, however long the
    // keys are held.
    const KeyRepeat repeat = HotkeyRepeats(index) ? KeyRepeat::Repeats : KeyRepeat::Once;
    if (hotkeys_->RegisterKey(index, value, repeat)) {
        if (known)
            held_[static_cast<size_t>(index)] = value;
        return true;
    }
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
        if (IsUnreadableKeyText(text))
            startUnreadable_.push_back({e.Number, text});
        if (!TryRegisterHotkey(text, e.Number)) {
            hotkeys_->UnregisterKey(e.Number);
            startRefusals_.push_back(text);
        }
    }
}

void MainForm::FinishStart() {
    // One box per refused number, in number order, as a later registration
    // shows them; the cursor moves once they are closed.
    // First the one box about the texts that name no key.
    std::vector<UnreadableKey> unreadable;
    unreadable.swap(startUnreadable_);
    if (!unreadable.empty())
        MessageBoxW(Handle(), UnreadableKeysMessage(unreadable).c_str(), L"Quorel",
                    MB_ICONWARNING | MB_OK);
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
    for (int i = HotkeyCommandFirst; i <= HotkeyCommandLast; ++i) {
        hotkeys_->UnregisterKey(i);
        held_[static_cast<size_t>(i)] = 0;
    }
}

bool MainForm::KeyHeldElsewhere(TShortCut value) {
    if (!hotkeys_ || value == 0)
        return false;
    // A key the program holds itself is not another program's.
    for (TShortCut held : held_)
        if (held == value)
            return false;
    return !hotkeys_->CanRegister(value);
}

namespace {
// What a kind of hotkey command does: a window command chosen for the
// foreground window at the press, or an action of the program's own (on
// the desktop, the cursor or its menu). Which of the two an entry holds is
// the one fact that says whether the kind acts on the foreground window.
using ForWindow = std::optional<WindowCommand> (*)(const Target& target, Direction d);
using OfProgram = void (*)(MainForm& form);
struct CommandEntry {
    HotkeyAction::Kind kind;
    ForWindow forWindow;
    OfProgram ofProgram;
};
constexpr CommandEntry NoCommand() {
    return {HotkeyAction::None, nullptr, nullptr};
}
constexpr CommandEntry OnWindow(HotkeyAction::Kind kind, ForWindow f) {
    return {kind, f, nullptr};
}
constexpr CommandEntry OnProgram(HotkeyAction::Kind kind, OfProgram f) {
    return {kind, nullptr, f};
}
// A window command that has no direction.
template <std::optional<WindowCommand> (*Choose)(const Target&)>
std::optional<WindowCommand> Undirected(const Target& target, Direction) {
    return Choose(target);
}
} // namespace

// Each kind of hotkey command and what it does, in one table, one entry per
// kind in kind order (a friend of the form, for the program's own actions).
struct HotkeyDispatch {
    static constexpr std::array kEntries{
        NoCommand(),
        OnWindow(HotkeyAction::ToggleMaximize, Undirected<ToggleMaximizeCommand>),
        OnWindow(HotkeyAction::Minimize, Undirected<MinimizeCommand>),
        OnWindow(HotkeyAction::Move, MoveCommand),
        OnWindow(HotkeyAction::SizeBottomRight, SizeBottomRightCommand),
        OnWindow(HotkeyAction::SizeTopLeft, SizeTopLeftCommand),
        OnProgram(HotkeyAction::MouseMove, [](MainForm&) { MoveCursorToCorner(); }),
        OnProgram(HotkeyAction::PopupMenu, [](MainForm& f) { f.ShowMenuAtCursor(); }),
        OnWindow(HotkeyAction::Close, Undirected<CloseCommand>),
        OnProgram(HotkeyAction::AllRestore, [](MainForm& f) { f.RestoreAll(); }),
        OnProgram(HotkeyAction::AllMin, [](MainForm& f) { f.MinimizeAll(); }),
        OnProgram(HotkeyAction::ScreenSaver, [](MainForm& f) { f.StartScreenSaver(); }),
        OnWindow(HotkeyAction::TopMost, Undirected<TopmostCommand>),
        OnWindow(HotkeyAction::Center, Undirected<CenterCommand>),
        OnWindow(HotkeyAction::NextMonitor,
                 [](const Target& t, Direction) { return NeighbourMonitorCommand(t, 1); }),
        OnWindow(HotkeyAction::PrevMonitor,
                 [](const Target& t, Direction) { return NeighbourMonitorCommand(t, -1); }),
    };

    // Every kind has its entry, at its own place, and every kind but None
    // does exactly one of the two.
    static constexpr bool EveryKindOnce() {
        if (kEntries.size() != HotkeyAction::KindCount)
            return false;
        for (std::size_t i = 0; i < kEntries.size(); ++i) {
            const CommandEntry& e = kEntries[i];
            const int does = (e.forWindow ? 1 : 0) + (e.ofProgram ? 1 : 0);
            if (e.kind != static_cast<int>(i) || does != (e.kind == HotkeyAction::None ? 0 : 1))
                return false;
        }
        return true;
    }

    static const CommandEntry& Of(HotkeyAction::Kind kind) {
        const auto i = static_cast<std::size_t>(kind);
        return i < kEntries.size() ? kEntries[i] : kEntries[HotkeyAction::None];
    }
};
static_assert(HotkeyDispatch::EveryKindOnce(),
              "each kind of hotkey command needs one entry, in kind order, that does one thing");

bool ActsOnForegroundWindow(HotkeyAction::Kind kind) {
    return HotkeyDispatch::Of(kind).forWindow != nullptr;
}

void MainForm::OnHotkey(int index) {
    const HotkeyAction a = HotkeyActionFor(index);
    const CommandEntry& does = HotkeyDispatch::Of(a.kind);
    if (does.ofProgram) {
        does.ofProgram(*this);
        return;
    }
    if (!does.forWindow)
        return;
    // The window a command acts on is decided now, at the press.
    const Target target = targets_.Foreground();
    if (target.window)
        NoticeBlockedTarget(target);
    commands_.Run(does.forWindow(target, static_cast<Direction>(a.direction)));
}

void MainForm::NoticeBlockedTarget(const Target& target) {
    const bool iconShown = tray_ && tray_->InTray();
    // Told only once the shell has taken the balloon: one it refused comes
    // again at the next press.
    if (blocked_.CanTell(iconShown) && blocked_.ShouldTell(target.identity, iconShown) &&
        tray_->ShowBalloon(L"Quorel", UiText(TextId::BlockedTargetNotice)))
        blocked_.MarkTold();
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
    if (restart_.Pending())
        return;
    // The system's question comes to the front only for an owner in the
    // foreground, which the form takes as it does for its menu.
    SetForegroundWindow(Handle());
    if (!ProcessPendingMessages())
        return;
    // Started, the new copy asks this one to let go of the program and says
    // when it has taken over; this one ends only then. Declined, nothing
    // changes.
    DWORD error = 0;
    switch (restart_.Request(Handle(), error)) {
    case LaunchResult::Started:
        SetTimer(Handle(), kRestartTimer, kRestartCheckMs, nullptr);
        break;
    case LaunchResult::Failed:
        MessageBoxW(Handle(), RestartFailedText(error).c_str(), L"Quorel", MB_ICONERROR | MB_OK);
        break;
    case LaunchResult::Declined:
        break;
    }
}

void MainForm::ReleaseProgram() {
    // The new copy reads the settings once it holds the mutex.
    RunGuarded([this] { SaveSettings(settingsFiles_); });
    handedOver_ = true;
    UnregisterAllHotkeys();
    if (instanceMutex_)
        ReleaseMutex(instanceMutex_);
}

void MainForm::NotTakenOver(bool released) {
    if (released) {
        // The new copy has ended: the mutex is free, or left by it.
        if (instanceMutex_)
            WaitForSingleObject(instanceMutex_, 0);
        handedOver_ = false;
        RegisterAllHotkeys();
    }
    MessageBoxW(Handle(), NotTakenOverText(), L"Quorel", MB_ICONWARNING | MB_OK | MB_SETFOREGROUND);
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
    dialog->KeyHeldElsewhere = [this](TShortCut value) { return KeyHeldElsewhere(value); };
    dialog->SaveSettings = [this] { SaveSettings(settingsFiles_); };
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
    case names::kHandOverMessage:
        if (restart_.HandOverAsked())
            ReleaseProgram();
        return 0;
    case names::kTakenOverMessage:
        if (restart_.TakenOver())
            Exit();
        return 0;
    case WM_TIMER:
        if (wp != kRestartTimer)
            break;
        if (const auto state = restart_.CheckStarted();
            state != ElevatedRestart::NewCopy::OnItsWay) {
            KillTimer(Handle(), kRestartTimer);
            const bool released = state == ElevatedRestart::NewCopy::EndedAfterRelease;
            RunGuarded([this, released] { NotTakenOver(released); });
        }
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
            [](const wchar_t* name) { return CreateMutexW(nullptr, TRUE, name); }};
}

HWND MainFormOf(DWORD processId) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, names::kMainFormClass, nullptr));) {
        DWORD process = 0;
        if (GetWindowThreadProcessId(w, &process) && process == processId)
            return w;
    }
    return nullptr;
}

Takeover TakeOverInstance(HWND previous, const InstanceMutexCalls& calls,
                          handles::UniqueHandle& mutex, DWORD waitMs) {
    mutex.reset(calls.Open(SYNCHRONIZE | MUTEX_MODIFY_STATE, names::kMutexName));
    if (!mutex)
        return GetLastError() == ERROR_ACCESS_DENIED ? Takeover::Refused : Takeover::NotRunning;
    if (previous)
        PostMessageW(previous, names::kHandOverMessage, GetCurrentProcessId(), 0);
    switch (WaitForSingleObject(mutex.get(), waitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: // the old copy ended without letting go
        return Takeover::Taken;
    default:
        mutex.reset();
        return Takeover::TimedOut;
    }
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
    const InstanceMutexCalls calls = SystemInstanceMutexCalls();
    handles::UniqueHandle mutex;
    bool claimed = false;
    // A copy started to take over: the old copy stays unless this one gets
    // the program from it.
    HWND previous = nullptr;
    if (auto previousId = TakeoverProcessId(GetCommandLineW())) {
        previous = MainFormOf(*previousId);
        switch (TakeOverInstance(previous, calls, mutex, TakeoverWaitMs)) {
        case Takeover::Taken:
            claimed = true;
            break;
        case Takeover::NotRunning:
            claimed = ClaimSingleInstance(calls, mutex);
            break;
        case Takeover::Refused:
        case Takeover::TimedOut:
            return 0;
        }
    } else {
        claimed = ClaimSingleInstance(calls, mutex);
    }
    if (!claimed) {
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
    form->SetInstanceMutex(mutex.get());
    // The hotkeys are this copy's now: the old copy may end.
    if (previous)
        PostMessageW(previous, names::kTakenOverMessage, GetCurrentProcessId(), 0);
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

#include "app/unit1.h"

#include "app/application.h"
#include "app/errorreport.h"
#include "app/func.h"
#include "res/resource.h"
#include "settings/ini.h"
#include "ui/unit2.h"
#include "ui/unit3.h"
#include "winops/winkey.h"

TQuorelMainForm* QuorelMainForm = nullptr;

HotkeyAction HotkeyActionFor(int index) {
    using K = HotkeyAction::Kind;
    switch (index) {
    case hkMaxRestore:
        return {K::ToggleMaximize, 0};
    case hkMinimize:
        return {K::Minimize, 0};
    case hkMoveUp:
    case hkMoveDown:
    case hkMoveLeft:
    case hkMoveRight:
        return {K::Move, index - hkMoveUp};
    case hkRBSizeUp:
    case hkRBSizeDown:
    case hkRBSizeLeft:
    case hkRBSizeRight:
        return {K::SizeBottomRight, index - hkRBSizeUp};
    case hkTLSizeUp:
    case hkTLSizeDown:
    case hkTLSizeLeft:
    case hkTLSizeRight:
        return {K::SizeTopLeft, index - hkTLSizeUp};
    case hkMouseMove:
        return {K::MouseMove, 0};
    case hkPopupMenu:
        return {K::PopupMenu, 0};
    case hkClose:
        return {K::Close, 0};
    case hkAllRestore:
        return {K::AllRestore, 0};
    case hkAllMin:
        return {K::AllMin, 0};
    case hkScreenSaver:
        return {K::ScreenSaver, 0};
    default:
        return {K::None, 0};
    }
}

TQuorelMainForm::TQuorelMainForm(HWND appWindow) {
    QuorelMainForm = this;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TQuorelMainForm::WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = kMainFormClass;
    wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_QUOREL));
    RegisterClassExW(&wc);
    // No border and no caption; never shown.
    handle_ = CreateWindowExW(0, kMainFormClass, L"Quorel", WS_POPUP, 0, 0, 0, 0, appWindow,
                              nullptr, inst, this);

    // The components, in the order the form creates them.
    HookHotKey1 = std::make_unique<THookHotKey>([this] { return handle_; });
    HookHotKey1->Activate = false;
    HookHotKey1->OnHotKey = [this](THookHotKey&, int index) { HookHotKey1HotKey(index); };

    TaskTray1 = std::make_unique<TTaskTray>(handle_);
    TaskTray1->SetTipString("Quorel");
    TaskTray1->SetIconID(1);
    TaskTray1->OnDblClick = [this](TTaskTray&, TMouseButton b) { TaskTray1DblClick(b); };
    TaskTray1->OnMouseDown = [this](TTaskTray&, TMouseButton b, TShiftState, int x, int y) {
        TaskTray1MouseDown(b, x, y);
    };

    PopupMenu1 = CreatePopupMenu1();

    int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    ImageList1.reset(ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 1, 0));
    if (HICON icon = static_cast<HICON>(
            LoadImageW(inst, MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR))) {
        ImageList_AddIcon(ImageList1.get(), icon);
        DestroyIcon(icon);
    }

    FormCreate();
}

TQuorelMainForm::~TQuorelMainForm() {
    FormDestroy();
    PopupMenu1.reset();
    TaskTray1.reset(); // removes the icon while its window still exists
    HookHotKey1.reset();
    ImageList1.reset();
    if (handle_)
        DestroyWindow(handle_);
    if (QuorelMainForm == this)
        QuorelMainForm = nullptr;
}

MenuHandle CreatePopupMenu1() {
    MenuHandle menu(CreatePopupMenu());
    HMENU m = menu.get();
    auto item = [m](UINT id, const wchar_t* caption) { AppendMenuW(m, MF_STRING, id, caption); };
    auto sep = [m] { AppendMenuW(m, MF_SEPARATOR, 0, nullptr); };
    item(idOption, L"オプション(&O)...");
    sep();
    item(idWinAllRestore, L"すべて元のサイズに戻す(&R)");
    item(idWinAllMin, L"すべて最小化(&N)");
    sep();
    item(idOpenScreenSaver, L"スクリーンセーバー(&S)");
    sep();
    item(idHelp, L"ヘルプ(&H)...");
    item(idAbout, L"バージョン情報(&A)...");
    sep();
    item(idExit, L"Quorel の終了(&X)");
    item(idCancel, L"キャンセル(&C)");
    return menu;
}

void PreparePopupMenu(HMENU m, bool fromTray) {
    SetMenuDefaultItem(m, fromTray ? idOption : static_cast<UINT>(-1), FALSE);
    bool hasCancel = GetMenuState(m, idCancel, MF_BYCOMMAND) != static_cast<UINT>(-1);
    if (fromTray && hasCancel)
        DeleteMenu(m, idCancel, MF_BYCOMMAND);
    else if (!fromTray && !hasCancel)
        AppendMenuW(m, MF_STRING, idCancel, L"キャンセル(&C)");
}

void TQuorelMainForm::FormCreate() {
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    HelpFile = ChangeFileExt(ExecutablePath(), L".hlp");
    LoadSettings();
    // A tray icon that cannot be set up is reported; the program still
    // registers its hotkeys, so it stays usable.
    RunGuarded([] { UpdateTrayIcon(); });
    RunGuarded([] {
        RegisterAllHotKeys();
        if (Settings.StartMouseMove)
            MoveCursorToCorner();
    });
}

void TQuorelMainForm::FormDestroy() {
    RunGuarded([] { SaveSettings(); });
}

void TQuorelMainForm::Close() {
    PostQuitMessage(0);
}

void TQuorelMainForm::HookHotKey1HotKey(int index) {
    HotkeyAction a = HotkeyActionFor(index);
    Direction d = static_cast<Direction>(a.direction);
    switch (a.kind) {
    case HotkeyAction::ToggleMaximize:
        ToggleMaximize();
        break;
    case HotkeyAction::Minimize:
        MinimizeForeground();
        break;
    case HotkeyAction::Move:
        MoveForeground(d);
        break;
    case HotkeyAction::SizeBottomRight:
        SizeBottomRight(d);
        break;
    case HotkeyAction::SizeTopLeft:
        SizeTopLeft(d);
        break;
    case HotkeyAction::MouseMove:
        MoveCursorToCorner();
        break;
    case HotkeyAction::PopupMenu:
        ShowMenuAtCursor();
        break;
    case HotkeyAction::Close:
        CloseForeground();
        break;
    case HotkeyAction::AllRestore:
        RestoreAllWindows();
        break;
    case HotkeyAction::AllMin:
        MinimizeAllWindows();
        break;
    case HotkeyAction::ScreenSaver:
        StartScreenSaver();
        break;
    case HotkeyAction::None:
        break;
    }
}

void TQuorelMainForm::OpenMenuAt(int x, int y, bool fromTray) {
    HMENU m = PopupMenu1.get();
    PreparePopupMenu(m, fromTray);

    SetForegroundWindow(handle_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    TrackPopupMenu(m, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, handle_, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageW(handle_, WM_NULL, 0, 0);
}

void TQuorelMainForm::TaskTray1MouseDown(TMouseButton button, int x, int y) {
    if (IsDialogOpen()) {
        Application->BringToFront();
        return;
    }
    if (button == mbRight)
        OpenMenuAt(x, y, true);
}

void TQuorelMainForm::TaskTray1DblClick(TMouseButton button) {
    if (IsDialogOpen()) {
        Application->BringToFront();
        return;
    }
    if (button == mbLeft) {
        SetForegroundWindow(handle_);
        pm_OptionClick();
    }
}

void TQuorelMainForm::OnSecondInstance() {
    if (!IsDialogOpen() && Settings.NoTrayIcon)
        ShowMenuAtCursor();
}

void TQuorelMainForm::pm_OptionClick() {
    OptionDlg = new TOptionDlg(Application->Handle());
    OptionDlg->Show();
}

void TQuorelMainForm::pm_AboutClick() {
    auto box = std::make_unique<TAboutBox>(Application->Handle());
    AboutBox = box.get();
    box->SetLabel1Caption(L"Quorel");
    box->SetLabel3Caption(L"Version 1.06");
    box->ShowModal();
    AboutBox = nullptr;
}

void TQuorelMainForm::pm_ExitClick() {
    Close();
}

void TQuorelMainForm::Help1Click() {
    ApplicationHelpRequest(HELP_FINDER, 0);
}

LRESULT CALLBACK TQuorelMainForm::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        reinterpret_cast<TQuorelMainForm*>(cs->lpCreateParams)->handle_ = hwnd;
    }
    auto* self = reinterpret_cast<TQuorelMainForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->HandleMessage(msg, wp, lp);
}

LRESULT TQuorelMainForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SECONDINSTANCE:
        RunGuarded([this] { OnSecondInstance(); });
        return 0;
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0) {
            RunGuarded([this, id = LOWORD(wp)] {
                switch (id) {
                case idOption:
                    pm_OptionClick();
                    break;
                case idWinAllRestore:
                    RestoreAllWindows();
                    break;
                case idWinAllMin:
                    MinimizeAllWindows();
                    break;
                case idOpenScreenSaver:
                    StartScreenSaver();
                    break;
                case idHelp:
                    Help1Click();
                    break;
                case idAbout:
                    pm_AboutClick();
                    break;
                case idExit:
                    pm_ExitClick();
                    break;
                default:
                    break;
                }
            });
            return 0;
        }
        break;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(handle_, msg, wp, lp);
}

void NotifyRunningInstance() {
    if (HWND w = FindWindowA("TQuorelMainForm", nullptr))
        PostMessageA(w, WM_SECONDINSTANCE, 0, 0);
}

int QuorelMain() {
    if (HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
        NotifyRunningInstance();
        CloseHandle(running);
        return 0;
    }
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);
    // Two copies started at the same moment: the later one finds the
    // mutex already made and leaves the program to the first.
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        NotifyRunningInstance();
        CloseHandle(mutex);
        return 0;
    }

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    TApplication app(L"Quorel");
    app.HideFromTaskbar();
    std::unique_ptr<TQuorelMainForm> form;
    app.OnClose = [] {
        if (QuorelMainForm)
            QuorelMainForm->Close();
    };
    app.OnEndSession = [&form] {
        // Logging off: end at once, with the settings written.
        form.reset();
        ExitProcess(0);
    };
    form = std::make_unique<TQuorelMainForm>(app.Handle());
    int code = app.Run();

    // Closes a help window the program opened.
    ApplicationHelpRequest(HELP_QUIT, 0);
    // The settings are written before the mutex is released, so a copy
    // started now reads what this one wrote.
    form.reset();
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    return code;
}

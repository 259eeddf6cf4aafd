#include "ui/unit2.h"

#include "app/errorreport.h"
#include "res/resource.h"
#include "ui/dpi.h"

TAboutBox* AboutBox = nullptr;

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kClientWidth = 313;
constexpr int kClientHeight = 113;
constexpr UINT kShownMessage = WM_APP + 1; // posted once the box is visible

} // namespace

TAboutBox::TAboutBox(HWND owner) : owner_(owner) {}

TAboutBox::~TAboutBox() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

void TAboutBox::SetLabel1Caption(std::wstring text) {
    label1Caption_ = std::move(text);
    if (hwnd_) {
        SetDlgItemTextW(hwnd_, idAboutLabel1, label1Caption_.c_str());
        PlaceLabel(idAboutLabel1, 64, 8, label1Font_.get());
    }
}

void TAboutBox::SetLabel3Caption(std::wstring text) {
    label3Caption_ = std::move(text);
    if (hwnd_) {
        SetDlgItemTextW(hwnd_, idAboutLabel3, label3Caption_.c_str());
        PlaceLabel(idAboutLabel3, 64, 30, font_.get());
    }
}

int TAboutBox::ShowModal() {
    ui::RegisterDialogClass(kAboutBoxClassName);
    auto tmpl = ui::EmptyDialogTemplate(kStyle, kExStyle, kAboutBoxClassName, L"バージョン情報");
    INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEW>(tmpl.data()), owner_,
                                        &TAboutBox::DlgProc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    shown_ = false;
    return static_cast<int>(r);
}

void TAboutBox::Button1Click() {
    // Closing the form: the modal showing ends with the cancel result.
    if (hwnd_)
        EndDialog(hwnd_, IDCANCEL);
}

void TAboutBox::CreateControls() {
    // Creation order is the tab order: the button comes first.
    ui::CreateChild(hwnd_, L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                    idAboutButton1);
    ui::CreateChild(hwnd_, L"STATIC", label1Caption_.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                    idAboutLabel1);
    ui::CreateChild(hwnd_, L"STATIC", nullptr, WS_VISIBLE | SS_ICON | SS_CENTERIMAGE, 0,
                    idAboutImage1);
    ui::CreateChild(hwnd_, L"STATIC", kAboutNotice, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                    idAboutLabel2);
    urlLabel1_ = std::make_unique<TURLLabel>(hwnd_, idAboutURLLabel1, 0, 0);
    urlLabel2_ = std::make_unique<TURLLabel>(hwnd_, idAboutURLLabel2, 0, 0);
    for (TURLLabel* link : {urlLabel1_.get(), urlLabel2_.get()}) {
        link->SetExecutable(true);
        link->SetHotColor(clBlue);
        if (ShellOpen)
            link->ShellOpen = ShellOpen;
    }
    urlLabel1_->SetCaption(kAboutWebAddress);
    urlLabel2_->SetCaption(kAboutMailAddress);
    ui::CreateChild(hwnd_, L"STATIC", label3Caption_.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                    idAboutLabel3);
    ui::CreateChild(hwnd_, L"STATIC", nullptr, WS_VISIBLE | SS_ETCHEDHORZ, 0, idAboutBevel1);
}

void TAboutBox::PlaceLabel(int id, int left96, int top96, HFONT font) {
    HWND h = GetDlgItem(hwnd_, id);
    if (!h)
        return;
    SIZE s = ui::TextExtent(h, font, ui::GetText(h));
    SetWindowPos(h, nullptr, dpi::Scale(left96, dpi_), dpi::Scale(top96, dpi_), s.cx, s.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAboutBox::Layout(UINT dpi) {
    dpi_ = dpi;
    font_ = ui::CreateDialogFont(L"ＭＳ Ｐゴシック", -12, FW_NORMAL, SHIFTJIS_CHARSET, dpi);
    label1Font_ = ui::CreateDialogFont(L"Times New Roman", -16, FW_BOLD, ANSI_CHARSET, dpi);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        HFONT f = GetDlgCtrlID(c) == idAboutLabel1 ? label1Font_.get() : font_.get();
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
    }
    auto place = [&](int id, int l, int t, int w, int h) {
        SetWindowPos(GetDlgItem(hwnd_, id), nullptr, dpi::Scale(l, dpi), dpi::Scale(t, dpi),
                     dpi::Scale(w, dpi), dpi::Scale(h, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(idAboutButton1, 232, 8, 73, 21);
    PlaceLabel(idAboutLabel1, 64, 8, label1Font_.get());
    PlaceLabel(idAboutLabel3, 64, 30, font_.get());
    PlaceLabel(idAboutLabel2, 64, 45, font_.get());
    // Bevel1 is 257 x 9 with a single etched rule along its top edge.
    place(idAboutBevel1, 48, 64, 257, 2);
    if (urlLabel1_)
        urlLabel1_->MoveTo(dpi::Scale(49, dpi), dpi::Scale(72, dpi));
    if (urlLabel2_)
        urlLabel2_->MoveTo(dpi::Scale(49, dpi), dpi::Scale(86, dpi));

    // The program's 32 x 32 icon; a missing icon leaves the image empty.
    int iconSize = dpi::Scale(32, dpi);
    icon_.reset(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUOREL),
                                      IMAGE_ICON, iconSize, iconSize, LR_DEFAULTCOLOR)));
    HWND image = GetDlgItem(hwnd_, idAboutImage1);
    SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    place(idAboutImage1, 8, 8, 33, 33);

    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

INT_PTR CALLBACK TAboutBox::DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        reinterpret_cast<TAboutBox*>(lp)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<TAboutBox*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    INT_PTR r = FALSE;
    RunGuarded([&] { r = self->HandleMessage(msg, wp, lp); });
    return r;
}

INT_PTR TAboutBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        ui::DisableSystemDialogScaling(hwnd_);
        CreateControls();
        // Centred on the primary screen, so laid out for its DPI.
        UINT dpi = dpi::ForMonitor(dpi::PrimaryMonitor());
        Layout(dpi);
        SIZE size = dpi::WindowSizeForClient(dpi::Scale(kClientWidth, dpi),
                                             dpi::Scale(kClientHeight, dpi), kStyle, kExStyle, dpi);
        POINT pos = dpi::ScreenCentre(size);
        SetWindowPos(hwnd_, nullptr, pos.x, pos.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        SetFocus(GetDlgItem(hwnd_, idAboutButton1));
        return FALSE; // the focus is set
    }
    case WM_SHOWWINDOW:
        if (wp && !shown_) {
            shown_ = true;
            PostMessageW(hwnd_, kShownMessage, 0, 0);
        }
        return FALSE;
    case kShownMessage:
        if (OnShow)
            OnShow(*this);
        return TRUE;
    case WM_COMMAND:
        // Enter gives IDOK (the default button), Esc IDCANCEL: both close.
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            Button1Click();
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        Button1Click();
        return TRUE;
    case WM_DPICHANGED: {
        Layout(HIWORD(wp));
        dpi::MoveToSuggestedRect(hwnd_, lp);
        return TRUE;
    }
    case WM_NCDESTROY:
        urlLabel1_.reset();
        urlLabel2_.reset();
        hwnd_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

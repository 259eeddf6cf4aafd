#include "ui/about_box.h"

#include "base/error_report.h"
#include "base/icons.h"
#include "base/names.h"
#include "res/resource.h"
#include "base/dpi.h"
#include "settings/ui_texts.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kClientWidth = 313;
constexpr int kClientHeight = 113;
constexpr UINT kShownMessage = WM_APP + 1; // posted once the box is visible

} // namespace

AboutBox::AboutBox(HWND owner) : owner_(owner) {}

AboutBox::~AboutBox() = default;

void AboutBox::SetProgramName(std::wstring text) {
    programName_ = std::move(text);
    if (hwnd_) {
        SetDlgItemTextW(hwnd_, idAboutProgramName, programName_.c_str());
        PlaceLabel(idAboutProgramName, 64, 8, programNameFont_.get());
    }
}

void AboutBox::SetVersionText(std::wstring text) {
    versionText_ = std::move(text);
    if (hwnd_) {
        SetDlgItemTextW(hwnd_, idAboutVersion, versionText_.c_str());
        PlaceLabel(idAboutVersion, 64, 30, font_.get());
    }
}

int AboutBox::ShowModal() {
    ui::RegisterDialogClass(names::kAboutBoxClass);
    auto tmpl = ui::EmptyDialogTemplate(kStyle, kExStyle, names::kAboutBoxClass,
                                        UiText(TextId::AboutCaption));
    INT_PTR r = RunModal(tmpl, owner_);
    hwnd_ = nullptr;
    shown_ = false;
    return static_cast<int>(r);
}

void AboutBox::OnOk() {
    // Closing the form: the modal showing ends with the cancel result.
    if (hwnd_)
        EndDialog(hwnd_, IDCANCEL);
}

void AboutBox::CreateControls() {
    // Creation order is the tab order: the button comes first.
    ui::CreateChild(hwnd_, L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                    idAboutOk);
    ui::CreateChild(hwnd_, L"STATIC", programName_.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                    idAboutProgramName);
    ui::CreateChild(hwnd_, L"STATIC", nullptr, WS_VISIBLE | SS_ICON | SS_CENTERIMAGE, 0,
                    idAboutIcon);
    ui::CreateChild(hwnd_, L"STATIC", kAboutNotice, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                    idAboutNotice);
    webLink_ = std::make_unique<LinkLabel>(hwnd_, idAboutWebLink, 0, 0);
    mailLink_ = std::make_unique<LinkLabel>(hwnd_, idAboutMailLink, 0, 0);
    for (LinkLabel* link : {webLink_.get(), mailLink_.get()}) {
        link->SetExecutable(true);
        link->SetHotColor(clBlue);
        if (ShellOpen)
            link->ShellOpen = ShellOpen;
    }
    webLink_->SetCaption(kAboutWebAddress);
    mailLink_->SetCaption(kAboutMailAddress);
    ui::CreateChild(hwnd_, L"STATIC", versionText_.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                    idAboutVersion);
    ui::CreateChild(hwnd_, L"STATIC", nullptr, WS_VISIBLE | SS_ETCHEDHORZ, 0, idAboutSeparator);
}

void AboutBox::PlaceLabel(int id, int left96, int top96, HFONT font) {
    HWND h = GetDlgItem(hwnd_, id);
    if (!h)
        return;
    SIZE s = ui::TextExtent(h, font, ui::GetText(h));
    SetWindowPos(h, nullptr, dpi::Scale(left96, dpi_), dpi::Scale(top96, dpi_), s.cx, s.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void AboutBox::Layout(UINT dpi) {
    dpi_ = dpi;
    font_ = ui::CreateTextFont(CurrentUiLanguage(), dpi);
    programNameFont_ = ui::CreateDialogFont(L"Times New Roman", -16, FW_BOLD, ANSI_CHARSET, dpi);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        HFONT f = GetDlgCtrlID(c) == idAboutProgramName ? programNameFont_.get() : font_.get();
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
    }
    auto place = [&](int id, int l, int t, int w, int h) {
        SetWindowPos(GetDlgItem(hwnd_, id), nullptr, dpi::Scale(l, dpi), dpi::Scale(t, dpi),
                     dpi::Scale(w, dpi), dpi::Scale(h, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(idAboutOk, 232, 8, 73, 21);
    PlaceLabel(idAboutProgramName, 64, 8, programNameFont_.get());
    PlaceLabel(idAboutVersion, 64, 30, font_.get());
    PlaceLabel(idAboutNotice, 64, 45, font_.get());
    // The separator is 257 x 9 with a single etched rule along its top edge.
    place(idAboutSeparator, 48, 64, 257, 2);
    if (webLink_)
        webLink_->MoveTo(dpi::Scale(49, dpi), dpi::Scale(72, dpi));
    if (mailLink_)
        mailLink_->MoveTo(dpi::Scale(49, dpi), dpi::Scale(86, dpi));

    // The program's icon at the icon size of the DPI (32 x 32 at 96 DPI); a
    // missing icon leaves the image empty.
    icon_ = icons::Load(GetModuleHandleW(nullptr), IDI_QUOREL, icons::LargeSize(dpi));
    HWND image = GetDlgItem(hwnd_, idAboutIcon);
    SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    place(idAboutIcon, 8, 8, 33, 33);

    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

INT_PTR AboutBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
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
        SetFocus(GetDlgItem(hwnd_, idAboutOk));
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
            OnOk();
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        OnOk();
        return TRUE;
    case WM_DPICHANGED: {
        Layout(HIWORD(wp));
        dpi::MoveToSuggestedRect(hwnd_, lp);
        return TRUE;
    }
    case WM_NCDESTROY:
        webLink_.reset();
        mailLink_.reset();
        hwnd_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

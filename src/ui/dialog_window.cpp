#include "ui/dialog_window.h"

#include "base/common_controls.h"
#include "base/error_report.h"

DialogWindow::~DialogWindow() {
    if (HWND hwnd = hwnd_) {
        // From here on the dying window's messages go to the system alone.
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
}

HWND DialogWindow::CreateModeless(const std::vector<WORD>& dialogTemplate, HWND owner) {
    // The dialogs' controls are Common Controls (version 6, which the
    // manifest selects). Without them no dialog is made; the loading
    // reported why.
    if (!common_controls::Initialize())
        return nullptr;
    HWND hwnd = CreateDialogIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), owner,
        &DialogWindow::Procedure, reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        ReportSystemError(L"CreateDialogIndirectParamW");
    return hwnd;
}

INT_PTR DialogWindow::RunModal(const std::vector<WORD>& dialogTemplate, HWND owner) {
    if (!common_controls::Initialize())
        return -1;
    INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), owner,
        &DialogWindow::Procedure, reinterpret_cast<LPARAM>(this));
    if (result == -1)
        ReportSystemError(L"DialogBoxIndirectParamW");
    return result;
}

void DialogWindow::DestroyDialog() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

DialogWindow* DialogWindow::FromWindow(HWND dialog) {
    return dialog ? reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(dialog, DWLP_USER)) : nullptr;
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* created = reinterpret_cast<DialogWindow*>(lp);
        created->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    }
    auto* self = FromWindow(hwnd);
    if (!self)
        return FALSE;
    INT_PTR result = FALSE;
    RunGuarded([&] { result = self->HandleMessage(msg, wp, lp); });
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        RunGuarded([&] { self->OnWindowGone(); });
    }
    return result;
}

// The base of the program's dialogs: it hands each message of the dialog
// window to the member handler of the object that created it (from
// WM_INITDIALOG on), lets no exception reach the system (one that escapes a
// handler goes to the standard error report), and destroys a window that is
// still there when the object goes.
#pragma once

#include <windows.h>

#include <vector>

class DialogWindow {
  public:
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // The dialog window; nullptr before it is created and once it is gone.
    HWND Handle() const { return hwnd_; }

  protected:
    DialogWindow() = default;
    virtual ~DialogWindow();

    // Both load Common Controls first (common_controls::Initialize).
    // Creates the dialog from an in-memory template, modeless; nullptr when
    // Common Controls cannot be loaded or the system refuses.
    HWND CreateModeless(const std::vector<WORD>& dialogTemplate, HWND owner);
    // Shows the dialog modally; returns EndDialog's result, -1 when it could
    // not be shown.
    INT_PTR RunModal(const std::vector<WORD>& dialogTemplate, HWND owner);

    // Destroys a modeless dialog's window now; its messages, WM_NCDESTROY
    // included, still reach the handler.
    void DestroyDialog();

    // The dialog procedure's work for every message from WM_INITDIALOG on,
    // WM_NCDESTROY included; returns what a dialog procedure returns.
    virtual INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    // Called once the window is gone (Handle() is already nullptr).
    virtual void OnWindowGone() {}

    // The object of a dialog window made through this base, or nullptr.
    static DialogWindow* FromWindow(HWND dialog);

    HWND hwnd_ = nullptr;

  private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

// TAboutBox: the version dialog. It shows the program's icon, its name,
// its version, a notice line and two link labels (the project's web page
// and its mail address), with an OK button. Modal; a new one is made for
// every showing.
#pragma once

#include "ui/uiutil.h"
#include "ui/urllabel.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

// Control identifiers of the About box (GetDlgItem on its window).
enum AboutBoxControlId : int {
    idAboutButton1 = IDOK, // "OK": the default and the cancel button
    idAboutLabel1 = 101,   // program name
    idAboutImage1 = 102,   // program icon
    idAboutLabel2 = 103,   // notice line
    idAboutURLLabel1 = 104,
    idAboutURLLabel2 = 105,
    idAboutLabel3 = 106, // version
    idAboutBevel1 = 107,
};

// The window class of the About box.
inline constexpr wchar_t kAboutBoxClassName[] = L"TAboutBox";

// The texts the About box shows besides the two set by its opener.
inline constexpr wchar_t kAboutNotice[] = L"Copyright (C) 2026 Quorel Project";
inline constexpr wchar_t kAboutWebAddress[] = L"https://quorel.example.org/";
inline constexpr wchar_t kAboutMailAddress[] = L"mailto:support@quorel.example.org";

class TAboutBox {
  public:
    explicit TAboutBox(HWND owner);
    ~TAboutBox();
    TAboutBox(const TAboutBox&) = delete;
    TAboutBox& operator=(const TAboutBox&) = delete;

    // Program name ("Quorel") and version ("Version 0.00" until set).
    void SetLabel1Caption(std::wstring text);
    void SetLabel3Caption(std::wstring text);
    const std::wstring& Label1Caption() const { return label1Caption_; }
    const std::wstring& Label3Caption() const { return label3Caption_; }

    // Shows the dialog modally; returns when it is closed, with IDCANCEL
    // (the OK button only closes it), or -1 when it could not be shown.
    int ShowModal();
    // The dialog window while it is shown, nullptr otherwise.
    HWND Handle() const { return hwnd_; }

    // The link labels while the dialog is shown, nullptr otherwise.
    TURLLabel* URLLabel1() const { return urlLabel1_.get(); }
    TURLLabel* URLLabel2() const { return urlLabel2_.get(); }

    // Raised when the dialog has become visible (skipped when empty).
    std::function<void(TAboutBox&)> OnShow;
    // Given to both link labels as their shell call when set (tests).
    std::function<void(const std::wstring&)> ShellOpen;

    void Button1Click();

  private:
    static INT_PTR CALLBACK DlgProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void Layout(UINT dpi);
    void PlaceLabel(int id, int left96, int top96, HFONT font);

    HWND owner_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    bool shown_ = false;
    std::wstring label1Caption_ = L"Quorel";
    std::wstring label3Caption_ = L"Version 0.00";
    ui::UniqueFont font_;       // the form's font
    ui::UniqueFont label1Font_; // Label1's own font
    ui::UniqueIcon icon_;
    std::unique_ptr<TURLLabel> urlLabel1_;
    std::unique_ptr<TURLLabel> urlLabel2_;
};

// The About box while it exists (set and cleared by its opener).
extern TAboutBox* AboutBox;

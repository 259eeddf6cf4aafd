// AboutBox: the version dialog. It shows the program's icon, its name,
// its version, a notice line and two link labels (the project's web page
// and its mail address), with an OK button. Modal; a new one is made for
// every showing.
#pragma once

#include "ui/dialog_util.h"
#include "ui/dialog_window.h"
#include "ui/link_label.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

// Control identifiers of the About box (GetDlgItem on its window).
enum AboutBoxControlId : int {
    idAboutOk = IDOK,         // "OK": the default and the cancel button
    idAboutProgramName = 101, // program name
    idAboutIcon = 102,        // program icon
    idAboutNotice = 103,      // notice line
    idAboutWebLink = 104,
    idAboutMailLink = 105,
    idAboutVersion = 106, // version
    idAboutSeparator = 107,
};

// The texts the About box shows besides the two set by its opener.
inline constexpr wchar_t kAboutNotice[] = L"Copyright (C) 2026 Quorel Project";
inline constexpr wchar_t kAboutWebAddress[] = L"https://quorel.example.org/";
inline constexpr wchar_t kAboutMailAddress[] = L"mailto:support@quorel.example.org";

class AboutBox : public DialogWindow {
  public:
    explicit AboutBox(HWND owner);
    ~AboutBox() override;

    // Program name ("Quorel") and version ("Version 0.00" until set).
    void SetProgramName(std::wstring text);
    void SetVersionText(std::wstring text);
    const std::wstring& ProgramName() const { return programName_; }
    const std::wstring& VersionText() const { return versionText_; }

    // Shows the dialog modally; returns when it is closed, with IDCANCEL
    // (the OK button only closes it), or -1 when it could not be shown.
    int ShowModal();
    // Handle(): the dialog window while it is shown, nullptr otherwise.

    // The link labels while the dialog is shown, nullptr otherwise.
    LinkLabel* WebLink() const { return webLink_.get(); }
    LinkLabel* MailLink() const { return mailLink_.get(); }

    // Raised when the dialog has become visible (skipped when empty).
    std::function<void(AboutBox&)> OnShow;
    // Given to both link labels as their shell call when set (tests).
    std::function<void(const std::wstring&)> ShellOpen;

    void OnOk();

  protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void CreateControls();
    void Layout(UINT dpi);
    void PlaceLabel(int id, int left96, int top96, HFONT font);

    HWND owner_;
    UINT dpi_ = 96;
    bool shown_ = false;
    std::wstring programName_ = L"Quorel";
    std::wstring versionText_ = L"Version 0.00";
    ui::UniqueFont font_;            // the form's font
    ui::UniqueFont programNameFont_; // the program name's own font
    ui::UniqueIcon icon_;
    std::unique_ptr<LinkLabel> webLink_;
    std::unique_ptr<LinkLabel> mailLink_;
};

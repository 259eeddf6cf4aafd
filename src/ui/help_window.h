// HelpWindow: the program's built-in help. A contents list on the left and
// the chosen topic's text on the right, in one read-only text control that
// the user can select and copy from. Modeless; its opener keeps one object
// and turns it to each requested topic. Esc and the close box destroy the
// window; the object stays (Handle() is then nullptr) until its opener
// frees it or makes a new one.
#pragma once

#include "base/handles.h"
#include "ui/dialog_window.h"
#include "ui/help_topics.h"

#include <windows.h>

#include <functional>
#include <string>

// Control identifiers of the help window (GetDlgItem on its window).
enum HelpWindowControlId : int {
    idHelpContents = 101, // the contents list, one item per topic
    idHelpText = 102,     // the topic's text
};

// What the help must leave in view of a window it is opened from, in screen
// coordinates: the window, the bottom of its caption and the top of its row
// of buttons.
struct HelpAnchor {
    RECT window;
    int captionBottom;
    int buttonsTop;
};

// Where the help window goes when opened from the anchor's window on a
// monitor with the work area work. It keeps its size beside the window,
// on the right when there is room, else on the left; with no room on
// either side for that size, it goes, narrower, beside the window on the
// side with more room (down to its minimum width); with no room even for
// that, it is laid over the window between the caption and the buttons,
// so that these stay in view. It never leaves the work area (but for a
// work area smaller than its minimum).
RECT HelpRectBeside(const HelpAnchor& anchor, SIZE preferred, SIZE minimum, const RECT& work);

// The anchor of a dialog window: its caption ends at the top of its client
// area, its buttons start at the top of its OK button (its bottom edge when
// it has none).
HelpAnchor HelpAnchorOf(HWND dialog);

class HelpWindow : public DialogWindow {
  public:
    // Creates the window, hidden, owned by owner, laid out for the primary
    // monitor and centred on it.
    explicit HelpWindow(HWND owner);
    ~HelpWindow() override;

    // Shows the window on a topic and brings it to the front (restored if
    // it was minimized). With a window to open beside (a dialog the help
    // was asked from), a help window that is new or lies over that window
    // goes beside it (HelpRectBeside); one the user has put elsewhere, or
    // maximized, stays where it is.
    void Show(HelpTopic topic, HWND beside = nullptr);
    // Builds the shown topic's text again (the settings have changed),
    // keeping the place the user has scrolled to; the caption, contents
    // and font too when the language in effect has changed.
    void Refresh();
    // The topic shown.
    HelpTopic Topic() const { return topic_; }

    // What the window calls around it, set before Show(); each is skipped
    // when empty.
    // The text of a topic as it reads at this moment.
    std::function<std::wstring(HelpTopic)> TopicText;
    // The window is shown and wants keyboard handling from the message
    // loop; the window is going.
    std::function<void(HWND window)> OnModeless;
    std::function<void(HWND window)> OnClosed;

  protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    static LRESULT CALLBACK TextProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK ContentsProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void CreateControls();
    void Layout(UINT dpi);
    void Arrange();
    void FillContents();
    void FillText(bool keepPlace);
    void SetTabStop(const std::wstring& body);
    void PlaceBeside(HWND window);

    UINT dpi_ = 96;
    HelpTopic topic_ = HelpTopic::Intro;
    UiLanguage language_ = UiLanguage::Japanese;
    bool shown_ = false;
    handles::UniqueFont font_;
};

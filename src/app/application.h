// The application window: the program's hidden top-level window, owner of
// every window of the program, and the message loop.
#pragma once

#include "base/message_window.h"

#include <windows.h>

#include <functional>
#include <vector>

class Application : public MessageWindow {
  public:
    // Creates the hidden window of the application class, titled title.
    explicit Application(const wchar_t* title);
    ~Application() override;

    // Hides the window and makes it a tool window (extended style exactly
    // WS_EX_TOOLWINDOW), so the program has no taskbar button.
    void HideFromTaskbar();

    // Runs the message loop until WM_QUIT; returns its exit code.
    int Run();

    // Brings the program's open dialog to the front: the application
    // window takes the foreground and hands it on to the top-most visible
    // window of the program.
    void BringToFront();

    // The modeless windows that get keyboard navigation in the loop: the
    // options dialog and the help window may be open together. Each is
    // added when shown and removed when it goes.
    void AddModelessDialog(HWND dialog);
    void RemoveModelessDialog(HWND dialog);

    // Set by the main form: what WM_CLOSE to this window and the end of the
    // session do.
    std::function<void()> OnClose;
    std::function<void()> OnEndSession;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    HWND TopVisibleWindow() const;
    bool IsModelessDialogMessage(MSG& msg);

    std::vector<HWND> modeless_;
};

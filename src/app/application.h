// The application object: the program's hidden top-level window, owner of
// every window of the program, and the message loop.
#pragma once

#include <windows.h>

#include <functional>

class TApplication {
  public:
    // Creates the hidden window of class "TApplication", titled title.
    explicit TApplication(const wchar_t* title);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    HWND Handle() const { return handle_; }

    // Hides the window and makes it a tool window (extended style exactly
    // WS_EX_TOOLWINDOW), so the program has no taskbar button.
    void HideFromTaskbar();

    // Runs the message loop until WM_QUIT; returns its exit code.
    int Run();

    // Brings the program's open dialog to the front: the application
    // window takes the foreground and hands it on to the top-most visible
    // window of the program.
    void BringToFront();

    // Set by the main form: what WM_CLOSE to this window and the end of the
    // session do.
    std::function<void()> OnClose;
    std::function<void()> OnEndSession;

    // The modeless dialog that gets keyboard navigation in the loop.
    HWND ModelessDialog = nullptr;

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    HWND TopVisibleWindow() const;

    HWND handle_ = nullptr;
};

// The one application object, while it exists.
extern TApplication* Application;

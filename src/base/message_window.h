// The base of every window class of the program that is not a dialog: it
// owns the window, hands each message to the member handler of the object
// that created it (from WM_NCCREATE on), and lets no exception reach the
// system: one that escapes a handler goes to the standard error report.
#pragma once

#include <windows.h>

class MessageWindow {
  public:
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    // The window; nullptr before it is created and once it is gone.
    HWND Handle() const { return hwnd_; }

  protected:
    MessageWindow() = default;
    // Destroys the window if it still exists, without calling the handler
    // of the object being destroyed.
    virtual ~MessageWindow();

    // Registers a window class of the program (once per process; later
    // calls do nothing) whose messages go to the objects of this base.
    static void RegisterWindowClass(const wchar_t* className, HICON icon = nullptr,
                                    UINT classStyle = 0, HCURSOR cursor = nullptr);
    // Creates the window for this object; returns it, or nullptr when the
    // system refuses (GetLastError says why).
    HWND CreateFor(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                   HWND parent, POINT position = {}, int controlId = 0);
    // Destroys the window now (nothing when there is none).
    void DestroyOwnWindow();

    // The handler of every message after WM_NCCREATE and before
    // WM_NCDESTROY; by default the system's.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }
    // Called once the window is gone by any means (WM_NCDESTROY; Handle()
    // is already nullptr), but not from the base's destructor.
    virtual void OnWindowGone() {}

  private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};

// Handles every message waiting in this thread's queue. A quit request is
// put back for the real message loop, and false returned.
bool ProcessPendingMessages();

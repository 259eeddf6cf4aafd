// THookHotKey: owns system-wide hotkeys. Each combination is registered
// under a caller-chosen number with a hidden message window of the
// component; every press arrives there as WM_HOTKEY and is raised as the
// event OnHotKey with that number. The component keeps no list of the
// numbers: they are the caller's business.
#pragma once

#include "hotkey/shortcut.h"

#include <windows.h>

#include <functional>

class THookHotKey {
  public:
    // ownerWindow gives the owner's window that Activate brings forward
    // (may be empty: then nothing is brought forward).
    explicit THookHotKey(std::function<HWND()> ownerWindow = {});
    // Destroys the message window; the system drops the registrations made
    // under it with it.
    virtual ~THookHotKey();
    THookHotKey(const THookHotKey&) = delete;
    THookHotKey& operator=(const THookHotKey&) = delete;

    // Registers ShortCut under number Index; true when the system accepted
    // it. Reports nothing.
    bool RegisterKey(int Index, TShortCut ShortCut);
    // Removes the registration of number Index; false when the system
    // refuses (for example when nothing is registered under it).
    bool UnregisterKey(int Index);
    // Raises the event for one press: nothing at all without a handler;
    // otherwise the owner's window is brought to the foreground first when
    // Activate is set.
    virtual void DoHotKey(int Index);

    // The hidden message window under which the hotkeys are registered.
    HWND Handle() const { return hwnd_; }

    bool Activate = true;
    std::function<void(THookHotKey& Sender, int Index)> OnHotKey;

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    std::function<HWND()> ownerWindow_;
    HWND hwnd_ = nullptr;
};

// The system's modifier flags (MOD_ALT, MOD_CONTROL, MOD_SHIFT) of a
// shortcut value.
UINT HotKeyModifiers(TShortCut shortCut);

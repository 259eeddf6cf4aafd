// GlobalHotkeys: owns system-wide hotkeys. Each combination is registered
// under a caller-chosen number with a hidden message window of the
// component; every press arrives there as WM_HOTKEY and is raised as the
// event OnHotKey with that number. The component keeps no list of the
// numbers: they are the caller's business.
#pragma once

#include "base/message_window.h"
#include "hotkey/shortcut.h"

#include <windows.h>

#include <functional>

// Whether holding a combination down repeats its press. Once: the system
// reports one press however long the keys are held (MOD_NOREPEAT).
enum class KeyRepeat { Once, Repeats };

class GlobalHotkeys : public MessageWindow {
  public:
    // ownerWindow gives the owner's window that Activate brings forward
    // (may be empty: then nothing is brought forward).
    explicit GlobalHotkeys(std::function<HWND()> ownerWindow = {});
    // Destroys the message window; the system drops the registrations made
    // under it with it.
    ~GlobalHotkeys() override;

    // Registers ShortCut under number Index; true when the system accepted
    // it. Reports nothing. With KeyRepeat::Once the keyboard's auto-repeat
    // raises no further presses while the keys are held; a system that does
    // not know that (before Windows 7) registers the combination repeating.
    bool RegisterKey(int Index, TShortCut ShortCut, KeyRepeat repeat = KeyRepeat::Once);
    // Removes the registration of number Index; false when the system
    // refuses (for example when nothing is registered under it).
    bool UnregisterKey(int Index);
    // Whether the system would register ShortCut now: tried under
    // kTrialNumber and removed again at once. False when it refuses (a
    // combination held by another registration, of any program).
    bool CanRegister(TShortCut ShortCut);
    // The number a trial registers under; never one of the caller's.
    static constexpr int kTrialNumber = 0xBFFF;
    // Raises the event for one press: nothing at all without a handler;
    // otherwise the owner's window is brought to the foreground first when
    // Activate is set.
    virtual void DoHotKey(int Index);

    // Handle(): the hidden message window under which the hotkeys are
    // registered.

    bool Activate = true;
    std::function<void(GlobalHotkeys& Sender, int Index)> OnHotKey;

    // The system call behind RegisterKey (window, number, modifier flags,
    // virtual key); RegisterHotKey unless replaced (tests record the flags
    // and force refusals through it). It sets the last error as the system
    // does.
    static std::function<BOOL(HWND window, int id, UINT modifiers, UINT vk)> SystemRegister;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    std::function<HWND()> ownerWindow_;
};

// The system's modifier flags (MOD_ALT, MOD_CONTROL, MOD_SHIFT) of a
// shortcut value.
UINT HotKeyModifiers(TShortCut shortCut);

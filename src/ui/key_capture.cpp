#include "ui/key_capture.h"

#include "base/common_controls.h"

#include <memory>

namespace ui {

namespace {

constexpr UINT_PTR kSubclassId = 0x4B43; // "KC"
// Sent to a guarded control: end a pending modifier-only entry now.
constexpr UINT kSettleMessage = WM_APP + 0x4B;

struct EntryState {
    WPARAM before = 0;          // the combination when the first modifier went down
    bool pending = false;       // modifiers went down here and no key followed yet
    bool cameWithFocus = false; // a modifier was already held before that
    bool tookKey = false;       // the last key went down as a guarded combination
};

bool IsModifier(WPARAM vk) {
    switch (vk) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
        return true;
    default:
        return false;
    }
}

// The generic modifier of a left or right one.
WPARAM GenericModifier(WPARAM vk) {
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return vk;
    }
}

bool Held(int vk) {
    return GetKeyState(vk) < 0;
}

// Whether a modifier other than vk is held (as of the message being
// handled).
bool OtherModifierHeld(WPARAM vk) {
    WPARAM self = GenericModifier(vk);
    for (int m : {VK_SHIFT, VK_CONTROL, VK_MENU})
        if (static_cast<WPARAM>(m) != self && Held(m))
            return true;
    return false;
}

bool AnyModifierHeld() {
    return Held(VK_SHIFT) || Held(VK_CONTROL) || Held(VK_MENU);
}

// Keys that the platform's control does not take as a key: it empties
// itself and hands them on, and the dialog takes Enter and Esc as OK and
// Cancel. Alone they keep that meaning; with a modifier they are a key
// like any other.
bool IsRefusedKey(WPARAM vk) {
    switch (vk) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_SPACE:
    case VK_BACK:
    case VK_DELETE:
        return true;
    default:
        return false;
    }
}

// Whether a key message is one of those keys with a modifier held.
bool IsModifiedRefusedKey(UINT msg, WPARAM vk) {
    return (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && IsRefusedKey(vk) && AnyModifierHeld();
}

// The combination of a key going down with the modifiers held, as the
// control's value (the extended-key flag from the key's message).
WPARAM CombinationOf(WPARAM vk, LPARAM lp) {
    WPARAM flags = 0;
    if (Held(VK_SHIFT))
        flags |= HOTKEYF_SHIFT;
    if (Held(VK_CONTROL))
        flags |= HOTKEYF_CONTROL;
    if (Held(VK_MENU))
        flags |= HOTKEYF_ALT;
    if (lp & (1L << 24))
        flags |= HOTKEYF_EXT;
    return (vk & 0xFF) | (flags << 8);
}

// A combination without a key is no combination.
WPARAM Complete(LRESULT value) {
    return (value & 0xFF) ? static_cast<WPARAM>(value & 0xFFFF) : 0;
}

// Gives the control back its combination from before the modifiers went
// down. First it is made to forget those modifiers: it would go on showing
// them, and add them to the next key typed into it.
void Restore(HWND control, EntryState& s) {
    s.pending = false;
    for (WPARAM vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
        SendMessageW(control, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
    SendMessageW(control, HKM_SETHOTKEY, s.before, 0);
}

LRESULT CALLBACK GuardProc(HWND control, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                           DWORD_PTR data) {
    auto* s = reinterpret_cast<EntryState*>(data);
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter or Esc with a modifier comes here instead of closing the
        // dialog.
        if (const MSG* m = reinterpret_cast<const MSG*>(lp);
            m && IsModifiedRefusedKey(m->message, m->wParam))
            return common_controls::DefSubclass(control, msg, wp, lp) | DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        s->tookKey = false;
        if (IsModifiedRefusedKey(msg, wp)) {
            s->pending = false;
            s->tookKey = true;
            common_controls::DefSubclass(control, HKM_SETHOTKEY, CombinationOf(wp, lp), 0);
            return 0;
        }
        if (!IsModifier(wp)) {
            s->pending = false; // a key: the control takes the new combination
        } else if (!s->pending) {
            s->before = Complete(common_controls::DefSubclass(control, HKM_GETHOTKEY, 0, 0));
            s->pending = true;
            const bool repeated = (lp & (1L << 30)) != 0;
            s->cameWithFocus = repeated || OtherModifierHeld(wp);
        }
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (s->pending && IsModifier(wp)) {
            LRESULT result = common_controls::DefSubclass(control, msg, wp, lp);
            if (!AnyModifierHeld()) {
                if (s->cameWithFocus) {
                    Restore(control, *s);
                } else {
                    // Pressed and released here alone: the field is emptied.
                    s->pending = false;
                    common_controls::DefSubclass(control, HKM_SETHOTKEY, 0, 0);
                }
            }
            return result;
        }
        break;
    case WM_CHAR:
    case WM_SYSCHAR:
        // The character of a key taken above would empty the control.
        if (s->tookKey)
            return 0;
        break;
    case HKM_SETHOTKEY:
        s->pending = false;
        break;
    case WM_KILLFOCUS:
        if (s->pending)
            Restore(control, *s);
        break;
    case kSettleMessage:
        if (s->pending)
            Restore(control, *s);
        return 0;
    case WM_NCDESTROY: {
        std::unique_ptr<EntryState> owned(s);
        common_controls::RemoveSubclass(control, &GuardProc, id);
        return common_controls::DefSubclass(control, msg, wp, lp);
    }
    default:
        break;
    }
    return common_controls::DefSubclass(control, msg, wp, lp);
}

} // namespace

void GuardKeyCapture(HWND control) {
    auto state = std::make_unique<EntryState>();
    // The window owns its state from here on and frees it when it goes.
    if (control && common_controls::SetSubclass(control, &GuardProc, kSubclassId,
                                                reinterpret_cast<DWORD_PTR>(state.get())))
        static_cast<void>(state.release());
}

void SettleKeyCapture(HWND control) {
    // Only the control's own class, guarded or not, is asked: it passes a
    // message it does not know on to the system.
    wchar_t cls[32] = {};
    if (control && GetClassNameW(control, cls, 32) && lstrcmpiW(cls, HOTKEY_CLASSW) == 0)
        SendMessageW(control, kSettleMessage, 0, 0);
}

} // namespace ui

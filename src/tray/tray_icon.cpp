#include "tray/tray_icon.h"

#include "base/dpi.h"
#include "base/common_controls.h"
#include "base/error_report.h"
#include "base/icons.h"
#include "base/message_filter.h"
#include "base/message_window.h"
#include "base/names.h"
#include "base/system_library.h"
#include "settings/ui_texts.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <type_traits>
#include <utility>
#include <vector>

static_assert(sizeof(void*) != 4 || TrayIcon::RecordSize == 88);

namespace {

// Shell_NotifyIconA or Shell_NotifyIconW (by the record's type) of the
// system's shell32.dll, loaded at the first call (see system_library.h for
// why the program does not import it).
template <class Data> BOOL CallShellNotify(DWORD message, Data* data) {
    constexpr bool wide = std::is_same_v<Data, NOTIFYICONDATAW>;
    using Fn = BOOL(WINAPI*)(DWORD, Data*);
    static const auto fn = system_library::Function<Fn>(L"shell32.dll", wide ? "Shell_NotifyIconW"
                                                                             : "Shell_NotifyIconA");
    if (!fn) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return fn(message, data);
}

BOOL SystemShellNotify(DWORD message, PNOTIFYICONDATAA data) {
    return CallShellNotify(message, data);
}

BOOL SystemShellNotifyW(DWORD message, PNOTIFYICONDATAW data) {
    return CallShellNotify(message, data);
}

} // namespace

std::function<BOOL(DWORD, PNOTIFYICONDATAA)> TrayIcon::ShellNotify = SystemShellNotify;
std::function<BOOL(DWORD, PNOTIFYICONDATAW)> TrayIcon::ShellNotifyW = SystemShellNotifyW;

namespace {

// The icon registry: icon identifier as decimal text -> component, in the
// order the components were made. Lookups go front to back.
struct RegistryEntry {
    std::string key;
    TrayIcon* tray;
};

std::vector<RegistryEntry>& Registry() {
    static std::vector<RegistryEntry> registry;
    return registry;
}

TrayIcon* FindByKey(const std::string& key) {
    for (const RegistryEntry& e : Registry()) {
        if (e.key == key) {
            return e.tray;
        }
    }
    return nullptr;
}

// Set while a tray callback is being dispatched; callbacks that arrive then
// (from a nested message loop) are dropped.
bool dispatching = false;

class DispatchGuard {
  public:
    DispatchGuard() { dispatching = true; }
    ~DispatchGuard() { dispatching = false; }
    DispatchGuard(const DispatchGuard&) = delete;
    DispatchGuard& operator=(const DispatchGuard&) = delete;
};

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(names::kTaskbarCreatedMessage);
    return message;
}

BOOL CallShell(DWORD message, NOTIFYICONDATAA& data) {
    if (TrayIcon::ShellNotify) {
        return TrayIcon::ShellNotify(message, &data);
    }
    return SystemShellNotify(message, &data);
}

bool ModifyInShell(NOTIFYICONDATAA& data) {
    if (CallShell(NIM_MODIFY, data))
        return true;
    ReportSystemError(L"Shell_NotifyIcon(NIM_MODIFY)");
    return false;
}

// Adds the entry. The shell refuses to add an entry it holds already (an
// add again after "TaskbarCreated", or after an add that timed out at logon
// but went through); that entry is brought up to date instead.
bool AddToShell(NOTIFYICONDATAA& data) {
    if (CallShell(NIM_ADD, data))
        return true;
    ReportSystemError(L"Shell_NotifyIcon(NIM_ADD)");
    return ModifyInShell(data);
}

// 1 for the first component; otherwise one more than the identifier of the
// registry's last entry. When that would pass the largest identifier, the
// smallest one that no entry holds.
int DefaultIconID() {
    const auto& registry = Registry();
    if (registry.empty()) {
        return 1;
    }
    const long long last = std::stoll(registry.back().key);
    if (last < INT_MAX) {
        return static_cast<int>(last + 1);
    }
    for (int id = 1;; ++id) {
        if (!FindByKey(std::to_string(id))) {
            return id;
        }
    }
}

// The shared receiver window of the tray receiver class. It takes the tray
// callback message for every icon of the process and hands it to the
// component the registry names. "TaskbarCreated" is broadcast only to
// top-level windows, so when the receiver is a child the top-level window
// above it is subclassed to pass that message down.
class TrayReceiver : public MessageWindow {
  public:
    TrayReceiver() = default;
    ~TrayReceiver() override { Destroy(); }

    // Creates the window as a zero-size child of owner (a hidden top-level
    // window when there is no owner window). Throws when it cannot.
    void Create(HWND owner);
    void Destroy();

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override { Unhook(); }

  private:
    static LRESULT CALLBACK RootProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR refData);
    void HandleTrayCallback(WPARAM wParam, LPARAM lParam);
    void Unhook();

    HWND root_ = nullptr; // subclassed top-level window, if any
};

constexpr UINT_PTR RootSubclassID = 0x5452; // "TR"

TrayReceiver& SharedWindow() {
    static TrayReceiver window;
    return window;
}

void TrayReceiver::Create(HWND owner) {
    RegisterWindowClass(names::kTrayReceiverClass);
    const bool child = owner != nullptr;
    HWND hwnd = CreateFor(child ? 0 : WS_EX_TOOLWINDOW, names::kTrayReceiverClass, L"",
                          child ? WS_CHILD : WS_POPUP, owner);
    if (!hwnd) {
        throw EInvalidOperation(UiText(TextId::TrayNotAdded));
    }
    HWND root = child ? GetAncestor(owner, GA_ROOT) : hwnd;
    if (child && root && common_controls::SetSubclass(root, RootProc, RootSubclassID, 0)) {
        root_ = root;
    }
    // The shell's messages reach a program run as administrator too.
    message_filter::AllowFromLowerLevels(hwnd, names::kTrayCallbackMessage);
    message_filter::AllowFromLowerLevels(root, TaskbarCreatedMessage());
}

void TrayReceiver::Destroy() {
    DestroyOwnWindow();
    Unhook();
}

void TrayReceiver::Unhook() {
    if (root_) {
        if (IsWindow(root_)) {
            common_controls::RemoveSubclass(root_, RootProc, RootSubclassID);
        }
        root_ = nullptr;
    }
}

LRESULT CALLBACK TrayReceiver::RootProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR) {
    if (msg == TaskbarCreatedMessage()) {
        HWND receiver = SharedWindow().Handle();
        if (receiver) {
            SendMessageW(receiver, msg, wParam, lParam);
        }
    } else if (msg == WM_DPICHANGED) {
        TrayIcon::DpiChanged(HIWORD(wParam));
    } else if (msg == WM_NCDESTROY) {
        common_controls::RemoveSubclass(hwnd, RootProc, RootSubclassID);
        SharedWindow().root_ = nullptr;
    }
    return common_controls::DefSubclass(hwnd, msg, wParam, lParam);
}

LRESULT TrayReceiver::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == names::kTrayCallbackMessage) {
        RunGuarded([&] { HandleTrayCallback(wParam, lParam); });
        return 0;
    }
    if (msg == TaskbarCreatedMessage()) {
        TrayIcon::ShellRestarted();
        return 0;
    }
    if (msg == WM_DPICHANGED) {
        // The receiver is a top-level window of its own.
        TrayIcon::DpiChanged(HIWORD(wParam));
        return 0;
    }
    return Default(msg, wParam, lParam);
}

void TrayReceiver::HandleTrayCallback(WPARAM wParam, LPARAM lParam) {
    POINT pt{};
    GetCursorPos(&pt);
    TrayIcon* tray = FindByKey(std::to_string(wParam));
    if (!tray || dispatching) {
        return;
    }
    DispatchGuard guard;
    switch (lParam) {
    case WM_MOUSEMOVE:
        tray->DoMouseMove(pt.x, pt.y);
        break;
    case WM_LBUTTONDOWN:
        tray->DoMouseDown(mbLeft, ssLeft, pt.x, pt.y);
        break;
    case WM_LBUTTONUP:
        tray->DoMouseUp(mbLeft, ssLeft, pt.x, pt.y);
        break;
    case WM_LBUTTONDBLCLK:
        tray->DoDblClick(mbLeft);
        break;
    case WM_RBUTTONDOWN:
        tray->DoMouseDown(mbRight, ssRight, pt.x, pt.y);
        break;
    case WM_RBUTTONUP:
        tray->DoMouseUp(mbRight, ssRight, pt.x, pt.y);
        break;
    case WM_RBUTTONDBLCLK:
        tray->DoDblClick(mbRight);
        break;
    case WM_MBUTTONDOWN:
        tray->DoMouseDown(mbMiddle, ssMiddle, pt.x, pt.y);
        break;
    case WM_MBUTTONUP:
        tray->DoMouseUp(mbMiddle, ssMiddle, pt.x, pt.y);
        break;
    case NIN_BALLOONUSERCLICK:
        tray->DoBalloonClick();
        break;
    default: // WM_MBUTTONDBLCLK and anything else
        break;
    }
}

// The components in registry order, as a copy: components may come and go
// while an error is shown.
std::vector<TrayIcon*> Components() {
    std::vector<TrayIcon*> trays;
    for (const RegistryEntry& e : Registry()) {
        trays.push_back(e.tray);
    }
    return trays;
}

bool IsComponent(const TrayIcon* tray) {
    for (const RegistryEntry& e : Registry()) {
        if (e.tray == tray) {
            return true;
        }
    }
    return false;
}

// The receiver window, made now when there is none yet (or the one there
// was went with its owner).
HWND EnsureNotifyWindow(HWND owner) {
    TrayReceiver& window = SharedWindow();
    if (!window.Handle() || !IsWindow(window.Handle())) {
        window.Destroy();
        window.Create(owner && IsWindow(owner) ? owner : nullptr);
    }
    return window.Handle();
}

} // namespace

std::string CutTipText(const std::string& text, std::size_t maxBytes, UINT codePage) {
    std::size_t end = 0;
    while (end < text.size()) {
        const auto b = static_cast<BYTE>(text[end]);
        const bool lead = codePage == CP_ACP ? IsDBCSLeadByte(b) : IsDBCSLeadByteEx(codePage, b);
        const std::size_t width = lead ? 2 : 1;
        if (end + width > maxBytes) {
            break;
        }
        end += width;
    }
    return text.substr(0, end < text.size() ? end : text.size());
}

TrayIcon::TrayIcon(HWND owner)
    : TrayIcon(owner ? std::function<HWND()>([owner] { return owner; }) : std::function<HWND()>()) {
}

TrayIcon::TrayIcon(std::function<HWND()> owner) : owner_(std::move(owner)) {
    iconID_ = DefaultIconID();
    Registry().push_back({std::to_string(iconID_), this});
}

TrayIcon::~TrayIcon() {
    try {
        RemoveIcon();
    } catch (...) {
        // A failing delete is ignored, as in RemoveIcon itself.
        inTray_ = registered_ = false;
    }
    auto& registry = Registry();
    for (auto it = registry.begin(); it != registry.end(); ++it) {
        if (it->tray == this) {
            registry.erase(it);
            break;
        }
    }
    icon_.reset();
    if (registry.empty()) {
        SharedWindow().Destroy();
    }
}

HWND TrayIcon::OwnerWindow() const {
    HWND owner = owner_ ? owner_() : nullptr;
    return owner && IsWindow(owner) ? owner : nullptr;
}

void TrayIcon::SetTipString(const std::string& text) {
    if (text == tip_ && wideTip_.empty()) {
        return;
    }
    tip_ = text;
    wideTip_.clear();
    RefreshIcon();
}

void TrayIcon::SetTipText(const std::wstring& text) {
    if (text == wideTip_) {
        return;
    }
    tip_ = WideToAnsi(text);
    wideTip_ = text;
    RefreshIcon();
}

bool TrayIcon::ModifyWide(UINT flags, const std::wstring& tip, const std::wstring& title,
                          const std::wstring& text) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = nid_.hWnd;
    data.uID = nid_.uID;
    data.uFlags = flags;
    std::wcsncpy(data.szTip, tip.c_str(), std::size(data.szTip) - 1);
    std::wcsncpy(data.szInfoTitle, title.c_str(), std::size(data.szInfoTitle) - 1);
    std::wcsncpy(data.szInfo, text.c_str(), std::size(data.szInfo) - 1);
    data.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    if (ShellNotifyW && ShellNotifyW(NIM_MODIFY, &data)) {
        return true;
    }
    ReportSystemError(L"Shell_NotifyIconW(NIM_MODIFY)");
    return false;
}

bool TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    return inTray_ && ModifyWide(NIF_INFO, {}, title, text);
}

UINT TrayIcon::WindowDpi() const {
    HWND window = SharedWindow().Handle();
    return dpi::ForWindow(window && IsWindow(window) ? window : OwnerWindow());
}

bool TrayIcon::LoadIconResource(UINT dpi) {
    icon_ = icons::Load(iconModule_, iconResource_, icons::SmallSize(dpi));
    iconDpi_ = icon_ ? dpi : 0;
    return icon_ != nullptr;
}

void TrayIcon::RefreshIconAt(UINT dpi) {
    if (iconResource_ && dpi != iconDpi_ && !LoadIconResource(dpi)) {
        iconResource_ = 0;
        RemoveIcon();
        return;
    }
    RefreshIcon();
}

void TrayIcon::SetIconResource(HINSTANCE module, int id) {
    if (icon_ && iconResource_ == id && iconModule_ == module) {
        return;
    }
    iconModule_ = module;
    iconResource_ = id;
    if (!LoadIconResource(WindowDpi())) {
        iconResource_ = 0;
        RemoveIcon();
        return;
    }
    RefreshIcon();
}

void TrayIcon::SetIcon(HICON icon) {
    if (icon && icon == icon_.get()) {
        return;
    }
    iconResource_ = 0;
    iconDpi_ = 0;
    if (!icon) {
        icon_.reset();
        RemoveIcon();
        return;
    }
    handles::UniqueIcon copy(CopyIcon(icon));
    if (!copy) {
        throw EQuorelError(L"TrayIcon::SetIcon: not an icon handle");
    }
    icon_ = std::move(copy);
    RefreshIcon();
}

void TrayIcon::SetIconID(int id) {
    if (id < 1) {
        throw EInvalidOperation(UiText(TextId::TrayIdNotPositive));
    }
    if (id == iconID_) {
        return;
    }
    auto& registry = Registry();
    auto own = registry.begin();
    while (own != registry.end() && own->tray != this) {
        ++own;
    }
    std::string key = std::to_string(id);
    if (FindByKey(key)) {
        throw EInvalidOperation(UiText(TextId::TrayIdTaken));
    }
    if (registered_) {
        RemoveIcon();
        registered_ = true;
    }
    iconID_ = id;
    if (own != registry.end()) {
        own->key = std::move(key);
    }
    RefreshIcon();
}

void TrayIcon::SetRegistered(bool registered) {
    if (registered == registered_) {
        return;
    }
    if (registered) {
        if (!icon_) {
            throw EInvalidOperation(UiText(TextId::TrayNoIcon));
        }
        registered_ = true;
        RefreshIcon();
    } else {
        RemoveIcon();
    }
}

void TrayIcon::SetPopupMenuL(HMENU menu) {
    popupL_ = menu;
}

void TrayIcon::SetPopupMenuR(HMENU menu) {
    popupR_ = menu;
}

void TrayIcon::MenuDestroyed(HMENU menu) {
    if (!menu) {
        return;
    }
    if (popupL_ == menu) {
        popupL_ = nullptr;
    }
    if (popupR_ == menu) {
        popupR_ = nullptr;
    }
}

void TrayIcon::RemoveIcon() {
    const bool held = inTray_;
    inTray_ = false;
    registered_ = false;
    if (held) {
        CallShell(NIM_DELETE, nid_);
    }
}

void TrayIcon::RefreshIcon() {
    if (!registered_) {
        return;
    }
    HWND receiver = EnsureNotifyWindow(OwnerWindow());
    if (inTray_ && nid_.hWnd != receiver) {
        // The receiver the shell knows is gone: take the entry away and add
        // it again for the new one.
        CallShell(NIM_DELETE, nid_);
        inTray_ = false;
    }
    if (!inTray_) {
        nid_.cbSize = RecordSize;
        nid_.hWnd = receiver;
        nid_.uCallbackMessage = names::kTrayCallbackMessage;
    }
    nid_.uID = static_cast<UINT>(iconID_);
    nid_.uFlags = tip_.empty() ? (NIF_MESSAGE | NIF_ICON) : (NIF_MESSAGE | NIF_ICON | NIF_TIP);
    nid_.hIcon = icon_.get();
    const std::string tip = CutTipText(tip_, 63);
    std::memset(nid_.szTip, 0, 64);
    std::memcpy(nid_.szTip, tip.data(), tip.size());
    if (!(inTray_ ? ModifyInShell(nid_) : AddToShell(nid_)))
        throw EInvalidOperation(UiText(TextId::TrayNotAdded));
    inTray_ = true;
    if (!wideTip_.empty()) {
        ModifyWide(NIF_TIP, wideTip_, {}, {});
    }
}

void TrayIcon::DoDblClick(TMouseButton button) {
    if (OnDblClick) {
        OnDblClick(*this, button);
    }
}

void TrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    HWND owner = OwnerWindow();
    if (owner) {
        SetForegroundWindow(owner);
        ProcessPendingMessages();
    }
    if (OnMouseDown) {
        OnMouseDown(*this, button, shift, x, y);
    }
    if (button == mbLeft && popupL_) {
        OpenMenu(popupL_, owner, x, y);
    }
    if (button == mbRight && popupR_) {
        OpenMenu(popupR_, owner, x, y);
    }
}

void TrayIcon::DoMouseMove(int x, int y) {
    if (OnMouseMove) {
        OnMouseMove(*this, 0, x, y);
    }
}

void TrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) {
        OnMouseUp(*this, button, shift, x, y);
    }
}

void TrayIcon::DoBalloonClick() {
    if (OnBalloonClick) {
        OnBalloonClick(*this);
    }
}

void TrayIcon::OpenMenu(HMENU menu, HWND owner, int x, int y) {
    HWND window = owner ? owner : SharedWindow().Handle();
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, window, nullptr);
    // Lets the menu close properly when the user clicks elsewhere next time.
    if (window) {
        PostMessageW(window, WM_NULL, 0, 0);
    }
}

HWND TrayIcon::NotifyWindow() {
    return SharedWindow().Handle();
}

TrayIcon* TrayIcon::Find(int id) {
    return FindByKey(std::to_string(id));
}

void TrayIcon::ShellRestarted() {
    for (TrayIcon* tray : Components()) {
        if (!IsComponent(tray) || !tray->registered_) {
            continue;
        }
        tray->inTray_ = false; // the new shell holds no entry
        // The DPI may have changed while the shell was away.
        RunGuarded([tray] { tray->RefreshIconAt(tray->WindowDpi()); });
    }
}

void TrayIcon::DpiChanged(UINT dpi) {
    for (TrayIcon* tray : Components()) {
        if (!IsComponent(tray) || !tray->iconResource_ || tray->iconDpi_ == dpi) {
            continue;
        }
        RunGuarded([tray, dpi] { tray->RefreshIconAt(dpi); });
    }
}

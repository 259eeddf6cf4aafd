#include "ui/options_dialog.h"

#include "base/error_report.h"
#include "base/names.h"
#include "settings/settings.h"
#include "settings/ui_texts.h"
#include "base/dpi.h"
#include "ui/help_topics.h"
#include "ui/key_capture.h"
#include "ui/key_checks.h"
#include "ui/number_field.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// The frame, in 96-dpi pixels: the client area's width; the tab control
// inset from its edges; below the tab control a strip with the three
// buttons at its right. Its height follows the tallest page.
constexpr int kClientWidth = 371;
constexpr int kInset = 5;
constexpr int kDialogButtonW = 88;
constexpr int kDialogButtonH = 21;
constexpr int kDialogButtonGap = 7;          // between the tab control and the buttons
constexpr int kDialogButtonSpacing = 6;      // between two buttons
constexpr UINT kReleaseMessage = WM_APP + 1; // the posted release

constexpr TextId kPageCaptions[kOptionPageCount] = {
    TextId::PageGeneral,     TextId::PageMove,  TextId::PageSizeBottomRight,
    TextId::PageSizeTopLeft, TextId::PageMouse, TextId::PageOther};

// The layout of the pages, in 96-dpi pixels relative to the page. Items
// are created in this order, which is also the tab order.
enum class Kind { Group, Label, Hotkey, Number, Combo, Check, Button };
struct Item {
    OptionPage page;
    Kind kind;
    int id; // for a Hotkey: the command number
    const wchar_t* text;
    int x, y, w, h; // a label is centred vertically in y..y+h; its size follows its text
};

constexpr int kRowH = 20;    // key-capture controls, number fields, drop-down lists
constexpr int kButtonH = 21; // push buttons
constexpr int kCheckH = 16;  // check boxes
constexpr int kGroupX = 8;   // group boxes span the page
constexpr int kGroupW = 337;
constexpr int kLabelX = 16;   // labels in a group
constexpr int kWideX = 176;   // controls after long labels
constexpr int kNarrowX = 104; // controls after short labels
// Key-capture controls end at the same place on every page, wide enough
// for "Ctrl + Shift + Alt + Right" after the long labels.
constexpr int kKeyRight = 334;
constexpr int kNumberW = 56;
// Vertical spacing: the first group's top, the space between groups, from
// a group's top to its first line, between lines, before a row that a gap
// sets off, before a row of buttons or a check box, and below a group's
// last line.
constexpr int kFirstGroupTop = 6;
constexpr int kGroupSpacing = 6;
constexpr int kGroupHead = 22;
constexpr int kLineSpacing = 8;
constexpr int kSectionGap = 12;
constexpr int kButtonSpacing = 12;
constexpr int kCheckSpacing = 14;
constexpr int kGroupFoot = 8;
// Below the lowest group box of the tallest page.
constexpr int kPageFoot = 2;

// Where the controls of each page begin after their labels.
constexpr int ControlColumn(OptionPage page) {
    switch (page) {
    case OptionPage::General:
    case OptionPage::Mouse:
    case OptionPage::Other:
        return kWideX;
    default:
        return kNarrowX;
    }
}

// The "デフォルト" and "クリア" buttons of the pages that have them; they act
// on that page's hotkeys.
struct PageButtons {
    OptionPage page;
    int defaults, clear;
};
constexpr PageButtons kPageButtons[] = {
    {OptionPage::Move, idMoveDefaults, idMoveClear},
    {OptionPage::SizeBottomRight, idSizeBottomRightDefaults, idSizeBottomRightClear},
    {OptionPage::SizeTopLeft, idSizeTopLeftDefaults, idSizeTopLeftClear},
};

const wchar_t* PageCaption(UiLanguage language, OptionPage page) {
    return TextIn(language, kPageCaptions[static_cast<int>(page)]);
}

// Lays out one page from the top down: group boxes one below the other,
// lines one below the other in their group, each group as tall as its
// lines.
class PageLayout {
  public:
    PageLayout(std::vector<Item>& items, int& nextGroupId, int& nextLabelId, OptionPage page,
               UiLanguage language)
        : items_(items), groupId_(nextGroupId), labelId_(nextLabelId), page_(page),
          column_(ControlColumn(page)), language_(language) {}

    void BeginGroup(TextId title) {
        groupTop_ = groupItem_ == kNoGroup ? kFirstGroupTop : bottom_ + kGroupFoot + kGroupSpacing;
        groupItem_ = items_.size();
        items_.push_back(
            {page_, Kind::Group, groupId_++, Text(title), kGroupX, groupTop_, kGroupW, 0});
        firstLine_ = true;
    }
    void EndGroup() {
        Item& g = items_[groupItem_];
        g.h = bottom_ + kGroupFoot - g.y;
    }
    // The key rows of a group of this page, from the hotkey table.
    void HotkeyRows(HotkeyGroup group) {
        for (const HotkeyEntry* e : HotkeysOfPage(page_)) {
            if (e->Group != group)
                continue;
            int y = Line(kLineSpacing + (e->GapBefore ? kSectionGap : 0), kRowH);
            Labelled(InLanguage(language_, e->Label, e->LabelEn), y);
            items_.push_back(
                {page_, Kind::Hotkey, e->Number, nullptr, column_, y, kKeyRight - column_, kRowH});
        }
    }
    void NumberRow(int id, TextId label, std::optional<TextId> note = std::nullopt) {
        int y = Line(kLineSpacing, kRowH);
        Labelled(Text(label), y);
        items_.push_back({page_, Kind::Number, id, nullptr, column_, y, kNumberW, kRowH});
        if (note)
            items_.push_back(
                {page_, Kind::Label, labelId_++, Text(*note), column_ + kNumberW + 8, y, 0, kRowH});
    }
    void ComboRow(int id, TextId label, int width) {
        int y = Line(kLineSpacing, kRowH);
        Labelled(Text(label), y);
        // The height is the list's when dropped down.
        items_.push_back({page_, Kind::Combo, id, nullptr, column_, y, width, 6 * kRowH});
    }
    void PageButtonRow() {
        for (const PageButtons& b : kPageButtons) {
            if (b.page != page_)
                continue;
            int y = Line(kButtonSpacing, kButtonH);
            items_.push_back({page_, Kind::Button, b.defaults, Text(TextId::ButtonDefaults),
                              column_, y, 76, kButtonH});
            items_.push_back({page_, Kind::Button, b.clear, Text(TextId::ButtonClear), column_ + 82,
                              y, 76, kButtonH});
        }
    }
    void Check(int id, TextId text) {
        int y = Line(kCheckSpacing, kCheckH);
        items_.push_back({page_, Kind::Check, id, Text(text), kLabelX, y, 300, kCheckH});
    }

  private:
    // The top of the next line of the given height, after the given
    // space (the group's head for its first line).
    int Line(int spaceBefore, int height) {
        int top = firstLine_ ? groupTop_ + kGroupHead : bottom_ + spaceBefore;
        firstLine_ = false;
        bottom_ = top + height;
        return top;
    }
    const wchar_t* Text(TextId id) const { return TextIn(language_, id); }
    void Labelled(const wchar_t* label, int y) {
        items_.push_back({page_, Kind::Label, labelId_++, label, kLabelX, y, 0, kRowH});
    }

    std::vector<Item>& items_;
    int& groupId_;
    int& labelId_;
    OptionPage page_;
    int column_;
    static constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);
    std::size_t groupItem_ = kNoGroup;
    int groupTop_ = 0;
    int bottom_ = 0;
    bool firstLine_ = true;
    UiLanguage language_;
};

std::vector<Item> BuildLayout(UiLanguage language) {
    std::vector<Item> items;
    int group = idGroupBase;
    int label = idLabelBase;
    auto page = [&](OptionPage p) { return PageLayout(items, group, label, p, language); };
    // A page whose one group holds its hotkeys and its two buttons.
    auto arrowPage = [&](PageLayout pl, HotkeyGroup group, TextId title) {
        pl.BeginGroup(title);
        pl.HotkeyRows(group);
        pl.PageButtonRow();
        return pl;
    };

    PageLayout general = page(OptionPage::General);
    general.BeginGroup(TextId::GroupWindow);
    general.HotkeyRows(HotkeyGroup::WindowCommands);
    general.EndGroup();

    PageLayout move = arrowPage(page(OptionPage::Move), HotkeyGroup::Move, TextId::GroupMove);
    move.NumberRow(idMoveP, TextId::LabelStep);
    move.EndGroup();

    PageLayout bottomRight = arrowPage(page(OptionPage::SizeBottomRight),
                                       HotkeyGroup::SizeBottomRight, TextId::GroupSizeBottomRight);
    bottomRight.NumberRow(idSizeP, TextId::LabelStep, TextId::NoteStepShared);
    bottomRight.EndGroup();

    PageLayout topLeft = arrowPage(page(OptionPage::SizeTopLeft), HotkeyGroup::SizeTopLeft,
                                   TextId::GroupSizeTopLeft);
    topLeft.EndGroup();

    PageLayout mouse = page(OptionPage::Mouse);
    mouse.BeginGroup(TextId::GroupMouse);
    mouse.HotkeyRows(HotkeyGroup::MouseCursor);
    mouse.ComboRow(idMouseMovePos, TextId::LabelCorner, 100);
    mouse.NumberRow(idMouseOffset, TextId::LabelCornerDistance);
    mouse.Check(idStartMouseMove, TextId::CheckStartMouseMove);
    mouse.EndGroup();

    PageLayout other = page(OptionPage::Other);
    other.BeginGroup(TextId::GroupPopupMenu);
    other.HotkeyRows(HotkeyGroup::PopupMenu);
    other.EndGroup();
    other.BeginGroup(TextId::GroupPlacement);
    other.HotkeyRows(HotkeyGroup::Placement);
    other.EndGroup();
    other.BeginGroup(TextId::GroupTrayIcon);
    other.Check(idNoTrayIcon, TextId::CheckNoTrayIcon);
    other.EndGroup();
    other.BeginGroup(TextId::GroupStartup);
    other.Check(idStartWithWindows, TextId::CheckStartWithWindows);
    other.EndGroup();
    other.BeginGroup(TextId::GroupLanguage);
    other.ComboRow(idLanguage, TextId::LabelLanguage, 140);
    other.EndGroup();
    return items;
}

// The layout with its texts in a language, made once for each.
const std::vector<Item>& Layout96(UiLanguage language) {
    static const std::vector<Item> japanese = BuildLayout(UiLanguage::Japanese);
    static const std::vector<Item> english = BuildLayout(UiLanguage::English);
    return language == UiLanguage::English ? english : japanese;
}

// The height of the pages: the lowest group box of any page, and its foot.
int PageHeight96(UiLanguage language) {
    int lowest = 0;
    for (const Item& it : Layout96(language))
        if (it.kind == Kind::Group)
            lowest = std::max(lowest, it.y + it.h);
    return lowest + kPageFoot;
}

int ItemControlId(const Item& item) {
    return item.kind == Kind::Hotkey ? HotkeyControlId(item.id) : item.id;
}

// The spin control of a number field; its range is its setting's.
struct NumberField {
    int edit, upDown;
    std::int32_t AppSettings::*field;
    std::int32_t Min() const { return FindIntegerSetting(field)->Min; }
    std::int32_t Max() const { return FindIntegerSetting(field)->Max; }
};
constexpr NumberField kNumberFields[] = {
    {idMoveP, idMoveP_UpDown, &AppSettings::MoveP},
    {idSizeP, idSizeP_UpDown, &AppSettings::SizeP},
    {idMouseOffset, idMouseOffset_UpDown, &AppSettings::MouseOffset},
};

const NumberField* FindNumberField(int editId) {
    for (const auto& f : kNumberFields)
        if (f.edit == editId)
            return &f;
    return nullptr;
}

constexpr TextId kCorners[] = {TextId::CornerTopLeft, TextId::CornerTopRight,
                               TextId::CornerBottomLeft, TextId::CornerBottomRight};

// The items of the language list, in order: automatic, then each language
// under its own name, whatever the language of the dialog; and the value
// of Settings.Language for each.
constexpr const char* kLanguageSettings[] = {"", "ja", "en"};

std::vector<const wchar_t*> ComboItems(int id, UiLanguage language) {
    std::vector<const wchar_t*> items;
    if (id == idLanguage) {
        items = {TextIn(language, TextId::LanguageAutomatic), L"日本語", L"English"};
        return items;
    }
    for (TextId corner : kCorners)
        items.push_back(TextIn(language, corner));
    return items;
}

void SetFontDeep(HWND root, HFONT font) {
    for (HWND c = GetWindow(root, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetFontDeep(c, font);
    }
}

bool IsPageIndex(int index) {
    return index >= 0 && index < kOptionPageCount;
}

} // namespace

bool IsExtendedKey(unsigned vk) {
    switch (vk) {
    case VK_CANCEL:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_SNAPSHOT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_DIVIDE:
    case VK_NUMLOCK:
        return true;
    default:
        return false;
    }
}

WPARAM ShortCutToHotkeyControl(TShortCut value) {
    WPARAM key = (value & 0x1FFF) & 0xFF;
    WPARAM flags = 0;
    // The control names a key by its scan code: without the extended flag
    // the arrow keys would read as the keypad's ("Num 8" for Up).
    if (IsExtendedKey(static_cast<unsigned>(key)))
        flags |= HOTKEYF_EXT;
    if (value & scShift)
        flags |= HOTKEYF_SHIFT;
    if (value & scCtrl)
        flags |= HOTKEYF_CONTROL;
    if (value & scAlt)
        flags |= HOTKEYF_ALT;
    return key + 256 * flags;
}

TShortCut HotkeyControlToShortCut(LRESULT value) {
    unsigned vk = static_cast<unsigned>(value) & 0xFF;
    unsigned flags = (static_cast<unsigned>(value) >> 8) & 0xFF;
    unsigned result = vk;
    if (flags & HOTKEYF_SHIFT)
        result += scShift;
    if (flags & HOTKEYF_CONTROL)
        result += scCtrl;
    if (flags & HOTKEYF_ALT)
        result += scAlt;
    return static_cast<TShortCut>(result);
}

std::int32_t StoredValueOfUpDown(LRESULT position) {
    return static_cast<short>(static_cast<std::uint16_t>(static_cast<std::uintptr_t>(position)));
}

std::wstring DigitsOf(const std::wstring& text) {
    std::wstring digits;
    for (wchar_t c : text)
        if (wchar_t d = HalfWidthDigit(c); d >= L'0' && d <= L'9')
            digits += d;
    return digits;
}

std::optional<std::int32_t> TypedNumber(const std::wstring& text, std::int32_t min,
                                        std::int32_t max) {
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (wchar_t c : text) {
        c = HalfWidthDigit(c);
        if (c < L'0' || c > L'9')
            return std::nullopt;
        // Past the top of the range the digits that follow change nothing.
        if (value <= max)
            value = value * 10 + (c - L'0');
    }
    return ClampToRange(value, min, max);
}

int CornerItemOf(std::int32_t stored) {
    return stored >= 0 && stored <= 3 ? stored : -1;
}

int LanguageItemOf(const std::string& setting) {
    for (int i = 1; i < static_cast<int>(std::size(kLanguageSettings)); ++i)
        if (setting == kLanguageSettings[i])
            return i;
    return 0;
}

HWND OptionsDialogControl(HWND dialog, int id) {
    return ui::FindDescendant(dialog, id);
}

// --- the dialog ------------------------------------------------------------

OptionsDialog::OptionsDialog(HWND owner) : owner_(owner), language_(CurrentUiLanguage()) {
    ui::RegisterDialogClass(names::kOptionsDialogClass);
    auto tmpl = ui::EmptyDialogTemplate(kStyle, kExStyle, names::kOptionsDialogClass,
                                        TextIn(language_, TextId::OptionsCaption));
    HWND h = CreateModeless(tmpl, owner);
    if (!h)
        throw EQuorelError(TextIn(language_, TextId::OptionsNotMade));
    // Ctrl+Tab and Ctrl+Shift+Tab reach the dialog through the dialog
    // manager's message filter (IsDialogMessage calls it first).
    hook_.reset(SetWindowsHookExW(WH_MSGFILTER, &OptionsDialog::MsgFilterProc, nullptr,
                                  GetCurrentThreadId()));
}

OptionsDialog::~OptionsDialog() {
    NotifyClosed();
}

void OptionsDialog::OnWindowGone() {
    NotifyClosed();
    hook_.reset();
    if (OnReleased)
        OnReleased();
}

void OptionsDialog::NotifyClosed() {
    if (closedNotified_)
        return;
    closedNotified_ = true;
    if (OnClosed)
        OnClosed(hwnd_);
}

OptionsDialog* OptionsDialog::FromHandle(HWND hwnd) {
    wchar_t cls[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, cls, 32) || wcscmp(cls, names::kOptionsDialogClass) != 0)
        return nullptr;
    return static_cast<OptionsDialog*>(FromWindow(hwnd));
}

HWND OptionsDialog::Page(int index) const {
    return GetDlgItem(hwnd_, idPage0 + index);
}

HWND OptionsDialog::Control(int id) const {
    return OptionsDialogControl(hwnd_, id);
}

void OptionsDialog::CreateControls() {
    // The pages come first: above the tab control in the z-order, so that
    // it never paints over them.
    auto pageTmpl =
        ui::EmptyDialogTemplate(WS_CHILD | DS_CONTROL, WS_EX_CONTROLPARENT, nullptr, L"");
    for (int i = 0; i < kOptionPageCount; ++i) {
        HWND page = CreateDialogIndirectParamW(
            GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(pageTmpl.data()), hwnd_,
            &OptionsDialog::PageProc, reinterpret_cast<LPARAM>(this));
        SetWindowLongPtrW(page, GWLP_ID, idPage0 + i);
        ui::DisableSystemDialogScaling(page);
        ui::EnableTabPageTexture(page);
    }
    for (const Item& it : Layout96(language_)) {
        HWND page = Page(static_cast<int>(it.page));
        switch (it.kind) {
        case Kind::Group: {
            // A blank on each side keeps the frame's top line off the
            // caption's ends at every scale.
            const std::wstring caption = std::wstring(L" ") + it.text + L" ";
            ui::CreateChild(page, L"BUTTON", caption.c_str(), WS_VISIBLE | BS_GROUPBOX, 0, it.id);
            break;
        }
        case Kind::Label:
            ui::CreateChild(page, L"STATIC", it.text, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, it.id);
            break;
        case Kind::Hotkey: {
            HWND hk =
                ui::CreateChild(page, HOTKEY_CLASSW, nullptr, WS_VISIBLE | WS_TABSTOP | WS_GROUP,
                                WS_EX_CLIENTEDGE, HotkeyControlId(it.id));
            // A key without modifiers is valid as typed (F12 alone).
            SendMessageW(hk, HKM_SETRULES, HKCOMB_NONE, MAKELPARAM(0, 0));
            SendMessageW(hk, HKM_SETHOTKEY, 0, 0);
            // Keyboard navigation does not change its combination.
            ui::GuardKeyCapture(hk);
            break;
        }
        case Kind::Number: {
            const NumberField* f = FindNumberField(it.id);
            HWND edit = ui::CreateChild(page, L"EDIT", nullptr,
                                        WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_LEFT |
                                            ES_AUTOHSCROLL | ES_NUMBER,
                                        WS_EX_CLIENTEDGE, it.id);
            HWND ud = ui::CreateChild(page, UPDOWN_CLASSW, nullptr,
                                      WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS,
                                      0, f->upDown);
            SendMessageW(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
            ui::GuardNumberField(edit);
            SendMessageW(ud, UDM_SETRANGE, 0,
                         MAKELPARAM(UpDownPositionOf(f->Max(), SHRT_MIN, SHRT_MAX),
                                    UpDownPositionOf(f->Min(), SHRT_MIN, SHRT_MAX)));
            SendMessageW(ud, UDM_SETPOS, 0, MAKELPARAM(f->Min(), 0));
            break;
        }
        case Kind::Combo: {
            HWND cb = ui::CreateChild(
                page, WC_COMBOBOXW, nullptr,
                WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, it.id);
            for (const wchar_t* item : ComboItems(it.id, language_))
                SendMessageW(cb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            break;
        }
        case Kind::Check:
            ui::CreateChild(page, L"BUTTON", it.text,
                            WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0, it.id);
            break;
        case Kind::Button:
            ui::CreateChild(page, L"BUTTON", it.text,
                            WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON | BS_NOTIFY, 0,
                            it.id);
            break;
        }
    }

    HWND tab = ui::CreateChild(hwnd_, WC_TABCONTROLW, nullptr,
                               WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS, 0, idPageTabs);
    for (int i = 0; i < kOptionPageCount; ++i) {
        TCITEMW ti{};
        ti.mask = TCIF_TEXT;
        ti.pszText = const_cast<wchar_t*>(PageCaption(language_, static_cast<OptionPage>(i)));
        SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&ti));
    }
    constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_NOTIFY;
    ui::CreateChild(hwnd_, L"BUTTON", L"OK", kButton | BS_DEFPUSHBUTTON, 0, idOKBtn);
    ui::CreateChild(hwnd_, L"BUTTON", TextIn(language_, TextId::ButtonCancel),
                    kButton | BS_PUSHBUTTON, 0, idCancelBtn);
    ui::CreateChild(hwnd_, L"BUTTON", TextIn(language_, TextId::ButtonHelp),
                    kButton | BS_PUSHBUTTON, 0, idHelpBtn);
    SendMessageW(hwnd_, DM_SETDEFID, idOKBtn, 0);
    ShowPage(0, false);
}

void OptionsDialog::Layout(UINT dpi) {
    dpi_ = dpi;
    auto S = [dpi](int v) { return dpi::Scale(v, dpi); };
    constexpr UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    font_ = ui::CreateTextFont(language_, dpi);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SetFontDeep(hwnd_, font_.get());

    // The frame: the tab control, inset on every side, holds the tallest
    // page below its row of tabs, as it measures that row at this DPI; the
    // buttons stand in a strip below it, at its right.
    HWND tab = GetDlgItem(hwnd_, idPageTabs);
    // Narrow padding keeps the six tabs on one row without scroll arrows.
    SendMessageW(tab, TCM_SETPADDING, 0, MAKELPARAM(S(4), S(3)));
    RECT tabRect{0, 0, S(kClientWidth - 2 * kInset), S(PageHeight96(language_))};
    SendMessageW(tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&tabRect));
    const int tabHeight = tabRect.bottom - tabRect.top;
    const int clientHeight =
        S(kInset) + tabHeight + S(kDialogButtonGap) + S(kDialogButtonH) + S(kInset);
    SIZE outer = dpi::WindowSizeForClient(S(kClientWidth), clientHeight, kStyle, kExStyle, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, flags | SWP_NOMOVE);
    SetWindowPos(tab, nullptr, S(kInset), S(kInset), S(kClientWidth - 2 * kInset), tabHeight,
                 flags);
    const int buttonTop = clientHeight - S(kInset) - S(kDialogButtonH);
    int buttonLeft = kClientWidth - kInset - 3 * kDialogButtonW - 2 * kDialogButtonSpacing;
    for (int id : {idOKBtn, idCancelBtn, idHelpBtn}) {
        SetWindowPos(GetDlgItem(hwnd_, id), nullptr, S(buttonLeft), buttonTop, S(kDialogButtonW),
                     S(kDialogButtonH), flags);
        buttonLeft += kDialogButtonW + kDialogButtonSpacing;
    }

    // The pages cover the tab control's display area.
    RECT area;
    GetClientRect(tab, &area);
    SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(tab, hwnd_, reinterpret_cast<POINT*>(&area), 2);
    for (int i = 0; i < kOptionPageCount; ++i)
        SetWindowPos(Page(i), nullptr, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, flags);

    for (const Item& it : Layout96(language_)) {
        HWND page = Page(static_cast<int>(it.page));
        HWND c = GetDlgItem(page, ItemControlId(it));
        if (it.kind == Kind::Label) {
            SIZE text = ui::TextExtent(c, font_.get(), ui::GetText(c));
            int top = S(it.y) + (S(it.h) - text.cy) / 2;
            SetWindowPos(c, nullptr, S(it.x), top, text.cx, text.cy, flags);
            continue;
        }
        SetWindowPos(c, nullptr, S(it.x), S(it.y), S(it.w), S(it.h), flags);
        if (it.kind == Kind::Number) {
            // The spin control takes the right end of the field's width
            // again (it narrows its buddy), at this DPI's width.
            const NumberField* f = FindNumberField(it.id);
            HWND ud = GetDlgItem(page, f->upDown);
            SendMessageW(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c), 0);
            RECT e, u;
            GetWindowRect(c, &e);
            GetWindowRect(ud, &u);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&e), 2);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&u), 2);
            int grow = S(16) - (u.right - u.left);
            if (grow > 0) {
                SetWindowPos(c, nullptr, e.left, e.top, e.right - e.left - grow, e.bottom - e.top,
                             flags);
                SetWindowPos(ud, nullptr, u.left - grow, u.top, u.right - u.left + grow,
                             u.bottom - u.top, flags);
            }
        }
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int OptionsDialog::ActivePage() const {
    return static_cast<int>(SendMessageW(GetDlgItem(hwnd_, idPageTabs), TCM_GETCURSEL, 0, 0));
}

void OptionsDialog::SetActivePage(int index) {
    if (!IsPageIndex(index))
        return;
    SendMessageW(GetDlgItem(hwnd_, idPageTabs), TCM_SETCURSEL, index, 0);
    ShowPage(index, false);
}

void OptionsDialog::ShowPage(int index, bool focusIntoPage) {
    if (!IsPageIndex(index))
        return;
    HWND focus = GetFocus();
    // Ctrl or Ctrl+Shift went down in the focused control before the Tab
    // that switches the page: it keeps its combination.
    ui::SettleKeyCapture(focus);
    bool focusWasOnPage = false;
    for (int i = 0; i < kOptionPageCount; ++i)
        if (i != index && focus && IsChild(Page(i), focus))
            focusWasOnPage = true;
    HWND page = Page(index);
    SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(page, SW_SHOW);
    for (int i = 0; i < kOptionPageCount; ++i)
        if (i != index)
            ShowWindow(Page(i), SW_HIDE);
    // A hidden page must not keep the focus.
    if (focusIntoPage || focusWasOnPage) {
        if (HWND first = GetNextDlgTabItem(page, nullptr, FALSE))
            SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
}

void OptionsDialog::MakeDefaultButton(HWND button) {
    auto settle = [this, button](int id) {
        HWND b = Control(id);
        if (!b)
            return;
        const bool isDefault = (SendMessageW(b, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0;
        if (isDefault != (b == button))
            SendMessageW(b, BM_SETSTYLE, b == button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    };
    for (int id : {idOKBtn, idCancelBtn, idHelpBtn})
        settle(id);
    for (const PageButtons& b : kPageButtons) {
        settle(b.defaults);
        settle(b.clear);
    }
}

HWND OptionsDialog::FocusToRestore() const {
    HWND c = lastFocus_;
    if (!c || !IsChild(hwnd_, c) || !IsWindowVisible(c) || !IsWindowEnabled(c))
        return nullptr;
    return c;
}

void OptionsDialog::SetHotkey(int number, TShortCut value) {
    SendMessageW(Control(HotkeyControlId(number)), HKM_SETHOTKEY, ShortCutToHotkeyControl(value),
                 0);
}

TShortCut OptionsDialog::GetHotkey(int number) const {
    return HotkeyControlToShortCut(
        SendMessageW(Control(HotkeyControlId(number)), HKM_GETHOTKEY, 0, 0));
}

void OptionsDialog::FillFromSettings() {
    for (const HotkeyEntry& e : HotkeyTable())
        SetHotkey(e.Number, ParseShortCut(Settings.*e.Field));
    shownAtOpening_.clear();
    for (const NumberField& f : kNumberFields) {
        SendMessageW(
            Control(f.upDown), UDM_SETPOS, 0,
            MAKELPARAM(static_cast<WORD>(UpDownPositionOf(Settings.*f.field, f.Min(), f.Max())),
                       0));
        shownAtOpening_.push_back(
            StoredValueOfUpDown(SendMessageW(Control(f.upDown), UDM_GETPOS, 0, 0)));
    }
    SendMessageW(Control(idMouseMovePos), CB_SETCURSEL,
                 static_cast<WPARAM>(CornerItemOf(Settings.MouseMovePos)), 0);
    SendMessageW(Control(idStartMouseMove), BM_SETCHECK,
                 Settings.StartMouseMove ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(Control(idNoTrayIcon), BM_SETCHECK,
                 Settings.NoTrayIcon ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(Control(idLanguage), CB_SETCURSEL,
                 static_cast<WPARAM>(LanguageItemOf(Settings.Language)), 0);
    // Not a setting: the shortcut in the Startup folder is the state.
    startsWithWindows_ = StartsWithWindows && StartsWithWindows();
    SendMessageW(Control(idStartWithWindows), BM_SETCHECK,
                 startsWithWindows_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsDialog::CopyToSettings() {
    for (const HotkeyEntry& e : HotkeyTable()) {
        const TShortCut value = GetHotkey(e.Number);
        // A text of the file that names no key shows as no key; it stays
        // as it is until the user gives the command a key.
        if (value == 0 && IsUnreadableKeyText(Settings.*e.Field))
            continue;
        Settings.*e.Field = FormatShortCut(value);
    }
    for (const NumberField& f : kNumberFields)
        Settings.*f.field = StoredValueOfUpDown(SendMessageW(Control(f.upDown), UDM_GETPOS, 0, 0));
    LRESULT item = SendMessageW(Control(idMouseMovePos), CB_GETCURSEL, 0, 0);
    Settings.MouseMovePos = item == CB_ERR ? -1 : static_cast<std::int32_t>(item);
    Settings.StartMouseMove =
        SendMessageW(Control(idStartMouseMove), BM_GETCHECK, 0, 0) == BST_CHECKED;
    Settings.NoTrayIcon = SendMessageW(Control(idNoTrayIcon), BM_GETCHECK, 0, 0) == BST_CHECKED;
    LRESULT language = SendMessageW(Control(idLanguage), CB_GETCURSEL, 0, 0);
    if (language >= 0 && language < static_cast<LRESULT>(std::size(kLanguageSettings)))
        Settings.Language = kLanguageSettings[language];
}

void OptionsDialog::Show() {
    if (!hwnd_)
        return;
    if (!shownOnce_) {
        shownOnce_ = true;
        RECT rc;
        GetWindowRect(hwnd_, &rc);
        SIZE size{rc.right - rc.left, rc.bottom - rc.top};
        POINT pos = dpi::ScreenCentre(size);
        SetWindowPos(hwnd_, nullptr, pos.x, pos.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Shown even when FormShow fails, so that it can be closed again
        // (which registers the hotkeys anew).
        RunGuarded([this] { FormShow(); });
        ShowWindow(hwnd_, SW_SHOW);
        if (OnModeless)
            OnModeless(hwnd_);
        SendMessageW(hwnd_, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(Control(HotkeyControlId(hkMaxRestore))), TRUE);
    } else {
        ShowWindow(hwnd_, SW_SHOW);
    }
    SetForegroundWindow(hwnd_);
}

void OptionsDialog::FormShow() {
    accepted_ = false;
    SetActivePage(0); // the focus goes to MaxRestoreKey once the window is visible
    // Every combination must reach the key-capture controls while the
    // dialog is open.
    if (UnregisterHotKeys)
        UnregisterHotKeys();
    FillFromSettings();
}

void OptionsDialog::FormClose() {
    if (closing_)
        return;
    closing_ = true;
    ShowWindow(hwnd_, SW_HIDE);
    if (accepted_) {
        RunGuarded([this] { CopyToSettings(); });
        // Written now, as at exit: what OK accepted outlives a crash.
        if (SaveSettings)
            RunGuarded([this] { SaveSettings(); });
    }
    // A tray icon that cannot be set up is reported, and the close goes
    // on: the hotkeys are registered again and the dialog goes, or the
    // program would be left without hotkeys, menu and dialog.
    if (UpdateTray)
        RunGuarded([this] { UpdateTray(); });
    if (RegisterHotKeys)
        RunGuarded([this] { RegisterHotKeys(); });
    PostMessageW(hwnd_, kReleaseMessage, 0, 0);
    NotifyClosed();
}

void OptionsDialog::KeepDigitsOnly(int editId) {
    HWND edit = Control(editId);
    std::wstring text = ui::GetText(edit);
    std::wstring digits = DigitsOf(text);
    if (!edit || digits == text)
        return;
    // Typed characters are refused by the field itself; this takes what
    // came in by other ways (pasted, dropped, from an input method).
    // Full-width digits become digits; anything else is dropped.
    if (digits.size() != text.size())
        MessageBeep(MB_OK);
    SetWindowTextW(edit, digits.c_str());
    SendMessageW(edit, EM_SETSEL, digits.size(), digits.size());
}

void OptionsDialog::SettleNumberField(int editId) {
    const NumberField* f = FindNumberField(editId);
    if (!f || closing_)
        return;
    HWND edit = Control(f->edit);
    HWND upDown = Control(f->upDown);
    if (!edit || !upDown)
        return;
    auto index = static_cast<size_t>(f - kNumberFields);
    std::optional<std::int32_t> typed = TypedNumber(ui::GetText(edit), f->Min(), f->Max());
    std::int32_t value = typed                            ? *typed
                         : index < shownAtOpening_.size() ? shownAtOpening_[index]
                                                          : f->Min();
    // A text that changes keeps the caret at its end, where the user
    // typed it, for when the focus comes back.
    wchar_t settled[16] = {};
    const int length = wsprintfW(settled, L"%d", static_cast<int>(value));
    if (ui::GetText(edit) != settled) {
        SetWindowTextW(edit, settled);
        SendMessageW(edit, EM_SETSEL, length, length);
    }
    SendMessageW(upDown, UDM_SETPOS, 0,
                 MAKELPARAM(static_cast<WORD>(UpDownPositionOf(value, f->Min(), f->Max())), 0));
}

void OptionsDialog::OnOk() {
    // OK stores what the fields show: a modifier held in a key-capture
    // control does not count as an entry, and a typed number is brought
    // into its range.
    for (const HotkeyEntry& e : HotkeyTable())
        ui::SettleKeyCapture(Control(HotkeyControlId(e.Number)));
    for (const NumberField& f : kNumberFields)
        SettleNumberField(f.edit);
    if (!ConfirmBareCharacterKeys() || !ConfirmTakenKeys())
        return;
    if (!ApplyStartWithWindows())
        return;
    accepted_ = true;
    FormClose();
}

void OptionsDialog::GoToKeyField(int number) {
    const HotkeyEntry* e = FindHotkey(number);
    if (!e)
        return;
    SetActivePage(static_cast<int>(e->Page));
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(HotkeyControlId(number))),
                 TRUE);
}

bool OptionsDialog::ConfirmBareCharacterKeys() {
    for (const HotkeyEntry* e : HotkeysInPageOrder()) {
        const auto n = static_cast<size_t>(e->Number);
        const TShortCut value = GetHotkey(e->Number);
        // Asked once for each key while the dialog is open.
        if (!IsBareCharacterKey(value) || value == confirmedBare_[n])
            continue;
        const int answer = MessageBoxW(hwnd_, BareKeyQuestion(*e, value).c_str(), L"Quorel",
                                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        if (answer != IDYES) {
            GoToKeyField(e->Number);
            return false;
        }
        confirmedBare_[n] = value;
    }
    return true;
}

bool OptionsDialog::ConfirmTakenKeys() {
    std::vector<KeyField> fields;
    for (const HotkeyEntry* e : HotkeysInPageOrder())
        fields.push_back({e->Number, GetHotkey(e->Number)});
    const std::vector<TakenKey> taken = FindTakenKeys(fields, KeyHeldElsewhere);
    if (taken.empty())
        return true;
    const int answer = MessageBoxW(hwnd_, TakenKeysQuestion(taken).c_str(), L"Quorel",
                                   MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON1);
    if (answer == IDNO)
        return true;
    GoToKeyField(taken.front().Number);
    return false;
}

bool OptionsDialog::ApplyStartWithWindows() {
    HWND box = Control(idStartWithWindows);
    const bool on = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (on == startsWithWindows_ || !SetStartsWithWindows)
        return true;
    try {
        SetStartsWithWindows(on);
        startsWithWindows_ = on;
        return true;
    } catch (const std::exception& e) {
        SendMessageW(box, BM_SETCHECK, startsWithWindows_ ? BST_CHECKED : BST_UNCHECKED, 0);
        MessageBoxW(hwnd_, ExceptionMessage(e).c_str(), L"Quorel", MB_OK | MB_ICONERROR);
        return false;
    }
}

void OptionsDialog::OnCancel() {
    FormClose();
}

void OptionsDialog::OnHelp() {
    unsigned long context = HelpContextOfPage(static_cast<OptionPage>(ActivePage()));
    if (context && HelpRequest)
        HelpRequest(HELP_CONTEXT, context);
}

void OptionsDialog::ResetPageHotkeys(OptionPage page, bool toDefaults) {
    std::wstring question =
        TextIn(language_, toDefaults ? TextId::PageToDefaults : TextId::PageCleared);
    question.replace(question.find(L"%1"), 2, PageCaption(language_, page));
    if (MessageBoxW(hwnd_, question.c_str(), L"Quorel", MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return;
    for (const HotkeyEntry* e : HotkeysOfPage(page))
        SetHotkey(e->Number, toDefaults ? ParseShortCut(e->DefaultText) : 0);
}

bool OptionsDialog::Command(int id, int code) {
    if (FindNumberField(id)) {
        if (code == EN_CHANGE)
            KeepDigitsOnly(id);
        else if (code == EN_KILLFOCUS)
            SettleNumberField(id);
        return true;
    }
    if (code == BN_SETFOCUS || code == BN_KILLFOCUS) {
        // Only the push buttons notify their focus.
        MakeDefaultButton(code == BN_SETFOCUS ? Control(id) : Control(idOKBtn));
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case idOKBtn:
        OnOk();
        return true;
    case idCancelBtn: // also Esc
        OnCancel();
        return true;
    case idHelpBtn:
        OnHelp();
        return true;
    default:
        break;
    }
    for (const PageButtons& b : kPageButtons) {
        if (id == b.defaults || id == b.clear) {
            ResetPageHotkeys(b.page, id == b.defaults);
            return true;
        }
    }
    return false;
}

INT_PTR CALLBACK OptionsDialog::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        return FALSE;
    }
    auto* self = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self || msg != WM_COMMAND)
        return FALSE;
    // The pages' buttons are the dialog's.
    bool handled = false;
    RunGuarded([&] { handled = self->Command(LOWORD(wp), HIWORD(wp)); });
    return handled;
}

LRESULT CALLBACK OptionsDialog::MsgFilterProc(int code, WPARAM wp, LPARAM lp) {
    if (code == MSGF_DIALOGBOX) {
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        // F1 alone opens the current page's help topic, also while a
        // key-capture control has the focus (which would take F1 as a key).
        if (m->message == WM_KEYDOWN && m->wParam == VK_F1 && GetKeyState(VK_CONTROL) >= 0 &&
            GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0) {
            if (OptionsDialog* self = FromHandle(GetAncestor(m->hwnd, GA_ROOT))) {
                RunGuarded([self] { self->OnHelp(); });
                return 1;
            }
        }
        if (m->message == WM_KEYDOWN && m->wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
            if (OptionsDialog* self = FromHandle(GetAncestor(m->hwnd, GA_ROOT))) {
                int step = GetKeyState(VK_SHIFT) < 0 ? kOptionPageCount - 1 : 1;
                int next = (self->ActivePage() + step) % kOptionPageCount;
                SendMessageW(GetDlgItem(self->hwnd_, idPageTabs), TCM_SETCURSEL, next, 0);
                self->ShowPage(next, false);
                return 1;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

INT_PTR OptionsDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        ui::DisableSystemDialogScaling(hwnd_);
        CreateControls();
        // Centred on the primary screen when shown, so laid out for it.
        Layout(dpi::ForMonitor(dpi::PrimaryMonitor()));
        return FALSE;
    case WM_COMMAND:
        return Command(LOWORD(wp), HIWORD(wp));
    case WM_NOTIFY: {
        const NMHDR* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->idFrom == idPageTabs && n->code == TCN_SELCHANGE) {
            ShowPage(ActivePage(), false);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE: // the close box, Alt+F4
        OnCancel();
        return TRUE;
    // However the dialog comes back (a click on it, the tray icon, a second
    // start, the end of a message box or of the help), the focus returns to
    // the control that had it; the system would pick the first control of
    // the page on show, a key-capture control that takes the next key typed.
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus))
                lastFocus_ = focus;
            return FALSE;
        }
        if (HWND c = FocusToRestore(); c && !HIWORD(wp)) {
            SetFocus(c);
            return TRUE;
        }
        return FALSE;
    case WM_SETFOCUS: // the focus handed to the dialog window itself
        if (HWND c = FocusToRestore()) {
            SetFocus(c);
            return TRUE;
        }
        return FALSE;
    case kReleaseMessage:
        DestroyDialog();
        return TRUE;
    case WM_DPICHANGED: {
        Layout(HIWORD(wp));
        dpi::MoveToSuggestedRect(hwnd_, lp);
        return TRUE;
    }
    case WM_DESTROY:
        NotifyClosed();
        hook_.reset();
        return FALSE;
    default:
        return FALSE;
    }
}

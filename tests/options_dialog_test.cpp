// The options dialog, in process: real windows and common controls, driven
// with their own messages. The main form's routines are replaced through
// the dialog's service members so that their calls can be observed.
#include "ui/options_dialog.h"

#include "base/error_report.h"
#include "hotkey/shortcut.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/help_topics.h"
#include "ui/key_checks.h"
#include "base/dpi.h"

#include "support/testutil.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <cstdlib>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

using namespace testutil;

namespace {

bool WaitDialog(HWND dialog, const std::function<bool()>& pred) {
    return WaitUntil(pred, kGenerousWait, dialog);
}

RECT ClientRectIn(HWND h, HWND parent) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<std::wstring> ComboTexts(HWND combo) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t buf[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        texts.push_back(buf);
    }
    return texts;
}

// The size of a control's text in its font.
SIZE TextSize(HWND c) {
    SIZE s{};
    const std::wstring text = WindowText(c);
    HDC dc = GetDC(c);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
    SelectObject(dc, old);
    ReleaseDC(c, dc);
    return s;
}

// The dialog while it is open, as its opener tracks it.
OptionsDialog* OptionDlg = nullptr;

class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadSettings(dir_.File(L"none.ini")); // the defaults
        Settings.Language = "ja";             // the texts below are Japanese
    }

    void TearDown() override {
        owned_.reset();
        OptionDlg = nullptr;
    }

    // Opens the dialog as the options command does, with observable
    // services.
    void Open() {
        owned_ = std::make_unique<OptionsDialog>(nullptr);
        OptionDlg = owned_.get();
        OptionDlg->UnregisterHotKeys = [this] { calls_.push_back("unregister"); };
        OptionDlg->RegisterHotKeys = [this] { calls_.push_back("register"); };
        OptionDlg->UpdateTray = [this] {
            calls_.push_back("tray");
            if (trayThrows_)
                throw EInvalidOperation(L"タスクトレイに登録できません");
        };
        OptionDlg->StartsWithWindows = [this] { return startsWithWindows_; };
        OptionDlg->SetStartsWithWindows = [this](bool on) {
            calls_.push_back(on ? "start on" : "start off");
            if (startupThrows_)
                throw EQuorelError(L"スタートアップ フォルダーにショートカットを作成できません。");
            startsWithWindows_ = on;
        };
        OptionDlg->KeyHeldElsewhere = [this](TShortCut v) {
            return std::ranges::count(heldElsewhere_, v) > 0;
        };
        OptionDlg->SaveSettings = [this] {
            calls_.push_back("save");
            if (saveThrows_)
                throw EQuorelError(L"C:\\Q\\Quorel.INI に書き込めません");
        };
        OptionDlg->OnClosed = [](HWND) { OptionDlg = nullptr; };
        OptionDlg->HelpRequest = [this](unsigned cmd, unsigned long data) {
            EXPECT_EQ(cmd, static_cast<unsigned>(HELP_CONTEXT));
            help_.push_back(data);
        };
        dlg_ = OptionDlg->Handle();
        OptionDlg->Show();
        PumpMessages(dlg_);
    }

    HWND C(int id) const { return OptionsDialogControl(dlg_, id); }
    HWND Key(int number) const { return C(HotkeyControlId(number)); }
    TShortCut KeyValue(int number) const {
        return HotkeyControlToShortCut(SendMessageW(Key(number), HKM_GETHOTKEY, 0, 0));
    }
    void SetKey(int number, const char* text) {
        SendMessageW(Key(number), HKM_SETHOTKEY, ShortCutToHotkeyControl(ParseShortCut(text)), 0);
    }
    int UpDownPos(int id) const {
        return static_cast<short>(LOWORD(SendMessageW(C(id), UDM_GETPOS, 0, 0)));
    }
    void Click(int id) { SendMessageW(C(id), BM_CLICK, 0, 0); }

    // Closes by a button and waits until the dialog has gone.
    void CloseWith(int id) {
        Click(id);
        ASSERT_TRUE(WaitDialog(dlg_, [&] { return !IsWindow(dlg_); }));
        EXPECT_EQ(OptionDlg, nullptr);
    }

    TempDir dir_;
    std::unique_ptr<OptionsDialog> owned_;
    HWND dlg_ = nullptr;
    std::vector<std::string> calls_;
    std::vector<unsigned long> help_;
    bool trayThrows_ = false;
    bool saveThrows_ = false;
    std::vector<TShortCut> heldElsewhere_; // keys another program holds
    bool startsWithWindows_ = false;
    bool startupThrows_ = false;
};

} // namespace

TEST(OptionDlgValues, HotkeyControlConversionsIgnoreTheExtendedFlag) {
    EXPECT_EQ(ShortCutToHotkeyControl(0), 0u);
    EXPECT_EQ(ShortCutToHotkeyControl(scAlt | VK_F12), VK_F12 + 256u * HOTKEYF_ALT);
    EXPECT_EQ(ShortCutToHotkeyControl(scShift | scCtrl | scAlt | 'Z'),
              'Z' + 256u * (HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT));
    // The arrow keys and their like are named as the extended keyboard's.
    EXPECT_EQ(ShortCutToHotkeyControl(scShift | scAlt | VK_RIGHT),
              VK_RIGHT + 256u * (HOTKEYF_SHIFT | HOTKEYF_ALT | HOTKEYF_EXT));
    EXPECT_EQ(ShortCutToHotkeyControl(VK_DELETE), VK_DELETE + 256u * HOTKEYF_EXT);
    EXPECT_EQ(ShortCutToHotkeyControl(VK_NUMPAD8), static_cast<WPARAM>(VK_NUMPAD8));
    // Bits 8-12 of a value are no part of the control's key.
    EXPECT_EQ(ShortCutToHotkeyControl(0x1F00 | 'A'), static_cast<WPARAM>('A'));

    EXPECT_EQ(HotkeyControlToShortCut(0), 0);
    EXPECT_EQ(HotkeyControlToShortCut(VK_UP + 256 * (HOTKEYF_SHIFT | HOTKEYF_ALT | HOTKEYF_EXT)),
              scShift | scAlt | VK_UP);
    EXPECT_EQ(HotkeyControlToShortCut(VK_F12), VK_F12);
    for (TShortCut v : {TShortCut(scCtrl | 'M'), TShortCut(scShift | scCtrl | scAlt | VK_LEFT)})
        EXPECT_EQ(HotkeyControlToShortCut(static_cast<LRESULT>(ShortCutToHotkeyControl(v))), v);
}

// A stored value of any size shows at the nearer end of its range, not cut to 16 bits.
TEST(OptionDlgValues, SpinPositionsAreTheValueBroughtIntoRange) {
    EXPECT_EQ(UpDownPositionOf(5, 1, 50), 5);
    EXPECT_EQ(UpDownPositionOf(0x10005, 0, 100), 100);
    EXPECT_EQ(UpDownPositionOf(INT32_MIN, 0, 100), 0);
    EXPECT_EQ(UpDownPositionOf(INT32_MIN, INT32_MIN, INT32_MAX), -32768);
    EXPECT_EQ(StoredValueOfUpDown(50), 50);
    EXPECT_EQ(StoredValueOfUpDown(0x10032), 50); // the error flag in the high word
    EXPECT_EQ(StoredValueOfUpDown(0xFFFF), -1);
}

// A character key without Ctrl or Alt (Shift alone is not safe) is bare; others never.
TEST(OptionDlgValues, BareCharacterKeysAndTakenKeys) {
    for (int key :
         {int('A'), scShift | '7', VK_SPACE, VK_NUMPAD5, VK_DIVIDE, scShift | VK_OEM_1, VK_OEM_102})
        EXPECT_TRUE(IsBareCharacterKey(static_cast<TShortCut>(key))) << std::hex << key;
    for (int key : {scCtrl | 'A', scShift | scAlt | VK_OEM_7, scShift | VK_F1, VK_F24, VK_LEFT,
                    VK_ESCAPE, VK_SEPARATOR, 0})
        EXPECT_FALSE(IsBareCharacterKey(static_cast<TShortCut>(key))) << std::hex << key;

    // The lowest number keeps a shared key; another program is asked only about unshared keys.
    std::vector<TShortCut> asked;
    auto elsewhere = [&](TShortCut v) {
        asked.push_back(v);
        return v == 'K';
    };
    const std::vector<KeyField> fields{{5, 'J'}, {2, 0}, {3, 'J'}, {9, 'K'}, {4, 'J'}};
    const std::vector<TakenKey> taken = FindTakenKeys(fields, elsewhere);
    std::vector<std::pair<int, int>> numberAndHolder;
    for (const TakenKey& t : taken)
        numberAndHolder.push_back({t.Number, t.HeldBy});
    EXPECT_EQ(numberAndHolder, (std::vector<std::pair<int, int>>{{5, 3}, {9, 0}, {4, 3}}));
    EXPECT_EQ(asked, (std::vector<TShortCut>{'J', 'K'}));
    // Texts that name no key (the start's report is checked end to end).
    EXPECT_TRUE(IsUnreadableKeyText("Ctrl + Alt + Q"));
    EXPECT_FALSE(IsUnreadableKeyText(""));
    EXPECT_FALSE(IsUnreadableKeyText("ctrl+alt+q"));
}

TEST(OptionDlgValues, CornerItemsAndHelpContexts) {
    for (int v = 0; v <= 3; ++v)
        EXPECT_EQ(CornerItemOf(v), v);
    EXPECT_EQ(CornerItemOf(7), -1);
    EXPECT_EQ(CornerItemOf(-1), -1);
    const unsigned long expected[] = {14, 15, 16, 17, 23, 18};
    for (int page = 0; page <= kOptionPageCount; ++page)
        EXPECT_EQ(HelpContextOfPage(static_cast<OptionPage>(page)),
                  page < kOptionPageCount ? expected[page] : 0u);
}

TEST_F(OptionsDialogTest, FormAndPagesAsLaidOut) {
    Open();
    ASSERT_TRUE(IsWindowVisible(dlg_));
    EXPECT_EQ(WindowText(dlg_), L"オプション");
    EXPECT_EQ(ClassName(dlg_), L"TOptionDlg");
    LONG style = GetWindowLongW(dlg_, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    UINT dpi = dpi::ForMonitor(dpi::PrimaryMonitor());
    auto S = [dpi](int v) { return dpi::Scale(v, dpi); };
    RECT client;
    GetClientRect(dlg_, &client);
    EXPECT_EQ(client.right, S(371));
    // Centred on the screen.
    RECT w, area;
    GetWindowRect(dlg_, &w);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_LE(std::abs((w.left + w.right) - (area.left + area.right)), 2);
    EXPECT_LE(std::abs((w.top + w.bottom) - (area.top + area.bottom)), 2);

    HWND tab = C(idPageTabs);
    EXPECT_EQ(ClassName(tab), L"SysTabControl32");
    const wchar_t* pages[] = {L"全般",        L"移動",   L"サイズ変更1",
                              L"サイズ変更2", L"マウス", L"その他"};
    ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), kOptionPageCount);
    for (int i = 0; i < kOptionPageCount; ++i) {
        wchar_t buf[64] = {};
        TCITEMW ti{};
        ti.mask = TCIF_TEXT;
        ti.pszText = buf;
        ti.cchTextMax = 64;
        SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&ti));
        EXPECT_EQ(std::wstring(buf), pages[i]);
    }
    RECT t = ClientRectIn(tab, dlg_);
    EXPECT_EQ(t.left, S(5));
    EXPECT_EQ(t.top, S(5));
    EXPECT_EQ(t.right, S(366));
    // The buttons' row below the pages (the pages' height is checked with the layout).
    EXPECT_EQ(client.bottom, t.bottom + S(7) + S(21) + S(5));

    // OK, Cancel, Help from left to right at the bottom right, 88 x 21.
    const std::pair<int, const wchar_t*> buttons[] = {
        {idOKBtn, L"OK"}, {idCancelBtn, L"キャンセル"}, {idHelpBtn, L"ヘルプ"}};
    int lastRight = 0;
    for (auto [id, text] : buttons) {
        HWND b = GetDlgItem(dlg_, id);
        ASSERT_TRUE(b);
        EXPECT_EQ(WindowText(b), text);
        RECT r = ClientRectIn(b, dlg_);
        EXPECT_EQ(r.right - r.left, S(88));
        EXPECT_EQ(r.bottom - r.top, S(21));
        EXPECT_GT(r.top, t.bottom);
        EXPECT_LE(r.bottom, client.bottom);
        EXPECT_GT(r.left, lastRight);
        lastRight = r.right;
    }
    EXPECT_EQ(lastRight, S(366));
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dlg_, idOKBtn), GWL_STYLE) & BS_DEFPUSHBUTTON);

    // The controls' classes and captions.
    // Each hotkey has its key-capture control on its page, after its label.
    for (const HotkeyEntry& e : HotkeyTable()) {
        EXPECT_EQ(ClassName(Key(e.Number)), L"msctls_hotkey32") << e.Key;
        EXPECT_EQ(GetParent(Key(e.Number)), GetDlgItem(dlg_, idPage0 + static_cast<int>(e.Page)))
            << e.Key;
        EXPECT_EQ(WindowText(GetWindow(Key(e.Number), GW_HWNDPREV)), e.Label) << e.Key;
    }
    for (int id : {idMoveP_UpDown, idSizeP_UpDown, idMouseOffset_UpDown}) {
        EXPECT_EQ(ClassName(C(id)), L"msctls_updown32");
        LONG s = GetWindowLongW(C(id), GWL_STYLE);
        EXPECT_EQ(s & (UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS),
                  UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS);
    }
    const std::tuple<int, int, int> ranges[] = {{idMoveP_UpDown, 1, 50},
                                                {idMouseOffset_UpDown, 0, 100}};
    for (auto [id, min, max] : ranges) {
        int lo = -1, hi = -1;
        SendMessageW(C(id), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo),
                     reinterpret_cast<LPARAM>(&hi));
        EXPECT_EQ(std::pair(lo, hi), std::pair(min, max)) << id;
    }
    HWND corner = C(idMouseMovePos);
    EXPECT_EQ(GetWindowLongW(corner, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    ASSERT_EQ(SendMessageW(corner, CB_GETCOUNT, 0, 0), 4);
    const wchar_t* corners[] = {L"左上", L"右上", L"左下", L"右下"};
    for (int i = 0; i < 4; ++i) {
        wchar_t buf[16] = {};
        SendMessageW(corner, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        EXPECT_EQ(std::wstring(buf), corners[i]);
    }
    EXPECT_EQ(WindowText(C(idStartMouseMove)), L"起動時に隅へ移動");
    EXPECT_EQ(WindowText(C(idNoTrayIcon)), L"タスクトレイのアイコンを表示しない");
    EXPECT_EQ(GetParent(C(idStartWithWindows)), GetDlgItem(dlg_, idPage0 + 5));
    EXPECT_EQ(WindowText(C(idStartWithWindows)), L"Windows の起動時に Quorel を起動する");
    EXPECT_EQ(WindowText(C(idMoveDefaults)), L"デフォルト");
    EXPECT_EQ(WindowText(C(idSizeTopLeftClear)), L"クリア");
    // The language list: automatic in the dialog's language, each language under its own name.
    EXPECT_EQ(GetParent(C(idLanguage)), GetDlgItem(dlg_, idPage0 + 5));
    EXPECT_EQ(GetWindowLongW(C(idLanguage), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(ComboTexts(C(idLanguage)),
              (std::vector<std::wstring>{L"Windows と同じ", L"日本語", L"English"}));
}

// In English: captions, labels from the command table, lists, font and message boxes.
TEST_F(OptionsDialogTest, InEnglishEveryTextIsEnglish) {
    Settings.Language = "en";
    Open();
    EXPECT_EQ(WindowText(dlg_), L"Options");
    EXPECT_EQ(WindowText(GetDlgItem(dlg_, idCancelBtn)), L"Cancel");
    EXPECT_EQ(WindowText(GetDlgItem(dlg_, idHelpBtn)), L"Help");
    for (const HotkeyEntry& e : HotkeyTable())
        EXPECT_EQ(WindowText(GetWindow(Key(e.Number), GW_HWNDPREV)), e.LabelEn) << e.Key;
    EXPECT_EQ(WindowText(C(idNoTrayIcon)), L"Hide the icon in the notification area");
    EXPECT_EQ(WindowText(C(idMoveDefaults)), L"Defaults");
    EXPECT_EQ(ComboTexts(C(idLanguage)),
              (std::vector<std::wstring>{L"Same as Windows", L"日本語", L"English"}));
    EXPECT_EQ(ComboTexts(C(idMouseMovePos)).at(3), L"Bottom right");
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(C(idNoTrayIcon), WM_GETFONT, 0, 0)), sizeof lf,
               &lf);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Segoe UI");
    MessageBoxCloser closer(GetCurrentProcessId(), IDCANCEL);
    Click(idMoveClear);
    ASSERT_TRUE(WaitDialog(dlg_, [&] { return closer.Count() == 1; }));
    EXPECT_EQ(closer.Seen()[0].text, L"The hotkeys on the \"Move\" page will be cleared.");
}

// The language list shows the setting (unknown: automatic); OK stores a choice, Cancel not.
TEST_F(OptionsDialogTest, TheLanguageListShowsAndStoresTheSetting) {
    const std::pair<const char*, int> cases[] = {{"", 0}, {"ja", 1}, {"en", 2}, {"fr", 0}};
    for (auto [setting, item] : cases) {
        Settings.Language = setting;
        Open();
        EXPECT_EQ(SendMessageW(C(idLanguage), CB_GETCURSEL, 0, 0), item) << setting;
        SendMessageW(C(idLanguage), CB_SETCURSEL, static_cast<WPARAM>((item + 1) % 3), 0);
        CloseWith(idOKBtn);
        const char* stored[] = {"", "ja", "en"};
        EXPECT_EQ(Settings.Language, stored[(item + 1) % 3]) << setting;
        Open();
        SendMessageW(C(idLanguage), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        CloseWith(idCancelBtn);
        EXPECT_EQ(Settings.Language, stored[(item + 1) % 3]) << setting;
    }
}

// Every control lies inside its page, no two overlap and every text fits, at
// 96 dpi and after a change to 144 and 192 dpi, in both languages.
TEST_F(OptionsDialogTest, NothingClippedOrOverlappingAtEveryScale) {
    for (int run = 0; run < 6; ++run) {
        const UINT dpi = 96 + 48 * (run % 3);
        const char* language = run < 3 ? "ja" : "en";
        if (dpi == 96) {
            Settings.Language = language;
            owned_.reset();
            Open();
        } else {
            RECT suggested{0, 0, dpi::Scale(380, dpi), dpi::Scale(340, dpi)};
            SendMessageW(dlg_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            HWND ok = GetDlgItem(dlg_, idOKBtn);
            RECT r = ClientRectIn(ok, dlg_);
            EXPECT_EQ(r.right - r.left, dpi::Scale(88, dpi));
            EXPECT_EQ(r.bottom - r.top, dpi::Scale(21, dpi));
        }
        int lowestGroup = 0, pageBottom = 0;
        for (int p = 0; p < kOptionPageCount; ++p) {
            SCOPED_TRACE(testing::Message() << language << " dpi " << dpi << " page " << p);
            HWND page = GetDlgItem(dlg_, idPage0 + p);
            ASSERT_TRUE(page);
            RECT pr;
            GetClientRect(page, &pr);
            pageBottom = pr.bottom;
            std::vector<std::pair<HWND, RECT>> items, groups;
            for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                RECT r = ClientRectIn(c, page);
                EXPECT_GE(r.left, 0) << GetDlgCtrlID(c);
                EXPECT_GE(r.top, 0);
                EXPECT_LE(r.right, pr.right) << GetDlgCtrlID(c);
                if (ClassName(c) != L"ComboBox") { // its height includes the list
                    EXPECT_LE(r.bottom, pr.bottom) << GetDlgCtrlID(c);
                }
                const LONG type = GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK;
                const bool isButton = ClassName(c) == L"Button";
                // What a label, check box, group box or push button needs beside its text.
                const int px = type == BS_AUTOCHECKBOX ? 20 : (type == BS_GROUPBOX ? 24 : 8);
                const int room = isButton                    ? dpi::Scale(px, dpi)
                                 : ClassName(c) == L"Static" ? 0
                                                             : -1;
                if (room >= 0) {
                    EXPECT_GE(r.right - r.left, TextSize(c).cx + room) << GetDlgCtrlID(c);
                }
                (isButton && type == BS_GROUPBOX ? groups : items).push_back({c, r});
            }
            // A group's caption has a blank at each end, and its controls start below it.
            for (const auto& [group, frame] : groups) {
                const std::wstring caption = WindowText(group);
                ASSERT_GE(caption.size(), 3u);
                EXPECT_EQ(caption.front(), L' ');
                EXPECT_EQ(caption.back(), L' ');
                lowestGroup = std::max(lowestGroup, static_cast<int>(frame.bottom));
                for (const auto& [control, r] : items) {
                    RECT inside;
                    if (IntersectRect(&inside, &frame, &r)) {
                        EXPECT_GE(r.top, frame.top + TextSize(group).cy + dpi::Scale(2, dpi))
                            << GetDlgCtrlID(control) << " in " << GetDlgCtrlID(group);
                    }
                }
            }
            for (size_t i = 0; i < items.size(); ++i)
                for (size_t j = i + 1; j < items.size(); ++j) {
                    // A spin control sits on its field's right border.
                    if (HWND(SendMessageW(items[j].first, UDM_GETBUDDY, 0, 0)) == items[i].first)
                        continue;
                    RECT x;
                    EXPECT_FALSE(IntersectRect(&x, &items[i].second, &items[j].second))
                        << GetDlgCtrlID(items[i].first) << " and " << GetDlgCtrlID(items[j].first);
                }
        }
        // The pages are as tall as the tallest: its lowest group box ends just above their end.
        EXPECT_GE(lowestGroup, pageBottom - dpi::Scale(4, dpi)) << language << " dpi " << dpi;
    }
}

TEST_F(OptionsDialogTest, ShowingUnregistersTheHotkeysAndFillsFromSettings) {
    Settings.MinKey = "Ctrl+Alt+N";
    Settings.StartMouseMove = true;
    Settings.MouseMovePos = 1;
    Settings.MouseOffset = 12;
    Open();
    EXPECT_EQ(calls_, std::vector<std::string>{"unregister"});
    EXPECT_EQ(OptionDlg->ActivePage(), 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg_, idPage0)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg_, idPage0 + 1)));
    EXPECT_EQ(GetFocus(), Key(hkMaxRestore));

    EXPECT_EQ(KeyValue(hkMaxRestore), scAlt | VK_F12);
    EXPECT_EQ(KeyValue(hkMinimize), scCtrl | scAlt | 'N');
    EXPECT_EQ(KeyValue(hkMoveUp), scShift | scAlt | VK_UP);
    EXPECT_EQ(KeyValue(hkPopupMenu), ParseShortCut(Settings.PopupMenuKey));
    EXPECT_EQ(UpDownPos(idMoveP_UpDown), 5);
    EXPECT_EQ(WindowText(C(idMoveP)), L"5");
    EXPECT_EQ(UpDownPos(idMouseOffset_UpDown), 12);
    EXPECT_EQ(SendMessageW(C(idMouseMovePos), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(C(idStartMouseMove), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(C(idNoTrayIcon), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Showing it again only brings it forward: no second FormShow.
    SetKey(hkMinimize, "");
    OptionDlg->Show();
    EXPECT_EQ(calls_.size(), 1u);
    EXPECT_EQ(KeyValue(hkMinimize), 0);
}

TEST_F(OptionsDialogTest, OkCopiesEveryControlIntoSettings) {
    Open();
    SetKey(hkMaxRestore, "Shift+Ctrl+Alt+F8");
    SetKey(hkMinimize, "");
    SetKey(hkScreenSaver, "F9");
    SetKey(hkPopupMenu, "Ctrl+Alt+Home");
    SendMessageW(C(idMoveP_UpDown), UDM_SETPOS, 0, MAKELPARAM(20, 0));
    SendMessageW(C(idSizeP_UpDown), UDM_SETPOS, 0, MAKELPARAM(50, 0));
    SendMessageW(C(idMouseOffset_UpDown), UDM_SETPOS, 0, MAKELPARAM(100, 0));
    SendMessageW(C(idMouseMovePos), CB_SETCURSEL, 3, 0);
    SendMessageW(C(idStartMouseMove), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(C(idNoTrayIcon), BM_SETCHECK, BST_CHECKED, 0);
    AppSettings before = Settings;
    CloseWith(idOKBtn);

    EXPECT_EQ(Settings.MaxRestoreKey, "Shift+Ctrl+Alt+F8");
    EXPECT_EQ(Settings.MinKey, "");
    EXPECT_EQ(Settings.ScreenSaver, "F9");
    EXPECT_EQ(Settings.PopupMenuKey, "Ctrl+Alt+Home");
    EXPECT_EQ(Settings.CloseKey, before.CloseKey);
    EXPECT_EQ(Settings.MoveP, 20);
    EXPECT_EQ(Settings.SizeP, 50);
    EXPECT_EQ(Settings.MouseOffset, 100);
    EXPECT_EQ(Settings.MouseMovePos, 3);
    EXPECT_TRUE(Settings.StartMouseMove);
    EXPECT_TRUE(Settings.NoTrayIcon);
    // The file is written, then the tray icon, then the hotkeys again.
    EXPECT_EQ(calls_, (std::vector<std::string>{"unregister", "save", "tray", "register"}));
}

TEST_F(OptionsDialogTest, OkRewritesTextsCanonicallyAndStoresTheBounds) {
    Settings.MaxRestoreKey = "alt+f12";
    Settings.MinKey = "^A";
    Settings.CloseKey = "NoSuchKey";
    Settings.MoveP = 0;
    Settings.SizeP = 80;
    Settings.MouseOffset = 100000; // not cut to 16 bits
    Settings.MouseMovePos = 7;
    Open();
    EXPECT_EQ(UpDownPos(idMoveP_UpDown), 1);
    EXPECT_EQ(UpDownPos(idSizeP_UpDown), 50);
    EXPECT_EQ(UpDownPos(idMouseOffset_UpDown), 100);
    EXPECT_EQ(SendMessageW(C(idMouseMovePos), CB_GETCURSEL, 0, 0), CB_ERR);
    CloseWith(idOKBtn);
    EXPECT_EQ(Settings.MaxRestoreKey, "Alt+F12");
    EXPECT_EQ(Settings.MinKey, "Ctrl+A");
    // A text that names no key stays until the user sets that key.
    EXPECT_EQ(Settings.CloseKey, "NoSuchKey");
    EXPECT_EQ(Settings.MoveP, 1);
    EXPECT_EQ(Settings.SizeP, 50);
    EXPECT_EQ(Settings.MouseOffset, 100);
    EXPECT_EQ(Settings.MouseMovePos, -1);
}

// A number field keeps only digits, takes a typed number into its range
// when it loses the focus and on OK, and keeps its opening value when empty.
TEST_F(OptionsDialogTest, TypedNumbersAreDigitsBroughtIntoRange) {
    Settings.MoveP = 80;
    Open();
    OptionDlg->SetActivePage(4);
    SetWindowTextW(C(idMouseOffset), L"2x50"); // as pasted
    EXPECT_EQ(WindowText(C(idMouseOffset)), L"250");
    // Full-width digits, pasted or typed through an input method, are digits.
    SetWindowTextW(C(idMouseOffset), L"１２");
    EXPECT_EQ(WindowText(C(idMouseOffset)), L"12");
    SendMessageW(C(idMouseOffset), EM_SETSEL, 2, 2);
    SendMessageW(C(idMouseOffset), WM_CHAR, L'３', 1);
    EXPECT_EQ(WindowText(C(idMouseOffset)), L"123");
    SetFocus(C(idMouseOffset));
    SetFocus(C(idMouseMovePos));
    EXPECT_EQ(WindowText(C(idMouseOffset)), L"100");
    SetWindowTextW(C(idMoveP), L"");
    SetWindowTextW(C(idSizeP), L"0");
    CloseWith(idOKBtn);
    EXPECT_EQ(Settings.MoveP, 50);
    EXPECT_EQ(Settings.SizeP, 1);
    EXPECT_EQ(Settings.MouseOffset, 100);
}

// At OK a bare character key brings a question naming command and key, and
// keys two commands share or another program holds are listed with what holds
// them; the default goes back to that field's page, the other answer keeps them.
TEST_F(OptionsDialogTest, OkQuestionsBareAndTakenKeysAndTheDefaultGoesBack) {
    heldElsewhere_ = {TShortCut(scCtrl | scAlt | 'K')};
    struct Case {
        std::vector<std::pair<int, const char*>> keys;
        std::wstring text;
        OptionPage page;
        int field, keep;
    };
    const Case cases[] = {
        {{{hkScreenSaver, "F9"}, {hkMouseMove, "7"}}, // F9 passes without a question
         L"「カーソルを隅へ移動」のキー「7」は文字を入力するキーです。ホットキーにすると"
         L"、7 はどこにも入力できなくなります。\n\nこのキーにしますか？",
         OptionPage::Mouse,
         hkMouseMove,
         IDYES},
        {{{hkMinimize, "Alt+F12"}, {hkCenter, "Ctrl+Alt+K"}}, // Alt+F12 is number 1's
         L"次のキーはすでに使われているため、働きません。\n\n"
         L"・最小化（Alt+F12）：「最大化、元のサイズに戻す」と同じキー\n"
         L"・中央へ移動（Ctrl+Alt+K）：ほかのプログラムが使用中\n"
         L"\nキーを設定し直しますか？「はい」で最初のキーに戻ります。"
         L"「いいえ」でこのまま閉じます。",
         OptionPage::General,
         hkMinimize,
         IDNO},
    };
    for (const Case& c : cases) {
        SetUp(); // the defaults again
        calls_.clear();
        Open();
        for (auto [number, key] : c.keys)
            SetKey(number, key);
        OptionDlg->SetActivePage(static_cast<int>(OptionPage::Other));
        {
            MessageBoxCloser closer(GetCurrentProcessId(), MessageBoxCloser::kDefaultAnswer);
            Click(idOKBtn);
            ASSERT_EQ(closer.Count(), 1u);
            EXPECT_EQ(closer.Seen()[0].text, c.text);
            EXPECT_EQ(closer.Seen()[0].owner, dlg_);
        }
        EXPECT_TRUE(IsWindowVisible(dlg_));
        EXPECT_EQ(OptionDlg->ActivePage(), static_cast<int>(c.page));
        EXPECT_EQ(GetFocus(), Key(c.field));
        EXPECT_EQ(calls_, std::vector<std::string>{"unregister"});
        {
            MessageBoxCloser closer(GetCurrentProcessId(), c.keep);
            CloseWith(idOKBtn);
            EXPECT_EQ(closer.Count(), 1u);
        }
        for (auto [number, key] : c.keys)
            EXPECT_EQ(Settings.*FindHotkey(number)->Field, key);
        EXPECT_EQ(calls_, (std::vector<std::string>{"unregister", "save", "tray", "register"}));
    }
}

TEST_F(OptionsDialogTest, CancelEscAndTheCloseBoxChangeNothing) {
    Settings.MoveP = 80;
    Settings.MouseMovePos = 7;
    AppSettings before = Settings;
    // Cancel; Esc in a key-capture control, through the dialog manager; the
    // close box (Alt+F4 gives the same command).
    const std::function<void(HWND)> closes[] = {
        [&](HWND) { Click(idCancelBtn); },
        [&](HWND) { PostMessageW(Key(hkMaxRestore), WM_KEYDOWN, VK_ESCAPE, 0); },
        [&](HWND d) { SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }};
    for (const auto& close : closes) {
        Open();
        SetKey(hkMaxRestore, "");
        SendMessageW(C(idMoveP_UpDown), UDM_SETPOS, 0, MAKELPARAM(3, 0));
        SendMessageW(C(idNoTrayIcon), BM_SETCHECK, BST_CHECKED, 0);
        close(dlg_);
        ASSERT_TRUE(WaitDialog(dlg_, [&] { return !IsWindow(dlg_); }));
        EXPECT_EQ(OptionDlg, nullptr);
        EXPECT_EQ(Settings.MaxRestoreKey, before.MaxRestoreKey);
        EXPECT_EQ(Settings.MoveP, 80);
        EXPECT_EQ(Settings.MouseMovePos, 7);
        EXPECT_FALSE(Settings.NoTrayIcon);
        EXPECT_EQ(calls_, (std::vector<std::string>{"unregister", "tray", "register"}));
        calls_.clear();
    }
}

// Enter in a key-capture control is OK. A file that cannot be written and a
// tray icon that cannot be set up are each reported (with the Japanese full
// stop); the edits stay applied, the hotkeys are still registered again, the
// dialog goes and its reference is cleared.
TEST_F(OptionsDialogTest, EnterIsOkAndFailingSaveOrTrayIconDoNotStrandTheProgram) {
    for (bool save : {true, false}) {
        saveThrows_ = save;
        trayThrows_ = !save;
        calls_.clear();
        Open();
        MessageBoxCloser closer;
        SendMessageW(C(idMoveP_UpDown), UDM_SETPOS, 0, MAKELPARAM(save ? 9 : 8, 0));
        PostMessageW(Key(hkMaxRestore), WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(WaitDialog(dlg_, [&] { return !IsWindow(dlg_); }));
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() == 1; }));
        EXPECT_EQ(closer.Seen()[0].text, save ? L"C:\\Q\\Quorel.INI に書き込めません。"
                                              : L"タスクトレイに登録できません。");
        EXPECT_EQ(Settings.MoveP, save ? 9 : 8);
        EXPECT_EQ(calls_, (std::vector<std::string>{"unregister", "save", "tray", "register"}));
        EXPECT_EQ(OptionDlg, nullptr);
    }
}

// The box shows whether the program starts with Windows when the dialog
// opens; only OK changes that, and only when the box was changed. A change
// that cannot be made is reported, and the dialog stays open with the box
// as it was.
TEST_F(OptionsDialogTest, StartWithWindowsFollowsItsBoxOnOkOnly) {
    auto checked = [&] { return SendMessageW(C(idStartWithWindows), BM_GETCHECK, 0, 0); };
    struct Case {
        bool click;
        int close;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {false, idOKBtn, {"unregister", "save", "tray", "register"}},
        {true, idCancelBtn, {"unregister", "tray", "register"}},
        {true, idOKBtn, {"unregister", "start off", "save", "tray", "register"}},
    };
    startsWithWindows_ = true;
    for (const Case& c : cases) {
        calls_.clear();
        Open();
        EXPECT_EQ(checked(), BST_CHECKED);
        if (c.click)
            Click(idStartWithWindows);
        CloseWith(c.close);
        EXPECT_EQ(calls_, c.calls);
    }
    EXPECT_FALSE(startsWithWindows_);

    calls_.clear();
    startupThrows_ = true;
    Open();
    EXPECT_EQ(checked(), BST_UNCHECKED);
    SendMessageW(C(idNoTrayIcon), BM_SETCHECK, BST_CHECKED, 0);
    Click(idStartWithWindows);
    {
        MessageBoxCloser closer;
        Click(idOKBtn);
        ASSERT_TRUE(WaitUntil([&] { return closer.Count() == 1; }));
        EXPECT_EQ(closer.Seen()[0].text,
                  L"スタートアップ フォルダーにショートカットを作成できません。");
        EXPECT_EQ(closer.Seen()[0].owner, dlg_);
    }
    EXPECT_TRUE(IsWindowVisible(dlg_));
    EXPECT_EQ(checked(), BST_UNCHECKED);
    EXPECT_FALSE(Settings.NoTrayIcon);
    // OK again keeps the other edits and leaves the start as it is.
    CloseWith(idOKBtn);
    EXPECT_TRUE(Settings.NoTrayIcon);
    EXPECT_EQ(calls_,
              (std::vector<std::string>{"unregister", "start on", "save", "tray", "register"}));
}

TEST_F(OptionsDialogTest, DefaultAndClearAskFirstAndTouchOnlyTheirPage) {
    struct Case {
        int button;
        OptionPage page;
        bool defaults;
        const wchar_t* question;
    };
    const Case cases[] = {
        {idMoveDefaults, OptionPage::Move, true, L"[移動]のホットキーをデフォルトに戻します。"},
        {idSizeBottomRightDefaults, OptionPage::SizeBottomRight, true,
         L"[サイズ変更1]のホットキーをデフォルトに戻します。"},
        {idSizeTopLeftDefaults, OptionPage::SizeTopLeft, true,
         L"[サイズ変更2]のホットキーをデフォルトに戻します。"},
        {idMoveClear, OptionPage::Move, false, L"[移動]のホットキーをクリアします。"},
        {idSizeBottomRightClear, OptionPage::SizeBottomRight, false,
         L"[サイズ変更1]のホットキーをクリアします。"},
        {idSizeTopLeftClear, OptionPage::SizeTopLeft, false,
         L"[サイズ変更2]のホットキーをクリアします。"},
    };
    Open();
    const AppSettings before = Settings;
    for (const Case& c : cases) {
        // Something that is neither the default nor empty everywhere.
        for (const HotkeyEntry& e : HotkeyTable())
            SetKey(e.Number, "Ctrl+F1");
        SendMessageW(C(idMoveP_UpDown), UDM_SETPOS, 0, MAKELPARAM(33, 0));
        SendMessageW(C(idSizeP_UpDown), UDM_SETPOS, 0, MAKELPARAM(44, 0));

        {
            MessageBoxCloser closer(GetCurrentProcessId(), IDCANCEL);
            Click(c.button);
            ASSERT_EQ(closer.Count(), 1u);
            SeenBox box = closer.Seen()[0];
            EXPECT_EQ(box.caption, L"Quorel");
            EXPECT_EQ(box.text, c.question);
            EXPECT_EQ(box.owner, dlg_);
        }
        for (const HotkeyEntry& e : HotkeyTable())
            EXPECT_EQ(KeyValue(e.Number), scCtrl | VK_F1) << "cancelled, " << e.Key;

        {
            MessageBoxCloser closer(GetCurrentProcessId(), IDOK);
            Click(c.button);
            ASSERT_EQ(closer.Count(), 1u);
        }
        for (const HotkeyEntry& e : HotkeyTable()) {
            TShortCut expected = scCtrl | VK_F1;
            if (e.Page == c.page)
                expected = c.defaults ? ParseShortCut(e.DefaultText) : 0;
            EXPECT_EQ(KeyValue(e.Number), expected) << "button " << c.button << ", " << e.Key;
        }
        EXPECT_EQ(UpDownPos(idMoveP_UpDown), 33);
        EXPECT_EQ(UpDownPos(idSizeP_UpDown), 44);
    }
    // Only OK commits.
    EXPECT_EQ(Settings.MoveUpKey, before.MoveUpKey);
    EXPECT_EQ(Settings.MoveP, before.MoveP);
}

TEST_F(OptionsDialogTest, HelpAndF1AskForThePagesTopicAndTheDialogStaysOpen) {
    Open();
    for (int page = 0; page < kOptionPageCount; ++page) {
        OptionDlg->SetActivePage(page);
        Click(idHelpBtn);
    }
    EXPECT_EQ(help_, (std::vector<unsigned long>{14, 15, 16, 17, 23, 18}));
    EXPECT_TRUE(IsWindowVisible(dlg_));
    EXPECT_EQ(OptionDlg->ActivePage(), kOptionPageCount - 1);

    // F1 asks for the current page's topic too, also while a key-capture
    // control has the focus: the control does not take F1 as its key.
    help_.clear();
    OptionDlg->SetActivePage(3);
    ASSERT_TRUE(MakeForeground(dlg_));
    SetFocus(Key(hkTLSizeUp));
    PressKey(0, VK_F1);
    ASSERT_TRUE(WaitDialog(dlg_, [&] { return !help_.empty(); }));
    EXPECT_EQ(help_, std::vector<unsigned long>{17});
    EXPECT_EQ(KeyValue(hkTLSizeUp), ParseShortCut("Shift+Ctrl+Alt+Up"));
    // With a modifier it is an ordinary key.
    PressKey(MOD_CONTROL, VK_F1);
    EXPECT_TRUE(WaitDialog(dlg_, [&] { return KeyValue(hkTLSizeUp) == (scCtrl | VK_F1); }));
    EXPECT_EQ(help_.size(), 1u);
}

TEST_F(OptionsDialogTest, PagesTurnByTabAndKeyboardAndTabbingFollowsTheirRows) {
    Open();
    // Real keystrokes: Ctrl+Tab between pages, and a combination typed into
    // a focused key-capture control (the program's hotkeys are unregistered
    // while the dialog is open, so it arrives there).
    SetForegroundWindow(dlg_);
    ASSERT_TRUE(WaitDialog(dlg_, [&] { return GetForegroundWindow() == dlg_; }));
    PressKey(MOD_CONTROL, VK_TAB);
    ASSERT_TRUE(WaitDialog(dlg_, [&] { return OptionDlg->ActivePage() == 1; }));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg_, idPage0 + 1)));
    // The focus went along into the new page.
    EXPECT_EQ(GetFocus(), Key(hkMoveUp));
    PressKey(MOD_SHIFT | MOD_ALT, VK_DOWN);
    ASSERT_TRUE(
        WaitDialog(dlg_, [&] { return KeyValue(hkMoveUp) == (scShift | scAlt | VK_DOWN); }));
    PressKey(MOD_CONTROL | MOD_SHIFT, VK_TAB);
    ASSERT_TRUE(WaitDialog(dlg_, [&] { return OptionDlg->ActivePage() == 0; }));
    PressKey(MOD_CONTROL | MOD_SHIFT, VK_TAB);
    ASSERT_TRUE(WaitDialog(dlg_, [&] { return OptionDlg->ActivePage() == 5; }));

    OptionDlg->SetActivePage(static_cast<int>(OptionPage::Move));
    // The page's keys in the table's order, its buttons, its step, then the
    // dialog's own controls and round again.
    std::vector<int> order;
    for (const HotkeyEntry* e : HotkeysOfPage(OptionPage::Move))
        order.push_back(HotkeyControlId(e->Number));
    const int first = order.front();
    order.insert(order.end(), {idMoveDefaults, idMoveClear, idMoveP, idPageTabs, idOKBtn,
                               idCancelBtn, idHelpBtn, first});
    for (size_t i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(GetNextDlgTabItem(dlg_, C(order[i]), FALSE), C(order[i + 1])) << i;

    HWND tab = C(idPageTabs);
    SendMessageW(tab, TCM_SETCURSEL, 4, 0);
    NMHDR n{tab, static_cast<UINT_PTR>(idPageTabs), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(dlg_, WM_NOTIFY, idPageTabs, reinterpret_cast<LPARAM>(&n));
    for (int p = 0; p < kOptionPageCount; ++p)
        EXPECT_EQ(IsWindowVisible(GetDlgItem(dlg_, idPage0 + p)) != FALSE, p == 4) << p;
}

// Renders the options dialog's six pages, the About box, the tray icon, the
// help window and the program's popup menu to BMP files for the
// documentation and for review (tools/screenshots.sh turns them into PNG).
// Disabled in normal runs; run it with
//   uishots_test --gtest_also_run_disabled_tests
// and QUOREL_SHOTS_DIR set to a Windows folder.
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "base/dpi.h"
#include "ui/about_box.h"
#include "ui/help_window.h"
#include "ui/options_dialog.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <memory>

#include <string>
#include <vector>

using namespace testutil;

namespace {

std::wstring ShotsDir() {
    wchar_t d[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"QUOREL_SHOTS_DIR", d, MAX_PATH);
    return n > 0 && n < MAX_PATH ? d : L".";
}

// Lets the window paint completely, then copies its screen rectangle into
// a 24-bit BMP file.
bool Capture(HWND hwnd, const std::wstring& name) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 20; ++i) {
        PumpMessages(hwnd);
        Sleep(10); // the X server catches up with the drawing
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h; // bottom-up
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    int stride = ((w * 3) + 3) & ~3;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(stride * h);
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
    bytes.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    bytes.append(static_cast<const char*>(bits), static_cast<size_t>(stride * h));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    WriteFileBytes(ShotsDir() + L"\\" + name + L".bmp", bytes);
    return true;
}

// Sends the window what the system sends when it moves to a monitor of
// another DPI (the window is at fromDpi now).
void SimulateDpi(HWND hwnd, UINT fromDpi, UINT dpi) {
    RECT r;
    GetWindowRect(hwnd, &r);
    RECT client;
    GetClientRect(hwnd, &client);
    int extraW = (r.right - r.left) - client.right, extraH = (r.bottom - r.top) - client.bottom;
    RECT suggested{r.left, r.top, r.left + MulDiv(client.right, dpi, fromDpi) + extraW,
                   r.top + MulDiv(client.bottom, dpi, fromDpi) + extraH};
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// The name of a picture taken at a DPI: name at 96, name-<dpi> otherwise.
std::wstring DpiName(const std::wstring& name, UINT dpi) {
    return dpi == dpi::kDefaultDpi ? name : name + L"-" + std::to_wstring(dpi);
}

} // namespace

// The options dialog in Japanese ("options-<page>") and in English
// ("options-<page>-en"), at 96 DPI and moved to 144 and 192.
TEST(UiShots, DISABLED_RenderDialogs) {
    TempDir dir;
    LoadSettings(dir.File(L"none.ini")); // the defaults
    for (const char* language : {"ja", "en"}) {
        Settings.Language = language;
        const std::wstring suffix = Settings.Language == "en" ? L"-en" : L"";
        auto options = std::make_unique<OptionsDialog>(nullptr);
        HWND dlg = options->Handle();
        options->Show();
        SetWindowPos(dlg, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
        SetCursorPos(0, 0);
        // The focus on the tab strip, as after a click on a tab.
        SetFocus(OptionsDialogControl(dlg, idPageTabs));
        for (int page = 0; page < kOptionPageCount; ++page) {
            options->SetActivePage(page);
            EXPECT_TRUE(Capture(dlg, L"options-" + std::to_wstring(page) + suffix));
        }
        UINT current = 96;
        for (UINT dpi : {144u, 192u}) {
            SimulateDpi(dlg, current, dpi);
            current = dpi;
            for (int page : {0, 2, 4}) {
                options->SetActivePage(page);
                Capture(dlg,
                        L"options-" + std::to_wstring(page) + suffix + L"-" + std::to_wstring(dpi));
            }
        }
        SendMessageW(OptionsDialogControl(dlg, idCancelBtn), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
    }
}

// The About box at the DPI the system runs at (tools/screenshots.sh runs
// this at 96, 144 and 192 DPI): "about" at 96 DPI, "about-<dpi>" otherwise.
TEST(UiShots, DISABLED_RenderAboutBox) {
    const UINT dpi = dpi::ForSystem();
    for (const char* language : {"ja", "en"}) {
        Settings.Language = language;
        const std::wstring suffix = Settings.Language == "en" ? L"-en" : L"";
        AboutBox box(nullptr);
        box.SetProgramName(L"Quorel");
        box.SetVersionText(L"Version 1.06");
        box.OnShow = [&](AboutBox& b) {
            SetWindowPos(b.Handle(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
            // Active, as after opening it from the menu. Wine draws the caption
            // of a process's first window inactive when no window had the X
            // focus before; the caption is drawn again as active.
            SetForegroundWindow(b.Handle());
            WaitUntil([&] { return GetForegroundWindow() == b.Handle(); });
            SendMessageW(b.Handle(), WM_NCACTIVATE, TRUE, 0);
            Capture(b.Handle(), DpiName(L"about" + suffix, dpi));
            PostMessageW(b.Handle(), WM_COMMAND, IDOK, 0);
        };
        box.ShowModal();
    }
}

// The real program's icon in the notification area as Wine shows it when
// there is no tray program on the display (a window of its own), at the DPI
// the system runs at: "tray" at 96 DPI, "tray-<dpi>" otherwise.
TEST(UiShots, DISABLED_RenderTray) {
    QuorelProcess quorel;
    ASSERT_TRUE(quorel.Start());
    HWND tray = nullptr;
    if (!WaitUntil([&] {
            tray = FindWindowW(nullptr, L"Wine System Tray");
            return tray && IsWindowVisible(tray) &&
                   FindWindowExW(tray, nullptr, nullptr, nullptr) != nullptr;
        }))
        GTEST_SKIP() << "no stand-alone tray window on this system";
    quorel.WaitIdle();
    Capture(tray, DpiName(L"tray", dpi::ForSystem()));
    EXPECT_TRUE(quorel.Close());
}

namespace {

std::wstring HelpShotText(HelpTopic topic) {
    return HelpTopicText(topic, Settings, HelpFacts{L"C:\\Tools\\Quorel\\Quorel.INI"});
}

} // namespace

// The help window with the default keys: its first topic, and the Move
// topic at 100 % and at 150 %; in Japanese, and in English ("-en").
TEST(UiShots, DISABLED_RenderHelp) {
    TempDir dir;
    LoadSettings(dir.File(L"none.ini")); // the defaults
    for (const char* language : {"ja", "en"}) {
        Settings.Language = language;
        const std::wstring suffix = Settings.Language == "en" ? L"-en" : L"";
        HelpWindow help(nullptr);
        help.TopicText = &HelpShotText;
        help.Show(HelpTopic::Intro);
        HWND h = help.Handle();
        ASSERT_NE(h, nullptr);
        SetWindowPos(h, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
        // Active, as after opening it from the menu (see the About box).
        WaitUntil([&] { return GetForegroundWindow() == h; });
        SendMessageW(h, WM_NCACTIVATE, TRUE, 0);
        EXPECT_TRUE(Capture(h, L"help" + suffix));
        help.Show(HelpTopic::Move);
        Capture(h, L"help-1" + suffix);
        SimulateDpi(h, 96, 144);
        Capture(h, L"help-1" + suffix + L"-144");
    }
}

// The popup menu of the real program, opened from the tray icon (the
// shell's callback for a right-button press) and at the cursor (its
// hotkey).
TEST(UiShots, DISABLED_RenderPopupMenu) {
    for (const char* language : {"ja", "en"}) {
        const std::wstring suffix = std::string(language) == "en" ? L"-en" : L"";
        const std::string ini =
            "[Option]\r\nPopupMenuKey=Ctrl+Alt+P\r\nLanguage=" + std::string(language) + "\r\n";
        QuorelProcess quorel(&ini);
        ASSERT_TRUE(quorel.Start());
        quorel.WaitIdle();
        auto menu = [&] {
            auto menus = quorel.VisibleWindows(L"#32768");
            return menus.empty() ? HWND{} : menus.front();
        };
        auto shoot = [&](const std::wstring& name) {
            ASSERT_TRUE(WaitUntil([&] { return menu() != nullptr; }));
            quorel.WaitIdle();
            Capture(menu(), name);
            PressKey(0, VK_ESCAPE);
            ASSERT_TRUE(WaitUntil([&] { return menu() == nullptr; }));
        };

        HWND receiver = FindWindowExW(quorel.MainForm(), nullptr, L"TNotifyWindow", nullptr);
        ASSERT_TRUE(receiver);
        SetCursorPos(200, 150);
        PostMessageW(receiver, WM_USER + 102, 1, WM_RBUTTONDOWN);
        PostMessageW(receiver, WM_USER + 102, 1, WM_RBUTTONUP);
        shoot(L"menu-tray" + suffix);

        SetCursorPos(200, 150);
        PressKey(MOD_CONTROL | MOD_ALT, 'P');
        shoot(L"menu-cursor" + suffix);
        EXPECT_TRUE(quorel.Close());
    }
}

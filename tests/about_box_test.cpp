// The About box: shown modally with its captions and layout; Enter, Esc,
// the OK button and the close command end it; its links open through the
// (replaced) shell call.
#include "ui/about_box.h"

#include "base/dpi.h"
#include "settings/settings.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testutil;

namespace {

RECT RectIn(HWND h, HWND parent) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Shows a box as the About command does and runs check while it is up;
// then closes it with closeWith (run from inside the modal loop).
int ShowAbout(const std::function<void(AboutBox&)>& check,
              const std::function<void(AboutBox&)>& closeWith) {
    AboutBox box(nullptr);
    box.SetProgramName(L"Quorel");
    box.SetVersionText(L"Version 1.06");
    bool shown = false;
    box.OnShow = [&](AboutBox& b) {
        shown = true;
        if (check)
            check(b);
        closeWith(b);
    };
    int r = box.ShowModal();
    EXPECT_TRUE(shown);
    EXPECT_EQ(box.Handle(), nullptr);
    return r;
}

} // namespace

// In each language: its caption and font, and the same layout.
struct AboutLanguage {
    const char* setting;
    const wchar_t* caption;
    const wchar_t* face;
    BYTE charset;
};
constexpr AboutLanguage kAboutLanguages[] = {
    {"ja", L"バージョン情報", L"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET},
    {"en", L"About Quorel", L"Segoe UI", DEFAULT_CHARSET},
};

TEST(AboutBox, OpensWithItsCaptionsAndLayout) {
    for (const AboutLanguage& language : kAboutLanguages) {
        SCOPED_TRACE(language.setting);
        Settings.Language = language.setting;
        ShowAbout(
            [&language](AboutBox& b) {
                HWND h = b.Handle();
                ASSERT_TRUE(IsWindowVisible(h));
                EXPECT_EQ(WindowText(h), language.caption);
                EXPECT_EQ(ClassName(h), L"TAboutBox");
                UINT dpi = dpi::ForMonitor(dpi::PrimaryMonitor());
                auto S = [dpi](int v) { return dpi::Scale(v, dpi); };
                RECT client;
                GetClientRect(h, &client);
                EXPECT_EQ(client.right, S(313));
                EXPECT_EQ(client.bottom, S(113));
                LONG style = GetWindowLongW(h, GWL_STYLE);
                EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

                EXPECT_EQ(WindowText(GetDlgItem(h, idAboutProgramName)), L"Quorel");
                EXPECT_EQ(WindowText(GetDlgItem(h, idAboutVersion)), L"Version 1.06");
                EXPECT_EQ(WindowText(GetDlgItem(h, idAboutNotice)), kAboutNotice);
                EXPECT_EQ(WindowText(GetDlgItem(h, idAboutWebLink)), kAboutWebAddress);
                EXPECT_EQ(WindowText(GetDlgItem(h, idAboutMailLink)), kAboutMailAddress);
                HWND ok = GetDlgItem(h, idAboutOk);
                EXPECT_EQ(WindowText(ok), L"OK");
                EXPECT_EQ(GetWindow(h, GW_CHILD), ok); // first in the tab order
                EXPECT_EQ(GetFocus(), ok);

                // Label1 in its own font.
                LOGFONTW lf{};
                GetObjectW(reinterpret_cast<HFONT>(
                               SendMessageW(GetDlgItem(h, idAboutProgramName), WM_GETFONT, 0, 0)),
                           sizeof lf, &lf);
                EXPECT_EQ(std::wstring(lf.lfFaceName), L"Times New Roman");
                EXPECT_EQ(lf.lfWeight, FW_BOLD);
                EXPECT_EQ(lf.lfHeight, S(-16));
                GetObjectW(reinterpret_cast<HFONT>(
                               SendMessageW(GetDlgItem(h, idAboutNotice), WM_GETFONT, 0, 0)),
                           sizeof lf, &lf);
                EXPECT_EQ(std::wstring(lf.lfFaceName), language.face);
                EXPECT_EQ(lf.lfHeight, S(-12));
                EXPECT_EQ(lf.lfCharSet, language.charset);

                // The program's icon.
                EXPECT_NE(SendMessageW(GetDlgItem(h, idAboutIcon), STM_GETICON, 0, 0), 0);

                // The stored layout; every item inside the client area, none
                // overlapping another.
                struct Place {
                    int id, left, top;
                };
                const Place places[] = {{idAboutOk, 232, 8},        {idAboutProgramName, 64, 8},
                                        {idAboutVersion, 64, 30},   {idAboutNotice, 64, 45},
                                        {idAboutSeparator, 48, 64}, {idAboutWebLink, 49, 72},
                                        {idAboutMailLink, 49, 86}};
                for (const Place& p : places) {
                    RECT r = RectIn(GetDlgItem(h, p.id), h);
                    EXPECT_EQ(r.left, S(p.left)) << p.id;
                    EXPECT_EQ(r.top, S(p.top)) << p.id;
                }
                RECT okr = RectIn(ok, h);
                EXPECT_EQ(okr.right - okr.left, S(73));
                EXPECT_EQ(okr.bottom - okr.top, S(21));
                EXPECT_EQ(RectIn(GetDlgItem(h, idAboutSeparator), h).right, S(48 + 257));
                std::vector<RECT> rects;
                for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                    RECT r = RectIn(c, h);
                    EXPECT_LE(r.right, client.right) << GetDlgCtrlID(c);
                    EXPECT_LE(r.bottom, client.bottom) << GetDlgCtrlID(c);
                    rects.push_back(r);
                }
                for (size_t i = 0; i < rects.size(); ++i)
                    for (size_t j = i + 1; j < rects.size(); ++j) {
                        RECT x;
                        EXPECT_FALSE(IntersectRect(&x, &rects[i], &rects[j])) << i << " " << j;
                    }
            },
            [](AboutBox& b) { SendMessageW(GetDlgItem(b.Handle(), idAboutOk), BM_CLICK, 0, 0); });
    }
    Settings.Language.clear();
}

TEST(AboutBox, EnterEscOkAndCloseEndIt) {
    // Keys go through the modal loop's dialog manager.
    auto key = [](WPARAM vk) {
        return [vk](AboutBox& b) {
            PostMessageW(GetFocus(), WM_KEYDOWN, vk, 0);
            (void)b;
        };
    };
    EXPECT_EQ(ShowAbout(nullptr, key(VK_RETURN)), IDCANCEL);
    EXPECT_EQ(ShowAbout(nullptr, key(VK_ESCAPE)), IDCANCEL);
    EXPECT_EQ(ShowAbout(nullptr,
                        [](AboutBox& b) {
                            SendMessageW(GetDlgItem(b.Handle(), idAboutOk), BM_CLICK, 0, 0);
                        }),
              IDCANCEL);
    EXPECT_EQ(ShowAbout(nullptr,
                        [](AboutBox& b) { PostMessageW(b.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }),
              IDCANCEL);
}

TEST(AboutBox, EachShowingIsANewBoxFromTheStoredLayout) {
    HWND first = nullptr;
    ShowAbout([&](AboutBox& b) { first = b.Handle(); },
              [](AboutBox& b) { PostMessageW(b.Handle(), WM_CLOSE, 0, 0); });
    EXPECT_FALSE(IsWindow(first));
    AboutBox fresh(nullptr);
    EXPECT_EQ(fresh.ProgramName(), L"Quorel");
    EXPECT_EQ(fresh.VersionText(), L"Version 0.00");
}

TEST(AboutBox, LinksOpenTheirAddressesOnPress) {
    std::vector<std::wstring> opened;
    AboutBox box(nullptr);
    box.ShellOpen = [&](const std::wstring& t) { opened.push_back(t); };
    box.OnShow = [&](AboutBox& b) {
        ASSERT_TRUE(b.WebLink());
        EXPECT_TRUE(b.WebLink()->Executable());
        EXPECT_EQ(b.WebLink()->HotColor(), clBlue);
        EXPECT_EQ(b.MailLink()->HotColor(), clBlue);
        EXPECT_EQ(b.WebLink()->PushedColor(), clRed);
        for (LinkLabel* link : {b.WebLink(), b.MailLink()}) {
            SendMessageW(link->Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(1, 1));
            SendMessageW(link->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
        }
        // The box stays open after a link was used.
        EXPECT_TRUE(IsWindowVisible(b.Handle()));
        PostMessageW(b.Handle(), WM_COMMAND, IDOK, 0);
    };
    box.ShowModal();
    EXPECT_EQ(opened, (std::vector<std::wstring>{kAboutWebAddress, kAboutMailAddress}));
}

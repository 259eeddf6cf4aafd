// The link label on a real window: colour states, the pointer and the
// shell call on every press. The shell call is replaced so that no browser
// opens.
#include "ui/link_label.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace testutil;

namespace {

class LinkLabelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The pointer well away from the label.
        SetCursorPos(0, 0);
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 400, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(parent_);
        label_ = std::make_unique<LinkLabel>(parent_, 1, 10, 10);
        label_->SetCaption(L"https://quorel.example.org/");
        label_->ShellOpen = [this](const std::wstring& t) { opened_.push_back(t); };
        PumpMessages();
    }
    void TearDown() override {
        label_.reset();
        DestroyWindow(parent_);
    }

    void Send(UINT msg, int x = 2, int y = 2) {
        SendMessageW(label_->Handle(), msg, 0, MAKELPARAM(x, y));
    }
    // Puts the pointer inside or outside the label (for the release).
    void PointerInside(bool inside) {
        RECT r;
        GetWindowRect(label_->Handle(), &r);
        if (inside)
            SetCursorPos(r.left + 2, r.top + 2);
        else
            SetCursorPos(r.right + 50, r.bottom + 40);
    }

    HWND parent_ = nullptr;
    std::unique_ptr<LinkLabel> label_;
    std::vector<std::wstring> opened_;
};

} // namespace

TEST_F(LinkLabelTest, DefaultsSizeAndPointer) {
    EXPECT_FALSE(label_->Executable());
    EXPECT_TRUE(label_->HotTrack());
    EXPECT_EQ(label_->HotColor(), clAqua);
    EXPECT_EQ(label_->PushedColor(), clRed);
    EXPECT_EQ(label_->FontColor(), clWindowText);
    EXPECT_EQ(ColorToRGB(clWindowText), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(ColorToRGB(clBlue), RGB(0, 0, 255));
    EXPECT_EQ(ClassName(label_->Handle()), L"TURLLabel");
    EXPECT_EQ(WindowText(label_->Handle()), L"https://quorel.example.org/");
    EXPECT_EQ(LinkLabel::FromHandle(label_->Handle()), label_.get());
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(label_->Handle(), GCLP_HCURSOR)),
              LoadCursorW(nullptr, IDC_HAND));

    // The size follows the caption.
    RECT a, b;
    GetClientRect(label_->Handle(), &a);
    label_->SetCaption(L"mailto:support@quorel.example.org and more");
    GetClientRect(label_->Handle(), &b);
    EXPECT_GT(a.right, 0);
    EXPECT_GT(a.bottom, 0);
    EXPECT_GT(b.right, a.right);
}

TEST_F(LinkLabelTest, ColoursFollowEntryPressReleaseAndExit) {
    label_->SetExecutable(true);
    label_->SetFontColor(0x00123456);
    Send(WM_MOUSEMOVE); // enters
    EXPECT_EQ(label_->FontColor(), clAqua);
    EXPECT_EQ(label_->SavedColor(), 0x00123456u);

    PointerInside(true);
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(label_->FontColor(), clRed);
    EXPECT_EQ(GetCapture(), label_->Handle());
    Send(WM_LBUTTONUP);
    EXPECT_EQ(label_->FontColor(), clAqua); // released over the label: hot
    EXPECT_EQ(GetCapture(), nullptr);

    // Pressed, dragged off and released outside: the target is already
    // open; the colour goes back to the resting one.
    Send(WM_LBUTTONDOWN);
    PointerInside(false);
    Send(WM_LBUTTONUP, 500, 300);
    EXPECT_EQ(label_->FontColor(), 0x00123456u);
    EXPECT_EQ(opened_.size(), 2u);

    Send(WM_MOUSEMOVE);
    EXPECT_EQ(label_->FontColor(), clAqua);
    SendMessageW(label_->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(label_->FontColor(), 0x00123456u);
}

TEST_F(LinkLabelTest, EveryPressOfAnyButtonOpensTheCaption) {
    label_->SetExecutable(true);
    for (UINT msg : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        Send(msg);
        Send(msg == WM_LBUTTONDOWN   ? WM_LBUTTONUP
             : msg == WM_RBUTTONDOWN ? WM_RBUTTONUP
                                     : WM_MBUTTONUP);
    }
    // A double click: its second press arrives as a double-click message.
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    Send(WM_LBUTTONDBLCLK);
    Send(WM_LBUTTONUP);
    ASSERT_EQ(opened_.size(), 5u);
    for (const auto& t : opened_)
        EXPECT_EQ(t, L"https://quorel.example.org/");
}

TEST_F(LinkLabelTest, WithoutHotTrackTheColourStaysAndPressesStillOpen) {
    label_->SetExecutable(true);
    label_->SetHotTrack(false);
    Send(WM_MOUSEMOVE);
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(label_->FontColor(), clWindowText);
    PointerInside(true);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(label_->FontColor(), clWindowText);
    EXPECT_EQ(opened_.size(), 1u);
}

TEST_F(LinkLabelTest, NotExecutableOnlyChangesColour) {
    std::vector<int> downs;
    label_->OnMouseDown = [&](LinkLabel&, int button, int, int) { downs.push_back(button); };
    label_->SetHotColor(clBlue);
    label_->SetPushedColor(0x00008000);
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(label_->FontColor(), clBlue);
    Send(WM_RBUTTONDOWN);
    EXPECT_EQ(label_->FontColor(), 0x00008000u);
    Send(WM_RBUTTONUP);
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(downs, std::vector<int>{1});
}

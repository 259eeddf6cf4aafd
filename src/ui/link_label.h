// LinkLabel: a text label that behaves like a link. It changes its text
// colour while the pointer is over it and while a button is held down on
// it, shows the pointing-hand pointer, and, when Executable, hands its own
// caption to the shell on every button press ("https://..." opens in the
// browser, "mailto:..." in the mail program).
#pragma once

#include "base/message_window.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// A colour: 0x00BBGGRR, or a system colour (0x80000000 | COLOR_xxx).
using TColor = std::uint32_t;
constexpr TColor clWindowText = 0x80000000u | COLOR_WINDOWTEXT;
constexpr TColor clAqua = 0x00FFFF00u;
constexpr TColor clBlue = 0x00FF0000u;
constexpr TColor clRed = 0x000000FFu;

// The RGB value of a colour (system colours resolved).
COLORREF ColorToRGB(TColor color);

class LinkLabel : public MessageWindow {
  public:
    // Creates the label as a child window of parent at (left, top) in the
    // parent's client pixels; its size follows its caption and font.
    LinkLabel(HWND parent, int id, int left, int top);
    ~LinkLabel() override;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& text);
    // The font the caption is drawn in (not owned; WM_SETFONT does the same).
    void SetFont(HFONT font);
    void MoveTo(int left, int top);

    // The current text colour; clWindowText initially.
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);
    // The colour saved when the pointer last entered.
    TColor SavedColor() const { return savedColor_; }

    bool Executable() const { return executable_; }
    void SetExecutable(bool value) { executable_ = value; }
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    TColor HotColor() const { return hotColor_; }
    void SetHotColor(TColor value);
    TColor PushedColor() const { return pushedColor_; }
    void SetPushedColor(TColor value);

    // Events (skipped when empty): a button pressed or released on the
    // label; button is 0 left, 1 right, 2 middle; x, y client pixels.
    std::function<void(LinkLabel&, int button, int x, int y)> OnMouseDown;
    std::function<void(LinkLabel&, int button, int x, int y)> OnMouseUp;

    // Opens a target through the shell. By default ShellExecuteW with "open",
    // no owner window and SW_SHOW; the result is not examined. Replaceable
    // (tests).
    std::function<void(const std::wstring& target)> ShellOpen;

    // The label of a window handle, or nullptr.
    static LinkLabel* FromHandle(HWND hwnd);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void TrackLeave();
    void Paint();
    void AutoSize();
    void Repaint();
    void MouseEnter();
    void MouseLeave();
    void MouseDown(int button, int x, int y);
    void MouseUp(int button, int x, int y);
    void MouseMove(int x, int y);

    HFONT font_ = nullptr;
    bool executable_ = false;
    bool hotTrack_ = true;
    TColor savedColor_ = 0;
    TColor hotColor_ = clAqua;
    TColor pushedColor_ = clRed;
    TColor fontColor_ = clWindowText;
    bool inside_ = false; // the pointer is over the label (as last told)
};

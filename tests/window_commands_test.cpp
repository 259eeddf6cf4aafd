// The window commands on real windows of this process: the geometry tables,
// the capability probe, the foreground-window commands, the desktop-wide
// commands, and the command runner with windows that do not answer or
// answer slowly.
#include "winops/window_commands.h"

#include "winops/command_queues.h"
#include "winops/command_runner.h"

#include "settings/settings.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <memory>
#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Every SC_RESTORE that reached a test window, in order of arrival.
std::vector<HWND> g_restoreArrivals;

// What a test window saw of the commands.
struct Record {
    std::vector<WINDOWPOS> changing; // WM_WINDOWPOSCHANGING as it arrived
    std::vector<WPARAM> sysCommands; // WM_SYSCOMMAND, low four bits masked
};

LRESULT CALLBACK RecordingProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* rec = reinterpret_cast<Record*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (rec && msg == WM_WINDOWPOSCHANGING)
        rec->changing.push_back(*reinterpret_cast<WINDOWPOS*>(lp));
    if (rec && msg == WM_SYSCOMMAND) {
        rec->sysCommands.push_back(wp & 0xFFF0);
        if ((wp & 0xFFF0) == SC_RESTORE)
            g_restoreArrivals.push_back(wnd);
    }
    if (msg == WM_NCDESTROY)
        SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    return DefWindowProcW(wnd, msg, wp, lp);
}

// A window class with the recording procedure, registered for the lifetime
// of the object. Class names compare without case, so "Progman" and
// "progman" cannot both be registered at the same time.
class WindowClass {
  public:
    explicit WindowClass(const wchar_t* name) : name_(name) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = name;
        atom_ = RegisterClassExW(&wc);
    }
    ~WindowClass() {
        if (atom_)
            UnregisterClassW(name_, GetModuleHandleW(nullptr));
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    const wchar_t* Name() const { return name_; }
    explicit operator bool() const { return atom_ != 0; }

  private:
    const wchar_t* name_;
    ATOM atom_ = 0;
};

const wchar_t* DefaultClass() {
    static WindowClass cls(L"QuorelWinKeyTest");
    return cls.Name();
}

// A top-level window of this thread that records what it receives.
class TestWindow {
  public:
    explicit TestWindow(DWORD style, DWORD exStyle = 0, int show = SW_SHOWNORMAL,
                        const wchar_t* cls = DefaultClass()) {
        wnd_ = CreateWindowExW(exStyle, cls, L"winkey", style, 100, 120, 320, 240, nullptr, nullptr,
                               GetModuleHandleW(nullptr), &rec_);
        if (show != SW_HIDE)
            ShowWindow(wnd_, show);
        testutil::PumpMessages();
        Clear();
    }
    ~TestWindow() {
        if (IsWindow(wnd_))
            DestroyWindow(wnd_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    operator HWND() const { return wnd_; }
    const std::vector<WPARAM>& SysCommands() const { return rec_.sysCommands; }
    const std::vector<WINDOWPOS>& Changing() const { return rec_.changing; }
    void Clear() { rec_ = {}; }

  private:
    Record rec_;
    HWND wnd_ = nullptr;
};

// Carries a command out on this thread, as soon as it is chosen; the
// windows of these tests belong to this thread.
void Now(const std::optional<WindowCommand>& command) {
    if (command)
        CarryOut(*command);
}

void InOrderNow(const std::vector<WindowCommand>& commands) {
    for (const WindowCommand& c : commands)
        CarryOut(c);
}

bool MakeForeground(HWND wnd) {
    SetForegroundWindow(wnd);
    return testutil::WaitUntil([&] { return GetForegroundWindow() == wnd; });
}

// Brings the window to the foreground and carries out the command chosen
// for it there, as a press of its hotkey does.
bool Press(HWND wnd, std::optional<WindowCommand> (*choose)(const Target&)) {
    if (!MakeForeground(wnd))
        return false;
    Now(choose(ForegroundTarget()));
    testutil::PumpMessages();
    return true;
}

RECT WindowRect(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

// The SWP_ flags a caller can pass, without those the system adds on its
// own (SWP_NOCLIENTSIZE, SWP_NOCLIENTMOVE).
UINT CallerFlags(const WINDOWPOS& p) {
    return p.flags & ~UINT{0x0800 | 0x1000};
}

RECT Offset(RECT r, int dx, int dy, int dr, int db) {
    return RECT{r.left + dx, r.top + dy, r.right + dr, r.bottom + db};
}

const RECT kRect{100, 200, 400, 350}; // W 300, H 150

struct EnumFilter {
    std::vector<HWND> wanted, found;
};

BOOL CALLBACK CollectWanted(HWND wnd, LPARAM param) {
    auto* f = reinterpret_cast<EnumFilter*>(param);
    if (std::find(f->wanted.begin(), f->wanted.end(), wnd) != f->wanted.end())
        f->found.push_back(wnd);
    return TRUE;
}

// The given windows in the order in which EnumWindows reports them.
std::vector<HWND> ReportedOrder(std::vector<HWND> windows) {
    EnumFilter f{std::move(windows), {}};
    EnumWindows(CollectWanted, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

int identityReads = 0;
WindowIdentity CountedIdentity(HWND wnd) {
    ++identityReads;
    return ReadWindowIdentity(wnd);
}

HRESULT g_cloakAnswer = S_OK;
DWORD g_cloakValue = 0;

// Answers only the question for DWMWA_CLOAKED (14) into a DWORD.
HRESULT WINAPI FakeCloakQuery(HWND, DWORD attribute, void* value, DWORD size) {
    *static_cast<DWORD*>(value) = g_cloakValue;
    return attribute == 14 && size == sizeof(DWORD) ? g_cloakAnswer : E_INVALIDARG;
}

template <class Fn> long long MillisecondsTaken(Fn&& command) {
    auto start = std::chrono::steady_clock::now();
    command();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

} // namespace

// For the assertions and their messages.
static bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}
static void PrintTo(const RECT& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
static void PrintTo(const WindowPosRequest& p, std::ostream* os) {
    *os << "{" << p.X << ", " << p.Y << ", " << p.Width << ", " << p.Height << ", flags " << p.Flags
        << "}";
}

// Each direction moves the window or one edge by the step, used as it
// stands (zero, negative, beyond the size: nothing is clamped). A huge step
// from a hand-edited settings file: a growing window never shrinks, the edge
// that stays put stays put, a moved window keeps its size, and no edge
// leaves the int range.
TEST(WindowCommandsGeometry, EachDirectionMovesItsEdgesAndHugeStepsStopAtTheIntRange) {
    using Geometry = std::optional<WindowPosRequest> (*)(const RECT&, Direction, int);
    const Geometry M = MoveGeometry, BR = SizeBottomRightGeometry, TL = SizeTopLeftGeometry;
    const RECT notepad{100, 50, 710, 550}; // 610 x 500
    constexpr int s = INT_MAX / 2 + 1000, kMax = INT_MAX;
    constexpr UINT kNoSize = SWP_NOSIZE, kNoMove = SWP_NOMOVE;
    const struct {
        Geometry geometry;
        RECT r;
        Direction d;
        int step;
        WindowPosRequest want;
    } cases[] = {
        {M, kRect, Up, 7, {100, 193, 0, 0, kNoSize}},
        {M, kRect, Down, 7, {100, 207, 0, 0, kNoSize}},
        {M, kRect, Left, 7, {93, 200, 0, 0, kNoSize}},
        {M, kRect, Right, 7, {107, 200, 0, 0, kNoSize}},
        {M, kRect, Up, 0, {100, 200, 0, 0, kNoSize}},
        {M, kRect, Right, -10, {90, 200, 0, 0, kNoSize}},
        {M, kRect, Left, 5000, {-4900, 200, 0, 0, kNoSize}},
        {BR, kRect, Up, 5, {100, 200, 300, 145, kNoMove}},
        {BR, kRect, Down, 5, {100, 200, 300, 155, kNoMove}},
        {BR, kRect, Left, 5, {100, 200, 295, 150, kNoMove}},
        {BR, kRect, Right, 5, {100, 200, 305, 150, kNoMove}},
        {BR, kRect, Up, 200, {100, 200, 300, -50, kNoMove}},
        {BR, kRect, Left, 400, {100, 200, -100, 150, kNoMove}},
        {TL, kRect, Up, 5, {100, 195, 300, 155, 0}},
        {TL, kRect, Down, 5, {100, 205, 300, 145, 0}},
        {TL, kRect, Left, 5, {95, 200, 305, 150, 0}},
        {TL, kRect, Right, 5, {105, 200, 295, 150, 0}},
        // A top below the old bottom edge together with a negative height.
        {TL, kRect, Down, 200, {100, 400, 300, -50, 0}},
        {TL, kRect, Right, 400, {500, 200, -100, 150, 0}},
        {TL, kRect, Up, -5, {100, 205, 300, 145, 0}},
        {M, notepad, Up, INT_MIN, {100, kMax - 500, 0, 0, kNoSize}},
        {M, notepad, Right, kMax, {kMax - 610, 50, 0, 0, kNoSize}},
        {M, notepad, Left, kMax, {100 - kMax, 50, 0, 0, kNoSize}},
        {M, {-100, 0, 0, 10}, Left, kMax, {INT_MIN, 0, 0, 0, kNoSize}},
        // Bottom-right: the right or bottom edge goes to the end of the
        // range; from left of the origin the width itself stops at INT_MAX.
        {BR, notepad, Right, kMax, {100, 50, kMax - 100, 500, kNoMove}},
        {BR, notepad, Down, kMax, {100, 50, 610, kMax - 50, kNoMove}},
        {BR, {-300, 0, 10, 10}, Right, kMax, {-300, 0, kMax, 10, kNoMove}},
        // Shrinking gives a negative size, never a wrapped one.
        {BR, notepad, Left, kMax, {100, 50, 610 - kMax, 500, kNoMove}},
        // Top-left: the left or top edge goes out, the opposite edge stays,
        // and the size stops at INT_MAX.
        {TL, notepad, Left, kMax, {710 - kMax, 50, kMax, 500, 0}},
        {TL, notepad, Up, kMax, {100, 550 - kMax, 610, kMax, 0}},
        {TL, notepad, Left, s, {100 - s, 50, 610 + s, 500, 0}},
        {TL, notepad, Up, s, {100, 50 - s, 610, 500 + s, 0}},
        {TL, {0, 0, 10, 10}, Left, INT_MIN, {kMax, 0, 10 - kMax, 10, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(*c.geometry(c.r, c.d, c.step), c.want) << c.d << " by " << c.step;
    EXPECT_FALSE(MoveGeometry(kRect, static_cast<Direction>(4), 7));
    EXPECT_FALSE(SizeBottomRightGeometry(kRect, static_cast<Direction>(-1), 5));
    // Moves keep both edges within the range, whichever way.
    for (Direction d : {Up, Down, Left, Right})
        for (int step : {INT_MAX, INT_MIN}) {
            WindowPosRequest m = *MoveGeometry(notepad, d, step);
            EXPECT_LE(std::int64_t{m.X} + 610, INT_MAX);
            EXPECT_LE(std::int64_t{m.Y} + 500, INT_MAX);
            EXPECT_TRUE(m.X == 100 || m.Y == 50); // one axis moves
        }
}

TEST(WindowCommandsGeometry, CenterSplitsTheSparePixelsAndStartsALongerWindowAtTheWorkArea) {
    const RECT work{0, 0, 1000, 700};
    const RECT left{-1920, -200, 0, 880}; // left of and above the primary, taskbar at the top
    const struct {
        RECT window, work;
        int x, y;
    } cases[] = {
        {{5, 5, 205, 105}, work, 400, 300},
        {{0, 0, 201, 101}, work, 399, 299}, // the odd spare pixel goes right and down
        // Wider than the work area: its left edge at the work area's; the
        // height still fits and is centred. Then both axes too long.
        {{-50, 9, 1150, 109}, work, 0, 300},
        {{30, 40, 1030, 900}, {0, 40, 1000, 700}, 0, 40},
        {{7, 7, 2007, 1007}, work, 0, 0},
        {{5, 5, 405, 305}, left, -1160, 190},
        {{0, 0, 3000, 301}, left, -1920, 189},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CenterGeometry(c.window, c.work),
                  (WindowPosRequest{c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE}))
            << c.x << "," << c.y;
}

// Next/previous monitor: monitors left to right then top to bottom, wrapping;
// the place in the spare room kept; what does not fit shrunk if resizable.
TEST(WindowCommandsGeometry, MonitorMoveKeepsThePlaceAndSizeAndShrinksOnlyWhatDoesNotFit) {
    std::vector<MonitorArea> monitors{
        {{1280, 0, 2304, 768}, {1280, 0, 2304, 768}},
        {{0, 800, 1280, 1600}, {0, 800, 1280, 1560}},
        {{0, 0, 1280, 800}, {0, 0, 1280, 760}},
        {{-1920, -200, 0, 880}, {-1920, -160, 0, 880}},
    };
    SortMonitors(monitors);
    const std::vector<LONG> lefts{monitors[0].monitor.left, monitors[1].monitor.top,
                                  monitors[2].monitor.top, monitors[3].monitor.left};
    EXPECT_EQ(lefts, (std::vector<LONG>{-1920, 0, 800, 1280}));
    EXPECT_EQ(NeighbourMonitor(4, 3, 1), 0u);
    EXPECT_EQ(NeighbourMonitor(4, 0, -1), 3u);
    EXPECT_EQ(NeighbourMonitor(2, 1, 1), 0u);
    EXPECT_FALSE(NeighbourMonitor(1, 0, 1));

    const RECT primary{0, 0, 1280, 760}, second{1280, 0, 2304, 768};
    const RECT left{-1920, -160, 0, 880}, taskbarLeft{1340, 0, 2304, 768};
    const struct {
        RECT window, from, to;
        bool resizable;
        RECT moved;
    } cases[] = {
        {{200, 100, 600, 400}, primary, second, true, {1422, 102, 1822, 402}},
        {{880, 460, 1280, 760}, primary, left, true, {-400, 580, 0, 880}}, // at the corner
        {{0, 0, 400, 300}, primary, taskbarLeft, false, {1340, 0, 1740, 300}},
        {{-50, 10, 350, 310}, primary, second, true, {1280, 10, 1680, 310}}, // partly outside
        {{-1520, 300, -1120, 600}, left, {0, 40, 1280, 800}, true, {232, 326, 632, 626}},
        // Too big for the second monitor: shrunk on that axis only, or kept at its top-left.
        {{0, 0, 1200, 700}, primary, second, true, {1280, 0, 2304, 700}},
        {{0, 30, 1200, 730}, primary, second, false, {1280, 0, 2480, 700}},
        {{100, 0, 500, 790}, primary, second, true, {1351, 0, 1751, 768}},
    };
    auto text = [](const RECT& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom);
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(MonitorMoveGeometry(c.window, c.from, c.to, c.resizable)), text(c.moved));
    // There and back again, within a pixel.
    for (const RECT& w : {RECT{1, 459, 401, 759}, RECT{333, 17, 1000, 700}})
        for (const RECT& to : {second, left, taskbarLeft}) {
            const RECT back =
                MonitorMoveGeometry(MonitorMoveGeometry(w, primary, to, true), to, primary, true);
            EXPECT_TRUE(std::abs(back.left - w.left) <= 1 && std::abs(back.top - w.top) <= 1 &&
                        back.right - back.left == w.right - w.left)
                << text(w) << " via " << text(to) << ": " << text(back);
        }

    // A maximized window keeps its frame over the edges; workspace
    // coordinates leave out taskbars at the left and top.
    EXPECT_EQ(text(MaximizedOnMonitor({-8, -8, 1288, 768}, primary, second)), "1272,-8,2312,776");
    EXPECT_EQ(text(MaximizedOnMonitor({-8, -8, 1288, 768}, primary, left, 96, 144)),
              "-1932,-172,12,892"); // a frame of 8 pixels at 100 % is 12 at 150 %
    const MonitorArea barLeft{{1280, 0, 2304, 768}, taskbarLeft}, barTop{monitors[0].monitor, left};
    EXPECT_EQ(text(WorkspaceToScreen({100, 10, 500, 310}, barLeft)), "160,10,560,310");
    EXPECT_EQ(text(ScreenToWorkspace({-1900, -100, -1500, 200}, barTop)), "-1900,-140,-1500,160");
}

// The corner table with its offset, on the screen's size and kept on a
// monitor: offset 0 there is the last column and row, not the next monitor.
TEST(WindowCommandsGeometry, CornerTableWithOffsetAndTheCursorCornerStaysOnItsMonitor) {
    const RECT primary{0, 0, 1280, 800}, left{-1920, -200, 0, 880};
    const struct {
        int pos, off;
        const RECT* monitor; // null: CornerPoint on the primary's size
        long x, y;
    } cases[] = {
        {0, 0, nullptr, 0, 0},       {1, 0, nullptr, 1280, 0},    {2, 0, nullptr, 0, 800},
        {3, 0, nullptr, 1280, 800},  {0, 10, nullptr, 10, 10},    {1, 10, nullptr, 1270, 10},
        {2, 10, nullptr, 10, 790},   {3, 10, nullptr, 1270, 790}, {3, 2000, nullptr, -720, -1200},
        {1, 0, &primary, 1279, 0},   {2, 0, &primary, 0, 799},    {3, 10, &primary, 1270, 790},
        {3, 2000, &primary, 0, 0},   {0, -5, &primary, 0, 0},     {3, 0, &left, -1, 879},
        {0, 10, &left, -1910, -190},
    };
    for (const auto& c : cases) {
        auto p = c.monitor ? CornerPointOnMonitor(c.pos, c.off, *c.monitor)
                           : CornerPoint(c.pos, c.off, 1280, 800);
        ASSERT_TRUE(p) << c.pos;
        EXPECT_EQ(std::make_pair(p->x, p->y), std::make_pair(c.x, c.y)) << c.pos << "," << c.off;
    }
    EXPECT_FALSE(CornerPoint(4, 0, 1280, 800));
    EXPECT_FALSE(CornerPoint(-1, 0, 1280, 800));
    EXPECT_FALSE(CornerPointOnMonitor(4, 0, primary));
}

TEST(WindowCommandsCaps, EachFlagIsItsStyleBit) {
    auto caps = [](HWND w) {
        const WindowCaps c = GetWindowCaps(w);
        return std::vector<bool>{c.HasMinimizeBox, c.HasMaximizeBox, c.HasSysMenu, c.IsToolWindow};
    };
    const struct {
        DWORD style, exStyle;
        std::vector<bool> want; // minimize, maximize, system menu, tool window
    } cases[] = {
        {WS_OVERLAPPED | WS_CAPTION, 0, {false, false, false, false}},
        {WS_OVERLAPPEDWINDOW, 0, {true, true, true, false}},
        {WS_CAPTION | WS_MINIMIZEBOX, WS_EX_TOOLWINDOW, {true, false, false, true}},
        {WS_CAPTION | WS_MAXIMIZEBOX, 0, {false, true, false, false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(caps(TestWindow(c.style, c.exStyle)), c.want) << c.style;
    HWND gone = TestWindow(WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW);
    EXPECT_EQ(caps(gone), std::vector<bool>(4, false));
}

TEST(WindowCommandsForeground, ToggleMaximizeOnlyWithAMaximizeBox) {
    TestWindow w(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(Press(w, ToggleMaximizeCommand));
    EXPECT_TRUE(testutil::WaitUntil([&] { return IsZoomed(w) != 0; }));
    ASSERT_TRUE(Press(w, ToggleMaximizeCommand));
    EXPECT_TRUE(testutil::WaitUntil([&] { return !IsZoomed(w) && !IsIconic(w); }));

    // Maximized without a maximize box: left as it is.
    TestWindow noMax(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, SW_SHOWMAXIMIZED);
    ASSERT_TRUE(IsZoomed(noMax));
    ASSERT_TRUE(Press(noMax, ToggleMaximizeCommand));
    EXPECT_TRUE(IsZoomed(noMax));

    // Minimized with a maximize box: not zoomed, so it is maximized.
    TestWindow mini(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(mini));
    ASSERT_TRUE(Press(mini, ToggleMaximizeCommand));
    EXPECT_TRUE(testutil::WaitUntil([&] { return IsZoomed(mini) && !IsIconic(mini); }));
}

TEST(WindowCommandsForeground, MinimizeAndCloseSendSystemCommandsOnlyWhenOffered) {
    // A tool window is treated like any other.
    TestWindow w(WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW);
    ASSERT_TRUE(Press(w, MinimizeCommand));
    EXPECT_TRUE(testutil::WaitUntil([&] { return IsIconic(w) != 0; }));
    EXPECT_EQ(w.SysCommands(), std::vector<WPARAM>{SC_MINIMIZE});

    // A dialog-like window: system menu, no minimize box.
    TestWindow dlg(WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME);
    ASSERT_TRUE(Press(dlg, MinimizeCommand));
    EXPECT_FALSE(IsIconic(dlg));
    EXPECT_TRUE(dlg.SysCommands().empty());
    ASSERT_TRUE(Press(dlg, CloseCommand));
    EXPECT_TRUE(testutil::WaitUntil([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(dlg.SysCommands(), std::vector<WPARAM>{SC_CLOSE});

    // No system menu: never closed.
    TestWindow bare(WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    ASSERT_TRUE(Press(bare, CloseCommand));
    EXPECT_TRUE(IsWindow(bare));
    EXPECT_TRUE(bare.SysCommands().empty());
}

// Each direction moves the window, or one edge, by the step in force at the
// press, in one call with only the SWP_ flag of what stays. Moved: a tool
// dialog; resized: a window with a maximize box but no sizing frame.
TEST(WindowCommandsMove, EachDirectionMovesTheWindowOrOneEdgeByTheStepInForce) {
    Settings.MoveP = 7;
    Settings.SizeP = 6;
    TestWindow tool(WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW);
    TestWindow sized(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX);
    using Choose = std::optional<WindowCommand> (*)(const Target&, Direction);
    const Choose M = MoveCommand, BR = SizeBottomRightCommand, TL = SizeTopLeftCommand;
    const struct {
        Choose choose;
        TestWindow* w;
        Direction d;
        int dx, dy, dr, db;
        UINT flags;
    } cases[] = {
        {BR, &sized, Up, 0, 0, 0, -6, SWP_NOMOVE},
        {BR, &sized, Down, 0, 0, 0, 6, SWP_NOMOVE},
        {BR, &sized, Left, 0, 0, -6, 0, SWP_NOMOVE},
        {BR, &sized, Right, 0, 0, 6, 0, SWP_NOMOVE},
        {TL, &sized, Up, 0, -6, 0, 0, 0},
        {TL, &sized, Down, 0, 6, 0, 0, 0},
        {TL, &sized, Left, -6, 0, 0, 0, 0},
        {TL, &sized, Right, 6, 0, 0, 0, 0},
        {M, &tool, Up, 0, -7, 0, -7, SWP_NOSIZE},
        {M, &tool, Down, 0, 7, 0, 7, SWP_NOSIZE},
        {M, &tool, Left, -7, 0, -7, 0, SWP_NOSIZE},
        {M, &tool, Right, 7, 0, 7, 0, SWP_NOSIZE},
    };
    for (const auto& c : cases) {
        TestWindow& w = *c.w;
        ASSERT_TRUE(MakeForeground(w));
        const RECT before = WindowRect(w);
        w.Clear();
        Now(c.choose(ForegroundTarget(), c.d));
        EXPECT_EQ(WindowRect(w), Offset(before, c.dx, c.dy, c.dr, c.db)) << c.d;
        ASSERT_FALSE(w.Changing().empty());
        const WINDOWPOS& p = w.Changing().front();
        EXPECT_EQ(CallerFlags(p), c.flags);
        EXPECT_EQ(p.hwndInsertAfter, HWND_TOP);
        if (!(c.flags & SWP_NOMOVE)) {
            EXPECT_EQ(p.x, before.left + c.dx);
            EXPECT_EQ(p.y, before.top + c.dy);
        }
        if (!(c.flags & SWP_NOSIZE)) {
            EXPECT_EQ(p.cx, before.right - before.left + c.dr - c.dx);
            EXPECT_EQ(p.cy, before.bottom - before.top + c.db - c.dy);
        }
    }
    // A changed step takes effect at the next press; nothing is clamped.
    for (int step : {5000, -20}) {
        Settings.MoveP = step;
        const RECT before = WindowRect(tool);
        Now(MoveCommand(ForegroundTarget(), Left));
        EXPECT_EQ(WindowRect(tool), Offset(before, -step, 0, -step, 0));
    }
    // A step beyond the height: the computed negative height goes to the
    // window manager unchanged; whatever it makes of it, the top left stays.
    Settings.SizeP = 1000;
    ASSERT_TRUE(MakeForeground(sized));
    const RECT before = WindowRect(sized);
    sized.Clear();
    Now(SizeBottomRightCommand(ForegroundTarget(), Up));
    ASSERT_FALSE(sized.Changing().empty());
    EXPECT_EQ(WindowRect(sized).left, before.left);
    EXPECT_EQ(WindowRect(sized).top, before.top);
}

// Resizing needs a maximize box; moving, centring and resizing leave
// maximized windows (centring minimized ones too) and the desktop alone.
TEST(WindowCommandsMove, SizeNeedsAMaximizeBoxAndNoneLeavesMaximizedWindowsOrTheDesktop) {
    Settings.MoveP = 9;
    Settings.SizeP = 10;
    TestWindow dlg(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX);
    ASSERT_TRUE(MakeForeground(dlg));
    Now(SizeBottomRightCommand(ForegroundTarget(), Down));
    Now(SizeTopLeftCommand(ForegroundTarget(), Up));
    EXPECT_TRUE(dlg.Changing().empty());
    TestWindow maxed(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMAXIMIZED);
    ASSERT_TRUE(MakeForeground(maxed));
    RECT before = WindowRect(maxed);
    Now(MoveCommand(ForegroundTarget(), Down));
    Now(CenterCommand(ForegroundTarget()));
    Now(SizeBottomRightCommand(ForegroundTarget(), Up));
    Now(SizeTopLeftCommand(ForegroundTarget(), Down));
    EXPECT_EQ(WindowRect(maxed), before);
    EXPECT_TRUE(maxed.Changing().empty());
    TestWindow mini(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(MakeForeground(mini));
    mini.Clear();
    Now(CenterCommand(ForegroundTarget()));
    EXPECT_TRUE(mini.Changing().empty());
    // With one monitor the monitor keys have nothing to do.
    if (GetSystemMetrics(SM_CMONITORS) == 1) {
        EXPECT_FALSE(NeighbourMonitorCommand(ForegroundTarget(), 1));
    }

    {
        WindowClass progman(L"Progman");
        ASSERT_TRUE(progman);
        TestWindow desk(WS_OVERLAPPEDWINDOW, 0, SW_SHOWNORMAL, progman.Name());
        ASSERT_TRUE(MakeForeground(desk));
        before = WindowRect(desk);
        desk.Clear();
        Now(MoveCommand(ForegroundTarget(), Right));
        EXPECT_FALSE(CenterCommand(ForegroundTarget()));
        EXPECT_FALSE(NeighbourMonitorCommand(ForegroundTarget(), -1));
        EXPECT_EQ(WindowRect(desk), before);
        EXPECT_TRUE(desk.Changing().empty());
    }
    // The class test is case-sensitive.
    WindowClass lower(L"progman");
    ASSERT_TRUE(lower);
    TestWindow other(WS_OVERLAPPEDWINDOW, 0, SW_SHOWNORMAL, lower.Name());
    ASSERT_TRUE(MakeForeground(other));
    before = WindowRect(other);
    Now(MoveCommand(ForegroundTarget(), Right));
    EXPECT_EQ(WindowRect(other), Offset(before, 9, 0, 9, 0));
}

TEST(WindowCommandsMove, LeavesTheShellsWindowHoldingTheDesktopIconsAlone) {
    Settings.MoveP = 9;
    WindowClass host(L"WorkerW"), view(L"SHELLDLL_DefView");
    ASSERT_TRUE(host && view);
    TestWindow desk(WS_POPUP, WS_EX_TOOLWINDOW, SW_SHOWNORMAL, host.Name());
    TestWindow other(WS_OVERLAPPEDWINDOW);
    // One of the shell's empty helper windows is not the desktop.
    EXPECT_FALSE(IsShellDesktop(desk));
    HWND icons = CreateWindowExW(0, view.Name(), L"", WS_CHILD, 0, 0, 9, 9, desk, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(icons);
    EXPECT_TRUE(IsShellDesktop(desk));
    ASSERT_TRUE(MakeForeground(desk));
    // The window's identity is kept from press to press, but where the
    // view is, is looked at each time.
    WindowIdentities kept;
    RECT before = WindowRect(desk);
    Now(MoveCommand(kept.Foreground(), Down));
    EXPECT_EQ(WindowRect(desk), before);
    SetParent(icons, other);
    EXPECT_FALSE(IsShellDesktop(desk));
    EXPECT_FALSE(IsShellDesktop(other));
    Now(MoveCommand(kept.Foreground(), Down));
    EXPECT_EQ(WindowRect(desk), Offset(before, 0, 9, 0, 9));
}

TEST(WindowIdentities, AreTheOwnersAndClassReadOncePerWindowWhileKept) {
    WindowClass progman(L"Progman"), host(L"WorkerW");
    ASSERT_TRUE(progman && host);
    TestWindow desk(WS_POPUP, 0, SW_HIDE, progman.Name()),
        helper(WS_POPUP, 0, SW_HIDE, host.Name()), other(WS_POPUP, 0, SW_HIDE);
    testutil::ThreadWindow elsewhere;
    const WindowIdentity id = ReadWindowIdentity(desk);
    EXPECT_EQ(id.thread, GetCurrentThreadId());
    EXPECT_EQ(id.process, GetCurrentProcessId());
    EXPECT_EQ(id.kind, WindowClassKind::ShellDesktop);
    EXPECT_EQ(ReadWindowIdentity(helper).kind, WindowClassKind::ShellDesktopHost);
    EXPECT_EQ(ReadWindowIdentity(other).kind, WindowClassKind::Ordinary);
    EXPECT_EQ(ReadWindowIdentity(elsewhere.Handle()).thread,
              GetWindowThreadProcessId(elsewhere.Handle(), nullptr));
    EXPECT_NE(ReadWindowIdentity(elsewhere.Handle()).thread, GetCurrentThreadId());
    EXPECT_EQ(ReadWindowIdentity(nullptr).thread, 0u);

    // Read once while kept; a window that has gone is not kept.
    identityReads = 0;
    WindowIdentities kept(&CountedIdentity);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(kept.Of(desk).kind, WindowClassKind::ShellDesktop);
        EXPECT_EQ(kept.Of(elsewhere.Handle()).thread,
                  ReadWindowIdentity(elsewhere.Handle()).thread);
    }
    EXPECT_EQ(identityReads, 2);
    HWND gone = TestWindow(WS_POPUP, 0, SW_HIDE);
    EXPECT_EQ(kept.Of(gone).thread, 0u);
    EXPECT_EQ(kept.Of(gone).thread, 0u);
    EXPECT_EQ(identityReads, 2);
    // The oldest entry makes room when more windows come than are kept.
    std::vector<std::unique_ptr<TestWindow>> more;
    for (int i = 0; i < 8; ++i) {
        more.push_back(std::make_unique<TestWindow>(WS_POPUP, 0, SW_HIDE));
        kept.Of(*more.back());
    }
    identityReads = 0;
    kept.Of(desk);
    EXPECT_EQ(identityReads, 1);
}

namespace {
// Windows by handle, as the fake owners' call and the fake read see them.
struct FakeWindow {
    DWORD thread, process;
    WindowClassKind kind;
};
std::vector<std::pair<HWND, FakeWindow>> g_fakeWindows;

const FakeWindow* FindFake(HWND wnd) {
    for (const auto& [h, w] : g_fakeWindows)
        if (h == wnd)
            return &w;
    return nullptr;
}

DWORD WINAPI FakeOwners(HWND wnd, LPDWORD process) {
    const FakeWindow* w = FindFake(wnd);
    *process = w ? w->process : 0;
    return w ? w->thread : 0;
}

WindowIdentity FakeRead(HWND wnd) {
    ++identityReads;
    const FakeWindow* w = FindFake(wnd);
    return w ? WindowIdentity{w->thread, w->process, w->kind} : WindowIdentity{};
}
} // namespace

TEST(WindowIdentities, AKeptEntryIsConfirmedAtEachUseAndReadAfreshWhenItsHandleNamesAnotherWindow) {
    const HWND handle = reinterpret_cast<HWND>(INT_PTR{0x2468});
    g_fakeWindows = {{handle, {10, 20, WindowClassKind::ShellDesktop}}};
    identityReads = 0;
    WindowIdentities kept(&FakeRead, &FakeOwners);
    EXPECT_EQ(kept.Of(handle).kind, WindowClassKind::ShellDesktop);
    EXPECT_EQ(kept.Of(handle).kind, WindowClassKind::ShellDesktop);
    EXPECT_EQ(identityReads, 1);
    // The desktop has gone, then its handle names another program's window;
    // later it changes hands between two uses, never seen gone.
    g_fakeWindows.clear();
    EXPECT_EQ(kept.Of(handle).thread, 0u);
    for (const FakeWindow& next : {FakeWindow{11, 21, WindowClassKind::Ordinary},
                                   FakeWindow{12, 22, WindowClassKind::ShellDesktopHost}}) {
        g_fakeWindows = {{handle, next}};
        const WindowIdentity id = kept.Of(handle);
        EXPECT_TRUE(id.kind == next.kind && id.thread == next.thread && id.process == next.process);
        EXPECT_EQ(kept.Of(handle).process, next.process);
    }
    EXPECT_EQ(identityReads, 3);
    g_fakeWindows.clear();
}

// The toggle is chosen for other programs' windows only (see the end-to-end
// test), not for this process's. Carried out, it flips the topmost state
// without moving or sizing the window. (Centring on a real window: the
// end-to-end test.)
TEST(WindowCommandsTopmost, ChosenForOtherProgramsWindowsAndFlipsTheTopmostStateInPlace) {
    TestWindow w(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(MakeForeground(w));
    EXPECT_FALSE(TopmostCommand(ForegroundTarget()));
    auto topmost = [&] { return (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    const RECT before = WindowRect(w);
    const WindowCommand toggle{WindowCommand::Action::ToggleTopmost, w};
    CarryOut(toggle);
    EXPECT_TRUE(topmost());
    CarryOut(toggle);
    EXPECT_FALSE(topmost());
    EXPECT_EQ(WindowRect(w), before);
    constexpr UINT kInPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (const WINDOWPOS& p : w.Changing())
        EXPECT_EQ(p.flags & kInPlace, kInPlace);
}

TEST(WindowCommandsDesktop, RestoreAllRestoresQualifyingWindowsLastReportedFirst) {
    TestWindow a(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
    TestWindow b(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
    TestWindow c(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
    TestWindow noMinBox(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, SW_SHOWMINNOACTIVE);
    TestWindow tool(WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, SW_SHOWMINNOACTIVE);
    TestWindow hidden(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
    ShowWindow(hidden, SW_HIDE);
    TestWindow disabled(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
    EnableWindow(disabled, FALSE);
    TestWindow normal(WS_OVERLAPPEDWINDOW, 0, SW_SHOWNOACTIVATE);
    for (HWND w : std::initializer_list<HWND>{a, b, c, noMinBox, tool, hidden, disabled})
        ASSERT_TRUE(IsIconic(w));
    ASSERT_FALSE(IsWindowVisible(hidden));

    // The order in which the system reports the windows that qualify.
    const std::vector<HWND> reported = ReportedOrder({a, b, c, noMinBox});
    ASSERT_EQ(reported.size(), 4u);

    g_restoreArrivals.clear();
    InOrderNow(RestoreAllCommands());
    EXPECT_EQ(g_restoreArrivals, std::vector<HWND>(reported.rbegin(), reported.rend()));
    for (HWND w : std::initializer_list<HWND>{a, b, c, noMinBox})
        EXPECT_FALSE(IsIconic(w));
    for (const TestWindow* w : {&tool, &hidden, &disabled}) {
        EXPECT_TRUE(IsIconic(*w));
        EXPECT_TRUE(w->SysCommands().empty());
    }
    EXPECT_TRUE(normal.SysCommands().empty());
}

// Skipped too: the application window class, matched case-sensitively.
TEST(WindowCommandsDesktop, MinimizeAllMinimizesEachQualifyingWindowOnce) {
    {
        WindowClass app(L"TApplication");
        ASSERT_TRUE(app);
        TestWindow plain(WS_OVERLAPPEDWINDOW, 0, SW_SHOWNOACTIVATE);
        TestWindow tool(WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, SW_SHOWNOACTIVATE);
        TestWindow dlg(WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, SW_SHOWNOACTIVATE);
        TestWindow already(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
        TestWindow hidden(WS_OVERLAPPEDWINDOW, 0, SW_HIDE);
        TestWindow disabled(WS_OVERLAPPEDWINDOW, 0, SW_SHOWNOACTIVATE);
        TestWindow appWindow(WS_OVERLAPPEDWINDOW, 0, SW_SHOWNOACTIVATE, app.Name());
        EnableWindow(disabled, FALSE);
        ASSERT_TRUE(IsIconic(already));

        InOrderNow(MinimizeAllCommands());
        for (const TestWindow* w : {&plain, &tool}) {
            EXPECT_TRUE(IsIconic(*w));
            EXPECT_EQ(w->SysCommands(), std::vector<WPARAM>{SC_MINIMIZE});
        }
        for (const TestWindow* w : {&dlg, &already, &hidden, &disabled, &appWindow})
            EXPECT_TRUE(w->SysCommands().empty());
        for (HWND w : std::initializer_list<HWND>{dlg, hidden, disabled, appWindow})
            EXPECT_FALSE(IsIconic(w));
    }
    WindowClass lower(L"tapplication");
    ASSERT_TRUE(lower);
    TestWindow w(WS_OVERLAPPEDWINDOW, 0, SW_SHOWNOACTIVATE, lower.Name());
    InOrderNow(MinimizeAllCommands());
    EXPECT_EQ(w.SysCommands(), std::vector<WPARAM>{SC_MINIMIZE});
}

TEST(WindowCommandsDesktop, CursorGoesToTheChosenCornerAtTheOffset) {
    const long w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    auto cursorAfter = [](int pos, int offset) {
        Settings.MouseMovePos = pos;
        Settings.MouseOffset = offset;
        MoveCursorToCorner();
        POINT p{};
        GetCursorPos(&p);
        return std::make_pair(p.x, p.y);
    };
    EXPECT_EQ(cursorAfter(0, 10), std::make_pair(10L, 10L));
    EXPECT_EQ(cursorAfter(1, 10), std::make_pair(w - 10, 10L));
    EXPECT_EQ(cursorAfter(2, 25), std::make_pair(25L, h - 25));
    EXPECT_EQ(cursorAfter(3, 25), std::make_pair(w - 25, h - 25));
    EXPECT_EQ(cursorAfter(0, 0), std::make_pair(0L, 0L));
    // Kept on the primary screen: its last column and row.
    EXPECT_EQ(cursorAfter(3, 0), std::make_pair(w - 1, h - 1));

    ASSERT_TRUE(SetCursorPos(123, 45));
    EXPECT_EQ(cursorAfter(4, 10), std::make_pair(123L, 45L));
    EXPECT_EQ(cursorAfter(-1, 10), std::make_pair(123L, 45L));
}

TEST(WindowCommandsDesktop, WindowsReportedCloakedArePassedOver) {
    g_cloakValue = 2; // DWM_CLOAKED_SHELL: on another virtual desktop
    EXPECT_TRUE(IsCloakedBy(FakeCloakQuery, nullptr));
    g_cloakValue = 0;
    EXPECT_FALSE(IsCloakedBy(FakeCloakQuery, nullptr));
    g_cloakValue = 1;
    g_cloakAnswer = E_NOTIMPL; // a failed query says nothing
    EXPECT_FALSE(IsCloakedBy(FakeCloakQuery, nullptr));
    EXPECT_FALSE(IsCloakedBy(nullptr, nullptr));
}

TEST(WindowCommandsRunner, AWindowThatHasJustStoppedAnsweringGetsEachCommandOnceAndInOrder) {
    Settings.MoveP = 5;
    Settings.SizeP = 5;
    testutil::ThreadWindow stuck;
    const HWND wnd = stuck.Handle();
    ASSERT_TRUE(wnd);
    ASSERT_TRUE(MakeForeground(wnd));
    // What load adds now to handing a command over, while the window answers.
    double reference = 0;
    {
        CommandRunner warm;
        reference =
            testutil::SlowestRunMs(3, [&] { warm.Run(MoveCommand(ForegroundTarget(), Right)); });
    }
    ASSERT_TRUE(stuck.Stop());

    CommandRunner runner;
    const std::pair<const char*, std::optional<WindowCommand> (*)(const Target&)> commands[] = {
        {"Move", [](const Target& t) { return MoveCommand(t, Down); }},
        {"SizeBottomRight", [](const Target& t) { return SizeBottomRightCommand(t, Down); }},
        {"SizeTopLeft", [](const Target& t) { return SizeTopLeftCommand(t, Up); }},
        {"ToggleMaximize", ToggleMaximizeCommand},
        {"Minimize", MinimizeCommand},
        {"Close", CloseCommand},
    };
    for (const auto& [name, command] : commands) {
        ASSERT_EQ(GetForegroundWindow(), wnd) << name;
        // Chosen, its window's identity read, and handed over at once:
        // nothing here waits for the window.
        EXPECT_LT(MillisecondsTaken([&] { runner.Run(command(ForegroundTarget())); }),
                  testutil::BoundUnderLoad(100, reference))
            << name << ", reference " << reference;
    }
    EXPECT_TRUE(stuck.SysCommands().empty());

    // Once its thread reads messages again, every command reaches it, in
    // the order given, and only once: the last one closes it.
    stuck.Resume();
    EXPECT_TRUE(testutil::WaitUntil([&] { return !IsWindow(wnd); }));
    EXPECT_EQ(stuck.SysCommands(), (std::vector<WPARAM>{SC_MINIMIZE, SC_CLOSE}));
    const std::vector<WPARAM> sizes = stuck.Sizes();
    EXPECT_EQ(std::count(sizes.begin(), sizes.end(), WPARAM{SIZE_MAXIMIZED}), 1);
}

TEST(WindowCommandsRunner, ASlowButLiveWindowIsMinimizedInItsTurn) {
    testutil::ThreadWindow quick;
    // Slow yet well within its turn under load; above the quick one: reported first.
    testutil::ThreadWindow slow(TurnWaitMs / 10);
    ASSERT_EQ(ReportedOrder({quick.Handle(), slow.Handle()}).front(), slow.Handle());
    CommandRunner runner;
    runner.RunInTurn(MinimizeAllCommands());
    EXPECT_TRUE(testutil::WaitUntil(
        [&] { return IsIconic(slow.Handle()) && IsIconic(quick.Handle()) && quick.Drain(); }));
    // The slow window was waited for: it had finished before the next
    // window was sent its command.
    ASSERT_NE(slow.SysCommandEnded(), 0u);
    EXPECT_LT(slow.SysCommandEnded(), quick.SysCommandBegan());
}

// At the ceiling less the spare workers, commands for stuck threads are
// dropped, a live window still moves and the workers stay within the ceiling.
TEST(WindowCommandsRunner, AtTheCeilingCommandsForStuckThreadsAreDroppedAndLiveWindowsStillMove) {
    Settings.MoveP = 5;
    constexpr unsigned kCeiling = SpareCommandWorkers + 4;
    std::vector<std::unique_ptr<testutil::ThreadWindow>> stuck;
    std::vector<RECT> before;
    for (unsigned i = 0; i < kCeiling; ++i) {
        stuck.push_back(std::make_unique<testutil::ThreadWindow>());
        before.push_back(stuck.back()->Rect());
        ASSERT_TRUE(stuck.back()->Stop());
    }
    testutil::ThreadWindow live;
    const RECT liveBefore = live.Rect();
    {
        CommandRunner runner(kCeiling);
        for (auto& w : stuck)
            runner.Run(MoveCommand(Target{w->Handle(), ReadWindowIdentity(w->Handle())}, Down));
        runner.Run(MoveCommand(Target{live.Handle(), ReadWindowIdentity(live.Handle())}, Right));
        EXPECT_TRUE(
            testutil::WaitUntil([&] { return live.Rect() == Offset(liveBefore, 5, 0, 5, 0); }));
        EXPECT_LE(runner.Workers(), kCeiling);
        for (auto& w : stuck)
            w->Resume();
        // Those in their calls move once their threads answer; the rest were dropped.
        for (unsigned i = 0; i < kCeiling; ++i) {
            const RECT want =
                i < kCeiling - SpareCommandWorkers ? Offset(before[i], 0, 5, 0, 5) : before[i];
            EXPECT_TRUE(testutil::WaitUntil([&] { return stuck[i]->Rect() == want; })) << i;
            EXPECT_TRUE(stuck[i]->Drain());
        }
        EXPECT_TRUE(testutil::WaitUntil([&] { return runner.Workers() <= kCeiling; }));
    }
    for (unsigned i = kCeiling - SpareCommandWorkers; i < kCeiling; ++i)
        EXPECT_EQ(stuck[i]->Rect(), before[i]) << i;
}

// An idle extra worker ends only if, after its wait, no turn is left to watch.
TEST(WindowCommandsRunner, AnIdleExtraWorkerEndsOnlyWithNoTurnToWatch) {
    const unsigned extra = StandingCommandWorkers + 1;
    const unsigned long long idle = 1000, late = idle + IdleWorkerEndMs;
    CommandQueues q;
    EXPECT_TRUE(IdleWorkerEnds(q, extra, idle, late));
    EXPECT_FALSE(IdleWorkerEnds(q, extra, idle, late - 1));
    EXPECT_FALSE(IdleWorkerEnds(q, StandingCommandWorkers, idle, late));
    // Thread 1 is busy: the list's first turn cannot start, the next opens by time.
    WindowCommand move{WindowCommand::Action::Move, reinterpret_cast<HWND>(INT_PTR{0x10})};
    q.Add(1, move, late - 10);
    ASSERT_TRUE(q.Take(late - 10));
    WindowCommand other = move;
    other.window = reinterpret_cast<HWND>(INT_PTR{0x20});
    q.AddInTurn({{1, move}, {2, other}}, late);
    EXPECT_EQ(q.Ready(late), 0u);
    EXPECT_FALSE(IdleWorkerEnds(q, extra, idle, late));
}

TEST(WindowCommandsDesktop, ScreenSaverCommandReturnsWithNoScreenSaverConfigured) {
    EXPECT_LT(MillisecondsTaken([] { CarryOut(ScreenSaverCommand()); }),
              testutil::kGenerousWait.count());
}

// A maximized window of this process goes over maximized and restores
// there; one too tall for the other monitor shrinks there; a minimized one
// stays.
TEST(TwoMonitors, AMaximizedWindowGoesOverWithItsRestoreRectangleAndAMinimizedOneStays) {
    testutil::MonitorPair m{};
    if (!testutil::FindTwoMonitors(m)) {
        ASSERT_FALSE(testutil::TwoMonitorsPromised()) << "the run promised two monitors";
        GTEST_SKIP() << "one monitor";
    }
    TestWindow w(WS_OVERLAPPEDWINDOW);
    const RECT start{200, 100, 600, 400};
    SetWindowPos(w, nullptr, start.left, start.top, 400, 300, SWP_NOZORDER);
    ShowWindow(w, SW_MAXIMIZE);
    ASSERT_TRUE(MakeForeground(w));
    Now(NeighbourMonitorCommand(ForegroundTarget(), 1));
    EXPECT_TRUE(IsZoomed(w));
    EXPECT_EQ(MonitorFromWindow(w, 0), m.secondHandle);
    ShowWindow(w, SW_RESTORE);
    const RECT there = MonitorMoveGeometry(start, m.primaryWork, m.secondWork, true);
    const RECT restored = WindowRect(w);
    EXPECT_TRUE(EqualRect(&there, &restored)) << restored.left << "," << restored.top;

    // Too tall for the second monitor: shrunk there, though its own size
    // did not change on the way.
    const RECT tall{100, m.primaryWork.top, 600, m.primaryWork.bottom};
    SetWindowPos(w, nullptr, tall.left, tall.top, 500, tall.bottom - tall.top, SWP_NOZORDER);
    ASSERT_TRUE(MakeForeground(w));
    Now(NeighbourMonitorCommand(ForegroundTarget(), 1));
    const RECT shrunk = MonitorMoveGeometry(tall, m.primaryWork, m.secondWork, true);
    const RECT placed = WindowRect(w);
    ASSERT_LT(shrunk.bottom - shrunk.top, tall.bottom - tall.top);
    EXPECT_TRUE(EqualRect(&shrunk, &placed)) << placed.top << "," << placed.bottom;

    TestWindow mini(WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(MakeForeground(mini));
    mini.Clear();
    Now(NeighbourMonitorCommand(ForegroundTarget(), 1));
    EXPECT_TRUE(mini.Changing().empty());
}

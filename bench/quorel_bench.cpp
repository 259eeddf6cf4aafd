// quorel_bench: measures Quorel.exe beside a baseline program, in the same
// run and by the same method, and writes one Markdown table.
//
//   quorel_bench --quorel <Quorel.exe> --baseline <baseline.exe>
//                [--size-quorel <exe>] [--size-baseline <exe>]
//                [--imports "<dll> ..."] [--imports-ok 0|1] [--out <file.md>]
//                [--revision <text>]   (what was measured, for the heading)
//                [--presses N] [--commands N] [--cycles N] [--starts N] [--verbose]
//                [--samples <file.csv>]   (every timed press and start, in order)
//                [--dialogs options|about|both]   (what a dialog cycle opens)
//                [--all-rounds N]   (minimize-all and restore-all rounds per size)
//                [--only-all-windows]   (that row alone)
//
// Figures: hotkey latency (SendInput of a move hotkey until the foreground
// window's rectangle has changed), start-up (CreateProcess until every
// hotkey the program registers at start is refused to a probe), private
// bytes, working set, kernel handles, GDI and USER objects after start,
// after the window commands and after the first and the last open/close
// cycle of the options dialog and the About box, and the size of the
// 32-bit exe. A method check times the baseline against itself, to show
// the noise of the run. Minimize-all then restore-all over 10, 100 and
// 400 answering windows of another process (this program started again as
// their host), each timed from SendInput until the last window has
// changed, beside the baseline making the same calls in a plain loop.
// Exit code 0: every target met; 1: a target missed; 2: the benchmark
// could not run.
#include "driver.h"
#include "resources.h"
#include "window_host.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace bench;

namespace {

// Messages and command numbers of Quorel driven from outside.
constexpr UINT kTrayCallback = WM_USER + 102;
constexpr WPARAM kTrayIconId = 1;
constexpr WPARAM kAboutCommand = 106;
// The dialogs' captions, in Japanese and in English (the language follows
// the machine's display language).
const wchar_t* const kOptionsCaption[] = {L"オプション", L"Options"};
const wchar_t* const kAboutCaption[] = {L"バージョン情報", L"About Quorel"};

constexpr double kLatencyMedianRatio = 1.1;
constexpr double kLatencyP99Ratio = 1.15;
constexpr double kStartRatio = 1.3;
constexpr double kPrivateGrowthKiB = 64;
constexpr long long kMaxExeBytes = 256 * 1024;
constexpr DWORD kEffectTimeoutMs = 3000;
constexpr int kMovesBeforeHome = 40;
constexpr int kWarmUpPresses = 20;
constexpr int kWindowCounts[] = {10, 100, 400};
constexpr double kAllWindowsRatio = 1.2;
constexpr double kAllWindowsGrowth = 1.2; // time per window, from one size to the next
constexpr DWORD kAllWindowsTimeoutMs = 120000;

struct Options {
    std::wstring quorel, baseline, sizeQuorel, sizeBaseline, imports, out, samples, revision;
    int importsOk = -1;
    int presses = 2000, commands = 2000, cycles = 50, starts = 20, allRounds = 5;
    bool verbose = false;
    bool onlyAllWindows = false;
    bool optionsDialog = true, aboutBox = true; // which dialogs a cycle opens
};

std::string Utf8(const std::wstring& w) {
    if (w.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

[[noreturn]] void Fail(const std::wstring& what) {
    throw std::runtime_error(Utf8(what));
}

// Progress and diagnostics, as UTF-8 on stderr.
void Log(const wchar_t* fmt, ...) {
    wchar_t buf[2048];
    va_list ap;
    va_start(ap, fmt);
    std::vswprintf(buf, 2048, fmt, ap);
    va_end(ap);
    std::string s = Utf8(buf);
    std::fwrite(s.data(), 1, s.size(), stderr);
    std::fflush(stderr);
}

// One program under measurement.
struct Subject {
    std::wstring name;
    std::wstring exe;         // the copy in the temp folder
    std::wstring args;        // command line after the exe
    std::wstring mainClass;   // a window that answers WM_NULL and takes WM_CLOSE
    std::wstring closeClass;  // WM_CLOSE to this window ends the program
    std::vector<Hotkey> keys; // what it registers at start, in order
};

enum class StartOutcome { Ok, Refused, Failed };

// Starts the program and waits until every one of its start-up hotkeys is
// held. The probe goes from the last key back, and keeps probing one key
// until it is held, so that it holds a key for a moment only while the
// program has not yet registered that one. ms: CreateProcess to registered.
StartOutcome StartAndWait(const Subject& s, Process& p, double& ms, std::wstring& why) {
    const double t0 = NowMs();
    p.Start();
    HANDLE h = p.Handle();
    size_t left = s.keys.size();
    for (unsigned polls = 1;; ++polls) {
        while (left > 0 && HotkeyHeld(s.keys[left - 1]))
            --left;
        if (left == 0) {
            ms = NowMs() - t0;
            return StartOutcome::Ok;
        }
        if (!p.Running()) {
            why =
                s.name + L" ended during start-up with exit code " + std::to_wstring(p.ExitCode());
            return p.ExitCode() == 2 ? StartOutcome::Refused : StartOutcome::Failed;
        }
        // A registration refused at start-up shows a message box: the probe
        // may have held that key at the very moment.
        if (polls % 50 == 0) {
            std::wstring boxes = DescribeWindows(p.Pid(), L"#32770");
            if (!boxes.empty()) {
                why = s.name + L" showed during start-up:\n" + boxes;
                return StartOutcome::Refused;
            }
        }
        if (NowMs() - t0 > 15000) {
            why = s.name + L" did not register " + HotkeyName(s.keys[left - 1]) + L" within 15 s";
            return StartOutcome::Failed;
        }
        MsgWaitForMultipleObjects(1, &h, FALSE, 1, QS_ALLINPUT);
        PumpMessages();
    }
}

// Starts a program for the long phases; retries a start disturbed by the probe.
std::unique_ptr<Process> StartRunning(const Subject& s) {
    std::wstring why;
    for (int attempt = 0; attempt < 4; ++attempt) {
        auto p = std::make_unique<Process>(s.exe, s.args, s.closeClass);
        double ms = 0;
        StartOutcome r = StartAndWait(s, *p, ms, why);
        if (r == StartOutcome::Ok)
            return p;
        p->AnswerDialogs();
        p->Close();
        if (r == StartOutcome::Failed)
            break;
        Log(L"  (start of %ls retried: %ls)\n", s.name.c_str(), why.c_str());
    }
    Fail(why);
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Nearest-rank percentile.
double Percentile(std::vector<double> v, double pct) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t rank = static_cast<size_t>(std::ceil(pct / 100.0 * static_cast<double>(v.size())));
    return v[std::min(v.size(), std::max<size_t>(rank, 1)) - 1];
}

// ---- the phases --------------------------------------------------------

struct Context {
    Options opt;
    Subject quorel, baseline;
    TargetWindow target;
};

// Start-up: the two programs started turn about, one warm-up start each.
void StartUpPhase(Context& c, std::vector<double>& q, std::vector<double>& b) {
    Log(L"start-up: %d starts each\n", c.opt.starts);
    for (int i = -1; i < c.opt.starts; ++i) {
        for (int which = 0; which < 2; ++which) {
            const Subject& s = which == 0 ? c.quorel : c.baseline;
            std::wstring why;
            bool done = false;
            for (int attempt = 0; attempt < 4 && !done; ++attempt) {
                Process p(s.exe, s.args, s.closeClass);
                double ms = 0;
                StartOutcome r = StartAndWait(s, p, ms, why);
                if (r == StartOutcome::Ok) {
                    if (i >= 0)
                        (which == 0 ? q : b).push_back(ms);
                    done = true;
                } else {
                    p.AnswerDialogs();
                    if (r == StartOutcome::Failed) {
                        p.Close();
                        Fail(why);
                    }
                    Log(L"  (start of %ls retried: %ls)\n", s.name.c_str(), why.c_str());
                }
                if (!p.Close())
                    Fail(s.name + L" did not end on WM_CLOSE within 10 s");
            }
            if (!done)
                Fail(why);
        }
    }
}

// Times one press: from SendInput to the target's rectangle having changed.
std::optional<double> TimedPress(Context& c, const Hotkey& key, const Process& p,
                                 const Subject& s) {
    if (GetForegroundWindow() != c.target.Handle() && !c.target.MakeForeground())
        Fail(L"the target window cannot be made the foreground window");
    PumpMessages();
    c.target.Arm();
    const double t0 = NowMs();
    Press(key);
    if (!WaitFor([&] { return c.target.Changed(); }, kEffectTimeoutMs))
        return std::nullopt;
    double ms = c.target.ChangedAtMs() - t0;
    p.Settle(p.Window(s.mainClass.c_str()));
    PumpMessages();
    return ms;
}

struct LatencyResult {
    std::vector<double> q, b;
    int missedQ = 0, missedB = 0;
};

LatencyResult LatencyPhase(Context& c, const Process& qp, const Process& bp, const Subject& qs,
                           const Subject& bs, const Hotkey& qKey, const Hotkey& bKey) {
    Log(L"latency: %d presses each\n", c.opt.presses);
    LatencyResult r;
    c.target.MoveHome();
    const int warmUp = kWarmUpPresses;
    for (int i = -warmUp; i < c.opt.presses; ++i) {
        if ((i + warmUp) % kMovesBeforeHome == 0)
            c.target.MoveHome();
        // Turn about which program goes first.
        for (int k = 0; k < 2; ++k) {
            bool quorelNow = (k == 0) == (i % 2 == 0);
            auto ms = quorelNow ? TimedPress(c, qKey, qp, qs) : TimedPress(c, bKey, bp, bs);
            if (i < 0)
                continue;
            if (!ms)
                ++(quorelNow ? r.missedQ : r.missedB);
            else
                (quorelNow ? r.q : r.b).push_back(*ms);
        }
    }
    return r;
}

enum class Effect { Rect, Zoom, Iconic, Cursor };
struct Command {
    Hotkey key;
    Effect effect;
};

// One round of Quorel's default window commands that leaves the target as
// it was: every move and resize and its opposite, maximize and restore, the
// cursor to its corner, and minimize (the target is restored by us).
std::vector<Command> CommandRound() {
    constexpr UINT SA = MOD_SHIFT | MOD_ALT, CA = MOD_CONTROL | MOD_ALT,
                   SCA = MOD_SHIFT | MOD_CONTROL | MOD_ALT;
    return {
        {{SA, VK_RIGHT}, Effect::Rect},    {{SA, VK_LEFT}, Effect::Rect},
        {{SA, VK_DOWN}, Effect::Rect},     {{SA, VK_UP}, Effect::Rect},
        {{CA, VK_DOWN}, Effect::Rect},     {{CA, VK_UP}, Effect::Rect},
        {{CA, VK_RIGHT}, Effect::Rect},    {{CA, VK_LEFT}, Effect::Rect},
        {{SCA, VK_UP}, Effect::Rect},      {{SCA, VK_DOWN}, Effect::Rect},
        {{SCA, VK_LEFT}, Effect::Rect},    {{SCA, VK_RIGHT}, Effect::Rect},
        {{MOD_ALT, VK_F12}, Effect::Zoom}, {{MOD_ALT, VK_F12}, Effect::Zoom},
        {{CA, 'M'}, Effect::Cursor},       {{MOD_ALT, VK_F11}, Effect::Iconic},
    };
}

bool RunCommand(Context& c, const Command& cmd, const Process& p, const Subject& s) {
    HWND t = c.target.Handle();
    if (!c.target.MakeForeground())
        Fail(L"the target window cannot be made the foreground window");
    PumpMessages();
    const POINT home{640, 400};
    if (cmd.effect == Effect::Cursor)
        SetCursorPos(home.x, home.y);
    const bool zoomed = IsZoomed(t) != 0;
    c.target.Arm();
    Press(cmd.key);
    bool ok = WaitFor(
        [&] {
            switch (cmd.effect) {
            case Effect::Rect:
                return c.target.Changed();
            case Effect::Zoom:
                return (IsZoomed(t) != 0) != zoomed;
            case Effect::Iconic:
                return IsIconic(t) != 0;
            case Effect::Cursor: {
                POINT pt{};
                GetCursorPos(&pt);
                return pt.x != home.x || pt.y != home.y;
            }
            }
            return false;
        },
        kEffectTimeoutMs);
    p.Settle(p.Window(s.mainClass.c_str()));
    PumpMessages();
    return ok;
}

int CommandPhase(Context& c, const Process& p, const Subject& s, const std::vector<Command>& round,
                 int count) {
    Log(L"window commands: %d for %ls\n", count, s.name.c_str());
    int missed = 0;
    c.target.MoveHome();
    for (int i = 0; i < count; ++i) {
        const Command& cmd = round[static_cast<size_t>(i) % round.size()];
        if (!RunCommand(c, cmd, p, s)) {
            ++missed;
            if (c.opt.verbose)
                Log(L"  command %d (%ls) had no effect\n", i, HotkeyName(cmd.key).c_str());
        }
        const size_t every = round.size() > 1 ? round.size() : kMovesBeforeHome;
        if ((static_cast<size_t>(i) + 1) % every == 0)
            c.target.MoveHome();
    }
    c.target.MoveHome();
    return missed;
}

// Finds a window of the class anywhere in the process: a child of one of
// its top-level windows, or a message-only window.
HWND FindInProcess(DWORD pid, const wchar_t* cls) {
    for (HWND top : ProcessWindows(pid, nullptr, false)) {
        if (ClassName(top) == cls)
            return top;
        if (HWND child = FindWindowExW(top, nullptr, cls, nullptr))
            return child;
    }
    for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, cls, nullptr); h;
         h = FindWindowExW(HWND_MESSAGE, h, cls, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid)
            return h;
    }
    return nullptr;
}

HWND WaitForDialog(DWORD pid, const wchar_t* const (&captions)[2], DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND h : ProcessWindows(pid, nullptr, true))
                if (WindowText(h) == captions[0] || WindowText(h) == captions[1]) {
                    found = h;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

// One open/close cycle of the options dialog (tray double click, Cancel)
// and of the About box (its menu command, OK); after each close the program
// has handled everything, and after the options dialog its hotkeys are held
// again.
void DialogCycle(const Process& p, const Subject& s, int n, const Options& opt) {
    const DWORD pid = p.Pid();
    HWND main = p.Window(s.mainClass.c_str());
    auto where = [&](const std::wstring& what) {
        std::wstring shown = DescribeWindows(pid, nullptr);
        return what + L" (dialog cycle " + std::to_wstring(n) + L")" +
               (shown.empty() ? L"" : L"; its visible windows:\n" + shown);
    };

    if (opt.optionsDialog) {
        HWND notify = FindInProcess(pid, L"TNotifyWindow");
        if (!notify)
            Fail(L"Quorel has no TNotifyWindow window for tray callbacks");
        PostMessageW(notify, kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK);
        HWND options = WaitForDialog(pid, kOptionsCaption, 5000);
        if (!options)
            Fail(where(L"the options dialog did not open on a tray double click"));
        PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
        if (!WaitFor([&] { return !IsWindow(options); }, 5000))
            Fail(where(L"the options dialog was not destroyed after Cancel"));
        p.Settle(main);
        for (const Hotkey& k : s.keys)
            if (!HotkeyHeld(k))
                Fail(where(L"after the options dialog closed, " + HotkeyName(k) +
                           L" is not registered again"));
    }

    if (opt.aboutBox) {
        PostMessageW(main, WM_COMMAND, kAboutCommand, 0);
        HWND about = WaitForDialog(pid, kAboutCaption, 5000);
        if (!about)
            Fail(where(L"the About box did not open on its menu command"));
        PostMessageW(about, WM_COMMAND, IDOK, 0);
        if (!WaitFor([&] { return !IsWindow(about); }, 5000))
            Fail(where(L"the About box was not destroyed after OK"));
        p.Settle(main);
    }
    PumpMessages();
}

// ---- minimize-all and restore-all over many windows ---------------------

// The times of one size: minimize-all and restore-all, each program.
struct AllWindowsTimes {
    int windows = 0;
    std::vector<double> minQ, minB, restoreQ, restoreB;
};

// Lets the program finish what it still does (a window of another
// program the command reached after the host's last one).
void Pause(const Process& p, const Subject& s) {
    p.Settle(p.Window(s.mainClass.c_str()));
    WaitFor([] { return false; }, 100);
}

// One minimize-all, then one restore-all, each timed until the host's last
// window has changed; nothing when one of them had no effect in time.
bool TimedAllWindows(const Process& p, const Subject& s, const Hotkey& minKey,
                     const Hotkey& restoreKey, const WindowHost& host, double& minMs,
                     double& restoreMs) {
    double t0 = NowMs();
    Press(minKey);
    if (!host.WaitAllMinimized(kAllWindowsTimeoutMs))
        return false;
    minMs = NowMs() - t0;
    Pause(p, s);
    t0 = NowMs();
    Press(restoreKey);
    if (!host.WaitAllRestored(kAllWindowsTimeoutMs))
        return false;
    restoreMs = NowMs() - t0;
    Pause(p, s);
    return true;
}

// Quorel with minimize-all and restore-all on keys of their own (the
// settings file beside its copy), the baseline in its desktop-wide mode on
// two others; for each size a host process of that many windows, and
// rounds of the two commands, the programs taking turns who goes first.
std::vector<AllWindowsTimes> AllWindowsPhase(Context& c, const std::wstring& benchExe,
                                             const std::wstring& quorelIni) {
    constexpr UINT CA = MOD_CONTROL | MOD_ALT, SCA = MOD_SHIFT | MOD_CONTROL | MOD_ALT;
    const Hotkey qMin{CA, VK_F8}, qRestore{CA, VK_F7}, bMin{SCA, VK_F8}, bRestore{SCA, VK_F7};
    testutil::WriteFileBytes(quorelIni,
                             "[Option]\r\nAllMinKey=Ctrl+Alt+F8\r\nAllRestoreKey=Ctrl+Alt+F7\r\n");
    Subject q = c.quorel;
    q.keys.push_back(qMin);
    q.keys.push_back(qRestore);
    Subject b = c.baseline;
    auto pair = [](const Hotkey& k) {
        return std::to_wstring(k.mods) + L" " + std::to_wstring(k.vk);
    };
    b.args = L"all " + pair(bMin) + L" " + pair(bRestore);
    b.keys = {bMin, bRestore};
    auto qp = StartRunning(q);
    auto bp = StartRunning(b);
    // The benchmark's own window stays out of the commands' way.
    ShowWindow(c.target.Handle(), SW_HIDE);
    std::vector<AllWindowsTimes> all;
    for (int n : kWindowCounts) {
        Log(L"minimize-all and restore-all: %d windows, %d rounds\n", n, c.opt.allRounds);
        WindowHost host(benchExe, n);
        AllWindowsTimes t;
        t.windows = n;
        for (int round = -1; round < c.opt.allRounds; ++round) {
            for (int k = 0; k < 2; ++k) {
                const bool quorelNow = (k == 0) == (round % 2 == 0);
                double minMs = 0, restoreMs = 0;
                const bool done =
                    quorelNow ? TimedAllWindows(*qp, q, qMin, qRestore, host, minMs, restoreMs)
                              : TimedAllWindows(*bp, b, bMin, bRestore, host, minMs, restoreMs);
                if (!done)
                    Fail((quorelNow ? q.name : b.name) + L": minimize-all or restore-all of " +
                         std::to_wstring(n) + L" windows had not finished within " +
                         std::to_wstring(kAllWindowsTimeoutMs / 1000) + L" s");
                if (round < 0)
                    continue;
                (quorelNow ? t.minQ : t.minB).push_back(minMs);
                (quorelNow ? t.restoreQ : t.restoreB).push_back(restoreMs);
            }
        }
        Log(L"  minimize %.1f / %.1f ms, restore %.1f / %.1f ms\n", Median(t.minQ), Median(t.minB),
            Median(t.restoreQ), Median(t.restoreB));
        all.push_back(t);
    }
    ShowWindow(c.target.Handle(), SW_SHOW);
    qp->Close();
    bp->Close();
    return all;
}

struct Point {
    Usage usage;
    ObjectList objects;
};

Point Sample(const Process& p, const Subject& s) {
    p.Settle(p.Window(s.mainClass.c_str()));
    PumpMessages();
    return {MeasureUsage(p.Handle(), p.Pid()), ListObjects(p.Handle(), p.Pid())};
}

// ---- the table ---------------------------------------------------------

std::wstring Fixed(double v, int decimals) {
    wchar_t buf[64];
    std::swprintf(buf, 64, L"%.*f", decimals, v);
    return buf;
}

std::wstring Grouped(long long v) {
    std::wstring digits = std::to_wstring(v < 0 ? -v : v), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0)
            out += L",";
        out += digits[i];
    }
    return (v < 0 ? L"-" : L"") + out;
}

std::wstring Signed(long long v) {
    return (v > 0 ? L"+" : L"") + Grouped(v);
}

std::wstring Ratio(double q, double b) {
    if (b <= 0)
        return L"—";
    return Fixed(q / b, 2) + L"×";
}

struct Table {
    std::wstring text;
    std::vector<std::wstring> missed;

    void Row(const std::wstring& figure, const std::wstring& q, const std::wstring& b,
             const std::wstring& ratio, const std::wstring& target, int pass) {
        std::wstring result = pass < 0 ? L"" : pass ? L"pass" : L"**FAIL**";
        if (pass == 0)
            missed.push_back(figure);
        text += L"| " + figure + L" | " + q + L" | " + b + L" | " + ratio + L" | " + target +
                L" | " + result + L" |\n";
    }
};

std::wstring Today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _MSC_VER
    gmtime_s(&tm, &t);
#else
    tm = *std::gmtime(&t);
#endif
    wchar_t buf[32];
    std::wcsftime(buf, 32, L"%Y-%m-%d %H:%M UTC", &tm);
    return buf;
}

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring Platform() {
    using WineVersion = const char*(CDECL*)();
    FARPROC p = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    SYSTEM_INFO si{};
    GetNativeSystemInfo(&si);
    std::wstring cpus = std::to_wstring(si.dwNumberOfProcessors) + L" CPUs";
    if (p) {
        const char* v = reinterpret_cast<WineVersion>(reinterpret_cast<void (*)()>(p))();
        std::string s(v ? v : "?");
        return L"Wine " + std::wstring(s.begin(), s.end()) + L", " + cpus;
    }
    return L"Windows, " + cpus;
}

long long FileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d))
        return -1;
    return (static_cast<long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

struct Results {
    std::vector<double> startQ, startB;
    LatencyResult latency, method;
    int commandsMissedQ = 0, commandsMissedB = 0;
    // The points: after start, after the window commands, after the first
    // dialog cycle, after the settling cycles, after the last cycle.
    static constexpr int kPoints = 5;
    Usage q[kPoints], b[kPoints];
    ObjectList objects[kPoints]; // Quorel's
    int settleCycle = 0;
    std::wstring perCycle; // changes between successive cycles (verbose)
    bool quorelEnded = true;
    std::vector<AllWindowsTimes> allWindows;
};

// The rows of minimize-all and restore-all: each size against the
// baseline, and the time per window from size to size.
void AllWindowsRows(Table& t, const Results& r) {
    if (r.allWindows.empty())
        return;
    const std::wstring rounds = std::to_wstring(r.allWindows.front().minQ.size());
    std::wstring perQ, perB;
    bool linear = true;
    double previous = 0;
    for (const AllWindowsTimes& a : r.allWindows) {
        const std::wstring n = std::to_wstring(a.windows);
        const double mq = Median(a.minQ), mb = Median(a.minB);
        const double rq = Median(a.restoreQ), rb = Median(a.restoreB);
        t.Row(L"Minimize all, " + n + L" windows of another process, median of " + rounds +
                  L" (ms)",
              Fixed(mq, 1), Fixed(mb, 1), Ratio(mq, mb),
              L"≤ " + Fixed(kAllWindowsRatio, 1) + L"× baseline",
              mb > 0 && mq <= kAllWindowsRatio * mb);
        t.Row(L"Restore all, " + n + L" windows of another process, median of " + rounds + L" (ms)",
              Fixed(rq, 1), Fixed(rb, 1), Ratio(rq, rb),
              L"≤ " + Fixed(kAllWindowsRatio, 1) + L"× baseline",
              rb > 0 && rq <= kAllWindowsRatio * rb);
        const double per = (mq + rq) / a.windows;
        if (previous > 0 && per > kAllWindowsGrowth * previous)
            linear = false;
        previous = per;
        perQ += (perQ.empty() ? L"" : L" / ") + Fixed(per, 3);
        perB += (perB.empty() ? L"" : L" / ") + Fixed((mb + rb) / a.windows, 3);
    }
    std::wstring sizes;
    for (const AllWindowsTimes& a : r.allWindows)
        sizes += (sizes.empty() ? L"" : L" / ") + std::to_wstring(a.windows);
    t.Row(L"Minimize all and restore all, per window at " + sizes + L" windows (ms)", perQ, perB,
          L"",
          L"grows no faster than the window count (≤ " + Fixed(kAllWindowsGrowth, 1) +
              L"× from size to size)",
          linear);
}

Table BuildTable(const Options& opt, const Results& r) {
    Table t;
    t.text += L"| Figure | Quorel | Baseline | Ratio | Target | Result |\n";
    t.text += L"|---|---:|---:|---:|---|---|\n";
    if (opt.onlyAllWindows) {
        AllWindowsRows(t, r);
        return t;
    }

    double mq = Median(r.latency.q), mb = Median(r.latency.b);
    double pq = Percentile(r.latency.q, 99), pb = Percentile(r.latency.b, 99);
    std::wstring n = std::to_wstring(r.latency.q.size());
    t.Row(L"Hotkey latency, median of " + n + L" presses (ms)", Fixed(mq, 3), Fixed(mb, 3),
          Ratio(mq, mb), L"≤ " + Fixed(kLatencyMedianRatio, 2) + L"× baseline",
          mb > 0 && mq <= kLatencyMedianRatio * mb);
    t.Row(L"Hotkey latency, 99th percentile (ms)", Fixed(pq, 3), Fixed(pb, 3), Ratio(pq, pb),
          L"≤ " + Fixed(kLatencyP99Ratio, 2) + L"× baseline",
          pb > 0 && pq <= kLatencyP99Ratio * pb);
    double cm = Median(r.method.q), cmb = Median(r.method.b);
    double cp = Percentile(r.method.q, 99), cpb = Percentile(r.method.b, 99);
    t.Row(L"Method check: the baseline against itself (on Shift+Alt+Right / on Shift+Alt+End), "
          L"median (ms)",
          Fixed(cm, 3), Fixed(cmb, 3), Ratio(cm, cmb), L"near 1× (the run's noise)", -1);
    t.Row(L"Method check: the baseline against itself, 99th percentile (ms)", Fixed(cp, 3),
          Fixed(cpb, 3), Ratio(cp, cpb), L"near 1× (the run's noise)", -1);
    if (r.latency.missedQ || r.latency.missedB)
        t.Row(L"Timed presses without effect", std::to_wstring(r.latency.missedQ),
              std::to_wstring(r.latency.missedB), L"", L"0",
              r.latency.missedQ == 0 && r.latency.missedB == 0);
    double sq = Median(r.startQ), sb = Median(r.startB);
    t.Row(L"Start-up until all hotkeys are registered, median of " +
              std::to_wstring(r.startQ.size()) + L" starts (ms)",
          Fixed(sq, 1), Fixed(sb, 1), Ratio(sq, sb), L"≤ " + Fixed(kStartRatio, 1) + L"× baseline",
          sb > 0 && sq <= kStartRatio * sb);

    const std::wstring cmds = Grouped(opt.commands);
    const std::wstring cyc = std::to_wstring(opt.cycles);
    const std::wstring settle = std::to_wstring(r.settleCycle);
    const std::wstring points = L": after start / after " + cmds +
                                L" window commands / after dialog cycle 1, " + settle + L", " + cyc;
    auto series = [](const Usage* u, auto value) {
        std::wstring s;
        for (int i = 0; i < Results::kPoints; ++i)
            s += (i ? L" / " : L"") + value(u[i]);
        return s;
    };
    auto kib = [](double v) { return Grouped(static_cast<long long>(std::llround(v))); };
    constexpr int last = Results::kPoints - 1;

    auto priv = [&](const Usage& u) { return kib(u.privateKiB); };
    t.Row(L"Private bytes (KiB)" + points, series(r.q, priv), series(r.b, priv),
          Ratio(r.q[last].privateKiB, r.b[last].privateKiB), L"", -1);
    double growQ = r.q[last].privateKiB - r.q[2].privateKiB;
    double growB = r.b[last].privateKiB - r.b[2].privateKiB;
    t.Row(L"Private bytes growth, end of dialog cycle 1 to end of cycle " + cyc + L" (KiB)",
          Signed(std::llround(growQ)), Signed(std::llround(growB)), L"",
          L"≤ " + Fixed(kPrivateGrowthKiB, 0) + L" KiB", growQ <= kPrivateGrowthKiB);
    const double span = opt.cycles - r.settleCycle;
    t.Row(L"Private bytes per dialog cycle, from the end of cycle " + settle + L" to the end of " +
              cyc + L" (KiB)",
          Fixed((r.q[last].privateKiB - r.q[3].privateKiB) / span, 2),
          Fixed((r.b[last].privateKiB - r.b[3].privateKiB) / span, 2), L"", L"", -1);
    auto ws = [&](const Usage& u) { return kib(u.workingSetKiB); };
    t.Row(L"Working set (KiB)" + points, series(r.q, ws), series(r.b, ws),
          Ratio(r.q[last].workingSetKiB, r.b[last].workingSetKiB), L"", -1);

    struct Counter {
        const wchar_t* name;
        long Usage::*field;
    };
    const Counter counters[] = {{L"Kernel handles", &Usage::kernelHandles},
                                {L"GDI objects", &Usage::gdiObjects},
                                {L"USER objects", &Usage::userObjects}};
    for (const Counter& k : counters) {
        auto count = [&](const Usage& u) { return std::to_wstring(u.*k.field); };
        t.Row(
            k.name + points, series(r.q, count), series(r.b, count),
            Ratio(static_cast<double>(r.q[last].*k.field), static_cast<double>(r.b[last].*k.field)),
            L"", -1);
        // GDI growth is judged net of the entries Wine's window-DC cache
        // gained (named in the cell).
        const bool gdi = k.field == &Usage::gdiObjects;
        auto growth = [&](const Usage& from, const Usage& to, long& judged) {
            long raw = to.*k.field - from.*k.field;
            long cached = gdi ? WineDcCacheGrowth(from, to) : 0;
            judged = raw - 3 * cached;
            std::wstring cell = Signed(judged);
            if (cached)
                cell += L" (besides " + std::to_wstring(3 * cached) + L" in " +
                        std::to_wstring(cached) + L" cached window DCs)";
            return cell;
        };
        long cq = 0, cb = 0, dq = 0, db = 0;
        std::wstring cqs = growth(r.q[0], r.q[1], cq), cbs = growth(r.b[0], r.b[1], cb);
        t.Row(std::wstring(k.name) + L" growth across the window commands", cqs, cbs, L"", L"0",
              cq <= 0);
        std::wstring dqs = growth(r.q[3], r.q[last], dq), dbs = growth(r.b[3], r.b[last], db);
        t.Row(std::wstring(k.name) + L" growth, end of dialog cycle " + settle + L" to end of " +
                  cyc,
              dqs, dbs, L"", L"0", dq <= 0);
    }
    if (r.commandsMissedQ || r.commandsMissedB)
        t.Row(L"Window commands without effect", std::to_wstring(r.commandsMissedQ),
              std::to_wstring(r.commandsMissedB), L"", L"0",
              r.commandsMissedQ == 0 && r.commandsMissedB == 0);
    if (!r.quorelEnded)
        t.Row(L"Ends on WM_CLOSE to its application window", L"no", L"", L"", L"yes", 0);

    long long eq = FileBytes(opt.sizeQuorel), eb = FileBytes(opt.sizeBaseline);
    if (eq >= 0)
        t.Row(L"i686 Release exe (bytes)", Grouped(eq), eb >= 0 ? Grouped(eb) : L"—",
              eb > 0 ? Ratio(static_cast<double>(eq), static_cast<double>(eb)) : L"—",
              L"≤ " + Grouped(kMaxExeBytes), eq <= kMaxExeBytes);
    if (opt.importsOk >= 0)
        t.Row(L"DLL imports of the i686 exe", opt.imports.empty() ? L"—" : opt.imports, L"", L"",
              L"Known DLLs only (scripts/check-exe.sh)", opt.importsOk == 1);
    AllWindowsRows(t, r);
    return t;
}

std::wstring Document(const Options& opt, const Results& r, const Table& t) {
    const std::wstring settle = std::to_wstring(r.settleCycle);
    std::wstring d;
    d += L"# Quorel benchmark\n\n";
    d += L"Measured " + Today() + L" on " + Platform() +
         (opt.revision.empty() ? L"" : L", source " + opt.revision) +
         L", by `scripts/bench.sh`.\n\n";
    d += t.text;
    d += L"\n";
    d += t.missed.empty() ? L"All targets met.\n"
                          : L"Targets missed: " + std::to_wstring(t.missed.size()) + L".\n";
    if (!r.allWindows.empty())
        d += L"\nMinimize all and restore all: a second copy of the benchmark shows that many "
             L"visible windows with caption buttons on one thread that answers at once; "
             L"Quorel (Ctrl+Alt+F8 and Ctrl+Alt+F7 in its settings file) and the baseline "
             L"(Shift+Ctrl+Alt+F8 and F7: the same enumeration and tests, then one "
             L"`WM_SYSCOMMAND` sent to each window in turn, in a plain loop on its own thread) "
             L"take turns; each command is timed from `SendInput` until the host has seen the "
             L"last of its windows minimized or restored (`WM_SIZE`), after one warm-up round "
             L"each.\n";
    if (opt.onlyAllWindows)
        return d;
    d += L"\nHow it is measured. Quorel (the 64-bit build, default settings) and the baseline "
         L"(one hotkey, one `SetWindowPos` per press) run side by side. Latency: `SendInput` of "
         L"Shift+Alt+Right (Quorel) or Shift+Alt+End (the baseline, which cannot share "
         L"Quorel's key) until the benchmark's own foreground window sees its new rectangle "
         L"(`WM_WINDOWPOSCHANGED`); the two are pressed in turn, after " +
         std::to_wstring(kWarmUpPresses) +
         L" warm-up presses each. The method check runs the same timing on two copies of "
         L"the baseline, one on each key. Start-up: `CreateProcess` until a probe "
         L"`RegisterHotKey` of every hotkey the program registers at start is refused (Quorel: "
         L"its 15 default hotkeys), after one warm-up start each. Window commands (the timed "
         L"presses come before them): Quorel gets rounds of its 16 default window hotkeys "
         L"(moves, both resize families, maximize and restore, cursor to corner, minimize), "
         L"each awaited until it shows; the baseline gets its one hotkey. Dialog cycle: the "
         L"options dialog opened by a tray double click and closed with Cancel, then the About "
         L"box opened from its menu command and closed with OK. Object growth over the dialog "
         L"cycles is judged from the end of cycle " +
         settle +
         L", after caches that fill over the first cycles. Wine keeps a window's cache DC "
         L"after `ReleaseDC` until the window is destroyed and then reuses it, so its DC cache "
         L"grows, now and then, to the most windows that painted during one dialog (64 at "
         L"most); those entries (a display DC, its companion and a region each) are counted in "
         L"the GDI figures and named in the growth cells, but not judged as growth. Every "
         L"figure is read from outside after the program has handled everything sent to it: ";
    d += UsageMethods() + L".\n";
    if (UnderWine())
        d += L"\nUnder Wine 8 two things grow that are Wine's, not the program's: its comctl32 "
             L"(version 6) Static control does not free the 24-byte record it allocates for a "
             L"text label's `WM_SETFONT` when the label is destroyed (the options dialog has 25 "
             L"such labels, the About box 3: 28 × 24 bytes of heap per dialog cycle, more with "
             L"the heap's own overhead), and the window-DC cache described above, whose new "
             L"entries also take memory.\n";
    auto change = [&](int from, int to) {
        std::wstring c = DescribeChange(r.objects[from], r.objects[to]);
        return c.empty() ? std::wstring(L"nothing") : c;
    };
    d += L"\nQuorel's objects that came or went, by handle: across the window commands: " +
         change(0, 1) + L". In dialog cycle 1: " + change(1, 2) + L". From the end of cycle 1 " +
         L"to the end of cycle " + settle + L": " + change(2, 3) + L". From there to the end of " +
         L"cycle " + std::to_wstring(opt.cycles) + L": " + change(3, 4) + L".\n";
    return d;
}

Options ParseOptions(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        auto next = [&]() -> std::wstring {
            if (i + 1 >= argc)
                Fail(L"missing value after " + a);
            return argv[++i];
        };
        if (a == L"--quorel")
            o.quorel = WindowsPath(next());
        else if (a == L"--baseline")
            o.baseline = WindowsPath(next());
        else if (a == L"--size-quorel")
            o.sizeQuorel = WindowsPath(next());
        else if (a == L"--size-baseline")
            o.sizeBaseline = WindowsPath(next());
        else if (a == L"--imports")
            o.imports = next();
        else if (a == L"--imports-ok")
            o.importsOk = std::stoi(next());
        else if (a == L"--out")
            o.out = WindowsPath(next());
        else if (a == L"--presses")
            o.presses = std::stoi(next());
        else if (a == L"--commands")
            o.commands = std::stoi(next());
        else if (a == L"--cycles")
            o.cycles = std::stoi(next());
        else if (a == L"--starts")
            o.starts = std::stoi(next());
        else if (a == L"--revision")
            o.revision = next();
        else if (a == L"--samples")
            o.samples = WindowsPath(next());
        else if (a == L"--dialogs") {
            std::wstring which = next();
            o.optionsDialog = which == L"options" || which == L"both";
            o.aboutBox = which == L"about" || which == L"both";
            if (!o.optionsDialog && !o.aboutBox)
                Fail(L"--dialogs takes options, about or both");
        } else if (a == L"--verbose")
            o.verbose = true;
        else if (a == L"--all-rounds")
            o.allRounds = std::stoi(next());
        else if (a == L"--only-all-windows")
            o.onlyAllWindows = true;

        else
            Fail(L"unknown argument " + a);
    }
    if (o.quorel.empty() || o.baseline.empty())
        Fail(L"--quorel and --baseline are needed");
    if (o.presses < 1 || o.commands < 1 || o.cycles < 3 || o.starts < 1 || o.allRounds < 1)
        Fail(L"counts must be positive, and --cycles at least 3");
    return o;
}

void WriteText(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        Fail(L"cannot write " + path);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

void LogUsage(const wchar_t* what, const Usage& u) {
    Log(L"  %-28ls private %8.0f KiB  ws %8.0f KiB  handles %4ld  gdi %4ld  user %4ld\n", what,
        u.privateKiB, u.workingSetKiB, u.kernelHandles, u.gdiObjects, u.userObjects);
}

// The method against itself: the baseline on Quorel's key beside the
// baseline on the key it gets beside Quorel. Both ratios should be near 1;
// how far they are shows the noise of the run.
LatencyResult MethodCheck(Context& c, const std::wstring& exe) {
    const Hotkey aKey{MOD_SHIFT | MOD_ALT, VK_RIGHT}, bKey{MOD_SHIFT | MOD_ALT, VK_END};
    auto args = [](const Hotkey& k) {
        return std::to_wstring(k.mods) + L" " + std::to_wstring(k.vk);
    };
    const Subject a{L"baseline on Shift+Alt+Right", exe,   args(aKey), L"QuorelBenchBaseline",
                    L"QuorelBenchBaseline",         {aKey}};
    const Subject b{L"baseline on Shift+Alt+End", exe,   args(bKey), L"QuorelBenchBaseline",
                    L"QuorelBenchBaseline",       {bKey}};
    auto ap = StartRunning(a);
    auto bp = StartRunning(b);
    Log(L"method check: ");
    LatencyResult r = LatencyPhase(c, *ap, *bp, a, b, aKey, bKey);
    Log(L"  median %.3f / %.3f ms, p99 %.3f / %.3f ms\n", Median(r.q), Median(r.b),
        Percentile(r.q, 99), Percentile(r.b, 99));
    ap->Close();
    bp->Close();
    return r;
}

int Run(int argc, wchar_t** argv) {
    Options opt = ParseOptions(argc, argv);

    TempDir dir;
    const std::wstring qExe = dir.File(L"Quorel.exe"), bExe = dir.File(L"quorel_baseline.exe");
    if (!CopyFileW(opt.quorel.c_str(), qExe.c_str(), FALSE))
        Fail(L"cannot copy " + opt.quorel);
    if (!CopyFileW(opt.baseline.c_str(), bExe.c_str(), FALSE))
        Fail(L"cannot copy " + opt.baseline);

    Context c{opt,
              {L"Quorel", qExe, L"", L"TQuorelMainForm", L"TApplication", QuorelDefaultHotkeys()},
              {L"baseline",
               bExe,
               L"",
               L"QuorelBenchBaseline",
               L"QuorelBenchBaseline",
               {{MOD_SHIFT | MOD_ALT, VK_RIGHT}}},
              {}};
    Results r;
    if (!c.target.MakeForeground())
        Fail(L"the target window cannot be made the foreground window");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (opt.onlyAllWindows) {
        r.allWindows = AllWindowsPhase(c, self, dir.File(L"Quorel.INI"));
        Table t = BuildTable(opt, r);
        if (!opt.out.empty())
            WriteText(opt.out, Utf8(Document(opt, r, t)));
        Log(L"%ls\n", t.missed.empty() ? L"all targets met" : L"targets missed");
        return t.missed.empty() ? 0 : 1;
    }

    StartUpPhase(c, r.startQ, r.startB);
    r.method = MethodCheck(c, bExe);

    // The long run: both programs at once; the baseline on a key of the same
    // shape that Quorel leaves free.
    const Hotkey qKey{MOD_SHIFT | MOD_ALT, VK_RIGHT};
    const Hotkey bKey{MOD_SHIFT | MOD_ALT, VK_END};
    Subject& b = c.baseline;
    b.args = std::to_wstring(bKey.mods) + L" " + std::to_wstring(bKey.vk);
    b.keys = {bKey};
    auto qp = StartRunning(c.quorel);
    auto bp = StartRunning(b);
    Log(L"resources after start\n");
    Point qs = Sample(*qp, c.quorel);
    r.q[0] = qs.usage;
    r.objects[0] = qs.objects;
    r.b[0] = Sample(*bp, b).usage;
    LogUsage(L"Quorel", r.q[0]);
    LogUsage(L"baseline", r.b[0]);

    r.latency = LatencyPhase(c, *qp, *bp, c.quorel, b, qKey, bKey);
    Log(L"  median Quorel %.3f ms, baseline %.3f ms\n", Median(r.latency.q), Median(r.latency.b));

    r.commandsMissedQ = CommandPhase(c, *qp, c.quorel, CommandRound(), opt.commands);
    r.commandsMissedB = CommandPhase(c, *bp, b, {{bKey, Effect::Rect}}, opt.commands);
    qs = Sample(*qp, c.quorel);
    r.q[1] = qs.usage;
    r.objects[1] = qs.objects;
    r.b[1] = Sample(*bp, b).usage;
    LogUsage(L"Quorel after commands", r.q[1]);
    LogUsage(L"baseline after commands", r.b[1]);

    Log(L"dialog cycles: %d\n", opt.cycles);
    // Caches of the system (a device context kept for windows drawn at the
    // same time, say) may fill over the first few cycles; growth is judged
    // on the cycles after those.
    r.settleCycle = std::max(2, opt.cycles / 5);
    Point previous = qs;
    for (int i = 1; i <= opt.cycles; ++i) {
        DialogCycle(*qp, c.quorel, i, opt);
        int at = i == 1 ? 2 : i == r.settleCycle ? 3 : i == opt.cycles ? 4 : -1;
        if (at < 0 && !opt.verbose)
            continue;
        Point p = Sample(*qp, c.quorel);
        if (at >= 0) {
            r.q[at] = p.usage;
            r.objects[at] = p.objects;
            r.b[at] = Sample(*bp, b).usage;
        }
        LogUsage((L"Quorel after cycle " + std::to_wstring(i)).c_str(), p.usage);
        std::wstring change = DescribeChange(previous.objects, p.objects);
        if (opt.verbose && !change.empty())
            Log(L"    %ls\n", change.c_str());
        previous = p;
    }

    r.quorelEnded = qp->Close();
    bp->Close();
    r.allWindows = AllWindowsPhase(c, self, dir.File(L"Quorel.INI"));

    Table t = BuildTable(opt, r);
    if (!opt.out.empty())
        WriteText(opt.out, Utf8(Document(opt, r, t)));
    if (!opt.samples.empty()) {
        std::string csv = "phase,program,ms\n";
        auto add = [&](const char* phase, const char* who, const std::vector<double>& v) {
            for (double ms : v)
                csv += std::string(phase) + "," + who + "," + Utf8(Fixed(ms, 4)) + "\n";
        };
        add("latency", "quorel", r.latency.q);
        add("latency", "baseline", r.latency.b);
        add("method", "baseline-right", r.method.q);
        add("method", "baseline-end", r.method.b);
        add("startup", "quorel", r.startQ);
        add("startup", "baseline", r.startB);
        WriteText(opt.samples, csv);
    }
    Log(L"%ls\n", t.missed.empty() ? L"all targets met" : L"targets missed");
    return t.missed.empty() ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Started again as the host of the windows for minimize-all and
    // restore-all.
    if (argc == 5 && std::wstring(argv[1]) == L"--host-windows" &&
        std::wstring(argv[3]) == L"--host-name")
        return RunWindowHost(std::stoi(argv[2]), argv[4]);
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorel_bench: %s\n", e.what());
        return 2;
    }
}

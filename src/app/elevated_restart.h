// Restarting the program as administrator, and the hand-over from the copy
// that asked for it (the old copy) to the copy it started (the new copy).
// The new copy is told the old one's process on its command line. It asks
// the old copy to hand the program over and waits on the single-instance
// mutex itself; the old copy writes its settings, lets go of its hotkeys
// and of the mutex, and goes on running until the new copy says it has
// taken over. Only then does it end; a new copy that ends without taking
// over (refused the mutex as another user's copy, or tired of waiting)
// leaves the old copy running as before, which tells the user. So there is
// always one copy, and never two holding the hotkeys.
#pragma once

#include "base/handles.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// The private switch of a copy started to take over, naming the process of
// the copy it takes over from ("/takeover:1234"). The program reads
// nothing else from its command line.
std::wstring TakeoverArguments(DWORD processId);
// The process named by the switch in a command line as GetCommandLineW
// gives it (the program's path first); nothing without the switch or with
// anything but a process id after it.
std::optional<DWORD> TakeoverProcessId(const wchar_t* commandLine);

// How long a new copy waits for the old one to let go of the mutex: the
// old copy only writes its settings first, which may bring an error box the
// user has to answer.
constexpr DWORD TakeoverWaitMs = 30000;

enum class LaunchResult { Started, Declined, Failed };

// What a launch gave: the new copy's process when it started, the system's
// error when it failed.
struct Launched {
    LaunchResult result = LaunchResult::Failed;
    handles::UniqueHandle process;
    DWORD error = 0;
};

// The old copy's side of the restart.
class ElevatedRestart {
  public:
    // Starts exe with the arguments as administrator: ShellExecuteExW with
    // the verb "runas" (the system asks the user; owner is the window the
    // question belongs to, which should be in the foreground). Declined when
    // the user said no. Tests replace it.
    static std::function<Launched(const std::wstring& exe, const std::wstring& arguments,
                                  HWND owner)>
        Launch;

    // Starts this program again as administrator, told to take over from
    // this process; from then on the restart is Pending until the new copy
    // has taken over or ended. Declined, nothing changes; failed, error
    // holds the system's reason (RestartFailedText). Nothing is started
    // while a restart is pending.
    LaunchResult Request(HWND owner, DWORD& error);
    bool Pending() const { return pending_; }

    // The new copy's two messages. The first asks this copy to let go of the
    // program: true when it is to do so now. The second says the new copy
    // holds it: true when this copy is to end now. Each counts only while a
    // restart is pending, the second only after the first.
    bool HandOverAsked();
    bool TakenOver();

    // Whether the new copy is still on its way, or has ended without taking
    // over: before it asked for the program, or after this copy let go of
    // it (this copy then takes it back). An ended copy ends the restart.
    // Asked on a timer while Pending.
    enum class NewCopy { OnItsWay, EndedBeforeAsking, EndedAfterRelease };
    NewCopy CheckStarted();

  private:
    bool pending_ = false;
    bool released_ = false;
    handles::UniqueHandle started_; // the new copy's process
};

// The texts for the user: a restart that could not be started (with the
// system's reason), and a new copy that ended without taking over.
std::wstring RestartFailedText(DWORD error);
const wchar_t* NotTakenOverText();

// Carries the window commands out on worker threads, so that the program's
// own thread, which takes the hotkeys, the tray icon's clicks and the menu,
// never waits on another program. ShowWindow, SetWindowPos and a sent
// WM_SYSCOMMAND return only once the window's thread has handled them, and
// a program may stop reading its messages at any moment (busy, at a
// breakpoint, stuck); a worker makes these calls exactly as they are and
// waits as long as they take.
//
// The commands run in the order of CommandQueues: one at a time per thread
// that owns windows, in the order given, and the lists of restore-all and
// minimize-all in turn. A worker is started when a command is ready and no
// worker is free, up to MaxCommandWorkers, so that a program that has
// stopped answering holds exactly one worker (the one in its call) and
// the commands for every other program go on. StandingCommandWorkers are
// started ahead and stay: a command that comes while the previous one is
// still returning from its window finds the second one waiting, rather
// than a thread started for it. Workers beyond those end after
// IdleWorkerEndMs without work.
#pragma once

#include "winops/window_commands.h"

#include <memory>
#include <vector>

constexpr unsigned MaxCommandWorkers = 16;
constexpr unsigned StandingCommandWorkers = 2;
constexpr unsigned long IdleWorkerEndMs = 10000;

struct CommandRunnerState;

class CommandRunner {
  public:
    CommandRunner();
    // Stop(StopWaitMs) unless stopped before.
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Starts the standing workers ahead of the first command.
    void Prepare();
    // Queues a command (nothing: does nothing) and returns at once.
    void Run(const std::optional<WindowCommand>& command);
    // Queues commands for several windows, to be carried out in turn.
    void RunInTurn(const std::vector<WindowCommand>& commands);
    // Drops the commands that have not started and waits at most waitMs
    // for the workers to end. A worker still in a call to a window that
    // does not answer is left to the end of the process; it touches nothing
    // of this object's owner.
    void Stop(unsigned long waitMs);

    static constexpr unsigned long StopWaitMs = 1000;

  private:
    // Shared with the workers: one that is still in a call at the end of
    // the program keeps it alive until the call returns.
    std::shared_ptr<CommandRunnerState> state_;
};

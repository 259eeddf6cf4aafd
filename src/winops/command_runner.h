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
// minimize-all in turn. A worker is started when a job is ready and no
// worker is free, so that a program that has stopped answering holds one
// worker (the one in its call) and the commands for every other program
// go on. A thread inside a modal loop that one of these calls opened (the
// prompt of a close) is found out by a WM_NULL sent with a time-out of
// ProbeWaitMs, and gets its next command from another worker; the
// commands themselves are sent without a time-out, never cancelled and
// never sent twice. StandingCommandWorkers are started ahead and stay: a
// command that comes while the previous one is still returning from its
// window finds the second one waiting, rather than a thread started for
// it. Workers beyond those end after IdleWorkerEndMs without work.
//
// Threads stay bounded: the standing ones, one per thread that keeps a
// call waiting (plus one per modal loop that its commands opened), and
// for a tenth of a second at most one per question; never more than
// MaxCommandWorkers. Once all but SpareCommandWorkers are in calls, a
// command starts only after its thread has answered the question, and a
// command for a thread that does not answer is dropped: the spare workers
// are kept for the programs that answer.
#pragma once

#include "winops/window_commands.h"

#include <memory>
#include <vector>

constexpr unsigned MaxCommandWorkers = 64;
constexpr unsigned StandingCommandWorkers = 2;
constexpr unsigned SpareCommandWorkers = 2;
constexpr unsigned long IdleWorkerEndMs = 10000;
// How long the question whether a thread answers waits for its answer.
constexpr unsigned ProbeWaitMs = 100;

struct CommandRunnerState;
class CommandQueues;

// Whether an idle worker ends at now, after a wait: it is one beyond the
// standing ones (workers counts it), it has had nothing to do since
// idleSince for IdleWorkerEndMs, and nothing is ready or falls due by time
// in the queues as they are now, so that a list given during its wait,
// whose turn it may be the only one to watch, keeps it.
bool IdleWorkerEnds(CommandQueues& queues, unsigned workers, unsigned long long idleSince,
                    unsigned long long now);

class CommandRunner {
  public:
    // maxWorkers: the ceiling (tests use a lower one); at least
    // SpareCommandWorkers + 1.
    explicit CommandRunner(unsigned maxWorkers = MaxCommandWorkers);
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

    // The workers started and not ended.
    unsigned Workers() const;

    static constexpr unsigned long StopWaitMs = 1000;

  private:
    // Shared with the workers: one that is still in a call at the end of
    // the program keeps it alive until the call returns.
    std::shared_ptr<CommandRunnerState> state_;
};
